#include "picture/picture_win.h"

#include <cstring>

#include "picture/scale.h"

namespace mx {

void DrawPicture(HDC dc, int x, int y, const Picture& picture) {
    if (picture.Empty() || !HasPixels(picture)) return;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];  // or the three bit-field masks
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = picture.width;
    info.header.biHeight = -picture.height;  // rows top-down
    info.header.biPlanes = 1;
    info.header.biBitCount = WORD(picture.bitsPerPixel);
    info.header.biCompression = BI_RGB;
    if (picture.bitsPerPixel <= 8) {
        size_t colours = std::min<size_t>(picture.palette.size(), 256);
        info.header.biClrUsed = DWORD(colours);
        std::memcpy(info.colours, picture.palette.data(), colours * sizeof(uint32_t));
    } else if (picture.bitsPerPixel == 16 || picture.bitsPerPixel == 32) {
        info.header.biCompression = BI_BITFIELDS;
        std::memcpy(info.colours, picture.masks.data(), sizeof picture.masks);
    }
    ::SetDIBitsToDevice(dc, x, y, DWORD(picture.width), DWORD(picture.height), 0, 0, 0, UINT(picture.height),
                        picture.pixels.data(), reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS);
}

}  // namespace mx
