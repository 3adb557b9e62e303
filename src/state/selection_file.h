#pragma once
// The selection file MXDATA.MXD: four sections of picture paths, the list the randomizer picks from.
// Reading and writing the text is kept apart from the windows so that it is tested on its own.
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace mx {

struct SelectionEntry {
    std::string fileName;   // the list row's caption
    std::string directory;  // as the entry was given: with or without a trailing backslash
    std::string style;      // wallpapers only
};

// The four lists in file order: start-up, waiting, shut-down, wallpaper.
using SelectionLists = std::array<std::vector<SelectionEntry>, 4>;

inline constexpr std::string_view kDataFileName = "MXDATA.MXD";
inline constexpr std::array<std::string_view, 4> kSectionHeaders = {"[START]", "[WAIT]", "[SHUT]", "[WALLPAPER]"};
inline constexpr size_t kWallpaperSection = 3;

// Index of a category's section (10 -> 0 ... 40 -> 3).
inline size_t SectionOfCategory(int category) { return size_t(category / 10 - 1); }

// Entries of the file's text, appended to `lists`. A file name without a directory is taken to lie
// in `programDir`.
void ParseSelectionFile(std::string_view text, std::string_view programDir, SelectionLists& lists);

// One line of the file for an entry, without its line end.
std::string EntryLine(std::string_view directory, std::string_view fileName, std::string_view style, bool withStyle);

// Appends the whole file's text: four headers, each list's lines, CR LF after every line.
class SelectionFileWriter {
public:
    void BeginSection(size_t section);
    void AddEntry(std::string_view directory, std::string_view fileName, std::string_view style, bool withStyle);
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

std::string FormatSelectionFile(const SelectionLists& lists);

}  // namespace mx
