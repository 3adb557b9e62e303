#include "picture/jpeg_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "picture/jpeg_calls.h"
#include "picture/orient.h"
#include "picture/scale.h"

namespace mx {

namespace {

struct Close {
    void operator()(MxJpeg* jpeg) const { mx_jpeg_close(jpeg); }
};

// Room for libjpeg's own buffers: a progressive file keeps every coefficient of the picture, two
// bytes each, which for four full-size components of the largest picture allowed is 1.4 GiB. They
// are allocated from the frame header, before any scan, so a file gets no more than its bytes can
// fill: a Huffman-coded scan spends at least a bit on each 8 x 8 block of each component, whose 64
// coefficients take 128 bytes, so 1 KiB per byte of the file, beyond a start for small files.
// Arithmetic coding can say more in a bit (a plain colour takes a few bytes), and such files
// get no more room than Huffman-coded ones.
constexpr size_t kMaxDecoderMemory = 3 * kMaxPictureBytes;
constexpr size_t kDecoderMemoryStart = size_t(64) << 20;
constexpr size_t kDecoderMemoryPerByte = 1024;
size_t DecoderMemoryFor(size_t fileBytes) {
    return fileBytes >= (kMaxDecoderMemory - kDecoderMemoryStart) / kDecoderMemoryPerByte
               ? kMaxDecoderMemory
               : kDecoderMemoryStart + fileBytes * kDecoderMemoryPerByte;
}
// Every scan of a multi-scan file is a pass over the picture. Twelve scans of the largest picture
// allowed pass; a file of thousands of scans is refused.
constexpr double kMaxScanPixels = 2147483648.0;
// A complete Huffman-coded scan holds at least one bit for each 8 x 8 block. Beyond twice that
// density the file cannot hold the picture it claims, and a few bytes would make the decoder fill
// an enormous picture with grey. Arithmetic coding has no such floor: a plain colour takes a few
// bytes whatever its size, since the coder's convention fills the end of a scan with zero bits, so
// a few bytes are a valid picture of any size and such files are held to the size limits.
constexpr uint64_t kMostHuffmanPixelsPerByte = 1024;

// The storage for the picture, with room for `room` bytes: the target's, when it is of about the
// right size and does not hold the bytes being read; otherwise fresh. Its old contents are
// overwritten row by row.
std::vector<uint8_t> Storage(Picture& target, size_t size, size_t room, std::span<const uint8_t> bytes) {
    std::vector<uint8_t> storage;
    const uint8_t* begin = target.pixels.data();
    const bool holdsBytes = !bytes.empty() && bytes.data() < begin + target.pixels.size() &&
                            begin < bytes.data() + bytes.size();
    if (!holdsBytes && target.pixels.capacity() >= room && target.pixels.capacity() / 2 <= room)
        storage = std::move(target.pixels);
    storage.reserve(room);
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

// The smallest reduction of the transform whose picture still covers the size shown, or 1.
int ScaleDenominator(Size full, Size shown) {
    for (int d : {8, 4, 2})
        if ((full.width + d - 1) / d >= shown.width && (full.height + d - 1) / d >= shown.height) return d;
    return 1;
}

// Decodes rows one at a time and hands over the ones the picture takes.
class RowReader {
public:
    RowReader(MxJpeg* jpeg, bool cmyk, bool inverted, int width)
        : jpeg_(jpeg), cmyk_(cmyk), inverted_(inverted), line_(size_t(width) * (cmyk ? 4 : 3)) {}

    // Decodes the next row into the reader's own line; false at the end of the data.
    bool Next() {
        uint8_t* rows[1] = {line_.data()};
        return mx_jpeg_read_rows(jpeg_, rows, 1) == 1;
    }
    // Decodes the next row straight into a picture row of as many pixels (BGR rows only).
    bool NextInto(uint8_t* row) {
        uint8_t* rows[1] = {row};
        return mx_jpeg_read_rows(jpeg_, rows, 1) == 1;
    }
    bool Direct() const { return !cmyk_; }
    // Pixels first to first + count - 1 of the line, as BGR.
    void CopyTo(uint8_t* out, int first, int count) const {
        if (cmyk_) CmykToBgr(line_.data() + 4 * size_t(first), out, count, inverted_);
        else std::memcpy(out, line_.data() + 3 * size_t(first), 3 * size_t(count));
    }
    // Pixels columns[0..count) of the line, as BGR.
    void SampleTo(uint8_t* out, const int* columns, int count) const {
        for (int k = 0; k < count; ++k) {
            if (cmyk_) CmykToBgr(line_.data() + 4 * size_t(columns[k]), out + 3 * k, 1, inverted_);
            else std::memcpy(out + 3 * k, line_.data() + 3 * size_t(columns[k]), 3);
        }
    }

private:
    MxJpeg* jpeg_;
    bool cmyk_, inverted_;
    std::vector<uint8_t> line_;
};

// The whole picture as the library gives it, straight into the rows when they are BGR.
int ReadEveryRow(MxJpeg* jpeg, Picture& pic, RowReader& reader) {
    int done = 0;
    if (reader.Direct()) {
        std::vector<uint8_t*> rows(size_t(pic.height));
        for (int y = 0; y < pic.height; ++y) rows[size_t(y)] = pic.Row(y);
        while (done < pic.height) {
            const int n = mx_jpeg_read_rows(jpeg, rows.data() + done, pic.height - done);
            if (n <= 0) break;
            done += n;
        }
    } else {
        while (done < pic.height && reader.Next()) reader.CopyTo(pic.Row(done++), 0, pic.width);
    }
    return done;
}

// The rows and columns that nearest-pixel scaling from the library's width x height takes. Rows
// between them are skipped, which spares their colour conversion.
int ReadSampledRows(MxJpeg* jpeg, Picture& pic, RowReader& reader, int width, int height) {
    std::vector<int> columns(size_t(pic.width));
    for (int x = 0; x < pic.width; ++x) columns[size_t(x)] = NearestSource(x, width, pic.width);
    int decoded = 0;  // rows the library has given or skipped
    for (int y = 0; y < pic.height; ++y) {
        const int source = NearestSource(y, height, pic.height);
        if (source > decoded) {
            if (mx_jpeg_skip_rows(jpeg, source - decoded) != source - decoded) return y;
            decoded = source;
        }
        if (!reader.Next()) return y;
        ++decoded;
        if (pic.width == width) reader.CopyTo(pic.Row(y), 0, width);
        else reader.SampleTo(pic.Row(y), columns.data(), pic.width);
    }
    return pic.height;
}

// A part of the picture: rows skipped to, columns cropped. The crop is one pixel wider on each side
// than the part, where the picture goes on, so that the library's edges fall outside it.
int ReadRegion(MxJpeg* jpeg, Picture& pic, const Rect& region, int fullWidth, bool cmyk, bool inverted) {
    int first = std::max(region.left - 1, 0);
    int count = std::min(region.Right() + 1, fullWidth) - first;
    if ((first > 0 || count < fullWidth) && !mx_jpeg_crop(jpeg, &first, &count)) return 0;
    if (region.top > 0 && mx_jpeg_skip_rows(jpeg, region.top) != region.top) return 0;
    RowReader reader(jpeg, cmyk, inverted, count);
    const int offset = region.left - first;
    const bool direct = reader.Direct() && offset == 0 && count == region.width;
    for (int y = 0; y < pic.height; ++y) {
        if (direct) {
            if (!reader.NextInto(pic.Row(y))) return y;
        } else {
            if (!reader.Next()) return y;
            reader.CopyTo(pic.Row(y), offset, region.width);
        }
    }
    return pic.height;
}

}  // namespace

bool LooksLikeJpeg(std::span<const uint8_t> d) { return d.size() >= 2 && d[0] == 0xFF && d[1] == 0xD8; }

ReadResult ReadJpeg(std::span<const uint8_t> bytes, const ShowRequest& request, DecodedPicture& target,
                    int orientation) {
    if (!LooksLikeJpeg(bytes)) return ReadResult::Malformed;
    std::unique_ptr<MxJpeg, Close> jpeg(
        mx_jpeg_open(bytes.data(), bytes.size(), DecoderMemoryFor(bytes.size()), kMaxScanPixels));
    MxJpegHeader header{};
    if (!jpeg || !mx_jpeg_read_header(jpeg.get(), &header)) return ReadResult::Malformed;
    if (header.width <= 0 || header.height <= 0) return ReadResult::Malformed;
    if (!PictureSizeAllowed(header.width, header.height, 24)) return ReadResult::TooLarge;
    if (!header.dataAfterHeader) return ReadResult::Malformed;
    if (!header.arithmetic &&
        uint64_t(header.width) * uint64_t(header.height) / kMostHuffmanPixelsPerByte > bytes.size())
        return ReadResult::Malformed;
    const bool cmyk = header.colours == MX_JPEG_CMYK || header.colours == MX_JPEG_INVERTED_CMYK;
    const bool inverted = header.colours == MX_JPEG_INVERTED_CMYK;
    const Size full{header.width, header.height};
    // The request shows the upright picture: the part it shows, as stored.
    const bool swaps = SwapsSides(orientation);
    const Size upright = swaps ? Size{full.height, full.width} : full;
    const ShownPart uprightPart = PartShown(request, upright);
    const ShownPart part{StoredRect(uprightPart.region, upright, orientation),
                         swaps ? Size{uprightPart.shown.height, uprightPart.shown.width} : uprightPart.shown};
    const bool whole = part.region == Rect{0, 0, full.width, full.height};
    int width = 0, height = 0;  // of the rows the library gives
    if (!mx_jpeg_start(jpeg.get(), cmyk, whole ? ScaleDenominator(full, part.shown) : 1, &width, &height) ||
        width <= 0 || height <= 0)
        return ReadResult::Malformed;

    Picture pic;
    pic.width = whole ? std::min(part.shown.width, width) : part.region.width;
    pic.height = whole ? std::min(part.shown.height, height) : part.region.height;
    pic.bitsPerPixel = 24;
    pic.format = PixelFormat::Bits24;
    // A fitted picture is shown inside bands that fill the area: its storage has room for the
    // area's picture at this depth, so that the bands can be added in place.
    const size_t size = pic.Stride() * size_t(pic.height);
    const bool bands = request.kind == ShowRequest::Kind::Fitted && whole && !swaps &&
                       part.shown == Size{pic.width, pic.height} &&
                       PictureSizeAllowed(request.area.width, request.area.height, 24);
    const size_t room =
        bands ? std::max(size, Picture::StrideFor(request.area.width, 24) * size_t(request.area.height)) : size;
    pic.pixels = Storage(target.picture, size, room, bytes);

    int done = 0;
    if (!whole) {
        done = ReadRegion(jpeg.get(), pic, part.region, full.width, cmyk, inverted);
    } else {
        RowReader reader(jpeg.get(), cmyk, inverted, width);
        done = pic.width == width && pic.height == height ? ReadEveryRow(jpeg.get(), pic, reader)
                                                           : ReadSampledRows(jpeg.get(), pic, reader, width, height);
    }
    // Rows never decoded are grey; the padding at the end of each row, which the decoder does not
    // write, is zero whatever the reused storage held.
    const size_t used = size_t(pic.width) * 3;
    for (int y = 0; y < pic.height; ++y) {
        if (y >= done) std::memset(pic.Row(y), 0x80, used);
        std::memset(pic.Row(y) + used, 0, pic.Stride() - used);
    }
    TurnUpright(pic, orientation);
    target.picture = std::move(pic);
    target.width = upright.width;
    target.height = upright.height;
    target.region = uprightPart.region;
    target.request = request;
    target.anyRequest = false;
    return ReadResult::Ok;
}

}  // namespace mx
