#include "picture/bmp_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace mx {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

struct Header {
    int64_t width = 0;
    int64_t height = 0;  // positive; topDown tells the row order
    bool topDown = false;
    int bitsPerPixel = 0;
    uint32_t compression = kRgb;
    uint32_t colorsUsed = 0;
    std::array<uint32_t, 3> masks{};
    size_t paletteOffset = 0;
    size_t paletteEntrySize = 4;
};

bool HasBitFields(const Header& h) { return h.compression == kBitFields || h.compression == kAlphaBitFields; }

ReadResult CheckHeader(const Header& h);

ReadResult ParseHeader(std::span<const uint8_t> d, Header& h) {
    if (d.size() < kFileHeaderSize + 4 || d[0] != 'B' || d[1] != 'M') return ReadResult::Malformed;
    const uint32_t infoSize = Le32(&d[14]);
    if (infoSize < 12 || infoSize > d.size() - kFileHeaderSize) return ReadResult::Malformed;
    const uint8_t* info = &d[kFileHeaderSize];
    if (infoSize == 12) {
        // OS/2 1.x core header: 16-bit unsigned sizes, three-byte colour table entries, no compression.
        h.width = Le16(info + 4);
        h.height = Le16(info + 6);
        h.bitsPerPixel = Le16(info + 10);
        h.paletteEntrySize = 3;
        h.paletteOffset = kFileHeaderSize + 12;
        if (h.bitsPerPixel == 16 || h.bitsPerPixel == 32) return ReadResult::Malformed;
    } else {
        if (infoSize < 16) return ReadResult::Malformed;
        // OS/2 2.x headers are cut anywhere from 16 to 64 bytes; the Windows ones share their first 40.
        h.width = int32_t(Le32(info + 4));
        const int32_t height = int32_t(Le32(info + 8));
        h.topDown = height < 0;
        h.height = height < 0 ? -int64_t(height) : int64_t(height);
        h.bitsPerPixel = Le16(info + 14);
        if (infoSize >= 20) h.compression = Le32(info + 16);
        if (infoSize >= 36) h.colorsUsed = Le32(info + 32);
        h.paletteOffset = kFileHeaderSize + infoSize;
        const bool windows = infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize >= 108;
        // In OS/2 2.x headers 3 and 4 mean Huffman and RLE24, which this reader does not take.
        if (!windows && h.compression != kRgb && h.compression != kRle8 && h.compression != kRle4)
            return ReadResult::Malformed;
        if (HasBitFields(h)) {
            const uint8_t* masks = info + 40;
            if (infoSize < 52) {
                // The masks follow a 40-byte header. Some writers leave them out and start the
                // pixels right there; such a file holds plain RGB.
                const size_t maskBytes = h.compression == kAlphaBitFields ? 16 : 12;
                const size_t pixelOffset = Le32(&d[10]);
                if (pixelOffset == h.paletteOffset) {
                    h.compression = kRgb;
                    return CheckHeader(h);
                }
                if (d.size() - h.paletteOffset < maskBytes) return ReadResult::Malformed;
                masks = &d[h.paletteOffset];
                h.paletteOffset += maskBytes;
            }
            h.masks = {Le32(masks), Le32(masks + 4), Le32(masks + 8)};
        }
    }
    return CheckHeader(h);
}

ReadResult CheckHeader(const Header& h) {
    if (h.width <= 0 || h.height <= 0) return ReadResult::Malformed;
    switch (h.bitsPerPixel) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return ReadResult::Malformed;
    }
    switch (h.compression) {
    case kRgb: break;
    case kRle8: if (h.bitsPerPixel != 8 || h.topDown) return ReadResult::Malformed; break;
    case kRle4: if (h.bitsPerPixel != 4 || h.topDown) return ReadResult::Malformed; break;
    case kBitFields:
    case kAlphaBitFields: if (h.bitsPerPixel != 16 && h.bitsPerPixel != 32) return ReadResult::Malformed; break;
    default: return ReadResult::Malformed;
    }
    if (!PictureSizeAllowed(h.width, h.height, h.bitsPerPixel)) return ReadResult::TooLarge;
    return ReadResult::Ok;
}

// Reads the colour table, which may be shorter than the depth allows when the pixel data begin early.
ReadResult ReadPalette(std::span<const uint8_t> d, const Header& h, size_t pixelOffset,
                       std::vector<uint32_t>& palette) {
    if (h.bitsPerPixel > 8) return ReadResult::Ok;
    const size_t full = size_t(1) << h.bitsPerPixel;
    size_t count = h.colorsUsed == 0 || h.colorsUsed > full ? full : h.colorsUsed;
    if (pixelOffset > h.paletteOffset)
        count = std::min(count, (pixelOffset - h.paletteOffset) / h.paletteEntrySize);
    if (count == 0 || h.paletteOffset > d.size() || (d.size() - h.paletteOffset) / h.paletteEntrySize < count)
        return ReadResult::Malformed;
    palette.resize(count);
    const uint8_t* p = &d[h.paletteOffset];
    for (size_t i = 0; i < count; ++i, p += h.paletteEntrySize)
        palette[i] = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    return ReadResult::Ok;
}

// Whether the storage of the picture being replaced may hold the new one: it is large enough, not so
// large that it would waste much, and it does not hold the bytes being read.
bool MayReuse(const std::vector<uint8_t>& storage, size_t needed, std::span<const uint8_t> d) {
    if (storage.capacity() < needed || storage.capacity() / 2 > needed) return false;
    const uintptr_t s = reinterpret_cast<uintptr_t>(storage.data());
    const uintptr_t b = reinterpret_cast<uintptr_t>(d.data());
    return s + storage.capacity() <= b || b + d.size() <= s;
}

// Every check comes before the first pixel is written, so that nothing fails once the storage of the
// picture being replaced has been taken over. Rows are appended to reserved storage rather than
// copied over zeros: the rows of a large picture are written once, not twice.
ReadResult ReadUncompressed(std::span<const uint8_t> d, size_t offset, const Header& h, Picture& pic,
                            std::vector<uint8_t>& replaced) {
    const size_t stride = pic.Stride();
    const size_t used = (size_t(h.width) * size_t(h.bitsPerPixel) + 7) / 8;
    // The last row may lack its padding.
    if (offset > d.size() || d.size() - offset < used ||
        (d.size() - offset - used) / stride < size_t(h.height - 1))
        return ReadResult::Malformed;
    const size_t total = stride * size_t(h.height);
    std::vector<uint8_t>& out = pic.pixels;
    if (MayReuse(replaced, total, d)) out.swap(replaced);
    out.clear();
    out.reserve(total);
    for (int64_t y = 0; y < h.height; ++y) {
        const size_t fileRow = size_t(h.topDown ? y : h.height - 1 - y);
        const uint8_t* src = &d[offset + fileRow * stride];
        const size_t n = std::min(stride, d.size() - (offset + fileRow * stride));
        out.insert(out.end(), src, src + n);
        if (n < stride) out.insert(out.end(), stride - n, uint8_t(0));
    }
    return ReadResult::Ok;
}

// Run-length data (RLE8 and RLE4): runs, end of line, end of bitmap, cursor moves and literal runs
// padded to 16 bits. Runs that pass the right edge are cut there, as on screen.
ReadResult ReadRunLength(std::span<const uint8_t> d, size_t offset, const Header& h, Picture& pic) {
    if (offset > d.size()) return ReadResult::Malformed;
    pic.pixels.assign(pic.Stride() * size_t(h.height), 0);
    const bool four = h.bitsPerPixel == 4;
    const int64_t width = h.width, height = h.height;
    int64_t x = 0, y = 0;  // y counts from the bottom row
    auto put = [&](uint8_t value) {
        if (x < width && y < height) {
            uint8_t* row = pic.Row(int(height - 1 - y));
            if (four) {
                uint8_t& b = row[x >> 1];
                b = (x & 1) ? uint8_t((b & 0xF0) | (value & 0x0F)) : uint8_t((b & 0x0F) | (value << 4));
            } else {
                row[x] = value;
            }
        }
        ++x;
    };
    size_t p = offset;
    const size_t end = d.size();
    while (y < height) {
        if (end - p < 2) return ReadResult::Malformed;
        const uint8_t count = d[p], value = d[p + 1];
        p += 2;
        if (count > 0) {
            const int64_t n = std::min<int64_t>(count, std::max<int64_t>(width - x, 0));
            for (int64_t i = 0; i < n; ++i) put(four ? uint8_t((i & 1) ? value & 0x0F : value >> 4) : value);
            x += count - n;
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (end - p < 2) return ReadResult::Malformed;
            x += d[p];
            y += d[p + 1];
            p += 2;
        } else {
            const size_t bytes = four ? (size_t(value) + 1) / 2 : value;
            const size_t padded = (bytes + 1) & ~size_t(1);
            if (end - p < bytes) return ReadResult::Malformed;
            for (int i = 0; i < value && x < width; ++i)
                put(four ? uint8_t((i & 1) ? d[p + i / 2] & 0x0F : d[p + i / 2] >> 4) : d[p + i]);
            x = std::min<int64_t>(x, width);
            p += std::min(padded, end - p);
        }
    }
    return ReadResult::Ok;
}

void SetFormat(const Header& h, Picture& pic) {
    pic.masks = {};
    switch (h.bitsPerPixel) {
    case 1: pic.format = PixelFormat::Bits1; break;
    case 4: pic.format = PixelFormat::Bits4; break;
    case 8: pic.format = PixelFormat::Bits8; break;
    case 24: pic.format = PixelFormat::Bits24; break;
    case 16:
        if (HasBitFields(h)) {
            pic.masks = h.masks;
            pic.format = h.masks[1] == 0x07E0 ? PixelFormat::Bits16 : PixelFormat::Custom;
        } else {
            pic.masks = {0x7C00, 0x03E0, 0x001F};
            pic.format = PixelFormat::Bits15;
        }
        break;
    case 32:
        if (HasBitFields(h)) {
            pic.masks = h.masks;
            pic.format = PixelFormat::Custom;
        } else {
            pic.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
            pic.format = PixelFormat::Bits32;
        }
        break;
    }
}

}  // namespace

ReadResult ReadBmp(std::span<const uint8_t> bytes, Picture& target) {
    if (bytes.empty()) {
        target = Picture{};
        return ReadResult::Ok;
    }
    Header h;
    if (ReadResult r = ParseHeader(bytes, h); r != ReadResult::Ok) return r;
    // A zero offset is taken to mean that the pixels follow the colour table.
    size_t pixelOffset = Le32(&bytes[10]);
    Picture pic;
    if (pixelOffset != 0 && pixelOffset < h.paletteOffset) return ReadResult::Malformed;
    if (ReadResult r = ReadPalette(bytes, h, pixelOffset, pic.palette); r != ReadResult::Ok) return r;
    if (pixelOffset == 0) pixelOffset = h.paletteOffset + pic.palette.size() * h.paletteEntrySize;
    pic.width = int(h.width);
    pic.height = int(h.height);
    pic.bitsPerPixel = h.bitsPerPixel;
    SetFormat(h, pic);
    const bool runLength = h.compression == kRle8 || h.compression == kRle4;
    ReadResult r = runLength ? ReadRunLength(bytes, pixelOffset, h, pic)
                             : ReadUncompressed(bytes, pixelOffset, h, pic, target.pixels);
    if (r != ReadResult::Ok) return r;
    target = std::move(pic);
    return ReadResult::Ok;
}

// A file whose headers, colour table and the start of its pixels lie in its first kHeadBytes, and
// whose pixels are not run-length coded, has its rows read straight into the picture instead of
// through a copy of the whole file; it gives the same picture and status as reading it whole.
unsigned ReadBmpFile(const std::string& path, Picture& target) {
    constexpr size_t kHeadBytes = size_t(64) << 10;
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
    if (!file) return kStatusCannotOpen;
    std::vector<uint8_t> head(kHeadBytes);
    const size_t got = std::fread(head.data(), 1, head.size(), file.get());
    if (got < head.size()) {
        if (std::ferror(file.get())) return got == 0 ? kStatusCannotOpen : kStatusFailed;
        head.resize(got);
        return StatusOf(ReadBmp(head, target));
    }
    // The checks only get easier with more of the file, so what passes on its head passes on all of it.
    Header h;
    Picture pic;
    const size_t pixelOffset = Le32(&head[10]);
    const bool streamed = ParseHeader(head, h) == ReadResult::Ok &&
                          h.compression != kRle8 && h.compression != kRle4 && pixelOffset != 0 &&
                          pixelOffset >= h.paletteOffset && pixelOffset <= head.size() &&
                          ReadPalette(head, h, pixelOffset, pic.palette) == ReadResult::Ok;
    if (!streamed) {
        file.reset();
        std::vector<uint8_t> bytes;
        if (unsigned status = ReadFileBytes(path, bytes); status != kStatusOk) return status;
        return StatusOf(ReadBmp(bytes, target));
    }
    pic.width = int(h.width);
    pic.height = int(h.height);
    pic.bitsPerPixel = h.bitsPerPixel;
    SetFormat(h, pic);
    const size_t stride = pic.Stride();
    const size_t used = (size_t(h.width) * size_t(h.bitsPerPixel) + 7) / 8;
    pic.pixels.resize(stride * size_t(h.height));
    // The pixels' first bytes are already in the head; the rest come from the file in its order.
    size_t fromHead = pixelOffset, fileBytes = head.size();
    auto read = [&](uint8_t* to, size_t n) {
        const size_t early = std::min(n, head.size() - fromHead);
        std::memcpy(to, head.data() + fromHead, early);
        fromHead += early;
        const size_t late = early < n ? std::fread(to + early, 1, n - early, file.get()) : 0;
        fileBytes += late;
        return early + late;
    };
    for (int64_t r = 0; r < h.height; ++r) {
        const int y = int(h.topDown ? r : h.height - 1 - r);
        // Every row but the last in the file must be whole; the last may lack its padding.
        const size_t n = read(pic.Row(y), stride);
        if (n < (r + 1 < h.height ? stride : used)) return kStatusFailed;
    }
    // Whatever follows counts towards the largest file taken, as when the file is read whole.
    std::vector<uint8_t> rest(size_t(1) << 16);
    while (fileBytes <= kMaxPictureFileBytes) {
        const size_t n = std::fread(rest.data(), 1, rest.size(), file.get());
        fileBytes += n;
        if (n < rest.size()) break;
    }
    if (std::ferror(file.get()) || fileBytes > kMaxPictureFileBytes) return kStatusFailed;
    target = std::move(pic);
    return kStatusOk;
}

}  // namespace mx
