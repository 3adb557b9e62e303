#pragma once
// Reading a directory for the browser, and filling its list boxes quickly.
#include <windows.h>

#include <string>
#include <vector>

#include "lists/file_masks.h"

namespace mx {

struct DirectoryContents {
    std::vector<std::string> files;           // ordinary files: not directories, hidden or system files
    std::vector<std::string> subdirectories;  // not hidden, without "." and ".."
};

// Reads the names in `dir`; false with the system's error code when the directory cannot be opened.
bool ReadDirectory(const std::string& dir, DirectoryContents& contents, DWORD& error);

// Keeps the names that match the mask and sorts them as a sorted list box orders its rows.
std::vector<std::string> MatchingNamesSorted(std::vector<std::string> names, const FileMask& mask);

// Sorts names with the comparison of a sorted list box (the user's locale, case ignored).
void SortAsListBox(std::vector<std::string>& names);

// Replaces the rows of a list box, appending them in the given order without redrawing in between.
void FillListBox(HWND list, const std::vector<std::string>& rows);

}  // namespace mx
