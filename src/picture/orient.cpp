#include "picture/orient.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace mx {

namespace {

template <int B>
void SwapPixels(uint8_t* a, uint8_t* b) {
    uint8_t t[B];
    std::memcpy(t, a, B);
    std::memcpy(a, b, B);
    std::memcpy(b, t, B);
}

template <int B>
void MirrorRow(uint8_t* row, int width) {
    for (int x = 0, r = width - 1; x < r; ++x, --r) SwapPixels<B>(row + B * x, row + B * r);
}

// Row a takes row b read right to left, and row b row a read so.
template <int B>
void SwapRowsMirrored(uint8_t* a, uint8_t* b, int width) {
    for (int x = 0, r = width - 1; x < width; ++x, --r) SwapPixels<B>(a + B * x, b + B * r);
}

// 2, 3 and 4 keep the picture's size and move pixels between two places each, so they are made in
// place.
template <int B>
void FlipInPlace(Picture& p, int orientation) {
    const int w = p.width, h = p.height;
    const size_t used = size_t(B) * size_t(w);
    if (orientation == 2) {
        for (int y = 0; y < h; ++y) MirrorRow<B>(p.Row(y), w);
    } else if (orientation == 4) {
        for (int y = 0, r = h - 1; y < r; ++y, --r) std::swap_ranges(p.Row(y), p.Row(y) + used, p.Row(r));
    } else {
        for (int y = 0, r = h - 1; y < r; ++y, --r) SwapRowsMirrored<B>(p.Row(y), p.Row(r), w);
        if (h % 2) MirrorRow<B>(p.Row(h / 2), w);
    }
}

// 5 to 8: pixel (x, y) of the upright picture is the stored pixel in row rowOf(x), column colOf(y),
// where rowOf runs forwards (5, 8) or backwards (6, 7) and colOf forwards (5, 6) or backwards (7, 8).
// The upright picture is written row by row in tiles of kTile x kTile pixels, so that the kTile stored
// rows a tile reads from stay in the cache while their columns are taken.
template <int B>
void Turn(const Picture& stored, Picture& upright, int orientation) {
    constexpr int kTile = 32;
    const int W = stored.width, H = stored.height;
    const bool rowsBackwards = orientation == 6 || orientation == 7;
    const bool colsBackwards = orientation == 7 || orientation == 8;
    std::vector<const uint8_t*> rows(size_t(H), nullptr);
    for (int x = 0; x < H; ++x) rows[size_t(x)] = stored.Row(rowsBackwards ? H - 1 - x : x);
    for (int y0 = 0; y0 < W; y0 += kTile) {
        const int y1 = std::min(W, y0 + kTile);
        for (int x0 = 0; x0 < H; x0 += kTile) {
            const int x1 = std::min(H, x0 + kTile);
            for (int y = y0; y < y1; ++y) {
                const size_t column = size_t(B) * size_t(colsBackwards ? W - 1 - y : y);
                uint8_t* out = upright.Row(y) + size_t(B) * size_t(x0);
                for (int x = x0; x < x1; ++x, out += B) std::memcpy(out, rows[size_t(x)] + column, B);
            }
        }
    }
}

template <int B>
void TurnUprightAt(Picture& p, int orientation) {
    if (orientation <= 4) {
        FlipInPlace<B>(p, orientation);
        return;
    }
    Picture upright;
    upright.width = p.height;
    upright.height = p.width;
    upright.bitsPerPixel = p.bitsPerPixel;
    upright.pixels.resize(upright.Stride() * size_t(upright.height));
    Turn<B>(p, upright, orientation);
    p.width = upright.width;
    p.height = upright.height;
    p.pixels = std::move(upright.pixels);
}

}  // namespace

void TurnUpright(Picture& picture, int orientation) {
    if (orientation < 2 || orientation > 8 || picture.Empty()) return;
    if (picture.pixels.size() / picture.Stride() < size_t(picture.height)) return;
    switch (picture.bitsPerPixel) {
    case 8: TurnUprightAt<1>(picture, orientation); return;
    case 16: TurnUprightAt<2>(picture, orientation); return;
    case 24: TurnUprightAt<3>(picture, orientation); return;
    case 32: TurnUprightAt<4>(picture, orientation); return;
    }
}

}  // namespace mx
