#pragma once
// Nearest-pixel scaling of a picture, as the preview window shows a rendering whose scaling flag is
// on, and the row converters that turn pixels of any depth into 0x00RRGGBB words.
#include <array>
#include <cstdint>

#include "picture/picture.h"

namespace mx {

// The source column (or row) that destination column (or row) d shows when srcSize pixels are
// scaled to dstSize: floor(d * srcSize / dstSize), the mapping of the platform's colour-on-colour
// stretching. Whole columns and rows are dropped or repeated; nothing is blended.
inline int NearestSource(int d, int srcSize, int dstSize) {
    return int(int64_t(d) * srcSize / dstSize);
}

// Reads rows of a picture of any depth as 32-bit pixels (bytes blue, green, red, 0: a 32-bit
// device-independent row), giving each pixel the colour Picture::ColorAt gives it; a picture with
// transparency keeps each pixel's opacity in the fourth byte. The tables it
// needs for the picture's depth are made once, so that it can be used row after row.
class PixelReader {
public:
    explicit PixelReader(const Picture& picture);

    // Writes pixels 0 to count - 1 of row y to out (4 * count bytes).
    void Convert(int y, int count, uint8_t* out) const { ConvertFrom(y, 0, count, out); }
    // Writes pixels first to first + count - 1 of row y to out (4 * count bytes).
    void ConvertFrom(int y, int first, int count, uint8_t* out) const;
    // Writes pixels (columns[k], y), k < count, to out (4 * count bytes).
    void Sample(int y, const int* columns, int count, uint8_t* out) const;

private:
    struct Channel {
        int shift = 0;
        uint32_t mask = 0;  // after the shift
        int down = -1;      // fields of 8 bits or more are shifted down this far; -1: use the table
        std::array<uint8_t, 256> table{};
        uint32_t Of(uint32_t value) const;
    };
    enum class Kind { Unknown, Indexed, Rgb24, Rgb32, Masked, Generic };

    uint32_t Masked(uint32_t value) const;

    const Picture& picture_;
    Kind kind_ = Kind::Unknown;
    uint32_t kept_ = 0xFFFFFF;  // the bits of a 32-bit pixel that Rgb32 keeps
    std::array<uint32_t, 256> palette_{};
    std::array<Channel, 3> channels_{};
};

// Makes `out` a 32-bit picture of width x height showing `source` scaled by nearest pixel, with the
// source's transparency. Reuses the storage `out` already has. An empty source or size gives an
// empty picture.
void ScaleNearest(const Picture& source, int width, int height, Picture& out);

// A picture holds what its dimensions and depth promise: pixel storage for every row. Pictures that
// do not are treated as empty by the drawing code rather than read out of bounds.
bool HasPixels(const Picture& picture);

}  // namespace mx
