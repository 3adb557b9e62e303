#include "picture/jpeg_reader.h"

#include <cstring>
#include <memory>
#include <vector>

#include "picture/jpeg_calls.h"

namespace mx {

namespace {

struct Close {
    void operator()(MxJpeg* jpeg) const { mx_jpeg_close(jpeg); }
};

// Room for libjpeg's own buffers: a progressive file keeps every coefficient of the picture, two
// bytes each, which for four full-size components of the largest picture allowed is 1.4 GiB.
constexpr size_t kMaxDecoderMemory = 3 * kMaxPictureBytes;
// Every scan of a multi-scan file is a pass over the picture. Twelve scans of the largest picture
// allowed pass; a file of thousands of scans is refused.
constexpr double kMaxScanPixels = 2147483648.0;
// A complete Huffman-coded scan holds at least one bit for each 8 x 8 block. Beyond twice that
// density the file cannot hold the picture it claims, and a few bytes would make the decoder fill
// an enormous picture with grey. Arithmetic coding has no such floor (a plain colour takes a few
// bytes), so those files are held only to the size limits.
constexpr uint64_t kMostHuffmanPixelsPerByte = 1024;

// The storage for the picture: the target's, when it is of about the right size and does not hold
// the bytes being read; otherwise fresh. Its old contents are overwritten row by row.
std::vector<uint8_t> Storage(Picture& target, size_t size, std::span<const uint8_t> bytes) {
    std::vector<uint8_t> storage;
    const uint8_t* begin = target.pixels.data();
    const bool holdsBytes = !bytes.empty() && bytes.data() < begin + target.pixels.size() &&
                            begin < bytes.data() + bytes.size();
    if (!holdsBytes && target.pixels.capacity() >= size && target.pixels.capacity() / 2 <= size)
        storage = std::move(target.pixels);
    storage.resize(size);
    return storage;
}

// Adobe's writers store CMYK inverted (0 is full ink); others store it plain.
void CmykToBgr(const uint8_t* cmyk, uint8_t* bgr, int width, bool inverted) {
    for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        bgr[0] = uint8_t((y * k + 127) / 255);
        bgr[1] = uint8_t((m * k + 127) / 255);
        bgr[2] = uint8_t((c * k + 127) / 255);
    }
}

}  // namespace

bool LooksLikeJpeg(std::span<const uint8_t> d) { return d.size() >= 2 && d[0] == 0xFF && d[1] == 0xD8; }

ReadResult ReadJpeg(std::span<const uint8_t> bytes, Picture& target) {
    if (!LooksLikeJpeg(bytes)) return ReadResult::Malformed;
    std::unique_ptr<MxJpeg, Close> jpeg(mx_jpeg_open(bytes.data(), bytes.size(), kMaxDecoderMemory, kMaxScanPixels));
    MxJpegHeader header{};
    if (!jpeg || !mx_jpeg_read_header(jpeg.get(), &header)) return ReadResult::Malformed;
    if (header.width <= 0 || header.height <= 0) return ReadResult::Malformed;
    if (!PictureSizeAllowed(header.width, header.height, 24)) return ReadResult::TooLarge;
    if (!header.dataAfterHeader) return ReadResult::Malformed;
    if (!header.arithmetic &&
        uint64_t(header.width) * uint64_t(header.height) / kMostHuffmanPixelsPerByte > bytes.size())
        return ReadResult::Malformed;
    const bool cmyk = header.colours == MX_JPEG_CMYK || header.colours == MX_JPEG_INVERTED_CMYK;
    if (!mx_jpeg_start(jpeg.get(), cmyk)) return ReadResult::Malformed;

    Picture pic;
    pic.width = header.width;
    pic.height = header.height;
    pic.bitsPerPixel = 24;
    pic.format = PixelFormat::Bits24;
    pic.pixels = Storage(target, pic.Stride() * size_t(pic.height), bytes);

    // Grey and colour files are decoded straight into the picture's rows; CMYK through one row.
    int done = 0;
    if (!cmyk) {
        std::vector<uint8_t*> rows(size_t(pic.height));
        for (int y = 0; y < pic.height; ++y) rows[size_t(y)] = pic.Row(y);
        while (done < pic.height) {
            const int n = mx_jpeg_read_rows(jpeg.get(), rows.data() + done, pic.height - done);
            if (n <= 0) break;
            done += n;
        }
    } else {
        std::vector<uint8_t> line(size_t(pic.width) * 4);
        uint8_t* rows[1] = {line.data()};
        while (done < pic.height && mx_jpeg_read_rows(jpeg.get(), rows, 1) == 1)
            CmykToBgr(line.data(), pic.Row(done++), pic.width, header.colours == MX_JPEG_INVERTED_CMYK);
    }
    // Rows never decoded are grey; the padding at the end of each row, which the decoder does not
    // write, is zero whatever the reused storage held.
    const size_t used = size_t(pic.width) * 3;
    for (int y = 0; y < pic.height; ++y) {
        if (y >= done) std::memset(pic.Row(y), 0x80, used);
        std::memset(pic.Row(y) + used, 0, pic.Stride() - used);
    }
    target = std::move(pic);
    return ReadResult::Ok;
}

}  // namespace mx
