#pragma once
// WebP files through libwebp: lossy, lossless, with transparency, and animations, of which the first
// frame is shown on the animation's canvas, as for GIF. Like the other readers, a file that is
// refused leaves the target as it was.
#include <cstdint>
#include <span>

#include "picture/picture.h"
#include "picture/reader_util.h"

namespace mx {

// Whether the bytes start as a WebP file does (a RIFF file of the WEBP form).
bool LooksLikeWebp(std::span<const uint8_t> bytes);

// Decodes into a 24-bit picture, or a 32-bit one with its transparency (Picture::alpha) when the
// file has any; the part of an animation's canvas that its first frame leaves uncovered is
// transparent. Malformed when libwebp cannot decode the whole picture (a file that ends early among
// them); TooLarge, from the headers alone, when the picture exceeds the program's limits; Refused,
// before any storage is made, when a lossy frame or an animation's canvas is larger than the file's
// bytes could describe, or a lossless frame that is fails to decode whole.
ReadResult ReadWebp(std::span<const uint8_t> bytes, Picture& target);

}  // namespace mx
