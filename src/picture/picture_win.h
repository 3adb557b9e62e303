#pragma once
// Handing a picture's pixels to the screen: the picture is already in device-independent layout, so
// one SetDIBitsToDevice draws it, whatever its depth.
#include <windows.h>

#include "picture/picture.h"

namespace mx {

// Draws the picture at its own size with its top-left corner at (x, y), clipped to the DC.
void DrawPicture(HDC dc, int x, int y, const Picture& picture);

// The system's desktop background colour as 0x00RRGGBB, the colour around a fitted wallpaper.
uint32_t DesktopColour();

}  // namespace mx
