#pragma once
// The plain Windows bitmap reader: file header "BM"; the OS/2 1.x core header, OS/2 2.x headers,
// the Windows information header and its V4 and V5 successors; 1, 4, 8, 16, 24 and 32 bits per
// pixel; uncompressed, bit-field and run-length (RLE8, RLE4) pixel data; rows bottom-up or top-down.
// The picture keeps the file's own depth, colour table and masks.
#include <cstdint>
#include <span>
#include <string>

#include "picture/picture.h"
#include "picture/reader_util.h"

namespace mx {

// Reads a bitmap held in memory. No bytes at all give an empty picture and Ok. On failure the
// target is left as it was.
ReadResult ReadBmp(std::span<const uint8_t> bytes, Picture& target);

// Reads a bitmap file: kStatusOk, kStatusCannotOpen or kStatusFailed; the target is replaced only
// on success.
unsigned ReadBmpFile(const std::string& path, Picture& target);

}  // namespace mx
