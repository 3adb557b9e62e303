#include "state/selection_file.h"

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

void SelectionFileWriter::BeginSection(size_t section) {
    if (section > 0) text_ += "\r\n";
    text_ += kSectionHeaders[section];
    text_ += "\r\n";
}

// The path as every list entry builds it: the directory, a backslash unless it ends in one, the name.
void SelectionFileWriter::AddEntry(std::string_view directory, std::string_view fileName, std::string_view style,
                                   bool withStyle) {
    text_ += directory;
    if (directory.empty() || directory.back() != '\\') text_ += '\\';
    text_ += fileName;
    if (withStyle) {
        text_ += ", ";
        text_ += style;
    }
    text_ += "\r\n";
}

std::string FormatSelectionFile(const SelectionLists& lists) {
    std::string text;
    WriteSelectionFile(lists, [&](std::string_view part) {
        text += part;
        return true;
    });
    return text;
}

bool WriteSelectionFile(const SelectionLists& lists, const std::function<bool(std::string_view)>& write) {
    constexpr size_t kPart = 256 * 1024;
    SelectionFileWriter writer;
    writer.Reserve(kPart + 4096);
    auto flush = [&](size_t above) {
        if (writer.Text().size() <= above) return true;
        bool written = write(writer.Text());
        writer.Clear();
        return written;
    };
    for (size_t s = 0; s < lists.size(); ++s) {
        writer.BeginSection(s);
        const SelectionList& list = lists[s];
        for (size_t i = 0; i < list.size(); ++i) {
            writer.AddEntry(list.Directory(i), list.FileName(i), StyleName(list.Style(i)), list.WithStyle());
            if (!flush(kPart)) return false;
        }
    }
    return flush(0);
}

}  // namespace mx
