#pragma once
// PNG files through libpng: every colour type and depth, palettes, grey, 16-bit samples (their high
// byte), interlaced rows, transparency from an alpha channel or a transparent colour or palette
// entry. Like the other readers, a file that is refused leaves the target as it was.
#include <cstdint>
#include <span>

#include "picture/picture.h"
#include "picture/reader_util.h"

namespace mx {

// Whether the bytes start as a PNG file does.
bool LooksLikePng(std::span<const uint8_t> bytes);

// Decodes into a 24-bit picture, or a 32-bit one with its transparency (Picture::alpha) when any pixel
// is not opaque. Palette indices past the palette are black, as libpng gives them. Malformed when
// libpng cannot decode every row; TooLarge, from the header alone, when the picture exceeds the
// program's limits; Refused when the image data are too few to inflate to the rows the header
// claims, or inflate to more than them (a decompression bomb), which is found after the last row
// without inflating the rest.
ReadResult ReadPng(std::span<const uint8_t> bytes, Picture& target);

}  // namespace mx
