#pragma once
// Showing a picture with transparency over a background colour: the pane's colour in the pane, the
// desktop's in the full-screen window and the wallpaper.
#include <cstdint>

#include "picture/picture.h"

namespace mx {

// Blends count 32-bit pixels (blue, green, red, opacity) over the background (0x00RRGGBB) in place;
// each pixel's fourth byte becomes 0, as in a picture without transparency.
void BlendRow(uint8_t* row, int count, uint32_t background);

// Shows a picture with transparency over the background, in place: afterwards it has none. Pictures
// without transparency are left as they are.
void ComposeOver(Picture& picture, uint32_t background);

}  // namespace mx
