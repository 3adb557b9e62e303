#include "picture/picture.h"

namespace mx {

std::string_view PixelFormatName(PixelFormat format) {
    switch (format) {
    case PixelFormat::Device: return "Device";
    case PixelFormat::Bits1: return "1";
    case PixelFormat::Bits4: return "4";
    case PixelFormat::Bits8: return "8";
    case PixelFormat::Bits15: return "15";
    case PixelFormat::Bits16: return "16";
    case PixelFormat::Bits24: return "24";
    case PixelFormat::Bits32: return "32";
    case PixelFormat::Custom: return "Custom";
    }
    return "Custom";
}

namespace {

// Scales a masked field to 8 bits.
uint32_t Channel(uint32_t value, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++shift;
    }
    uint32_t v = (value >> shift) & mask;
    int bits = 0;
    while (mask & 1u) {
        mask >>= 1;
        ++bits;
    }
    if (bits >= 8) return v >> (bits - 8);
    // Replicate the high bits into the low ones, so that full scale maps to 255.
    uint32_t out = v << (8 - bits);
    for (int filled = bits; filled < 8; filled += bits) out |= out >> bits;
    return out & 0xFF;
}

}  // namespace

uint32_t Picture::ColorAt(int x, int y) const {
    const uint8_t* row = Row(y);
    auto fromPalette = [&](uint32_t index) { return index < palette.size() ? palette[index] & 0xFFFFFF : 0u; };
    switch (bitsPerPixel) {
    case 1: return fromPalette((row[x >> 3] >> (7 - (x & 7))) & 1);
    case 4: return fromPalette((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF);
    case 8: return fromPalette(row[x]);
    case 16: {
        uint32_t v = uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
        return Channel(v, masks[0]) << 16 | Channel(v, masks[1]) << 8 | Channel(v, masks[2]);
    }
    case 24: return uint32_t(row[3 * x]) | uint32_t(row[3 * x + 1]) << 8 | uint32_t(row[3 * x + 2]) << 16;
    case 32: {
        const uint8_t* p = row + 4 * x;
        uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        return Channel(v, masks[0]) << 16 | Channel(v, masks[1]) << 8 | Channel(v, masks[2]);
    }
    }
    return 0;
}

Picture Picture::Make32(int width, int height) {
    Picture p;
    p.width = width;
    p.height = height;
    p.bitsPerPixel = 32;
    p.format = PixelFormat::Bits32;
    p.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    p.pixels.assign(p.Stride() * size_t(height), 0);
    return p;
}

Picture Picture::MakeTrueColour(int width, int height, bool alpha) {
    if (alpha) {
        Picture p = Make32(width, height);
        p.alpha = true;
        return p;
    }
    Picture p;
    p.width = width;
    p.height = height;
    p.bitsPerPixel = 24;
    p.format = PixelFormat::Bits24;
    p.pixels.assign(p.Stride() * size_t(height), 0);
    return p;
}

}  // namespace mx
