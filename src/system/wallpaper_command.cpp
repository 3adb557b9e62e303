// The main window's wallpaper command and how the wallpaper covers several monitors. With one
// monitor the hidden preview window renders the pane's picture in the current style (decoding the
// file again for the screen when the pane holds a thumbnail), and its own command converts that
// rendering. With several, every monitor gets its rendering by the way chosen in the Options menu.
#include "app/form_select.h"
#include "app/resource.h"
#include "picture/bmp_writer.h"
#include "picture/decoder.h"
#include "picture/form_preview.h"
#include "picture/picture_win.h"
#include "picture/reader_util.h"
#include "platform/registry.h"
#include "randomizer/resident_link.h"
#include "platform/user_error.h"
#include "state/settings_store.h"
#include "state/settings_values.h"
#include "system/wallpaper.h"

namespace mx {

void TFormSelect::Setascurrentwallpaper1Click() {
    WaitForPreview();
    const MonitorLayout layout = env_.Monitors();
    if (!layout.Single()) {
        SetWallpaperOnMonitors(nullptr, MainWindowMonitor(layout));
        return;
    }
    TFormPreview& preview = FormPreview();
    preview.RenderPreview();
    // The rendering is all the command needs; a hidden window keeps nothing else.
    if (!::IsWindowVisible(preview.Handle())) preview.ReleaseSource();
    preview.SetascurrentWallpaper1Click();
}

size_t TFormSelect::MainWindowMonitor(const MonitorLayout& layout) const {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    return layout.MonitorOf({int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)});
}

// The choice is kept at once, so that the randomizer's next run follows it; after an uninstall in
// this run it is only used.
void TFormSelect::ChangeMonitorCover(int menuId) {
    WallpaperMonitors = MonitorCoverOf(menuId - IDM_MONITORSSAME);
    ::CheckMenuRadioItem(MainMenu1, IDM_MONITORSSAME, IDM_MONITORSACROSS, UINT(menuId), MF_BYCOMMAND);
    if (!Uninstalled) SettingsStore(env_).WriteString(kSelectorSection, kMonitorCoverValue, IntegerText(int(WallpaperMonitors)));
}

void TFormSelect::SetWallpaperOnMonitors(const Rendering* shown, size_t monitor) {
    const std::string style = WindowText(CBStyle);
    LayoutWallpaper wallpaper(env_.Monitors(), WallpaperMonitors, !env_.WallpaperSpans(), DesktopColour());
    const MonitorLayout& layout = wallpaper.Layout();
    if (monitor >= layout.monitors.size()) monitor = 0;
    std::vector<size_t> screens;
    for (size_t s = 0; s < wallpaper.Screens(); ++s) screens.push_back(s);

    // One picture for one monitor: the other monitors keep their parts of the file, when it is the one
    // made for this layout; otherwise they all show this picture.
    WrittenBmpRows earlier;
    if (WallpaperMonitors == MonitorCover::Each) {
        const Rect bounds = layout.Bounds();
        RegistryKey settings(env_, HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\" + kSelectorSection,
                             RegistryKey::Mode::Read);
        if (settings.ReadString(kWallpaperLayoutValue) == LayoutRecord(layout, wallpaper.Tiled()) &&
            earlier.Open(ProgramDir + std::string(kWallpaperFile), {bounds.width, bounds.height})) {
            screens = {monitor};
            // The file is read row by row as its successor is written, bottom row first, and closed
            // after the top one, before its successor takes its place.
            wallpaper.KeepUnrendered([&earlier](int y, uint8_t* row) {
                const bool read = earlier.Row(y, row);
                if (y == 0) earlier.Close();
                return read;
            });
        }
    }
    if (shown && WallpaperMonitors != MonitorCover::Across && !shown->picture.Empty()) {
        wallpaper.Use(monitor, *shown, style);
        std::erase(screens, monitor);
    }
    if (!screens.empty()) {
        const std::optional<ShowRequest> request = wallpaper.RequestFor(style, screens);
        if (!request) return;
        if (PreviewPicture.Empty()) throw UserError(std::string(kUnreadableWallpaper));
        if (PreviewPicture.Serves(*request)) {
            wallpaper.Render(PreviewPicture, style, screens);
        } else {
            // The pane holds a thumbnail: the file is decoded once for what the largest monitor shows.
            DecodedPicture decoded;
            if (DecodePictureFile(WindowText(PnlPreviewName), *request, decoded) != kStatusOk || decoded.Empty())
                throw UserError(std::string(kUnreadableWallpaper));
            wallpaper.Render(std::move(decoded), style, screens);
        }
    }
    ApplyWallpaper(env_, wallpaper, ProgramDir);
    TellResident(ResidentRequest::WallpaperReplaced);
}

}  // namespace mx
