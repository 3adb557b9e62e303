#include "picture/gif_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include <gif_lib.h>

namespace mx {

namespace {

struct Input {
    const uint8_t* next;
    size_t left;
};

int ReadInput(GifFileType* gif, GifByteType* buffer, int wanted) {
    auto* input = static_cast<Input*>(gif->UserData);
    const size_t n = std::min(input->left, size_t(wanted < 0 ? 0 : wanted));
    std::memcpy(buffer, input->next, n);
    input->next += n;
    input->left -= n;
    return int(n);
}

struct Close {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

// LZW strings are at most 4096 pixels long, so no file describes more pixels than that per byte;
// a screen larger than that would be a few bytes asking for an enormous picture.
constexpr uint64_t kMostPixelsPerByte = 4096;

uint32_t Colour(const GifColorType& c) { return uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | c.Blue; }

// The order in which an interlaced frame's rows arrive: every eighth row from 0, every eighth from
// 4, every fourth from 2, every second from 1.
std::vector<int> RowOrder(int height, bool interlaced) {
    std::vector<int> order;
    order.reserve(size_t(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y) order.push_back(y);
        return order;
    }
    const int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = starts[pass]; y < height; y += steps[pass]) order.push_back(y);
    return order;
}

void PutPixel(uint8_t* p, uint32_t colour) {
    p[0] = uint8_t(colour);
    p[1] = uint8_t(colour >> 8);
    p[2] = uint8_t(colour >> 16);
}

}  // namespace

bool LooksLikeGif(std::span<const uint8_t> d) {
    return d.size() >= 4 && d[0] == 'G' && d[1] == 'I' && d[2] == 'F' && d[3] == '8';
}

ReadResult ReadGif(std::span<const uint8_t> bytes, Picture& target) {
    if (!LooksLikeGif(bytes)) return ReadResult::Malformed;
    Input input{bytes.data(), bytes.size()};
    int error = 0;
    std::unique_ptr<GifFileType, Close> gif(DGifOpen(&input, ReadInput, &error));
    if (!gif) return ReadResult::Malformed;

    // Extensions before the first frame (comments, loop counts, transparency) change nothing here.
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) return ReadResult::Malformed;
        if (type == IMAGE_DESC_RECORD_TYPE) break;
        if (type != EXTENSION_RECORD_TYPE) return ReadResult::Malformed;
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) return ReadResult::Malformed;
        while (block)
            if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) return ReadResult::Malformed;
    }
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) return ReadResult::Malformed;
    const GifImageDesc& frame = gif->Image;

    Picture pic;
    pic.width = gif->SWidth;
    pic.height = gif->SHeight;
    if (pic.width <= 0 || pic.height <= 0) {
        pic.width = frame.Left + frame.Width;
        pic.height = frame.Top + frame.Height;
    }
    if (pic.width <= 0 || pic.height <= 0) return ReadResult::Malformed;
    if (!PictureSizeAllowed(pic.width, pic.height, 24)) return ReadResult::TooLarge;
    if (uint64_t(pic.width) * uint64_t(pic.height) / kMostPixelsPerByte > bytes.size()) return ReadResult::Refused;

    std::array<uint32_t, 256> colours{};
    const ColorMapObject* table = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    for (int i = 0; i < 256; ++i) {
        if (!table)
            colours[size_t(i)] = uint32_t(i) * 0x010101u;
        else if (i < table->ColorCount)
            colours[size_t(i)] = Colour(table->Colors[i]);
    }
    uint32_t background = 0;
    if (gif->SColorMap && gif->SBackGroundColor < gif->SColorMap->ColorCount)
        background = Colour(gif->SColorMap->Colors[gif->SBackGroundColor]);

    pic.bitsPerPixel = 24;
    pic.format = PixelFormat::Bits24;
    pic.pixels.assign(pic.Stride() * size_t(pic.height), 0);
    if (background != 0)
        for (int y = 0; y < pic.height; ++y)
            for (int x = 0; x < pic.width; ++x) PutPixel(pic.Row(y) + 3 * x, background);

    // The frame's visible part: it may reach past the screen's right and bottom edges.
    const int visible = std::max(0, std::min(frame.Width, pic.width - frame.Left));
    if (frame.Width > 0) {
        std::vector<GifPixelType> line(size_t(frame.Width));
        for (int y : RowOrder(frame.Height, frame.Interlace)) {
            if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) break;
            if (frame.Top + y >= pic.height || visible == 0) continue;
            uint8_t* row = pic.Row(frame.Top + y) + 3 * size_t(frame.Left);
            for (int x = 0; x < visible; ++x) PutPixel(row + 3 * x, colours[line[size_t(x)]]);
        }
    }
    target = std::move(pic);
    return ReadResult::Ok;
}

}  // namespace mx
