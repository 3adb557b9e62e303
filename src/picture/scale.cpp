#include "picture/scale.h"

#include <bit>
#include <cstring>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <tmmintrin.h>
#define MX_SSSE3_DISPATCH 1
#endif

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

#ifdef MX_SSSE3_DISPATCH
// One byte shuffle turns four 3-byte pixels into four 4-byte ones. Every 64-bit processor of the
// last fifteen years has it, but the program is built for the baseline, so it is chosen at run time.
__attribute__((target("ssse3"))) int Convert24Ssse3(const uint8_t* row, size_t stride, int count, uint8_t* out) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128);
    int x = 0;
    for (; x + 3 < count && size_t(3 * x) + 16 <= stride; x += 4) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x), _mm_shuffle_epi8(v, spread));
    }
    return x;
}

bool HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#endif

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
        if (picture.alpha) kept_ = 0xFFFFFFFF;
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

void PixelReader::ConvertFrom(int y, int first, int count, uint8_t* out) const {
    if (kind_ == Kind::Unknown) {
        std::memset(out, 0, size_t(count) * 4);
        return;
    }
    // Pictures of a byte or more per pixel start at the first pixel's byte; the others are sampled.
    const int bytes = picture_.bitsPerPixel / 8;
    if (first > 0 && (bytes == 0 || kind_ == Kind::Generic)) {
        std::vector<int> columns(static_cast<size_t>(count));
        for (int x = 0; x < count; ++x) columns[size_t(x)] = first + x;
        Sample(y, columns.data(), count, out);
        return;
    }
    const uint8_t* row = picture_.Row(y) + size_t(first) * size_t(bytes);
    switch (kind_) {
    case Kind::Rgb24: {
        // Two pixels per 8-byte load while the load stays inside the row's storage.
        const size_t stride = picture_.Stride() - size_t(first) * 3;
        int x = 0;
#ifdef MX_SSSE3_DISPATCH
        if (HasSsse3()) x = Convert24Ssse3(row, stride, count, out);
#endif
#if defined(__SSE2__) || defined(_M_X64)
        // Four pixels per 16-byte load: pixel k's three bytes move k bytes up.
        const __m128i m0 = _mm_set_epi32(0, 0, 0, 0xFFFFFF), m1 = _mm_set_epi32(0, 0, 0xFFFFFF, 0);
        const __m128i m2 = _mm_set_epi32(0, 0xFFFFFF, 0, 0), m3 = _mm_set_epi32(0xFFFFFF, 0, 0, 0);
        for (; x + 3 < count && size_t(3 * x) + 16 <= stride; x += 4) {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 3 * x));
            __m128i lo = _mm_or_si128(_mm_and_si128(v, m0), _mm_and_si128(_mm_slli_si128(v, 1), m1));
            __m128i hi = _mm_or_si128(_mm_and_si128(_mm_slli_si128(v, 2), m2), _mm_and_si128(_mm_slli_si128(v, 3), m3));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x), _mm_or_si128(lo, hi));
        }
#endif
        for (; x + 1 < count && size_t(3 * x) + 8 <= stride; x += 2) {
            uint64_t v;
            std::memcpy(&v, row + 3 * x, 8);
            uint64_t pair = (v & 0xFFFFFF) | ((v << 8) & 0xFFFFFF00000000);
            std::memcpy(out + 4 * x, &pair, 8);
        }
        for (; x < count; ++x) Store(out + 4 * x, Load24(row + 3 * x));
        return;
    }
    case Kind::Rgb32:
        for (int x = 0; x < count; ++x) Store(out + 4 * x, Load32(row + 4 * x) & kept_);
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
    case Kind::Rgb24: {
        const size_t stride = picture_.Stride();
        for (int k = 0; k < count; ++k) {
            const size_t at = 3 * size_t(columns[k]);
            Store(out + 4 * k, at + 4 <= stride ? Load32(row + at) & 0xFFFFFF : Load24(row + at));
        }
        return;
    }
    case Kind::Rgb32:
        for (int k = 0; k < count; ++k) Store(out + 4 * k, Load32(row + 4 * columns[k]) & kept_);
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
    out.alpha = !empty && source.alpha;
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
