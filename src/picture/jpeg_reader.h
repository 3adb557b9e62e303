#pragma once
// JPEG files through libjpeg-turbo: grey, YCbCr, RGB, CMYK and YCCK; baseline, progressive and
// arithmetic-coded. Like ReadBmp, a picture that is refused leaves the target as it was.
#include <cstdint>
#include <span>

#include "picture/picture.h"
#include "picture/reader_util.h"

namespace mx {

// Whether the bytes start as a JPEG file does (a start-of-image marker).
bool LooksLikeJpeg(std::span<const uint8_t> bytes);

// Decodes into a 24-bit picture, reusing the target's storage when it fits. A file that ends early
// or whose data goes bad shows what was decoded up to there; the rest is grey, as libjpeg shows
// missing data. Malformed when there is no scan to decode; TooLarge, from the headers alone, when
// the picture exceeds the program's limits.
ReadResult ReadJpeg(std::span<const uint8_t> bytes, Picture& target);

}  // namespace mx
