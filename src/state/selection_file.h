#pragma once
// The selection file MXDATA.MXD: four sections of picture paths, the list the randomizer picks from.
// This is the one reader and the one writer of its text, used by the selector and the randomizer alike;
// they are kept apart from the windows so that they are tested on their own.
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "lists/selection_list.h"

namespace mx {

inline constexpr std::string_view kDataFileName = "MXDATA.MXD";
inline constexpr std::array<std::string_view, 4> kSectionHeaders = {"[START]", "[WAIT]", "[SHUT]", "[WALLPAPER]"};
inline constexpr size_t kWallpaperSection = 3;

// Index of a category's section (10 -> 0 ... 40 -> 3).
inline size_t SectionOfCategory(int category) { return size_t(category / 10 - 1); }

// Entries of the file's text, appended to `lists` in the file's order. A file name without a directory
// is taken to lie in `programDir`.
void ParseSelectionFile(std::string_view text, std::string_view programDir, SelectionLists& lists);

// Appends the whole file's text: four headers, each list's lines, CR LF after every line.
class SelectionFileWriter {
public:
    void BeginSection(size_t section);
    void AddEntry(std::string_view directory, std::string_view fileName, std::string_view style, bool withStyle);
    const std::string& Text() const { return text_; }
    void Reserve(size_t bytes) { text_.reserve(bytes); }
    void Clear() { text_.clear(); }

private:
    std::string text_;
};

std::string FormatSelectionFile(const SelectionLists& lists);
// The same text handed to `write` a part at a time, so that a large file is never held whole; false as
// soon as a write fails, and nothing is written after it.
bool WriteSelectionFile(const SelectionLists& lists, const std::function<bool(std::string_view)>& write);

}  // namespace mx
