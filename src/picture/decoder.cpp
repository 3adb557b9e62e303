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
#include "picture/png_reader.h"
#include "picture/reader_util.h"
#include "picture/system_decoder.h"
#include "picture/webp_reader.h"

namespace mx {

namespace {

// A Targa run of 128 pixels takes two bytes. stb_image fills out truncated data with zeros, so
// without this a few bytes could make it decode an enormous picture.
constexpr uint64_t kMostTargaPixelsPerByte = 128;

ReadResult ReadWithStb(std::span<const uint8_t> d, Picture& target) {
    if (d.size() > size_t(INT_MAX)) return ReadResult::Malformed;
    const auto* data = reinterpret_cast<const stbi_uc*>(d.data());
    const int length = int(d.size());
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(data, length, &width, &height, &channels)) return ReadResult::Malformed;
    // stb_image works in buffers of up to four bytes a pixel, so its pictures are held to the limit
    // at that depth before it allocates any.
    if (!PictureSizeAllowed(width, height, 32)) return ReadResult::TooLarge;
    if (uint64_t(width) * uint64_t(height) / kMostTargaPixelsPerByte > d.size()) return ReadResult::Refused;
    struct Free {
        void operator()(stbi_uc* p) const { stbi_image_free(p); }
    };
    // Targa's fourth channel is too often left unset to be trusted.
    std::unique_ptr<stbi_uc, Free> rgb(stbi_load_from_memory(data, length, &width, &height, &channels, 3));
    if (!rgb) return ReadResult::Malformed;
    if (!PictureSizeAllowed(width, height, 32)) return ReadResult::TooLarge;
    Picture pic = Picture::MakeTrueColour(width, height, false);
    const stbi_uc* src = rgb.get();
    for (int y = 0; y < height; ++y) {
        uint8_t* row = pic.Row(y);
        for (int x = 0; x < width; ++x, src += 3, row += 3) {
            row[0] = src[2];
            row[1] = src[1];
            row[2] = src[0];
        }
    }
    target = std::move(pic);
    return ReadResult::Ok;
}

// Decodes as DecodePicture does; with `defer`, a picture that only the system's decoders read is left
// to its caller, which `deferred` tells.
unsigned Decode(std::span<const uint8_t> bytes, const ShowRequest& request, DecodedPicture& target, bool defer,
                bool& deferred, JpegThreads threads = JpegThreads::BySize) {
    // Photographs are turned upright by the orientation their file gives, a JPEG after it is decoded
    // for the part of the upright picture the request shows.
    const int orientation = PictureOrientation(bytes);
    if (LooksLikeJpeg(bytes)) {
        // Decoded into the target itself, so that it can reuse its storage; the reader leaves it as
        // it was when it refuses the file.
        const ReadResult result = ReadJpeg(bytes, request, target, orientation, threads);
        if (result == ReadResult::TooLarge) return kStatusFailed;
        if (result != ReadResult::Ok) target = DecodedPicture{};
        return kStatusOk;
    }
    ReadResult result = ReadResult::Malformed;
    Picture& pic = target.picture;
    if (LooksLikeWebp(bytes))
        result = ReadWebp(bytes, pic);
    else if (LooksLikeGif(bytes))
        result = ReadGif(bytes, pic);
    else if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        result = ReadBmp(bytes, pic);
    else if (LooksLikePcx(bytes))
        result = ReadPcx(bytes, pic);
    else if (LooksLikePng(bytes))
        result = ReadPng(bytes, pic);
    else
        result = ReadWithStb(bytes, pic);
    // A file that none of the readers above takes goes to the system's decoders, which give it
    // upright themselves.
    if (result == ReadResult::Ok) {
        TurnUpright(pic, orientation);
    } else if (result == ReadResult::Malformed) {
        deferred = defer && !bytes.empty() && SystemDecoderSet();
        if (deferred) {
            target = DecodedPicture{};
            return kStatusOk;
        }
        result = ReadWithSystemDecoder(bytes, pic);
    }
    if (result == ReadResult::TooLarge) return kStatusFailed;
    if (result != ReadResult::Ok) {
        target = DecodedPicture{};  // nothing decoded the bytes
        target.systemDecoderFailed = result == ReadResult::DecoderFailed;
        return kStatusOk;
    }
    target = DecodedPicture::Whole(std::move(pic));
    target.request = request;
    return kStatusOk;
}

}  // namespace

unsigned DecodePicture(std::span<const uint8_t> bytes, const ShowRequest& request, DecodedPicture& target) {
    bool deferred = false;
    return Decode(bytes, request, target, false, deferred);
}

unsigned DecodePictureFile(const std::string& path, const ShowRequest& request, DecodedPicture& target,
                           std::vector<uint8_t>* deferred, JpegThreads threads) {
    std::vector<uint8_t> bytes;
    if (unsigned status = ReadFileBytes(path, bytes); status != kStatusOk) return status;
    bool wanted = false;
    const unsigned status = Decode(bytes, request, target, deferred != nullptr, wanted, threads);
    if (wanted) *deferred = std::move(bytes);
    return status;
}

unsigned DecodePicture(std::span<const uint8_t> bytes, Picture& target) {
    DecodedPicture decoded;
    decoded.picture = std::move(target);
    const unsigned status = DecodePicture(bytes, ShowRequest{}, decoded);
    target = std::move(decoded.picture);
    return status;
}

unsigned DecodePictureFile(const std::string& path, Picture& target) {
    std::vector<uint8_t> bytes;
    if (unsigned status = ReadFileBytes(path, bytes); status != kStatusOk) return status;
    return DecodePicture(bytes, target);
}

}  // namespace mx
