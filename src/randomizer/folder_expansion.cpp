#include "randomizer/folder_expansion.h"

#include "lists/folder_entries.h"
#include "platform/text.h"

namespace mx {

namespace {

void AppendFiles(SelectionList& entries, const std::vector<std::string>& paths, WallpaperStyle style) {
    for (const std::string& path : paths) {
        const size_t cut = path.rfind('\\');
        entries.Append(std::string_view(path).substr(0, cut + 1), std::string_view(path).substr(cut + 1), style);
    }
}

std::string Plural(size_t n, const char* one, const char* many) { return std::to_string(n) + ' ' + (n == 1 ? one : many); }

}  // namespace

ExpandedList ExpandFolderEntries(const SelectionList& list, FolderSource& source, FolderCache* cache,
                                 const std::function<bool(std::string_view name)>& usable,
                                 const std::function<std::string(const std::string& folder)>& unanswered) {
    ExpandedList expanded{SelectionList(list.WithStyle()), {}};
    for (size_t i = 0; i < list.size(); ++i) {
        const FolderScope scope = FolderScopeOf(list.FileName(i));
        const std::string& directory = list.Directory(i);
        if (scope == FolderScope::None) {
            expanded.entries.Append(directory, list.FileName(i), list.Style(i));
            continue;
        }
        FolderEntryReport report;
        report.entry = JoinPath(directory, list.FileName(i));
        report.first = expanded.entries.size();
        const bool withSubfolders = scope == FolderScope::WithSubfolders;
        report.unanswered = unanswered(directory);
        std::vector<std::string> files;
        if (!report.unanswered.empty()) {
            if (cache) files = CachedFolderPictures(*cache, directory, withSubfolders, usable);
        } else {
            report.pictures = ListFolderPictures(source, cache, directory, withSubfolders, usable);
            files = std::move(report.pictures.files);
            report.pictures.files = {};
        }
        report.count = files.size();
        AppendFiles(expanded.entries, files, list.Style(i));
        expanded.folders.push_back(std::move(report));
    }
    return expanded;
}

std::vector<uint64_t> DeckKeys(const SelectionList& entries) {
    std::vector<uint64_t> keys;
    keys.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        keys.push_back(EntryKey(JoinPath(entries.Directory(i), entries.FileName(i)),
                                entries.WithStyle() ? StyleName(entries.Style(i)) : std::string_view()));
    return keys;
}

std::vector<size_t> FolderDealOrder(const ExpandedList& list, size_t folder, const DeckState& state) {
    // Only the round after next is drawn at random, which the order of the dealing never depends on.
    SeededRandom random(0);
    Deck deck(DeckKeys(list.entries), state, random);
    for (const FolderEntryReport& other : list.folders)
        if (!other.unanswered.empty()) deck.Hold(other.first, other.count);
    const FolderEntryReport& report = list.folders.at(folder);
    std::vector<size_t> order;
    while (std::optional<size_t> next = deck.Next())
        if (*next >= report.first && *next < report.first + report.count) order.push_back(*next);
    return order;
}

std::string FolderReportText(const FolderEntryReport& report) {
    using Outcome = FolderPictures::Outcome;
    const FolderPictures& p = report.pictures;
    std::string text = "folder " + report.entry;
    if (!report.unanswered.empty())
        return text + ": " + report.unanswered + "; " +
               (report.count ? Plural(report.count, "picture", "pictures") + " last seen there sit out this run"
                             : "none of its pictures is known");
    switch (p.outcome) {
    case Outcome::Missing: return text + " is not there";
    case Outcome::NotAFolder: return text + " is a file, not a folder";
    case Outcome::Unreadable: return text + " cannot be read: error " + std::to_string(p.error);
    case Outcome::Listed: break;
    }
    text += " gave " + Plural(report.count, "picture", "pictures") + " from " + Plural(p.folders, "folder", "folders");
    text += p.fromCache == p.folders ? (p.folders == 1 ? ", listing from the cache" : ", every listing from the cache")
            : p.fromCache == 0       ? ", listed"
                                     : ", " + Plural(p.fromCache, "listing", "listings") + " from the cache";
    if (p.unreadable) text += "; " + Plural(p.unreadable, "subfolder", "subfolders") + " could not be read";
    if (p.tooMany) text += "; stopped at " + std::to_string(kMaxFolders) + " folders";
    return text;
}

}  // namespace mx
