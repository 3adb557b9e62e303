#include "picture/png_reader.h"

#include <algorithm>
#include <memory>

#include "picture/png_calls.h"

namespace mx {

namespace {

struct Close {
    void operator()(MxPng* png) const { mx_png_close(png); }
};

// Deflate's best ratio: a match of 258 bytes coded in two bits.
constexpr uint64_t kMostBytesPerDeflatedByte = 1032;

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// The bytes of the image data chunks that the file holds (a chunk cut short counts what is there).
uint64_t ImageDataBytes(std::span<const uint8_t> d) {
    uint64_t total = 0;
    for (size_t at = 8; d.size() - at >= 8;) {
        const uint64_t length = Be32(&d[at]);
        const uint8_t* type = &d[at + 4];
        const uint64_t there = std::min<uint64_t>(length, d.size() - at - 8);
        if (type[0] == 'I' && type[1] == 'D' && type[2] == 'A' && type[3] == 'T') total += there;
        if ((type[0] == 'I' && type[1] == 'E' && type[2] == 'N' && type[3] == 'D') || there < length ||
            d.size() - at - 8 - length < 4)
            break;
        at += size_t(length) + 12;
    }
    return total;
}

// The bytes the rows take before they are compressed: each row of each pass, one filter byte ahead.
uint64_t FilteredBytes(const MxPngHeader& h) {
    const uint64_t bits = uint64_t(h.bitDepth) * uint64_t(h.channels);
    auto rows = [&](uint64_t width, uint64_t height) { return width == 0 ? 0 : height * (1 + (width * bits + 7) / 8); };
    if (!h.interlaced) return rows(h.width, h.height);
    // Adam7: each pass's first column and row, and its steps.
    const unsigned x0[7] = {0, 4, 0, 2, 0, 1, 0}, dx[7] = {8, 8, 4, 4, 2, 2, 1};
    const unsigned y0[7] = {0, 0, 4, 0, 2, 0, 1}, dy[7] = {8, 8, 8, 4, 4, 2, 2};
    uint64_t total = 0;
    for (int p = 0; p < 7; ++p) {
        const uint64_t w = h.width > x0[p] ? (h.width - x0[p] + dx[p] - 1) / dx[p] : 0;
        const uint64_t n = h.height > y0[p] ? (h.height - y0[p] + dy[p] - 1) / dy[p] : 0;
        total += rows(w, n);
    }
    return total;
}

bool Opaque(const Picture& pic) {
    for (int y = 0; y < pic.height; ++y) {
        const uint8_t* row = pic.Row(y);
        for (int x = 0; x < pic.width; ++x)
            if (row[4 * x + 3] != 255) return false;
    }
    return true;
}

// The picture at 24 bits in its own storage: every byte moves down to its place, never past a byte
// still to be read.
void DropOpacity(Picture& pic) {
    const size_t from = pic.Stride();
    pic.bitsPerPixel = 24;
    pic.format = PixelFormat::Bits24;
    pic.masks = {};
    pic.alpha = false;
    const size_t to = pic.Stride(), used = size_t(pic.width) * 3;
    uint8_t* data = pic.pixels.data();
    for (int y = 0; y < pic.height; ++y) {
        const uint8_t* src = data + size_t(y) * from;
        uint8_t* dst = data + size_t(y) * to;
        for (int x = 0; x < pic.width; ++x, src += 4, dst += 3) {
            const uint8_t b = src[0], g = src[1], r = src[2];
            dst[0] = b, dst[1] = g, dst[2] = r;
        }
        for (size_t i = used; i < to; ++i) *dst++ = 0;
    }
    pic.pixels.resize(to * size_t(pic.height));
}

}  // namespace

bool LooksLikePng(std::span<const uint8_t> d) {
    return d.size() >= 8 && d[0] == 0x89 && d[1] == 'P' && d[2] == 'N' && d[3] == 'G' && d[4] == '\r' &&
           d[5] == '\n' && d[6] == 0x1A && d[7] == '\n';
}

ReadResult ReadPng(std::span<const uint8_t> bytes, Picture& target) {
    if (!LooksLikePng(bytes)) return ReadResult::Malformed;
    MxPngHeader header{};
    int status = MX_PNG_MALFORMED;
    std::unique_ptr<MxPng, Close> png(mx_png_open(bytes.data(), bytes.size(), kMaxPictureSide, &header, &status));
    if (!png) return status == MX_PNG_TOO_LARGE ? ReadResult::TooLarge : ReadResult::Malformed;
    if (!PictureSizeAllowed(header.width, header.height, header.alpha ? 32 : 24)) return ReadResult::TooLarge;
    // A header is believed only as far as the file's image data could inflate to its rows.
    if (FilteredBytes(header) > ImageDataBytes(bytes) * kMostBytesPerDeflatedByte) return ReadResult::Refused;
    Picture pic = Picture::MakeTrueColour(int(header.width), int(header.height), header.alpha != 0);
    switch (mx_png_read(png.get(), pic.pixels.data(), pic.Stride())) {
    case MX_PNG_OK: break;
    case MX_PNG_EXTRA_DATA: return ReadResult::Refused;
    default: return ReadResult::Malformed;
    }
    if (pic.alpha && Opaque(pic)) DropOpacity(pic);
    target = std::move(pic);
    return ReadResult::Ok;
}

}  // namespace mx
