#pragma once
// Drawing a picture the way the desktop shows it as a wallpaper in one of the six styles, or, for
// the boot-screen categories, stretched over the whole preview window. The result is what the preview
// window's image control holds, and what the wallpaper command writes as the wallpaper file.
#include <cstdint>
#include <string_view>

#include "picture/picture.h"
#include "picture/shown_picture.h"

namespace mx {

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
// the preview window's client area, `background` the desktop's colour (0x00RRGGBB). The source is
// decoded whole or for RequestForStyle of the same style, category and screen; a source reduced
// further than that still renders, enlarged.
//
// Boot-screen categories stretch a copy of the picture over the whole client area whatever the
// style. For wallpapers the style text must equal one of the six names exactly, and P is what the
// desktop shows on the screen, so that the wallpaper file is it:
// - "Centred": the part of the picture a screen-sized area centred on it shows (all of it when it
//   fits, the centred crop otherwise), unscaled, placed where the picture centred on the window puts
//   that part;
// - "Stretched": the picture scaled to the screen's size;
// - "Fit 2 Screen": a screen-sized picture of the background with the picture scaled into its
//   FittedArea;
// - "Tiled" and "Mirror": a screen-sized picture covered with tiles of the picture at its own size;
// - "Fill": the picture scaled to its FilledArea, of which the screen shows the middle.
// "Stretched", "Fit 2 Screen" and "Fill" are shown scaled to the whole client area, which is the screen when
// the window is maximised. An empty source renders an empty P, so that only the desktop colour shows.
RenderReport RenderStyle(const DecodedPicture& source, std::string_view style, int category, Size screen, Size client,
                         uint32_t background, Rendering& out);

// The same, taking the source's pixels as P, instead of a copy, where P is exactly them (a part or a
// reduction decoded for this style and screen).
RenderReport RenderStyle(DecodedPicture&& source, std::string_view style, int category, Size screen, Size client,
                         uint32_t background, Rendering& out);

// Fills `out` (resized to size, 32 bits per pixel, with the source's transparency) with tiles of
// `source` at its own size from the top-left corner; with `mirror`, every odd column of tiles is mirrored left to right and every odd
// row top to bottom, so that neighbouring tiles meet at matching pixels.
void FillWithTiles(const Picture& source, Size size, bool mirror, Picture& out);

}  // namespace mx
