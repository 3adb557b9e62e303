#pragma once
// A picture in memory, in the pixel layout of a device-independent bitmap so that it reaches the
// screen without conversion: rows top-down, each padded to a multiple of four bytes, pixels packed
// at the picture's own depth. The depth, the colour table and the bit-field masks of the file it
// came from are kept, because the boot-screen checks and the file information need them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace mx {

// Pixel format classes, in this order (codes 0 to 8).
enum class PixelFormat : uint8_t {
    Device,  // held in the display's own format
    Bits1,
    Bits4,
    Bits8,
    Bits15,  // 16 bits, 5-5-5 without masks
    Bits16,  // 16 bits with masks, green 0x07E0 (5-6-5)
    Bits24,
    Bits32,  // 32 bits without masks
    Custom,  // any other masks or depth
};

std::string_view PixelFormatName(PixelFormat format);

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

// A rectangle of pixels: columns left to left + width - 1, rows top to top + height - 1.
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool Contains(const Rect& r) const {
        return r.left >= left && r.top >= top && r.Right() <= Right() && r.Bottom() <= Bottom();
    }
};

struct Picture {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;  // 1, 4, 8, 16, 24 or 32; 0 for an empty picture
    PixelFormat format = PixelFormat::Device;
    // Red, green and blue masks of 16- and 32-bit pixels; for 16 bits without masks 5-5-5, for
    // 32 bits without masks 0x00FF0000, 0x0000FF00, 0x000000FF.
    std::array<uint32_t, 3> masks{};
    // Only for 32-bit pictures with the plain masks: the fourth byte of each pixel is its opacity (0
    // transparent to 255 opaque; the colour is not premultiplied by it). Drawing shows such a picture
    // over a colour of its own choosing (ComposeOver); code that ignores the flag sees the colours as
    // stored.
    bool alpha = false;
    // Colour table of pictures of 8 bits per pixel or fewer, as 0x00RRGGBB (RGBQUAD order in memory).
    std::vector<uint32_t> palette;
    std::vector<uint8_t> pixels;  // height rows of Stride() bytes, top row first

    bool Empty() const { return width <= 0 || height <= 0; }
    size_t Stride() const { return StrideFor(width, bitsPerPixel); }
    const uint8_t* Row(int y) const { return pixels.data() + size_t(y) * Stride(); }
    uint8_t* Row(int y) { return pixels.data() + size_t(y) * Stride(); }

    // The colour of one pixel as 0x00RRGGBB, whatever the depth.
    uint32_t ColorAt(int x, int y) const;

    static size_t StrideFor(int width, int bitsPerPixel) {
        return ((size_t(width) * size_t(bitsPerPixel) + 31) / 32) * 4;
    }
    // A picture of 32 bits per pixel (no masks), every pixel 0.
    static Picture Make32(int width, int height);
    // A picture of 24 bits per pixel, or of 32 whose fourth byte is the opacity, every pixel 0.
    static Picture MakeTrueColour(int width, int height, bool alpha);
};

// Pictures larger than this are refused before anything is allocated.
inline constexpr int kMaxPictureSide = 32767;
inline constexpr size_t kMaxPictureBytes = size_t(512) * 1024 * 1024;

}  // namespace mx
