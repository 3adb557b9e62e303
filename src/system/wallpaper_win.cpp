#include <windows.h>

#include <chrono>

#include "picture/bmp_writer.h"
#include "picture/picture_win.h"
#include "picture/scale.h"
#include "picture/transparency.h"
#include "platform/code_page.h"
#include "platform/environment.h"
#include "platform/file_replacement.h"
#include "platform/registry.h"
#include "platform/user_error.h"
#include "state/settings_store.h"
#include "system/wallpaper.h"

namespace mx {

namespace {

// Writes the file from its rows, sets the desktop values where the desktop key exists, and tells the
// system; `layout` is recorded in the settings first when the file is made for several monitors.
std::chrono::steady_clock::duration Apply(Environment& env, Size size, const BmpRowSource& rows, WallpaperValues values,
                                          const std::string& layout, const std::string& programDir,
                                          int displayBits = 0) {
    std::string path = programDir + std::string(kWallpaperFile);
    if (Widen(path).size() > kMaxWallpaperPath)
        throw UserError("The wallpaper cannot be set: the program's directory path is too long.");
    // Written beside it first and moved over it whole: a write that breaks off never leaves the
    // desktop's current wallpaper file half made.
    const auto start = std::chrono::steady_clock::now();
    FileReplacement file(path);
    if (!file.Create() ||
        !WriteBmpRows(size, ConvertedDepth(displayBits ? displayBits : env.DisplayBitsPerPixel()), file.TakeStream(),
                      rows) ||
        !file.Commit())
        throw UserError("Cannot create file \"" + path + "\"");
    const auto written = std::chrono::steady_clock::now() - start;
    // The record only lets the selector keep the other monitors' parts of this file: without it
    // they are made again.
    if (!layout.empty()) {
        try {
            SettingsStore(env).WriteString(kSelectorSection, kWallpaperLayoutValue, layout);
        } catch (const UserError&) {
        }
    }

    // Only a desktop key that exists is written to; "WallpaperStyle" is never created.
    RegistryKey desktop = RegistryKey::ExistingForWriting(env, HKEY_CURRENT_USER, kDesktopKey, "Wallpaper");
    if (desktop) {
        desktop.WriteString("Wallpaper", path);
        desktop.WriteString("TileWallpaper", values.tileWallpaper);
        if (desktop.ValueExists("WallpaperStyle")) desktop.WriteString("WallpaperStyle", values.wallpaperStyle);
    }
    env.SetDesktopWallpaper(path);
    return written;
}

}  // namespace

void ApplyWallpaper(Environment& env, const Picture& rendering, std::string_view style, const std::string& programDir) {
    if (rendering.Empty()) throw UserError(std::string(kUnreadableWallpaper));
    const uint32_t background = DesktopColour();
    PixelReader reader(rendering);
    Apply(env, {rendering.width, rendering.height}, [&](int y, uint8_t* row) {
        reader.Convert(y, rendering.width, row);
        if (rendering.alpha) BlendRow(row, rendering.width, background);
    }, DesktopValuesFor(style), "", programDir);
}

std::chrono::steady_clock::duration ApplyWallpaper(Environment& env, const LayoutWallpaper& wallpaper,
                                                   const std::string& programDir, int displayBits) {
    if (!wallpaper.Complete()) throw UserError(std::string(kUnreadableWallpaper));
    const bool single = wallpaper.Single();
    return Apply(env, wallpaper.FileSize(), [&](int y, uint8_t* row) { wallpaper.Row(y, row); },
          single ? DesktopValuesFor(wallpaper.Style(0)) : DesktopValuesForLayout(wallpaper.Tiled()),
          single ? "" : LayoutRecord(wallpaper.Layout(), wallpaper.Tiled()), programDir, displayBits);
}

}  // namespace mx
