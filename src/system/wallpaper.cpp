#include "system/wallpaper.h"

namespace mx {

WallpaperValues DesktopValuesFor(std::string_view style) {
    return {style == "Tiled" ? "1" : "0", style == "Stretched" ? "2" : "0"};
}

WallpaperValues DesktopValuesForLayout(bool tiled) { return {tiled ? "1" : "0", tiled ? "0" : "22"}; }

std::string LayoutRecord(const MonitorLayout& layout, bool tiled) {
    return LayoutText(layout) + (tiled ? " tiled" : " spanned");
}

int ConvertedDepth(int displayBits) {
    return displayBits == 16 || displayBits == 24 || displayBits == 32 ? displayBits : 24;
}

}  // namespace mx
