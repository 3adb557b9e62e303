#pragma once
// The file browser's two filter texts: pairs of description and mask, separated by "|".
#include <string_view>

namespace mx {

inline constexpr std::string_view kBootScreenFilter =
    "All usable files (*.bmp, *.sys)|*.bmp;*.sys;|Windows Bitmaps (*.bmp)|*.bmp|System Files (*.sys)|*.sys|"
    "All files (*.*)|*.*";

// The mask also offers *.jif, which the description does not name.
inline constexpr std::string_view kWallpaperFilter =
    "All usable files (*.bmp, *.jpg, *.jpeg, *.gif, *.dib, *.rle, *.tga, *.pcx, *.sys)|"
    "*.bmp;*.jpg;*.jpeg;*.jif;*.gif;*.dib;*.rle;*.tga;*.pcx;*.sys;|Windows Bitmaps (*.bmp)|*.bmp|"
    "System Files (*.sys)|*.sys|All files (*.*)|*.*";

}  // namespace mx
