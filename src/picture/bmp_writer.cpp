#include "picture/bmp_writer.h"

#include <cstring>
#include <fstream>

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

    std::vector<uint8_t> out;
    out.reserve(offset + imageSize);
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
    Put32(out, bitfields ? kBiBitfields : kBiRgb);
    Put32(out, uint32_t(imageSize));
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, uint32_t(colours));
    Put32(out, 0);
    if (bitfields) {
        for (uint32_t mask : picture.masks) Put32(out, mask);
    }
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
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    file.close();
    return !file.fail();
}

}  // namespace mx
