#include "picture/decoder.h"

#include <climits>
#include <memory>
#include <vector>

#include <stb_image.h>

#include "picture/bmp_reader.h"
#include "picture/exif_orientation.h"
#include "picture/gif_reader.h"
#include "picture/jpeg_reader.h"
#include "picture/orient.h"
#include "picture/pcx_reader.h"
#include "picture/reader_util.h"
#include "picture/system_decoder.h"
#include "picture/webp_reader.h"

namespace mx {

namespace {

bool LooksLikePng(std::span<const uint8_t> d) {
    return d.size() >= 4 && d[0] == 0x89 && d[1] == 'P' && d[2] == 'N' && d[3] == 'G';
}

// The most pixels a file of each kind stb_image reads can describe per byte of its own: deflate's
// best ratio in PNG, and Targa runs of 128 pixels in two bytes. stb_image fills out truncated data
// with zeros, so without this a few bytes could make it decode an enormous picture.
uint64_t MostPixelsPerByte(std::span<const uint8_t> d) { return LooksLikePng(d) ? 16384 : 128; }

ReadResult ReadWithStb(std::span<const uint8_t> d, Picture& target) {
    if (d.size() > size_t(INT_MAX)) return ReadResult::Malformed;
    const auto* data = reinterpret_cast<const stbi_uc*>(d.data());
    const int length = int(d.size());
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(data, length, &width, &height, &channels)) return ReadResult::Malformed;
    // stb_image works in buffers of up to four bytes a pixel, so its pictures are held to the limit
    // at that depth before it allocates any.
    if (!PictureSizeAllowed(width, height, 32)) return ReadResult::TooLarge;
    if (uint64_t(width) * uint64_t(height) / MostPixelsPerByte(d) > d.size()) return ReadResult::Malformed;
    struct Free {
        void operator()(stbi_uc* p) const { stbi_image_free(p); }
    };
    // A PNG's transparency (an alpha channel, or a transparent colour or palette entry) is kept when
    // any pixel is not opaque; Targa's fourth channel is too often left unset to be trusted.
    const int wanted = LooksLikePng(d) ? 4 : 3;
    std::unique_ptr<stbi_uc, Free> rgb(stbi_load_from_memory(data, length, &width, &height, &channels, wanted));
    if (!rgb) return ReadResult::Malformed;
    if (!PictureSizeAllowed(width, height, 32)) return ReadResult::TooLarge;
    bool transparent = false;
    if (wanted == 4) {
        const stbi_uc* p = rgb.get();
        for (size_t i = 0, n = size_t(width) * size_t(height); i < n && !transparent; ++i) transparent = p[4 * i + 3] != 255;
    }
    Picture pic;
    pic.width = width;
    pic.height = height;
    pic.bitsPerPixel = transparent ? 32 : 24;
    pic.format = transparent ? PixelFormat::Bits32 : PixelFormat::Bits24;
    if (transparent) pic.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    pic.alpha = transparent;
    pic.pixels.assign(pic.Stride() * size_t(height), 0);
    const int out = pic.bitsPerPixel / 8;
    const stbi_uc* src = rgb.get();
    for (int y = 0; y < height; ++y) {
        uint8_t* row = pic.Row(y);
        for (int x = 0; x < width; ++x, src += wanted, row += out) {
            row[0] = src[2];
            row[1] = src[1];
            row[2] = src[0];
            if (transparent) row[3] = src[3];
        }
    }
    target = std::move(pic);
    return ReadResult::Ok;
}

}  // namespace

unsigned DecodePicture(std::span<const uint8_t> bytes, Picture& target) {
    ReadResult result = ReadResult::Malformed;
    // JPEG and GIF are decoded into the target itself, so that a JPEG can reuse its storage; the
    // readers leave it as it was when they refuse the file.
    if (LooksLikeJpeg(bytes))
        result = ReadJpeg(bytes, target);
    else if (LooksLikeWebp(bytes))
        result = ReadWebp(bytes, target);
    else if (LooksLikeGif(bytes))
        result = ReadGif(bytes, target);
    else if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        result = ReadBmp(bytes, target);
    else if (LooksLikePcx(bytes))
        result = ReadPcx(bytes, target);
    else
        result = ReadWithStb(bytes, target);
    // Photographs are turned upright by the orientation their file gives. A file that none of the
    // readers above takes goes to the system's decoders, which give it upright themselves.
    if (result == ReadResult::Ok)
        TurnUpright(target, PictureOrientation(bytes));
    else if (result == ReadResult::Malformed)
        result = ReadWithSystemDecoder(bytes, target);
    if (result == ReadResult::TooLarge) return kStatusFailed;
    if (result != ReadResult::Ok) target = Picture{};  // nothing decoded the bytes
    return kStatusOk;
}

unsigned DecodePictureFile(const std::string& path, Picture& target) {
    std::vector<uint8_t> bytes;
    if (unsigned status = ReadFileBytes(path, bytes); status != kStatusOk) return status;
    return DecodePicture(bytes, target);
}

}  // namespace mx
