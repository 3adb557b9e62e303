#include "lists/folder_listing.h"

#include <charconv>

#include "platform/text.h"

namespace mx {

namespace {

// A listing is trusted only when made this long after the folder's last change.
constexpr uint64_t kSettleTime = 2 * kFileTimeSecond;

constexpr std::string_view kCacheHeader = "Mosalux folder listings 1";

bool Writable(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos; }

std::string Hex(uint64_t value) {
    char buffer[16];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value, 16).ptr);
}

template <class T>
bool ParseNumber(std::string_view& text, T& value, int base) {
    size_t end = text.find(' ');
    if (end == 0 || end == std::string_view::npos) return false;
    auto [stop, error] = std::from_chars(text.data(), text.data() + end, value, base);
    if (error != std::errc() || stop != text.data() + end) return false;
    text.remove_prefix(end + 1);
    return true;
}

// The lines of a text that ends every line with CR LF.
class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}
    bool Next(std::string_view& line) {
        size_t end = text_.find("\r\n", pos_);
        if (end == std::string_view::npos) return false;
        line = text_.substr(pos_, end - pos_);
        pos_ = end + 2;
        return true;
    }
    bool AtEnd() const { return pos_ == text_.size(); }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

// A folder's key in the cache: its path in upper case, without a trailing backslash (but "C:\").
std::string KeyOf(std::string_view folder) {
    if (folder.size() > 3 && folder.back() == '\\') folder.remove_suffix(1);
    return UpperAscii(folder);
}

bool Walkable(uint32_t attributes) {
    return (attributes & kAttributeDirectory) &&
           !(attributes & (kAttributeHidden | kAttributeSystem | kAttributeReparsePoint));
}

}  // namespace

bool ListingIsCurrent(const FolderListing& listing, uint64_t lastWrite) {
    return lastWrite != 0 && listing.lastWrite == lastWrite && listing.listedAt >= lastWrite + kSettleTime;
}

const FolderListing* FolderCache::Find(std::string_view folder) {
    auto found = listings_.find(KeyOf(folder));
    if (found == listings_.end()) return nullptr;
    found->second.used = true;
    return &found->second.listing;
}

void FolderCache::Store(std::string_view folder, FolderListing listing) {
    Held& held = listings_[KeyOf(folder)];
    held.folder = folder;
    held.listing = std::move(listing);
    held.used = held.stored = true;
}

bool FolderCache::Changed() const {
    for (const auto& [key, held] : listings_)
        if (held.stored || !held.used) return true;
    return false;
}

void FolderCache::KeepEvery() {
    for (auto& [key, held] : listings_) held.used = true;
}

size_t FolderCache::KeptNames() const {
    size_t names = 0;
    for (const auto& [key, held] : listings_)
        if (held.used) names += held.listing.files.size() + held.listing.subfolders.size();
    return names;
}

// A header line, then per folder a line with its two times, its number of files and of subfolders
// and its path, followed by the names, one a line.
std::string FolderCache::Text() const {
    std::string text(kCacheHeader);
    text += "\r\n";
    for (const auto& [key, held] : listings_) {
        const FolderListing& l = held.listing;
        if (!held.used || !Writable(held.folder)) continue;
        bool writable = true;
        for (const auto* names : {&l.files, &l.subfolders})
            for (const std::string& name : *names) writable = writable && Writable(name);
        if (!writable) continue;
        text += Hex(l.lastWrite) + ' ' + Hex(l.listedAt) + ' ' + std::to_string(l.files.size()) + ' ' +
                std::to_string(l.subfolders.size()) + ' ' + held.folder + "\r\n";
        for (const auto* names : {&l.files, &l.subfolders})
            for (const std::string& name : *names) {
                text += name;
                text += "\r\n";
            }
    }
    return text;
}

FolderCache FolderCache::Parse(std::string_view text) {
    FolderCache cache;
    Lines lines(text);
    std::string_view line;
    if (!lines.Next(line) || line != kCacheHeader) return {};
    while (!lines.AtEnd()) {
        FolderListing listing;
        size_t files = 0, subfolders = 0;
        if (!lines.Next(line) || !ParseNumber(line, listing.lastWrite, 16) || !ParseNumber(line, listing.listedAt, 16) ||
            !ParseNumber(line, files, 10) || !ParseNumber(line, subfolders, 10) || line.empty())
            return {};
        const std::string_view folder = line;
        // Every name takes a line of two bytes at least: a count the rest cannot hold is no listing.
        if (files > text.size() / 2 || subfolders > text.size() / 2) return {};
        for (auto [count, names] : {std::pair{files, &listing.files}, std::pair{subfolders, &listing.subfolders}}) {
            names->reserve(count);
            for (size_t i = 0; i < count; ++i) {
                if (!lines.Next(line)) return {};
                names->emplace_back(line);
            }
        }
        Held& held = cache.listings_[KeyOf(folder)];
        held.folder = folder;
        held.listing = std::move(listing);
    }
    return cache;
}

FolderPictures ListFolderPictures(FolderSource& source, FolderCache* cache, std::string_view folder,
                                  bool withSubfolders, const std::function<bool(std::string_view name)>& usable) {
    FolderPictures result;
    FolderItem top;
    if (!source.Stat(std::string(folder), top, result.error)) {
        result.outcome = FolderPictures::Outcome::Missing;
        return result;
    }
    if (!(top.attributes & kAttributeDirectory)) {
        result.outcome = FolderPictures::Outcome::NotAFolder;
        return result;
    }
    if (cache && !source.TracksFolderChanges(std::string(folder))) cache = nullptr;

    struct Pending {
        std::string path;
        uint64_t lastWrite;  // 0 when not known yet
    };
    std::vector<Pending> pending{{std::string(folder), top.lastWrite}};
    std::vector<FolderItem> items;
    while (!pending.empty()) {
        Pending next = std::move(pending.back());
        pending.pop_back();
        if (result.folders == kMaxFolders) {
            result.tooMany = true;
            break;
        }
        // A subfolder under one that came from the cache: its own time tells whether its listing
        // still holds.
        if (next.lastWrite == 0 && result.folders > 0) {
            FolderItem item;
            uint32_t error = 0;
            if (!source.Stat(next.path, item, error)) {
                ++result.unreadable;
                continue;
            }
            if (!Walkable(item.attributes)) continue;
            next.lastWrite = item.lastWrite;
        }
        const FolderListing* listing = cache ? cache->Find(next.path) : nullptr;
        const bool cached = listing && ListingIsCurrent(*listing, next.lastWrite);
        FolderListing fresh;
        if (cached) {
            ++result.fromCache;
        } else {
            fresh.lastWrite = next.lastWrite;
            fresh.listedAt = source.Now();
            uint32_t error = 0;
            items.clear();
            if (!source.List(next.path, items, error)) {
                if (result.folders == 0) {
                    result.outcome = FolderPictures::Outcome::Unreadable;
                    result.error = error;
                    return result;
                }
                ++result.unreadable;
                continue;
            }
            for (FolderItem& item : items) {
                if (item.attributes & kAttributeDirectory) {
                    if (Walkable(item.attributes)) {
                        fresh.subfolders.push_back(std::move(item.name));
                        if (withSubfolders)
                            pending.push_back({JoinPath(next.path, fresh.subfolders.back()), item.lastWrite});
                    }
                } else if (!(item.attributes & (kAttributeHidden | kAttributeSystem))) {
                    fresh.files.push_back(std::move(item.name));
                }
            }
            listing = &fresh;
        }
        ++result.folders;
        for (const std::string& name : listing->files)
            if (usable(name)) result.files.push_back(JoinPath(next.path, name));
        if (result.folders == 1) result.topFiles = result.files.size();
        if (cached && withSubfolders)
            for (const std::string& name : listing->subfolders) pending.push_back({JoinPath(next.path, name), 0});
        if (!cached && cache) cache->Store(next.path, std::move(fresh));
    }
    return result;
}

std::vector<std::string> CachedFolderPictures(FolderCache& cache, std::string_view folder, bool withSubfolders,
                                              const std::function<bool(std::string_view name)>& usable) {
    std::vector<std::string> files;
    std::vector<std::string> pending{std::string(folder)};
    for (size_t walked = 0; !pending.empty() && walked < kMaxFolders; ++walked) {
        const std::string path = std::move(pending.back());
        pending.pop_back();
        const FolderListing* listing = cache.Find(path);
        if (!listing) continue;
        for (const std::string& name : listing->files)
            if (usable(name)) files.push_back(JoinPath(path, name));
        if (withSubfolders)
            for (const std::string& name : listing->subfolders) pending.push_back(JoinPath(path, name));
    }
    return files;
}

}  // namespace mx
