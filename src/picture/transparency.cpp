#include "picture/transparency.h"

#include "picture/scale.h"

namespace mx {

namespace {

// v / 255 rounded to the nearest integer, exactly, for v up to 255 * 255.
inline uint32_t Div255(uint32_t v) {
    v += 128;
    return (v + (v >> 8)) >> 8;
}

}  // namespace

void BlendRow(uint8_t* row, int count, uint32_t background) {
    const uint32_t under[3] = {background & 0xFF, background >> 8 & 0xFF, background >> 16 & 0xFF};
    for (int x = 0; x < count; ++x, row += 4) {
        const uint32_t a = row[3];
        if (a != 255) {
            for (int c = 0; c < 3; ++c) row[c] = uint8_t(Div255(row[c] * a + under[c] * (255 - a)));
        }
        row[3] = 0;
    }
}

void ComposeOver(Picture& picture, uint32_t background) {
    if (!picture.alpha) return;
    picture.alpha = false;
    if (picture.bitsPerPixel != 32 || !HasPixels(picture)) return;
    for (int y = 0; y < picture.height; ++y) BlendRow(picture.Row(y), picture.width, background);
}

}  // namespace mx
