#include "picture/bmp_writer.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

#include "picture/scale.h"
#include "platform/beside.h"
#include "picture/transparency.h"

namespace mx {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

bool PlainMasks(const Picture& picture) {
    if (picture.bitsPerPixel == 16) return picture.masks == std::array<uint32_t, 3>{0x7C00, 0x03E0, 0x001F};
    return picture.masks == std::array<uint32_t, 3>{0xFF0000, 0xFF00, 0xFF};
}

// The two headers of an uncompressed file; `masks` are written after them when given.
std::vector<uint8_t> Headers(int width, int height, int bits, size_t imageSize, const uint32_t* masks, size_t colours) {
    const size_t offset = kFileHeaderSize + kInfoHeaderSize + (masks ? 12 : 0) + 4 * colours;
    std::vector<uint8_t> out;
    out.reserve(offset);
    out.push_back('B');
    out.push_back('M');
    Put32(out, uint32_t(offset + imageSize));
    Put32(out, 0);
    Put32(out, uint32_t(offset));

    Put32(out, kInfoHeaderSize);
    Put32(out, uint32_t(width));
    Put32(out, uint32_t(height));  // positive: rows bottom-up
    Put16(out, 1);
    Put16(out, uint32_t(bits));
    Put32(out, masks ? kBiBitfields : kBiRgb);
    Put32(out, uint32_t(imageSize));
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, uint32_t(colours));
    Put32(out, 0);
    if (masks) {
        for (int i = 0; i < 3; ++i) Put32(out, masks[i]);
    }
    return out;
}

// Turns a row of 32-bit pixels (blue, green, red, 0) into `bits` per pixel, in place.
void PackRow(uint8_t* row, int width, int bits) {
    if (bits == 24) {
        for (int x = 0; x < width; ++x) std::memmove(row + 3 * x, row + 4 * x, 3);
    } else if (bits == 16) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = row + 4 * x;
            uint16_t v = uint16_t(((p[2] >> 3) << 11) | ((p[1] >> 2) << 5) | (p[0] >> 3));
            row[2 * x] = uint8_t(v);
            row[2 * x + 1] = uint8_t(v >> 8);
        }
    }
}

// C files rather than streams: the streams would bring the whole of the library's locale machinery
// into the programs, most of their size.
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool WriteAll(std::FILE* file, const void* data, size_t size) { return std::fwrite(data, 1, size, file) == size; }

// Closes the file and reports whether everything written reached it.
bool Finish(File file) { return std::fclose(file.release()) == 0; }

}  // namespace

std::vector<uint8_t> EncodeBmp(const Picture& picture) {
    const bool empty = picture.Empty();
    const int bits = empty ? 24 : picture.bitsPerPixel;
    const int width = empty ? 0 : picture.width;
    const int height = empty ? 0 : picture.height;
    size_t colours = 0;
    switch (bits) {
    case 1: case 4: case 8:
        colours = picture.palette.size();
        if (colours == 0 || colours > (size_t(1) << bits)) return {};
        break;
    case 16: case 24: case 32: break;
    default: return {};
    }
    const size_t stride = Picture::StrideFor(width, bits);
    if (!empty && picture.pixels.size() / stride < size_t(height)) return {};
    const bool bitfields = (bits == 16 || bits == 32) && !PlainMasks(picture);
    const size_t offset = kFileHeaderSize + kInfoHeaderSize + (bitfields ? 12 : 0) + 4 * colours;
    const size_t imageSize = stride * size_t(height);
    if (imageSize > 0xFFFFFFFFu - offset) return {};

    std::vector<uint8_t> out = Headers(width, height, bits, imageSize, bitfields ? picture.masks.data() : nullptr, colours);
    out.reserve(offset + imageSize);
    for (size_t i = 0; i < colours; ++i) Put32(out, picture.palette[i] & 0xFFFFFF);

    // Only the bytes that hold pixels are copied; the rows' padding is written as zeros.
    const size_t used = (size_t(width) * size_t(bits) + 7) / 8;
    out.resize(offset + imageSize);
    for (int y = 0; y < height; ++y) {
        uint8_t* dst = out.data() + offset + size_t(height - 1 - y) * stride;
        std::memcpy(dst, picture.Row(y), used);
        if (bits < 8 && (size_t(width) * size_t(bits)) % 8 != 0) {
            // Bits of the last byte beyond the last pixel are cleared too.
            int kept = int((size_t(width) * size_t(bits)) % 8);
            dst[used - 1] &= uint8_t(0xFF << (8 - kept));
        }
    }
    return out;
}

bool WriteBmp(const Picture& picture, const std::string& path) {
    std::vector<uint8_t> bytes = EncodeBmp(picture);
    if (bytes.empty()) return false;
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    bool written = WriteAll(file.get(), bytes.data(), bytes.size());
    return Finish(std::move(file)) && written;
}

bool WriteBmpAtDepth(const Picture& picture, int bitsPerPixel, const std::string& path, uint32_t background) {
    return WriteBmpAtDepth(picture, bitsPerPixel, std::fopen(path.c_str(), "wb"), background);
}

bool WriteBmpAtDepth(const Picture& picture, int bitsPerPixel, std::FILE* stream, uint32_t background) {
    const bool empty = picture.Empty() || !HasPixels(picture);
    const Size size = empty ? Size{} : Size{picture.width, picture.height};
    PixelReader reader(picture);
    return WriteBmpRows(size, bitsPerPixel, stream, [&](int y, uint8_t* row) {
        reader.Convert(y, size.width, row);
        if (picture.alpha) BlendRow(row, size.width, background);
    });
}

bool WriteBmpRows(Size size, int bitsPerPixel, std::FILE* stream, const BmpRowSource& rows) {
    File file(stream);
    if (!file) return false;
    if (bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) return false;
    const int width = std::max(size.width, 0), height = width > 0 ? std::max(size.height, 0) : 0;
    const size_t stride = Picture::StrideFor(width, bitsPerPixel);
    const size_t imageSize = stride * size_t(height);
    if (imageSize > 0xFFFFFFFFu - 66) return false;
    static constexpr uint32_t kMasks565[3] = {0xF800, 0x07E0, 0x001F};
    std::vector<uint8_t> headers = Headers(height > 0 ? width : 0, height, bitsPerPixel, imageSize,
                                           bitsPerPixel == 16 ? kMasks565 : nullptr, 0);
    bool written = WriteAll(file.get(), headers.data(), headers.size());
    if (height == 0 || !written) return Finish(std::move(file)) && written;
    // Rows go out bottom-up, made in blocks of about 256 KiB. Each row is made at 32 bits per pixel,
    // then packed to the file's depth within the same space.
    const size_t wide = size_t(width) * 4;
    const int block = int(std::clamp<size_t>((size_t(256) << 10) / wide, 1, size_t(height)));
    const int blocks = (height + block - 1) / block;
    auto make = [&](int b, std::vector<uint8_t>& buffer) {
        const int done = b * block, count = std::min(block, height - done);
        for (int k = 0; k < count; ++k) {
            uint8_t* row = buffer.data() + size_t(k) * stride;
            rows(height - 1 - (done + k), row);
            PackRow(row, width, bitsPerPixel);
            std::fill(row + (size_t(width) * size_t(bitsPerPixel) / 8), row + stride, uint8_t(0));
        }
        return stride * size_t(count);
    };
    auto oneByOne = [&] {
        std::vector<uint8_t> buffer(stride * size_t(block) + wide);
        for (int b = 0; b < blocks && written; ++b) written = WriteAll(file.get(), buffer.data(), make(b, buffer));
    };
    if (blocks < 3 || !SeveralProcessors()) {
        oneByOne();
        return Finish(std::move(file)) && written;
    }
    // A wallpaper's rows are made from its renderings about as fast as they are written: a second
    // thread writes each block while this one makes the next, in the other of two buffers.
    std::vector<uint8_t> buffers[2] = {std::vector<uint8_t>(stride * size_t(block) + wide),
                                       std::vector<uint8_t>(stride * size_t(block) + wide)};
    size_t sizes[2] = {};
    SharedCount made, taken;  // blocks made, blocks written
    bool alone = false;
    RunBeside(
        [&] {
            if (alone) return;
            for (int b = 0; b < blocks; ++b) {
                if (!made.WaitFor(size_t(b) + 1)) return;
                if (!WriteAll(file.get(), buffers[b % 2].data(), sizes[b % 2])) {
                    written = false;
                    taken.Stop();
                    return;
                }
                taken.Set(size_t(b) + 1);
            }
        },
        [&](bool together) {
            if (!together) {
                alone = true;
                return oneByOne();
            }
            // However the making ends, the writer waits no longer.
            struct Done {
                SharedCount& made;
                ~Done() { made.Stop(); }
            } done{made};
            for (int b = 0; b < blocks; ++b) {
                // A buffer is made again once the block before last, which it held, is written.
                if (b >= 2 && !taken.WaitFor(size_t(b) - 1)) return;
                sizes[b % 2] = make(b, buffers[b % 2]);
                made.Set(size_t(b) + 1);
            }
        });
    return Finish(std::move(file)) && written;
}

bool WrittenBmpRows::Open(const std::string& path, Size size) {
    file_.reset(std::fopen(path.c_str(), "rb"));
    uint8_t h[kFileHeaderSize + kInfoHeaderSize + 12] = {};
    if (!file_ || size.width <= 0 || size.height <= 0 || std::fread(h, 1, sizeof h, file_.get()) < 54) {
        file_.reset();
        return false;
    }
    auto u16 = [&](int at) { return uint32_t(h[at]) | uint32_t(h[at + 1]) << 8; };
    auto u32 = [&](int at) { return u16(at) | u16(at + 2) << 16; };
    bits_ = int(u16(28));
    const uint32_t compression = u32(30), offset = u32(10);
    const bool plain = compression == kBiRgb && (bits_ == 24 || bits_ == 32) && offset == 54;
    const bool masks565 = compression == kBiBitfields && bits_ == 16 && offset == 66 && u32(54) == 0xF800 &&
                          u32(58) == 0x07E0 && u32(62) == 0x001F;
    // Offsets are a long's, which on Windows holds 2 GiB.
    const size_t stride = Picture::StrideFor(size.width, bits_);
    const uint64_t end = uint64_t(offset) + uint64_t(stride) * uint64_t(size.height);
    if (end > uint64_t(LONG_MAX) || h[0] != 'B' || h[1] != 'M' || u32(14) != kInfoHeaderSize || int32_t(u32(18)) != size.width ||
        int32_t(u32(22)) != size.height || u16(26) != 1 || !(plain || masks565) ||
        std::fseek(file_.get(), 0, SEEK_END) != 0 || std::ftell(file_.get()) < long(end)) {
        file_.reset();
        return false;
    }
    size_ = size;
    offset_ = long(offset);
    buffer_.resize(stride);
    return true;
}

bool WrittenBmpRows::Row(int y, uint8_t* row) {
    if (!file_ || y < 0 || y >= size_.height) return false;
    const long at = offset_ + long(buffer_.size()) * long(size_.height - 1 - y);
    if (std::fseek(file_.get(), at, SEEK_SET) != 0 ||
        std::fread(buffer_.data(), 1, buffer_.size(), file_.get()) != buffer_.size())
        return false;
    const uint8_t* in = buffer_.data();
    for (int x = 0; x < size_.width; ++x) {
        uint8_t* out = row + 4 * size_t(x);
        if (bits_ == 16) {
            const uint32_t v = uint32_t(in[2 * x]) | uint32_t(in[2 * x + 1]) << 8;
            const uint32_t r = v >> 11, g = (v >> 5) & 63, b = v & 31;
            out[0] = uint8_t(b << 3 | b >> 2);
            out[1] = uint8_t(g << 2 | g >> 4);
            out[2] = uint8_t(r << 3 | r >> 2);
        } else {
            std::memcpy(out, in + size_t(x) * size_t(bits_ / 8), 3);
        }
        out[3] = 0;
    }
    return true;
}

}  // namespace mx
