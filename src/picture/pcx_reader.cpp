#include "picture/pcx_reader.h"

#include <algorithm>
#include <vector>

namespace mx {

namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kEndPaletteSize = 769;  // marker byte 0x0C and 256 RGB triples

// Feeds the scan-line bytes, run-length decoded or plain. A run may carry on into the next scan
// line; some writers do that.
class ScanLineSource {
public:
    ScanLineSource(std::span<const uint8_t> data, bool runLength) : data_(data), runLength_(runLength) {}

    bool Fill(uint8_t* out, size_t count) {
        size_t done = 0;
        while (done < count) {
            if (runLeft_ > 0) {
                const size_t n = std::min<size_t>(runLeft_, count - done);
                std::fill_n(out + done, n, runValue_);
                runLeft_ -= n;
                done += n;
                continue;
            }
            if (pos_ >= data_.size()) return false;
            const uint8_t b = data_[pos_++];
            if (runLength_ && b >= 0xC0) {
                if (pos_ >= data_.size()) return false;
                runLeft_ = b & 0x3F;
                runValue_ = data_[pos_++];
            } else {
                out[done++] = b;
            }
        }
        return true;
    }

private:
    std::span<const uint8_t> data_;
    bool runLength_;
    size_t pos_ = 0;
    size_t runLeft_ = 0;
    uint8_t runValue_ = 0;
};

}  // namespace

bool LooksLikePcx(std::span<const uint8_t> d) {
    if (d.size() < kHeaderSize || d[0] != 0x0A) return false;
    const uint8_t version = d[1], encoding = d[2], bits = d[3];
    return (version == 0 || (version >= 2 && version <= 5)) && encoding <= 1 &&
           (bits == 1 || bits == 2 || bits == 4 || bits == 8);
}

ReadResult ReadPcx(std::span<const uint8_t> d, Picture& target) {
    if (!LooksLikePcx(d)) return ReadResult::Malformed;
    const int bits = d[3];
    const int planes = d[65];
    const size_t bytesPerLine = Le16(&d[66]);
    const int64_t width = int64_t(Le16(&d[8])) - Le16(&d[4]) + 1;
    const int64_t height = int64_t(Le16(&d[10])) - Le16(&d[6]) + 1;
    if (width <= 0 || height <= 0 || planes < 1 || planes > 4) return ReadResult::Malformed;
    const bool colour = bits == 8 && planes >= 3;
    if (!colour && bits * planes > 8) return ReadResult::Malformed;
    const int outBits = colour ? 24 : 8;
    if (!PictureSizeAllowed(width, height, outBits)) return ReadResult::TooLarge;
    if (bytesPerLine < (size_t(width) * size_t(bits) + 7) / 8) return ReadResult::Malformed;

    // The 256-colour palette sits at the very end, after the pixel data.
    std::span<const uint8_t> data = d.subspan(kHeaderSize);
    const size_t colours = colour ? 0 : size_t(1) << (bits * planes);
    const bool endPalette = colours > 16 && d.size() >= kHeaderSize + kEndPaletteSize &&
                            d[d.size() - kEndPaletteSize] == 0x0C;
    if (endPalette) data = data.first(data.size() - kEndPaletteSize);

    // Refuse before allocating when the data cannot hold the picture: a run of two bytes gives at
    // most 63.
    const size_t lineBytes = bytesPerLine * size_t(planes);
    const bool runLength = d[2] == 1;
    const size_t most = runLength ? data.size() / 2 * 63 + data.size() % 2 : data.size();
    if (most / lineBytes < size_t(height)) return ReadResult::Malformed;

    Picture pic;
    pic.width = int(width);
    pic.height = int(height);
    pic.bitsPerPixel = outBits;
    pic.format = colour ? PixelFormat::Bits24 : PixelFormat::Bits8;
    if (!colour) {
        pic.palette.resize(colours);
        if (endPalette) {
            const uint8_t* p = &d[d.size() - kEndPaletteSize + 1];
            for (size_t i = 0; i < colours; ++i, p += 3) pic.palette[i] = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        } else if (colours > 16) {
            // The header holds only 16 colours; without a palette at the end, deeper pictures are grey.
            for (size_t i = 0; i < colours; ++i) pic.palette[i] = uint32_t(i * 255 / (colours - 1)) * 0x010101u;
        } else if (colours == 2 && bits == 1) {
            // Monochrome pictures are black and white whatever the header's palette says.
            pic.palette = {0x000000, 0xFFFFFF};
        } else {
            for (size_t i = 0; i < colours; ++i) {
                const uint8_t* p = &d[16 + 3 * i];
                pic.palette[i] = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
            }
        }
    }
    pic.pixels.assign(pic.Stride() * size_t(height), 0);

    ScanLineSource source(data, runLength);
    std::vector<uint8_t> line(lineBytes);
    for (int y = 0; y < pic.height; ++y) {
        if (!source.Fill(line.data(), line.size())) return ReadResult::Malformed;
        uint8_t* row = pic.Row(y);
        if (colour) {
            for (int x = 0; x < pic.width; ++x) {
                row[3 * x] = line[2 * bytesPerLine + x];
                row[3 * x + 1] = line[bytesPerLine + x];
                row[3 * x + 2] = line[x];
            }
        } else if (bits == 8) {
            std::copy_n(line.data(), pic.width, row);
        } else {
            const int perByte = 8 / bits;
            const unsigned mask = (1u << bits) - 1;
            for (int x = 0; x < pic.width; ++x) {
                const int shift = 8 - bits * (x % perByte + 1);
                unsigned index = 0;
                for (int p = 0; p < planes; ++p)
                    index |= ((line[p * bytesPerLine + x / perByte] >> shift) & mask) << (p * bits);
                row[x] = uint8_t(index);
            }
        }
    }
    target = std::move(pic);
    return ReadResult::Ok;
}

}  // namespace mx
