#include "state/selection_file.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "lists/categories.h"
#include "platform/text.h"

namespace mx {

namespace {

constexpr char kCtrlZ = 26;

// The style a wallpaper line names after its first comma: the names are looked for in this order
// and the last one found wins, so "Tiled Mirror" and "Mirror Tiled" both give Mirror. Fill, the
// newest, comes first, so that a line that names any older style reads as it always did.
constexpr std::array<std::string_view, 6> kStyleSearchOrder = {"Fill", "Centred", "Tiled", "Stretched",
                                                               "Fit 2 Screen", "Mirror"};

WallpaperStyle StyleOfTail(std::string_view tail) {
    static const std::array<std::string, kStyleSearchOrder.size()> upperNames = [] {
        std::array<std::string, kStyleSearchOrder.size()> names;
        for (size_t i = 0; i < names.size(); ++i) names[i] = UpperAscii(kStyleSearchOrder[i]);
        return names;
    }();
    std::string upper = UpperAscii(tail);
    std::string_view style = kDefaultStyle;
    for (size_t i = 0; i < upperNames.size(); ++i)
        if (upper.find(upperNames[i]) != std::string::npos) style = kStyleSearchOrder[i];
    return StyleNamed(style).value_or(kCentredStyle);
}

// Where the directory ends: the last "\" or ":" (find_last_of would search its set once per character).
size_t LastSeparator(std::string_view line) {
    for (size_t i = line.size(); i-- > 0;)
        if (line[i] == '\\' || line[i] == ':') return i;
    return std::string_view::npos;
}

}  // namespace

void ParseSelectionFile(std::string_view text, std::string_view programDir, SelectionLists& lists) {
    // A Ctrl-Z marks the end of the file.
    if (size_t eof = text.find(kCtrlZ); eof != std::string_view::npos) text = text.substr(0, eof);

    SelectionList* section = nullptr;
    bool wallpaper = false;
    size_t pos = 0;
    while (pos < text.size()) {
        // A line runs to the next CR; CR and an LF right after it end the line. A lone LF is text.
        size_t end = text.find('\r', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (pos < text.size() && text[pos] == '\n') ++pos;

        if (line.empty()) continue;
        if (line[0] == '[') {
            section = nullptr;
            for (size_t i = 0; i < kSectionHeaders.size(); ++i)
                if (line == kSectionHeaders[i]) {
                    section = &lists[i];
                    wallpaper = i == kWallpaperSection;
                }
            continue;
        }
        if (!section) continue;  // lines outside the four sections belong to no list

        WallpaperStyle style = kCentredStyle;
        if (wallpaper) {
            size_t comma = line.find(',');
            if (comma != std::string_view::npos) style = StyleOfTail(line.substr(comma));
            line = line.substr(0, comma);
        }
        size_t cut = LastSeparator(line);
        if (cut == std::string_view::npos) section->Append(programDir, line, style);
        else section->Append(line.substr(0, cut + 1), line.substr(cut + 1), style);
    }
}

std::string FormatSelectionFile(const SelectionLists& lists) {
    std::string text;
    WriteSelectionFile(lists, [&](std::string_view part) {
        text += part;
        return true;
    });
    return text;
}

// The pieces of a line are short: copied eight bytes at a time in place, since a call into the C
// library for each of them costs more than the copying (under Wine, as much as all the rest).
void CopyShort(std::string_view text, char* out) {
    const char* in = text.data();
    size_t n = text.size();
    for (; n >= 8; n -= 8, in += 8, out += 8) {
        uint64_t word;
        std::memcpy(&word, in, 8);
        std::memcpy(out, &word, 8);
    }
    if (n >= 4) {
        uint32_t word;
        std::memcpy(&word, in, 4);
        std::memcpy(out, &word, 4);
        in += 4, out += 4, n -= 4;
    }
    if (n >= 2) {
        uint16_t word;
        std::memcpy(&word, in, 2);
        std::memcpy(out, &word, 2);
        in += 2, out += 2, n -= 2;
    }
    if (n) *out = *in;
}

// Each line is laid out in a buffer of its own length at once, and the buffer handed on when the next
// line would not fit: no line is ever copied twice before it is written.
bool WriteSelectionFile(const SelectionLists& lists, const std::function<bool(std::string_view)>& write) {
    std::vector<char> part(64 * 1024);
    size_t used = 0;
    auto room = [&](size_t bytes) {
        if (used + bytes <= part.size()) return true;
        if (used > 0 && !write(std::string_view(part.data(), used))) return false;
        used = 0;
        if (bytes > part.size()) part.resize(bytes);
        return true;
    };
    auto put = [&](std::string_view text) {
        CopyShort(text, part.data() + used);
        used += text.size();
    };
    for (size_t s = 0; s < lists.size(); ++s) {
        if (!room(kSectionHeaders[s].size() + 4)) return false;
        if (s > 0) put("\r\n");
        put(kSectionHeaders[s]);
        put("\r\n");
        const SelectionList& list = lists[s];
        for (size_t i = 0; i < list.size(); ++i) {
            // The path as every list entry builds it: the directory, a backslash unless it ends in one,
            // the name.
            const std::string_view directory = list.Directory(i), name = list.FileName(i);
            const std::string_view style = list.WithStyle() ? StyleName(list.Style(i)) : std::string_view();
            const bool slash = directory.empty() || directory.back() != '\\';
            if (!room(directory.size() + slash + name.size() + (list.WithStyle() ? 2 + style.size() : 0) + 2))
                return false;
            put(directory);
            if (slash) put("\\");
            put(name);
            if (list.WithStyle()) {
                put(", ");
                put(style);
            }
            put("\r\n");
        }
    }
    return used == 0 || write(std::string_view(part.data(), used));
}

}  // namespace mx
