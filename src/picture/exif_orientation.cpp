#include "picture/exif_orientation.h"

#include <algorithm>
#include <cstring>

namespace mx {

namespace {

constexpr int kAsStored = 1;
constexpr uint16_t kOrientationTag = 274;
constexpr uint16_t kTypeShort = 3;

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }

bool StartsWith(std::span<const uint8_t> d, size_t at, const char* text, size_t length) {
    return at <= d.size() && d.size() - at >= length && std::memcmp(d.data() + at, text, length) == 0;
}

// EXIF data inside a container may start with the "Exif\0\0" header of JPEG's block, which some
// writers copy into WebP and PNG files as well.
std::span<const uint8_t> WithoutExifHeader(std::span<const uint8_t> d) {
    return StartsWith(d, 0, "Exif\0", 5) && d.size() >= 6 ? d.subspan(6) : d;
}

// JPEG: the markers before the first scan, each with its length, fill bytes allowed between them.
int JpegOrientation(std::span<const uint8_t> d) {
    size_t i = 2;
    while (i + 4 <= d.size()) {
        if (d[i] != 0xFF) return kAsStored;
        const uint8_t marker = d[i + 1];
        if (marker == 0xFF) {
            ++i;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // markers without a length
            i += 2;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) return kAsStored;  // the scan: no EXIF block before it
        const size_t length = size_t(d[i + 2]) << 8 | d[i + 3];
        if (length < 2) return kAsStored;
        if (marker == 0xE1 && length >= 8 && StartsWith(d, i + 4, "Exif\0", 5)) {
            const size_t start = i + 10;
            if (start > d.size()) return kAsStored;
            return TiffOrientation(d.subspan(start, std::min(length - 8, d.size() - start)));
        }
        i += 2 + length;
    }
    return kAsStored;
}

// WebP: a RIFF file of chunks, each a four-character code, a little-endian length and the body,
// padded to an even length.
int WebpOrientation(std::span<const uint8_t> d) {
    const size_t end = std::min<uint64_t>(d.size(), uint64_t(Le32(d.data() + 4)) + 8);
    size_t i = 12;
    while (i + 8 <= end) {
        const size_t length = Le32(d.data() + i + 4);
        const size_t start = i + 8;
        if (StartsWith(d, i, "EXIF", 4))
            return TiffOrientation(WithoutExifHeader(d.subspan(start, std::min(length, end - start))));
        if (length > end - start) return kAsStored;
        i = start + length + (length & 1);
    }
    return kAsStored;
}

// PNG: the signature, then chunks of a big-endian length, a type, the body and a checksum.
int PngOrientation(std::span<const uint8_t> d) {
    size_t i = 8;
    while (i + 8 <= d.size()) {
        const size_t length = Be32(d.data() + i);
        const size_t start = i + 8;
        if (StartsWith(d, i + 4, "eXIf", 4))
            return TiffOrientation(WithoutExifHeader(d.subspan(start, std::min(length, d.size() - start))));
        if (StartsWith(d, i + 4, "IEND", 4) || length > d.size() - start) return kAsStored;
        i = start + length + 4;
    }
    return kAsStored;
}

}  // namespace

int TiffOrientation(std::span<const uint8_t> d) {
    if (d.size() < 8) return kAsStored;
    bool big;
    if (d[0] == 'I' && d[1] == 'I') big = false;
    else if (d[0] == 'M' && d[1] == 'M') big = true;
    else return kAsStored;
    auto u16 = [&](size_t at) { return big ? uint16_t(d[at] << 8 | d[at + 1]) : uint16_t(d[at + 1] << 8 | d[at]); };
    auto u32 = [&](size_t at) { return big ? Be32(d.data() + at) : Le32(d.data() + at); };
    if (u16(2) != 42) return kAsStored;
    const size_t directory = u32(4);
    if (directory < 8 || directory > d.size() - 2) return kAsStored;
    // A count larger than the data holds is cut to the entries that are there.
    const size_t entries = std::min<size_t>(u16(directory), (d.size() - directory - 2) / 12);
    for (size_t k = 0; k < entries; ++k) {
        const size_t entry = directory + 2 + 12 * k;
        if (u16(entry) != kOrientationTag) continue;
        if (u16(entry + 2) != kTypeShort || u32(entry + 4) != 1) return kAsStored;
        const int value = u16(entry + 8);  // a single short sits at the start of the value field
        return value >= 1 && value <= 8 ? value : kAsStored;
    }
    return kAsStored;
}

int PictureOrientation(std::span<const uint8_t> file) {
    if (file.size() >= 2 && file[0] == 0xFF && file[1] == 0xD8) return JpegOrientation(file);
    if (StartsWith(file, 0, "RIFF", 4) && StartsWith(file, 8, "WEBP", 4)) return WebpOrientation(file);
    if (StartsWith(file, 0, "\x89PNG\r\n\x1a\n", 8)) return PngOrientation(file);
    return kAsStored;
}

}  // namespace mx
