#pragma once
// The wallpaper of a monitor layout. Every monitor gets a rendering made for its own size and shape
// (or, across all monitors, one rendering of the virtual screen shows each monitor its part), and
// the renderings are composed into the one file the system shows: with one monitor the rendering
// itself, as a single screen has always had it; with several, a picture of the virtual screen's
// size, made row by row from the renderings as it is written.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "picture/monitor_layout.h"
#include "picture/render.h"

namespace mx {

// The three ways the wallpaper covers several monitors, numbered as the settings keep them.
enum class MonitorCover : int {
    Same = 0,    // each monitor shows the picture rendered in its style for it
    Each = 1,    // each monitor shows a picture of its own
    Across = 2,  // the picture rendered over the virtual screen, each monitor showing its part
};
// The way a stored number names; any other number is the first.
MonitorCover MonitorCoverOf(int stored);
// "Same Picture on Every Monitor", "A Picture for Each Monitor", "One Picture Across All Monitors".
std::string_view MonitorCoverName(MonitorCover cover);

class LayoutWallpaper {
public:
    // `tiled`: the system tiles the file from the primary monitor's top-left corner (systems before
    // Windows 8), so that corner is the file's first pixel and what lies left of or above it wraps
    // round to the file's far side. Otherwise the system spans the file over the virtual screen.
    // `background` is the desktop's colour (0x00RRGGBB), shown where no picture is.
    LayoutWallpaper(MonitorLayout layout, MonitorCover cover, bool tiled, uint32_t background);

    const MonitorLayout& Layout() const { return layout_; }
    MonitorCover Cover() const { return cover_; }
    bool Tiled() const { return tiled_; }
    bool Single() const { return layout_.Single(); }

    // What pictures are rendered for, the screens: each monitor in the layout's order, or, across all
    // monitors, the virtual screen alone.
    size_t Screens() const { return sizes_.size(); }
    Size ScreenSize(size_t screen) const { return sizes_[screen]; }
    // The screens one picture shows on: every screen, but in "A Picture for Each Monitor" one only.
    std::vector<std::vector<size_t>> ScreensPerPicture() const;

    // The request that serves each of the screens in the style: the largest of theirs (for Fill on
    // screens of several shapes, the whole picture at the size that covers each). Nothing for a style
    // text that names no style.
    std::optional<ShowRequest> RequestFor(std::string_view style, const std::vector<size_t>& screens) const;
    // Renders the source in the style for each of the screens, the largest last, which may take the
    // source's pixels; the source is let go afterwards.
    void Render(DecodedPicture&& source, std::string_view style, const std::vector<size_t>& screens);
    void Render(const DecodedPicture& source, std::string_view style, const std::vector<size_t>& screens);
    // A screen's rendering made elsewhere (what the full-screen preview shows), which must outlive
    // this.
    void Use(size_t screen, const Rendering& rendering, std::string_view style);
    // Where no screen is rendered, the file's row y comes from `rows` (the file made before for the
    // same layout), or the desktop's colour where it gives none. `rows` is asked for every row, those
    // the screens cover whole too, so that it sees the last row and can let its file go.
    void KeepUnrendered(std::function<bool(int y, uint8_t* row)> rows) { kept_ = std::move(rows); }

    bool Rendered(size_t screen) const { return shown_[screen] != nullptr; }
    // The style of a screen's picture as it was rendered.
    const std::string& Style(size_t screen) const { return styles_[screen]; }
    // Whether every monitor shows a picture: each screen is rendered with one, or the rows of the
    // earlier file are kept.
    bool Complete() const;

    // The file's size: with one monitor the rendering's, with several the virtual screen's.
    Size FileSize() const;
    // The file's row y (0 the top) as FileSize().width 32-bit pixels, transparent ones over the
    // background.
    void Row(int y, uint8_t* row) const;

private:
    // Where a monitor's pixels come from: the rendering shown on it, with its top-left corner at
    // (left, top) on the virtual screen.
    struct Placement {
        Rect monitor;
        const Rendering* rendering;
        int left, top;
    };
    std::vector<Placement> Placements() const;
    void FillSpan(int virtualLeft, int count, uint8_t* row) const;
    void DrawSpan(const Placement& p, int virtualRow, uint8_t* row) const;

    MonitorLayout layout_;
    MonitorCover cover_;
    bool tiled_;
    uint32_t background_;
    Rect bounds_;
    std::vector<Size> sizes_;
    std::vector<Rendering> own_;
    std::vector<const Rendering*> shown_;
    std::vector<std::string> styles_;
    std::function<bool(int y, uint8_t* row)> kept_;
};

}  // namespace mx
