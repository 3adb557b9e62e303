#pragma once
// What the picture readers share: their statuses, the size limits they enforce before allocating,
// little-endian field access, and reading a whole file into memory.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "picture/picture.h"

namespace mx {

// Statuses of loading a picture file, as the callers of LoadPicture see them.
inline constexpr unsigned kStatusOk = 0;
inline constexpr unsigned kStatusCannotOpen = 10;
inline constexpr unsigned kStatusFailed = 100;

// How a reader ended. The wallpaper decoder treats a malformed file as "no picture" but still
// refuses an oversized one, so the two failures are kept apart until the status is made. Refused is
// a malformed file that claims far more than its bytes can hold (a few bytes asking for an enormous
// picture, image data that inflate past the picture): no picture either, and the system's decoders
// are not asked to try it, since they would do the work the reader refused. Only the system's
// decoders fail by crashing or hanging (DecoderFailed), which is no picture too.
enum class ReadResult { Ok, Malformed, TooLarge, Refused, DecoderFailed };

inline unsigned StatusOf(ReadResult result) { return result == ReadResult::Ok ? kStatusOk : kStatusFailed; }

// Whether a picture of this size may be allocated: each side at most kMaxPictureSide and its rows at
// most kMaxPictureBytes. Sides must be positive.
bool PictureSizeAllowed(int64_t width, int64_t height, int bitsPerPixel);

inline uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The largest file a reader takes in: the largest picture allowed plus room for headers and tables.
inline constexpr size_t kMaxPictureFileBytes = kMaxPictureBytes + (size_t(1) << 20);

// Reads the whole file. Returns kStatusOk, kStatusCannotOpen when it cannot be opened (missing, a
// directory, no permission), or kStatusFailed when reading fails later or the file is larger than
// kMaxPictureFileBytes.
unsigned ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes);

}  // namespace mx
