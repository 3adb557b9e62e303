#include "picture/decoder.h"

#include <climits>
#include <memory>
#include <vector>

#include <stb_image.h>

#include "picture/bmp_reader.h"
#include "picture/pcx_reader.h"
#include "picture/reader_util.h"

namespace mx {

namespace {

// The stb_image we build with trusts the symbol counts of a JPEG Huffman table and writes past
// its tables when they add up to more than 256. Every byte pair that could start such a segment,
// wherever the decoder might meet it, is checked the way the decoder reads it.
bool JpegHuffmanTablesSafe(std::span<const uint8_t> d) {
    // The decoder takes a file for JPEG when it begins with any number of 0xFF bytes and then 0xD8.
    size_t start = 0;
    while (start < d.size() && d[start] == 0xFF) ++start;
    if (start == 0 || start >= d.size() || d[start] != 0xD8) return true;
    auto at = [&](size_t i) -> unsigned { return i < d.size() ? d[i] : 0u; };
    for (size_t m = 2; m + 1 < d.size(); ++m) {
        if (d[m] != 0xFF || d[m + 1] != 0xC4) continue;
        long left = long(at(m + 2) << 8 | at(m + 3)) - 2;
        size_t p = m + 4;
        while (left > 0 && p < d.size()) {
            const unsigned q = at(p++);
            if ((q >> 4) > 1 || (q & 15) > 3) break;
            unsigned n = 0;
            for (int i = 0; i < 16; ++i) n += at(p++);
            if (n > 256) return false;
            p += n;
            left -= 17 + long(n);
        }
    }
    return true;
}

// The same stb_image decodes a scan with whatever lies in a Huffman table slot that no segment has
// filled, and then indexes memory outside its tables. Walking the segments as it does, every scan
// must name tables defined before it: baseline scans a DC and an AC table, progressive DC scans
// (first pass) a DC table and progressive AC scans an AC table.
bool JpegScansUseDefinedTables(std::span<const uint8_t> d) {
    size_t p = 0;
    while (p < d.size() && d[p] == 0xFF) ++p;
    if (p == 0 || p >= d.size() || d[p] != 0xD8) return true;
    ++p;
    auto be16 = [&](size_t i) { return i + 1 < d.size() ? size_t(d[i] << 8 | d[i + 1]) : 0; };
    bool progressive = false, inFrame = false;
    bool defined[2][4] = {};
    for (;;) {
        if (p >= d.size()) return true;
        if (d[p] != 0xFF) {
            // Before the frame header the decoder looks past padding for the next marker; after it,
            // anything but a marker ends the picture.
            if (inFrame) return true;
            ++p;
            continue;
        }
        while (p < d.size() && d[p] == 0xFF) ++p;
        if (p >= d.size()) return true;
        const uint8_t marker = d[p++];
        if (marker == 0xD9) return true;
        const size_t length = be16(p);
        if (length < 2 || length > d.size() - p) return true;
        const size_t end = p + length;
        const bool frame = marker == 0xC0 || marker == 0xC1 || marker == 0xC2;
        const bool known = frame || marker == 0xC4 || marker == 0xDA || marker == 0xDB || marker == 0xDC ||
                           marker == 0xDD || marker == 0xFE || (marker >= 0xE0 && marker <= 0xEF);
        // Other markers, a second frame or a scan before the frame make the decoder stop.
        if (!known || (frame && inFrame) || (marker == 0xDA && !inFrame)) return true;
        if (frame) {
            inFrame = true;
            progressive = marker == 0xC2;
        } else if (marker == 0xC4) {
            for (size_t t = p + 2; t + 17 <= end;) {
                const unsigned q = d[t];
                if ((q >> 4) > 1 || (q & 15) > 3) return true;
                size_t n = 0;
                for (size_t i = 1; i <= 16; ++i) n += d[t + i];
                if (n > 256) return false;
                defined[q >> 4][q & 15] = true;
                t += 17 + n;
            }
        } else if (marker == 0xDA) {
            const size_t count = p + 2 < end ? d[p + 2] : 0;
            if (p + 3 + 2 * count + 3 > end) return true;
            const uint8_t spectralStart = d[p + 3 + 2 * count];
            const uint8_t approximationHigh = d[p + 3 + 2 * count + 2] >> 4;
            for (size_t i = 0; i < count; ++i) {
                const unsigned tables = d[p + 4 + 2 * i];
                const unsigned dc = tables >> 4, ac = tables & 15;
                if (dc > 3 || ac > 3) return true;
                const bool needDc = !progressive || (spectralStart == 0 && approximationHigh == 0);
                const bool needAc = !progressive || spectralStart != 0;
                if ((needDc && !defined[0][dc]) || (needAc && !defined[1][ac])) return false;
            }
            // Skip the entropy-coded data to the next marker: 0xFF then neither 0 nor a restart.
            size_t q = end;
            for (;;) {
                while (q < d.size() && d[q] != 0xFF) ++q;
                size_t r = q;
                while (r < d.size() && d[r] == 0xFF) ++r;
                if (r >= d.size()) return true;
                if (d[r] != 0 && (d[r] < 0xD0 || d[r] > 0xD7)) break;
                q = r + 1;
            }
            p = q;
            continue;
        }
        p = end;
    }
}

// The most pixels a file of each kind can describe per byte of its own: a Huffman code of at least
// one bit per 8 x 8 block in JPEG, deflate's best ratio in PNG, LZW strings of up to 4096 pixels in
// GIF, and Targa runs of 128 pixels in two bytes. stb_image fills out truncated data with zeros, so
// without this a few bytes could make it decode an enormous picture.
uint64_t MostPixelsPerByte(std::span<const uint8_t> d) {
    if (!d.empty() && d[0] == 0xFF) return 1024;
    if (d.size() >= 4 && d[0] == 0x89 && d[1] == 'P' && d[2] == 'N' && d[3] == 'G') return 16384;
    if (d.size() >= 4 && d[0] == 'G' && d[1] == 'I' && d[2] == 'F' && d[3] == '8') return 4096;
    return 128;
}

ReadResult ReadWithStb(std::span<const uint8_t> d, Picture& target) {
    if (d.size() > size_t(INT_MAX)) return ReadResult::Malformed;
    const auto* data = reinterpret_cast<const stbi_uc*>(d.data());
    const int length = int(d.size());
    int width = 0, height = 0, channels = 0;
    if (!JpegHuffmanTablesSafe(d) || !JpegScansUseDefinedTables(d)) return ReadResult::Malformed;
    if (!stbi_info_from_memory(data, length, &width, &height, &channels)) return ReadResult::Malformed;
    // stb_image works in buffers of up to four bytes a pixel, so its pictures are held to the limit
    // at that depth before it allocates any.
    if (!PictureSizeAllowed(width, height, 32)) return ReadResult::TooLarge;
    if (uint64_t(width) * uint64_t(height) / MostPixelsPerByte(d) > d.size()) return ReadResult::Malformed;
    struct Free {
        void operator()(stbi_uc* p) const { stbi_image_free(p); }
    };
    std::unique_ptr<stbi_uc, Free> rgb(stbi_load_from_memory(data, length, &width, &height, &channels, 3));
    if (!rgb) return ReadResult::Malformed;
    if (!PictureSizeAllowed(width, height, 32)) return ReadResult::TooLarge;
    Picture pic;
    pic.width = width;
    pic.height = height;
    pic.bitsPerPixel = 24;
    pic.format = PixelFormat::Bits24;
    pic.pixels.assign(pic.Stride() * size_t(height), 0);
    const stbi_uc* src = rgb.get();
    for (int y = 0; y < height; ++y) {
        uint8_t* row = pic.Row(y);
        for (int x = 0; x < width; ++x, src += 3) {
            row[3 * x] = src[2];
            row[3 * x + 1] = src[1];
            row[3 * x + 2] = src[0];
        }
    }
    target = std::move(pic);
    return ReadResult::Ok;
}

}  // namespace

unsigned DecodePicture(std::span<const uint8_t> bytes, Picture& target) {
    ReadResult result = ReadResult::Malformed;
    Picture pic;
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        result = ReadBmp(bytes, pic);
    else if (LooksLikePcx(bytes))
        result = ReadPcx(bytes, pic);
    else
        result = ReadWithStb(bytes, pic);
    if (result == ReadResult::TooLarge) return kStatusFailed;
    target = std::move(pic);  // empty when nothing decoded the bytes
    return kStatusOk;
}

unsigned DecodePictureFile(const std::string& path, Picture& target) {
    std::vector<uint8_t> bytes;
    if (unsigned status = ReadFileBytes(path, bytes); status != kStatusOk) return status;
    return DecodePicture(bytes, target);
}

}  // namespace mx
