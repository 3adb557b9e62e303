#pragma once
// Drawing a picture the way the desktop shows it as a wallpaper in one of the five styles, or, for
// the boot-screen categories, stretched over the whole preview window. The result is what the preview
// window's image control holds, and what the wallpaper command converts into the wallpaper file.
#include <string_view>

#include "picture/picture.h"

namespace mx {

struct Size {
    int width = 0;
    int height = 0;
};

// Where the preview window shows its picture.
struct ImageArea {
    bool wholeClient = true;  // the whole client area, following the window's size
    // The rectangle in client coordinates; for the whole client area, the client size at rendering.
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// What the preview window's image control holds. Outside the area the desktop colour shows.
struct Rendering {
    Picture picture;      // P
    ImageArea area;
    // On: P is scaled to fill the area exactly, each direction on its own (nearest pixel). Off: P is
    // shown at its own size from the area's top-left corner, cut off at the area's edges.
    bool scaled = false;
};

struct RenderReport {
    bool rendered = false;               // false: the style text named no style; the rendering is unchanged
    bool wallpaperItemsVisible = false;  // "Set as current Wallpaper" and the separator before it
};

// Renders `source` for the category (a ScreenCategory code) and the style box's text into `out`,
// reusing the storage `out` already holds. `screen` is the whole screen's size, `client` the size of
// the preview window's client area.
//
// Boot-screen categories stretch a copy of the picture over the whole client area whatever the
// style. For wallpapers the style text must equal one of the five names exactly; "Tiled" and
// "Mirror" make a 32-bit picture of the screen's size, the other styles keep a copy of the source and
// place or scale it through the area alone. An empty source never reaches a division: it renders as
// an empty picture, so only the desktop colour shows (Centred and Fit 2 Screen still place their
// empty area where the arithmetic puts it).
RenderReport RenderStyle(const Picture& source, std::string_view style, int category, Size screen, Size client,
                         Rendering& out);

// x rounded to the nearest integer, halves to the even neighbour (2.5 gives 2, 3.5 gives 4),
// whatever the floating-point rounding mode.
long double RoundHalfEven(long double x);

// Fills `out` (resized to size, 32 bits per pixel, with the source's transparency) with tiles of
// `source` at its own size from the top-left corner; with `mirror`, every odd column of tiles is mirrored left to right and every odd
// row top to bottom, so that neighbouring tiles meet at matching pixels.
void FillWithTiles(const Picture& source, Size size, bool mirror, Picture& out);

}  // namespace mx
