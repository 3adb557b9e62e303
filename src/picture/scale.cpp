#include "picture/scale.h"

#include <bit>
#include <cstring>
#include <vector>

namespace mx {

static_assert(std::endian::native == std::endian::little, "32-bit pixels are stored as one word");

namespace {

void Store(uint8_t* out, uint32_t colour) { std::memcpy(out, &colour, 4); }

uint32_t Load16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }

uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

uint32_t Load24(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16; }

uint32_t IndexAt(const uint8_t* row, int x, int bits) {
    switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    default: return row[x];
    }
}

bool Contiguous(uint32_t mask) {
    if (mask == 0) return true;
    uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

}  // namespace

bool HasPixels(const Picture& picture) {
    if (picture.Empty()) return false;
    switch (picture.bitsPerPixel) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
    }
    return picture.pixels.size() / picture.Stride() >= size_t(picture.height);
}

uint32_t PixelReader::Channel::Of(uint32_t value) const {
    uint32_t v = (value >> shift) & mask;
    return down >= 0 ? v >> down : table[v];
}

uint32_t PixelReader::Masked(uint32_t value) const {
    return channels_[0].Of(value) << 16 | channels_[1].Of(value) << 8 | channels_[2].Of(value);
}

PixelReader::PixelReader(const Picture& picture) : picture_(picture) {
    if (!HasPixels(picture)) return;
    switch (picture.bitsPerPixel) {
    case 1: case 4: case 8:
        kind_ = Kind::Indexed;
        for (size_t i = 0; i < palette_.size() && i < picture.palette.size(); ++i)
            palette_[i] = picture.palette[i] & 0xFFFFFF;
        return;
    case 24: kind_ = Kind::Rgb24; return;
    case 16: case 32: break;
    }
    if (picture.bitsPerPixel == 32 && picture.masks == std::array<uint32_t, 3>{0xFF0000, 0xFF00, 0xFF}) {
        kind_ = Kind::Rgb32;
        return;
    }
    kind_ = Kind::Masked;
    for (int c = 0; c < 3; ++c) {
        uint32_t mask = picture.masks[c];
        if (!Contiguous(mask)) {
            kind_ = Kind::Generic;
            return;
        }
        Channel& ch = channels_[c];
        if (mask == 0) continue;  // an all-zero table: the channel reads as 0
        ch.shift = std::countr_zero(mask);
        ch.mask = mask >> ch.shift;
        int bits = std::popcount(mask);
        if (bits >= 8) {
            ch.down = bits - 8;
            continue;
        }
        // Fields narrower than 8 bits have their high bits replicated into the low ones, so that
        // full scale reads as 255.
        for (uint32_t v = 0; v <= ch.mask; ++v) {
            uint32_t out = v << (8 - bits);
            for (int filled = bits; filled < 8; filled += bits) out |= out >> bits;
            ch.table[v] = uint8_t(out);
        }
    }
}

void PixelReader::Convert(int y, int count, uint8_t* out) const {
    if (kind_ == Kind::Unknown) {
        std::memset(out, 0, size_t(count) * 4);
        return;
    }
    const uint8_t* row = picture_.Row(y);
    switch (kind_) {
    case Kind::Rgb24:
        for (int x = 0; x < count; ++x) {
            const uint8_t* p = row + 3 * x;
            out[4 * x] = p[0];
            out[4 * x + 1] = p[1];
            out[4 * x + 2] = p[2];
            out[4 * x + 3] = 0;
        }
        return;
    case Kind::Rgb32:
        for (int x = 0; x < count; ++x) Store(out + 4 * x, Load32(row + 4 * x) & 0xFFFFFF);
        return;
    case Kind::Indexed:
        if (picture_.bitsPerPixel == 8) {
            for (int x = 0; x < count; ++x) Store(out + 4 * x, palette_[row[x]]);
        } else {
            for (int x = 0; x < count; ++x) Store(out + 4 * x, palette_[IndexAt(row, x, picture_.bitsPerPixel)]);
        }
        return;
    case Kind::Masked:
        if (picture_.bitsPerPixel == 16) {
            for (int x = 0; x < count; ++x) Store(out + 4 * x, Masked(Load16(row + 2 * x)));
        } else {
            for (int x = 0; x < count; ++x) Store(out + 4 * x, Masked(Load32(row + 4 * x)));
        }
        return;
    default:
        for (int x = 0; x < count; ++x) Store(out + 4 * x, picture_.ColorAt(x, y));
        return;
    }
}

void PixelReader::Sample(int y, const int* columns, int count, uint8_t* out) const {
    if (kind_ == Kind::Unknown) {
        std::memset(out, 0, size_t(count) * 4);
        return;
    }
    const uint8_t* row = picture_.Row(y);
    switch (kind_) {
    case Kind::Rgb24:
        for (int k = 0; k < count; ++k) Store(out + 4 * k, Load24(row + 3 * columns[k]));
        return;
    case Kind::Rgb32:
        for (int k = 0; k < count; ++k) Store(out + 4 * k, Load32(row + 4 * columns[k]) & 0xFFFFFF);
        return;
    case Kind::Indexed:
        for (int k = 0; k < count; ++k)
            Store(out + 4 * k, palette_[IndexAt(row, columns[k], picture_.bitsPerPixel)]);
        return;
    case Kind::Masked:
        if (picture_.bitsPerPixel == 16) {
            for (int k = 0; k < count; ++k) Store(out + 4 * k, Masked(Load16(row + 2 * columns[k])));
        } else {
            for (int k = 0; k < count; ++k) Store(out + 4 * k, Masked(Load32(row + 4 * columns[k])));
        }
        return;
    default:
        for (int k = 0; k < count; ++k) Store(out + 4 * k, picture_.ColorAt(columns[k], y));
        return;
    }
}

void ScaleNearest(const Picture& source, int width, int height, Picture& out) {
    bool empty = !HasPixels(source) || width <= 0 || height <= 0;
    out.width = empty ? 0 : width;
    out.height = empty ? 0 : height;
    out.bitsPerPixel = 32;
    out.format = PixelFormat::Bits32;
    out.masks = {0xFF0000, 0xFF00, 0xFF};
    out.palette.clear();
    out.pixels.resize(out.Stride() * size_t(out.height));
    if (empty) return;

    std::vector<int> columns(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) columns[size_t(x)] = NearestSource(x, source.width, width);
    PixelReader reader(source);
    const size_t stride = out.Stride();
    int previous = -1;
    for (int y = 0; y < height; ++y) {
        int sy = NearestSource(y, source.height, height);
        if (sy == previous)
            std::memcpy(out.Row(y), out.Row(y - 1), stride);
        else
            reader.Sample(sy, columns.data(), width, out.Row(y));
        previous = sy;
    }
}

}  // namespace mx
