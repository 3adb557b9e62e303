#include "system/wallpaper.h"

namespace mx {

WallpaperValues DesktopValuesFor(std::string_view style) {
    return {style == "Tiled" ? "1" : "0", style == "Stretched" ? "2" : "0"};
}

int ConvertedDepth(int displayBits) {
    return displayBits == 16 || displayBits == 24 || displayBits == 32 ? displayBits : 24;
}

}  // namespace mx
