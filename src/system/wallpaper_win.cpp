#include <windows.h>

#include "picture/bmp_writer.h"
#include "picture/picture_win.h"
#include "platform/code_page.h"
#include "platform/environment.h"
#include "platform/file_replacement.h"
#include "platform/registry.h"
#include "platform/user_error.h"
#include "state/settings_store.h"
#include "system/wallpaper.h"

namespace mx {

void ApplyWallpaper(Environment& env, const Picture& rendering, std::string_view style, const std::string& programDir) {
    if (rendering.Empty()) throw UserError(std::string(kUnreadableWallpaper));
    std::string path = programDir + std::string(kWallpaperFile);
    if (Widen(path).size() > kMaxWallpaperPath)
        throw UserError("The wallpaper cannot be set: the program's directory path is too long.");
    // Written beside it first and moved over it whole: a write that breaks off never leaves the
    // desktop's current wallpaper file half made.
    FileReplacement file(path);
    if (!file.Create() ||
        !WriteBmpAtDepth(rendering, ConvertedDepth(env.DisplayBitsPerPixel()), file.TakeStream(), DesktopColour()) ||
        !file.Commit())
        throw UserError("Cannot create file \"" + path + "\"");

    // Only a desktop key that exists is written to; "WallpaperStyle" is never created.
    RegistryKey desktop = RegistryKey::ExistingForWriting(env, HKEY_CURRENT_USER, kDesktopKey, "Wallpaper");
    if (desktop) {
        WallpaperValues values = DesktopValuesFor(style);
        desktop.WriteString("Wallpaper", path);
        desktop.WriteString("TileWallpaper", values.tileWallpaper);
        if (desktop.ValueExists("WallpaperStyle")) desktop.WriteString("WallpaperStyle", values.wallpaperStyle);
    }
    env.SetDesktopWallpaper(path);
}

}  // namespace mx
