#pragma once
// GIF files through giflib: the first frame, drawn on the logical screen.
#include <cstdint>
#include <span>

#include "picture/picture.h"
#include "picture/reader_util.h"

namespace mx {

bool LooksLikeGif(std::span<const uint8_t> bytes);

// Decodes the first frame into a 24-bit picture of the logical screen's size (the frame's extent
// when the screen has none), the rest of the screen in the background colour. The frame's colours
// come from its local table, else the global one, else a grey ramp (index i is grey level i);
// indices past the table are black. Pictures have no alpha: a transparent index shows the colour
// its table entry names. A frame whose data ends early keeps the rows read. Malformed when there
// is no frame; TooLarge, from the headers alone, when the screen exceeds the program's limits.
// A picture that is refused leaves the target as it was.
ReadResult ReadGif(std::span<const uint8_t> bytes, Picture& target);

}  // namespace mx
