#pragma once
// Making a picture the desktop wallpaper. The system is never handed the chosen file: the picture as
// the style renders it is written as a bitmap of the display's own depth, @MX!BACK.BMP in the program
// directory, and the desktop values name that file and say how to lay it out.
#include <chrono>
#include <string>
#include <string_view>

#include "picture/layout_wallpaper.h"
#include "picture/picture.h"

namespace mx {

class Environment;

inline constexpr std::string_view kWallpaperFile = "@MX!BACK.BMP";
// The longest wallpaper path the system takes, in characters (UTF-16 units).
inline constexpr size_t kMaxWallpaperPath = 255;

// The desktop values for a style (the style box's text, compared exactly): "TileWallpaper" is "1"
// for Tiled only; "WallpaperStyle", written only where the desktop already has it, "2" for
// Stretched only.
struct WallpaperValues {
    const char* tileWallpaper;
    const char* wallpaperStyle;
};
WallpaperValues DesktopValuesFor(std::string_view style);

// The desktop values of a file made for several monitors: spanned over the virtual screen
// ("WallpaperStyle" "22", written only where the desktop already has it, "TileWallpaper" "0"), or,
// on systems before Windows 8, tiled from the primary monitor's corner ("1" and "0").
WallpaperValues DesktopValuesForLayout(bool tiled);

// The settings' record of the layout the wallpaper file was last made for, when it was made for
// several monitors: LayoutText and how the system lays it out, as in "1920x1080+0+0,1080x1920+1920+0
// spanned".
inline constexpr const char* kWallpaperLayoutValue = "Wallpaper Layout";
std::string LayoutRecord(const MonitorLayout& layout, bool tiled);

// The depth the converted file is written at for a display of `displayBits` per pixel: the display's
// own for 16, 24 and 32 bits; 24 for any other.
int ConvertedDepth(int displayBits);

// What the user is told when there is no picture to make the wallpaper of.
inline constexpr std::string_view kUnreadableWallpaper =
    "The picture cannot be read, so the wallpaper was not changed.";

// Writes `rendering` (what the preview window shows for the style; transparent pixels over the
// desktop colour) as the converted wallpaper in `programDir`, sets the desktop values where the
// desktop key exists, and tells the system. Raises the error the user sees when there is no picture
// (an unreadable file renders none), the path is too long for the system, the file cannot be written
// or a desktop value cannot be set; nothing is changed in the first two cases, and the system is told
// only when everything before it went through.
void ApplyWallpaper(Environment& env, const Picture& rendering, std::string_view style, const std::string& programDir);

// The same for the wallpaper of a monitor layout: with one monitor exactly the above for its
// rendering and style; with several, the composed file, the values of DesktopValuesForLayout, and
// the layout's record in the settings. Raises the error of no picture when a monitor would have none.
// Returns how long writing the file took, of the whole. `displayBits`, when known, is the display's
// depth, which is otherwise asked for.
std::chrono::steady_clock::duration ApplyWallpaper(Environment& env, const LayoutWallpaper& wallpaper,
                                                   const std::string& programDir, int displayBits = 0);

}  // namespace mx
