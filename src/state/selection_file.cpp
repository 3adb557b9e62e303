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

std::string_view StyleOfTail(std::string_view tail) {
    std::string upper = UpperAscii(tail);
    std::string_view style = kDefaultStyle;
    for (std::string_view name : kStyleSearchOrder)
        if (upper.find(UpperAscii(name)) != std::string::npos) style = name;
    return style;
}

}  // namespace

void ParseSelectionFile(std::string_view text, std::string_view programDir, SelectionLists& lists) {
    // A Ctrl-Z marks the end of the file.
    if (size_t eof = text.find(kCtrlZ); eof != std::string_view::npos) text = text.substr(0, eof);

    std::vector<SelectionEntry>* section = nullptr;
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

        SelectionEntry entry;
        if (wallpaper) {
            size_t comma = line.find(',');
            entry.style = comma == std::string_view::npos ? kDefaultStyle : StyleOfTail(line.substr(comma));
            line = line.substr(0, comma);
        }
        size_t cut = line.find_last_of("\\:");
        if (cut == std::string_view::npos) {
            entry.fileName = line;
            entry.directory = programDir;
        } else {
            entry.fileName = line.substr(cut + 1);
            entry.directory = line.substr(0, cut + 1);
        }
        section->push_back(std::move(entry));
    }
}

std::string EntryLine(std::string_view directory, std::string_view fileName, std::string_view style, bool withStyle) {
    std::string line = JoinPath(directory, fileName);
    if (withStyle) {
        line += ", ";
        line += style;
    }
    return line;
}

void SelectionFileWriter::BeginSection(size_t section) {
    if (section > 0) text_ += "\r\n";
    text_ += kSectionHeaders[section];
    text_ += "\r\n";
}

void SelectionFileWriter::AddEntry(std::string_view directory, std::string_view fileName, std::string_view style,
                                   bool withStyle) {
    text_ += EntryLine(directory, fileName, style, withStyle);
    text_ += "\r\n";
}

std::string FormatSelectionFile(const SelectionLists& lists) {
    SelectionFileWriter writer;
    for (size_t s = 0; s < lists.size(); ++s) {
        writer.BeginSection(s);
        for (const SelectionEntry& e : lists[s])
            writer.AddEntry(e.directory, e.fileName, e.style, s == kWallpaperSection);
    }
    return writer.Text();
}

}  // namespace mx
