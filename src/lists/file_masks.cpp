#include "lists/file_masks.h"

#include "lists/browser_filters.h"
#include "platform/text.h"

namespace mx {

namespace {

bool SameLetter(char a, char b) { return LowerAscii(a) == LowerAscii(b); }

// Plain "*" and "?" matching; a "*" only ever backtracks to its latest position, which keeps it linear
// in practice and never exponential. "?" and a "*" that gives up one more character take a whole
// UTF-8 character, never part of one.
bool MatchesGlob(std::string_view pattern, std::string_view name) {
    size_t p = 0, n = 0;
    size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += CharacterBytes(name, n);
        } else if (p < pattern.size() && SameLetter(pattern[p], name[n])) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = starN += CharacterBytes(name, starN);
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

bool MatchesPattern(std::string_view pattern, std::string_view name) {
    if (pattern.empty() || name.empty()) return false;
    if (MatchesGlob(pattern, name)) return true;
    if (pattern.size() >= 2 && pattern.ends_with(".*") && MatchesGlob(pattern.substr(0, pattern.size() - 2), name))
        return true;
    if (pattern.size() >= 2 && pattern.back() == '.' && name.find('.') == std::string_view::npos)
        return MatchesGlob(pattern.substr(0, pattern.size() - 1), name);
    return false;
}

FileMask::FileMask(std::string_view mask) : text_(mask) {
    size_t start = 0;
    while (start <= mask.size()) {
        size_t end = mask.find(';', start);
        if (end == std::string_view::npos) end = mask.size();
        std::string_view pattern = mask.substr(start, end - start);
        if (!pattern.empty()) patterns_.emplace_back(pattern);
        start = end + 1;
    }
}

bool FileMask::Matches(std::string_view name) const {
    for (const std::string& pattern : patterns_)
        if (MatchesPattern(pattern, name)) return true;
    return false;
}

std::vector<FilterItem> ParseFilterText(std::string_view filter) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= filter.size()) {
        size_t end = filter.find('|', start);
        if (end == std::string_view::npos) end = filter.size();
        parts.push_back(filter.substr(start, end - start));
        start = end + 1;
    }
    std::vector<FilterItem> items;
    if (filter.empty()) return items;
    for (size_t i = 0; i < parts.size(); i += 2)
        items.push_back({std::string(parts[i]), i + 1 < parts.size() ? std::string(parts[i + 1]) : std::string()});
    return items;
}

namespace {

// Length of the root part of a path: "C:\" (3), "\\server\share\" (up to and with its backslash), or 0.
size_t RootLength(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':') return path.size() >= 3 && path[2] == '\\' ? 3 : 2;
    if (path.starts_with("\\\\")) {
        size_t server = path.find('\\', 2);
        if (server == std::string_view::npos) return path.size();
        size_t share = path.find('\\', server + 1);
        return share == std::string_view::npos ? path.size() : share + 1;
    }
    return 0;
}

}  // namespace

std::string WallpaperFilterText(const std::vector<std::string>& systemExtensions) {
    struct Extension {
        std::string name;  // ".bmp"
        bool described;    // named in the description as well as in the mask
    };
    std::vector<Extension> usable;
    for (const char* e : {".bmp", ".jpg", ".jpeg", ".jif", ".gif", ".dib", ".rle", ".tga", ".pcx", ".sys", ".png", ".webp"})
        usable.push_back({e, std::string_view(e) != ".jif"});
    for (const std::string& e : systemExtensions) {
        bool plain = e.size() >= 2 && e[0] == '.';
        for (size_t i = 1; i < e.size() && plain; ++i)
            plain = (e[i] >= '0' && e[i] <= '9') || (LowerAscii(e[i]) >= 'a' && LowerAscii(e[i]) <= 'z') || e[i] == '-' ||
                    e[i] == '_';
        if (!plain) continue;
        bool known = false;
        for (const Extension& u : usable) known = known || EqualsIgnoreCase(u.name, e);
        if (!known) usable.push_back({e, true});
    }
    std::string description = "All usable files (", mask;
    bool first = true;
    for (const Extension& u : usable) {
        mask += "*" + u.name + ";";
        if (!u.described) continue;
        description += (first ? "*" : ", *") + u.name;
        first = false;
    }
    return description + ")|" + mask + "|Windows Bitmaps (*.bmp)|*.bmp|System Files (*.sys)|*.sys|All files (*.*)|*.*";
}

std::string BrowserDirectory(std::string_view path) {
    std::string dir(path);
    while (dir.size() > 1 && dir.back() == '\\') dir.pop_back();
    if (dir.size() == 2 && dir[1] == ':') dir += '\\';
    return dir;
}

std::vector<std::string> PathSteps(std::string_view dir) {
    std::vector<std::string> steps;
    size_t root = RootLength(dir);
    if (root > 0) {
        std::string first(dir.substr(0, root));
        if (first.back() != '\\') first += '\\';
        steps.push_back(first);
    }
    size_t start = root;
    while (start < dir.size()) {
        size_t end = dir.find('\\', start);
        if (end == std::string_view::npos) end = dir.size();
        if (end > start) steps.emplace_back(dir.substr(start, end - start));
        start = end + 1;
    }
    return steps;
}

int TypedRow(const std::vector<std::string>& names, int current, std::string_view typed, bool newSearch) {
    if (typed.empty() || names.empty()) return -1;
    const size_t first = CharacterBytes(typed, 0);
    bool oneLetter = true;
    for (size_t pos = first; pos < typed.size() && oneLetter; pos += first)
        oneLetter = typed.substr(pos, first) == typed.substr(0, first);
    if (oneLetter) {
        typed = typed.substr(0, first);
        newSearch = true;
    }
    const int count = int(names.size());
    const int start = current < 0 ? 0 : (current + (newSearch ? 1 : 0)) % count;
    for (int i = 0; i < count; ++i) {
        const int row = (start + i) % count;
        const std::string& name = names[size_t(row)];
        if (name.size() >= typed.size() && EqualsIgnoreCase(std::string_view(name).substr(0, typed.size()), typed))
            return row;
    }
    return -1;
}

}  // namespace mx
