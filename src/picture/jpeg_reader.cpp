#include "picture/jpeg_reader.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "picture/jpeg_calls.h"
#include "picture/orient.h"
#include "picture/scale.h"
#include "platform/beside.h"

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
// Pictures from about this size (a full-HD photograph) take more to decode than a second thread
// costs to start.
constexpr uint64_t kPixelsOnTwoThreads = 2'000'000;

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

// The smallest reduction of the transform whose picture still covers the size shown, or 1. The
// library's other scales (3/8, 6/8 and the like) are left out: it has no SIMD code for their
// transforms, and they cost more than the next larger of these (6/8 about 1.4 times the whole decode).
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

// Where the picture's rows go: `height` rows of `width` BGR pixels, `stride` bytes apart from `first`
// (the picture's own rows, or its place on a larger picture).
struct Target {
    uint8_t* first;
    size_t stride;
    int width, height;
    uint8_t* Row(int y) const { return first + size_t(y) * stride; }
};

// Which of the library's columns (or rows) each of the picture's shows: those that nearest-pixel
// scaling from `from` to `to` pixels takes for `first` to `first + count - 1`. `to` is at most
// `from`, so each is a later one than the one before.
struct Axis {
    int first, count, from, to;
    int Source(int k) const { return NearestSource(first + k, from, to); }
};

// The library's columns each row is decoded for, and those of them the picture takes.
struct Columns {
    int first = 0, count = 0;
    std::vector<int> taken;  // for each of the picture's columns, from `first`
    bool contiguous = false;
    bool direct = false;  // the picture's row is the library's row
};

// Only the columns from the first to the last one taken are decoded, with one more on each side where
// the picture goes on, so that the library's edges fall outside them.
bool Crop(MxJpeg* jpeg, const Axis& axis, int width, bool cmyk, int pictureWidth, Columns& columns) {
    int first = std::max(axis.Source(0) - 1, 0);
    int count = std::min(axis.Source(axis.count - 1) + 2, width) - first;
    if (count < width && !mx_jpeg_crop(jpeg, &first, &count)) return false;
    columns.first = first;
    columns.count = count;
    columns.taken.resize(size_t(pictureWidth));
    for (int x = 0; x < pictureWidth; ++x) columns.taken[size_t(x)] = axis.Source(x) - first;
    columns.contiguous = columns.taken.back() - columns.taken.front() == pictureWidth - 1;
    columns.direct = !cmyk && columns.contiguous && columns.taken.front() == 0 && count == pictureWidth;
    return true;
}

// The picture's rows `from` to `to` - 1 from a decoder that has given `given` rows of its own: rows
// before the first one taken and between the ones taken are skipped, which spares their colour
// conversion, and decoding stops after the last, or before a row `decode` refuses, when it is given.
// With `stop`, a long skip from the first row goes in parts of whole rows of blocks and ends when it
// is set. The row it stopped at, `to` when every one was decoded.
int ReadRows(MxJpeg* jpeg, const Target& pic, const Columns& columns, const Axis& rows, bool cmyk, bool inverted,
             int from, int to, int given = 0, const std::function<bool(int y)>& decode = nullptr,
             const std::atomic<bool>* stop = nullptr) {
    // Each part decodes the rows of one more row of blocks whole, for the smoothing of the chroma at
    // its end: twelve parts cost a few per cent. (Parts that end elsewhere give other pixels at 1/2.)
    const int blockRows = std::max(mx_jpeg_block_rows(jpeg), 1);
    const int part = blockRows * std::max(1, rows.from / 12 / blockRows);
    if (columns.direct && rows.from == rows.to && !decode) {
        // Consecutive whole rows: straight into the picture, as many at a call as the library gives.
        const int skip = rows.first + from - given;
        if (skip > 0 && mx_jpeg_skip_rows(jpeg, skip) != skip) return from;
        std::vector<uint8_t*> pointers(size_t(to - from));
        for (int y = from; y < to; ++y) pointers[size_t(y - from)] = pic.Row(y);
        int done = 0;
        while (done < to - from) {
            const int n = mx_jpeg_read_rows(jpeg, pointers.data() + done, to - from - done);
            if (n <= 0) break;
            done += n;
        }
        return from + done;
    }
    RowReader reader(jpeg, cmyk, inverted, columns.count);
    int decoded = given;  // rows the library has given or skipped
    for (int y = from; y < to; ++y) {
        const int source = rows.Source(y);
        while (source > decoded) {
            const int n = stop ? std::min(source - decoded, part) : source - decoded;
            if (mx_jpeg_skip_rows(jpeg, n) != n) return y;
            decoded += n;
            // Only before the first row: once the second decoder has taken its rows, it decodes them all.
            if (stop && *stop && y == from) return y;
        }
        if (decode && !decode(y)) return y;
        ++decoded;
        if (columns.direct) {
            if (!reader.NextInto(pic.Row(y))) return y;
            continue;
        }
        if (!reader.Next()) return y;
        if (columns.contiguous) reader.CopyTo(pic.Row(y), columns.taken.front(), pic.width);
        else reader.SampleTo(pic.Row(y), columns.taken.data(), pic.width);
    }
    return to;
}

// What skipping a row costs beside decoding it: its entropy decoding, the same at every reduction and
// however few columns are decoded, while the rest of the decoding shrinks with both (the shares of a
// camera's 4:2:0 photograph). Nothing is gained at 1/8, where skipping costs all of decoding.
double SkipCost(int denominator, double columnsDecoded) {
    const double entropy = denominator == 1 ? 0.63 : denominator == 2 ? 0.74 : denominator == 4 ? 0.85 : 1;
    return entropy / (entropy + columnsDecoded * (1 - entropy));
}

// A second decoder skips the rows the first one decodes and decodes the rest: the rows are split where
// both take as long, the second started once the first has skipped to its first row (and the split
// after the last when the second could not catch up).
int SplitRow(const Axis& rows, int height, double skipCost) {
    const double first = rows.Source(0), last = rows.Source(height - 1) + 1;
    const double at = (last + first) / (2 - skipCost);
    int y = 0;
    while (y < height && rows.Source(y) < at) ++y;
    return y;
}

// Another decoder of the file, started alike, or none.
using SecondDecoder = std::function<std::unique_ptr<MxJpeg, Close>()>;

// The picture's rows and columns from what the library gives, `width` columns wide: the rows read
// by `jpeg`, or, when a second decoder is worth it and `second` gives one, its upper rows read by
// `jpeg` while the second reads the others on another thread. Returns the row reading stopped at.
int ReadPart(MxJpeg* jpeg, const SecondDecoder& second, int denominator, const Target& pic, const Axis& columnAxis,
             const Axis& rows, int width, bool cmyk, bool inverted) {
    Columns columns, again;
    if (!Crop(jpeg, columnAxis, width, cmyk, pic.width, columns)) return 0;
    const double skipCost = SkipCost(denominator, double(columns.count) / width);
    const int split = second && skipCost < 0.9 ? SplitRow(rows, pic.height, skipCost) : pic.height;
    // The first row, after the rows skipped to it, is decoded alone; then the pace of the next ones,
    // still alone, is that of a processor of the first decoder's own. If the ones after them, with the
    // second decoder started, come much slower, the two share one processor (the machine is busy): the
    // second stops skipping, and the first decodes every row.
    const int probe = std::max(1, split / 40), paced = 1 + probe;
    std::unique_ptr<MxJpeg, Close> other = 2 * paced < split && split < pic.height ? second() : nullptr;
    if (!other || !Crop(other.get(), columnAxis, width, cmyk, pic.width, again) || again.first != columns.first ||
        again.count != columns.count)
        return ReadRows(jpeg, pic, columns, rows, cmyk, inverted, 0, pic.height);
    using Clock = std::chrono::steady_clock;
    int upper = ReadRows(jpeg, pic, columns, rows, cmyk, inverted, 0, 1);
    const Clock::time_point start = Clock::now();
    if (upper == 1) upper = ReadRows(jpeg, pic, columns, rows, cmyk, inverted, 1, paced, rows.Source(0) + 1);
    if (upper < paced) return upper;
    const Clock::duration alone = Clock::now() - start;
    // The rows from the split are the second decoder's once it has skipped to them, unless the first
    // has got there first: then the first goes on to the end. `next` is the row the first may decode
    // next, or kSecond.
    constexpr int kSecond = -1;
    std::atomic<int> next{split};
    std::atomic<bool> shared{false};
    int lower = split;
    bool lowerRead = false;
    RunBeside(
        [&] {
            lower = ReadRows(
                other.get(), pic, columns, rows, cmyk, inverted, split, pic.height, 0,
                [&](int y) {
                    int expected = split;
                    return y > split || (!shared && (lowerRead = next.compare_exchange_strong(expected, kSecond)));
                },
                &shared);
        },
        [&] {
            const Clock::time_point beside = Clock::now();
            upper = ReadRows(jpeg, pic, columns, rows, cmyk, inverted, paced, pic.height, rows.Source(paced - 1) + 1,
                             [&](int y) {
                                 if (y == paced + probe && (Clock::now() - beside) * 2 > alone * 3) shared = true;
                                 int expected = y;
                                 return y < split || next.compare_exchange_strong(expected, y + 1);
                             });
        });
    // Rows after a failure in the upper ones are grey, as one decoder would have left them.
    return upper < split || !lowerRead ? upper : lower;
}

}  // namespace

bool LooksLikeJpeg(std::span<const uint8_t> d) { return d.size() >= 2 && d[0] == 0xFF && d[1] == 0xD8; }

ReadResult ReadJpeg(std::span<const uint8_t> bytes, const ShowRequest& request, DecodedPicture& target,
                    int orientation, JpegThreads threads) {
    if (!LooksLikeJpeg(bytes)) return ReadResult::Malformed;
    auto open = [&] {
        return std::unique_ptr<MxJpeg, Close>(
            mx_jpeg_open(bytes.data(), bytes.size(), DecoderMemoryFor(bytes.size()), kMaxScanPixels));
    };
    std::unique_ptr<MxJpeg, Close> jpeg = open();
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
    const Size scaled = swaps ? Size{uprightPart.scaled.height, uprightPart.scaled.width} : uprightPart.scaled;
    const Rect window = StoredRect(uprightPart.window, uprightPart.scaled, orientation);
    const Rect region = StoredRect(uprightPart.region, upright, orientation);
    const int denominator = ScaleDenominator(full, scaled);
    int width = 0, height = 0;  // of the rows the library gives
    if (!mx_jpeg_start(jpeg.get(), cmyk, denominator, &width, &height) || width <= 0 || height <= 0)
        return ReadResult::Malformed;
    // Each direction is scaled down from what the library gives to the size shown, or, where it
    // would be enlarged, taken at its own size for the renderer to enlarge.
    const Axis columns = scaled.width <= width ? Axis{window.left, window.width, width, scaled.width}
                                               : Axis{region.left, region.width, width, width};
    const Axis rows = scaled.height <= height ? Axis{window.top, window.height, height, scaled.height}
                                              : Axis{region.top, region.height, height, height};

    Picture pic;
    pic.width = columns.count;
    pic.height = rows.count;
    pic.bitsPerPixel = 24;
    pic.format = PixelFormat::Bits24;
    // A fitted picture is shown inside bands that fill the area: its storage has room for the
    // area's picture at this depth, so that the bands can be added in place.
    const size_t size = pic.Stride() * size_t(pic.height);
    const bool bands = request.kind == ShowRequest::Kind::Fitted && !swaps &&
                       uprightPart.shown == Size{pic.width, pic.height} &&
                       PictureSizeAllowed(request.area.width, request.area.height, 24);
    const size_t room =
        bands ? std::max(size, Picture::StrideFor(request.area.width, 24) * size_t(request.area.height)) : size;
    // Asked for in place, the picture is the area's, and the fitted picture is decoded straight into
    // its place on it, for the renderer to draw the bands around.
    const Rect fitted = FittedArea(upright, request.area);
    const bool inPlace = bands && request.inPlace && orientation == 1 && fitted.width == pic.width &&
                         fitted.height == pic.height && fitted.left >= 0 && fitted.top >= 0;
    Target rowsTo{nullptr, pic.Stride(), pic.width, pic.height};
    if (inPlace) {
        pic.width = request.area.width;
        pic.height = request.area.height;
        pic.pixels = Storage(target.picture, room, room, bytes);
        rowsTo.stride = pic.Stride();
        rowsTo.first = pic.Row(fitted.top) + 3 * size_t(fitted.left);
    } else {
        pic.pixels = Storage(target.picture, size, room, bytes);
        rowsTo.first = pic.pixels.data();
    }

    // A second decoder skips rows by their entropy decoding alone only in a file of one scan, and at
    // 1/8 that is all of the decoding.
    const bool two = header.singleScan && denominator < 8 &&
                     (threads == JpegThreads::Two ||
                      (threads == JpegThreads::BySize &&
                       uint64_t(full.width) * uint64_t(full.height) >= kPixelsOnTwoThreads && SeveralProcessors()));
    auto second = [&] {
        std::unique_ptr<MxJpeg, Close> decoder = open();
        MxJpegHeader again{};
        int w = 0, h = 0;
        if (decoder && !(mx_jpeg_read_header(decoder.get(), &again) &&
                         mx_jpeg_start(decoder.get(), cmyk, denominator, &w, &h) && w == width && h == height))
            decoder.reset();
        return decoder;
    };
    const int done = ReadPart(jpeg.get(), two ? second : SecondDecoder(), denominator, rowsTo, columns, rows, width,
                              cmyk, inverted);
    // Rows never decoded are grey; the padding at the end of each row, which the decoder does not
    // write, is zero whatever the reused storage held (in place, the renderer's bands cover it).
    const size_t used = size_t(rowsTo.width) * 3;
    for (int y = 0; y < rowsTo.height; ++y) {
        if (y >= done) std::memset(rowsTo.Row(y), 0x80, used);
        if (!inPlace) std::memset(rowsTo.Row(y) + used, 0, rowsTo.stride - used);
    }
    TurnUpright(pic, orientation);
    target.placed = inPlace ? fitted : Rect{};
    target.picture = std::move(pic);
    target.width = upright.width;
    target.height = upright.height;
    target.region = uprightPart.region;
    target.request = request;
    target.anyRequest = false;
    return ReadResult::Ok;
}

}  // namespace mx
