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
    if (!JpegHuffmanTablesSafe(d)) return ReadResult::Malformed;
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
