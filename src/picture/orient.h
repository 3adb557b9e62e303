#pragma once
// Turning a decoded picture upright by its orientation value (see exif_orientation.h).
#include "picture/picture.h"

namespace mx {

// Whether the orientation swaps width and height (5 to 8). A decode that is scaled to the size the
// picture is shown at must swap the shown size's sides for these before choosing its scale, and turn
// the picture upright after the scaled decode.
inline bool SwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

// Turns the picture upright: 2, 3 and 4 in place; 5 to 8 into new storage of the picture's own size,
// written once in blocks that stay in the cache, the old storage given up after. Any other value
// leaves the picture as it is, and so do pictures of fewer than 8 bits per pixel, which no reader
// that reports an orientation makes.
void TurnUpright(Picture& picture, int orientation);

// Where a part of the upright picture (of `upright` size) lies in the picture as stored, and back.
Rect StoredRect(const Rect& part, Size upright, int orientation);
Rect UprightRect(const Rect& part, Size stored, int orientation);

}  // namespace mx
