#pragma once
// The PCX reader: 1, 2, 4 and 8 bits per pixel in one to four planes, the 16-colour palette of the
// header, the 256-colour palette at the end of the file, 24-bit colour as three planes of 8 bits,
// run-length encoded or plain. Indexed pictures come out as 8 bits per pixel with their palette,
// colour ones as 24 bits per pixel.
#include <cstdint>
#include <span>

#include "picture/picture.h"
#include "picture/reader_util.h"

namespace mx {

// Whether the bytes begin with a PCX header this reader would look at: manufacturer byte 0x0A, a
// known version, encoding and depth. Cheap, for choosing a reader by content.
bool LooksLikePcx(std::span<const uint8_t> bytes);

// Reads a PCX picture held in memory. On failure the target is left as it was.
ReadResult ReadPcx(std::span<const uint8_t> bytes, Picture& target);

}  // namespace mx
