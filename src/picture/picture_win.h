#pragma once
// Handing a picture's pixels to the screen: the picture is already in device-independent layout, so
// one SetDIBitsToDevice draws it, whatever its depth.
#include <windows.h>

#include "picture/picture.h"

namespace mx {

// Draws the picture at its own size with its top-left corner at (x, y), clipped to the DC.
void DrawPicture(HDC dc, int x, int y, const Picture& picture);

// A system colour (COLOR_BTNFACE, COLOR_DESKTOP...) as 0x00RRGGBB, the form pictures use, for showing
// transparent pixels over it.
inline uint32_t SystemColour(int index) {
    const COLORREF c = ::GetSysColor(index);
    return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
}

// The system's desktop background colour, the colour around a fitted wallpaper and under its
// transparent pixels.
inline uint32_t DesktopColour() { return SystemColour(COLOR_DESKTOP); }

}  // namespace mx
