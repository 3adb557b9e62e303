#pragma once
// The file browser's two filter texts: pairs of description and mask, separated by "|".
#include <string>
#include <string_view>
#include <vector>

namespace mx {

inline constexpr std::string_view kBootScreenFilter =
    "All usable files (*.bmp, *.sys)|*.bmp;*.sys;|Windows Bitmaps (*.bmp)|*.bmp|System Files (*.sys)|*.sys|"
    "All files (*.*)|*.*";

// The wallpaper filter offers what the wallpaper decoder reads: first the files of the program's
// first wallpaper filter in their order (whose mask also offers *.jif, which its description does not
// name), then PNG and WebP, then the extensions of the system's decoders ("*.tif") that are not
// already there, each once, compared without regard to case. Extensions that are not a dot and
// letters, digits, "-" or "_" are passed over.
std::string WallpaperFilterText(const std::vector<std::string>& systemExtensions);

// The wallpaper filter of this machine, made once per run from its system's decoders (Windows only).
const std::string& WallpaperFilter();

// The mask of a category's first filter ("All usable files"): the files a folder entry of its list
// takes (Windows only).
std::string UsableFilesMask(int category);

}  // namespace mx
