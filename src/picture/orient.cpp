#include "picture/orient.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#if defined(__GNUC__) && defined(__x86_64__)
#include <tmmintrin.h>
#define MX_SSSE3_DISPATCH 1
#endif

namespace mx {

namespace {

#ifdef MX_SSSE3_DISPATCH
bool HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#endif

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

// A 24-bit row read right to left into out, which has 4 bytes to spare: each pixel is moved as one
// 4-byte word, its spare byte overwritten by the pixel after it.
void MirrorRow24(const uint8_t* row, size_t stride, int width, uint8_t* out) {
    int x = width - 1;
    if (size_t(3 * x) + 4 > stride) {
        std::memcpy(out, row + 3 * x, 3);
        --x;
    }
    for (uint8_t* o = out + 3 * (width - 1 - x); x >= 0; --x, o += 3) std::memcpy(o, row + 3 * x, 4);
}

// 2, 3 and 4 keep the picture's size and move pixels between two places each, so they are made in
// place; 24-bit rows are mirrored through scratch rows, which is several times quicker.
template <int B>
void FlipInPlace(Picture& p, int orientation) {
    const int w = p.width, h = p.height;
    const size_t used = size_t(B) * size_t(w);
    if (orientation == 4) {
        for (int y = 0, r = h - 1; y < r; ++y, --r) std::swap_ranges(p.Row(y), p.Row(y) + used, p.Row(r));
    } else if (B == 3) {
        std::vector<uint8_t> a(used + 4), b(used + 4);
        const size_t stride = p.Stride();
        for (int y = 0, r = orientation == 2 ? 0 : h - 1; y < h && y <= r; ++y, r -= orientation == 2 ? -1 : 1) {
            MirrorRow24(p.Row(y), stride, w, a.data());
            if (r != y) {
                MirrorRow24(p.Row(r), stride, w, b.data());
                std::memcpy(p.Row(y), b.data(), used);
            }
            std::memcpy(p.Row(r), a.data(), used);
        }
    } else if (orientation == 2) {
        for (int y = 0; y < h; ++y) MirrorRow<B>(p.Row(y), w);
    } else {
        for (int y = 0, r = h - 1; y < r; ++y, --r) SwapRowsMirrored<B>(p.Row(y), p.Row(r), w);
        if (h % 2) MirrorRow<B>(p.Row(h / 2), w);
    }
}

// 5 to 8: pixel (x, y) of the upright picture is the stored pixel in row rowOf(x), column colOf(y),
// where rowOf runs forwards (5, 8) or backwards (6, 7) and colOf forwards (5, 6) or backwards (7, 8).
// The upright picture is written row by row in tiles of kTile x kTile pixels, so that the kTile stored
// rows a tile reads from stay in the cache while their columns are taken.
struct TurnPlan {
    int W, H;  // the stored picture's size
    bool colsBackwards;
    std::vector<const uint8_t*> rows;  // the stored row that each column of the upright picture shows

    int ColumnOf(int y) const { return colsBackwards ? W - 1 - y : y; }
};

template <int B>
void TurnBlock(const TurnPlan& plan, Picture& upright, int y0, int y1, int x0, int x1) {
    for (int y = y0; y < y1; ++y) {
        const size_t column = size_t(B) * size_t(plan.ColumnOf(y));
        uint8_t* out = upright.Row(y) + size_t(B) * size_t(x0);
        for (int x = x0; x < x1; ++x, out += B) std::memcpy(out, plan.rows[size_t(x)] + column, B);
    }
}

#ifdef MX_SSSE3_DISPATCH
// Four stored rows by four stored columns of 24-bit pixels at a time: each row's four pixels are
// spread to 32-bit words, the 4 x 4 words transposed, and each column packed back to 12 bytes. The
// 16-byte loads need the four stored columns to start at least 16 bytes before the end of the row.
__attribute__((target("ssse3"))) void TurnBlock24Ssse3(const TurnPlan& plan, Picture& upright, int y0, int y1, int x0,
                                                       int x1) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128);
    const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -128, -128, -128, -128);
    const int xQuad = x0 + (x1 - x0) / 4 * 4;
    for (int y = y0; y + 3 < y1; y += 4) {
        // Upright rows y to y + 3 show four neighbouring stored columns, from `first` on.
        const int first = std::min(plan.ColumnOf(y), plan.ColumnOf(y + 3));
        uint8_t* out[4];
        for (int k = 0; k < 4; ++k) out[k] = upright.Row(plan.colsBackwards ? y + 3 - k : y + k);
        const size_t column = 3 * size_t(first);
        for (int x = x0; x < xQuad; x += 4) {
            __m128i v[4];
            for (int k = 0; k < 4; ++k)
                v[k] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(plan.rows[size_t(x + k)] + column)), spread);
            const __m128i t0 = _mm_unpacklo_epi32(v[0], v[1]), t1 = _mm_unpacklo_epi32(v[2], v[3]);
            const __m128i t2 = _mm_unpackhi_epi32(v[0], v[1]), t3 = _mm_unpackhi_epi32(v[2], v[3]);
            const __m128i columns[4] = {_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1), _mm_unpacklo_epi64(t2, t3),
                                        _mm_unpackhi_epi64(t2, t3)};
            for (int k = 0; k < 4; ++k) {
                const __m128i packed = _mm_shuffle_epi8(columns[k], pack);
                uint8_t* o = out[k] + 3 * size_t(x);
                _mm_storel_epi64(reinterpret_cast<__m128i*>(o), packed);
                const uint32_t last = uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(packed, 8)));
                std::memcpy(o + 8, &last, 4);
            }
        }
        if (xQuad < x1) TurnBlock<3>(plan, upright, y, y + 4, xQuad, x1);
    }
    const int done = y0 + (y1 - y0) / 4 * 4;
    if (done < y1) TurnBlock<3>(plan, upright, done, y1, x0, x1);
}
#endif

template <int B>
void Turn(const Picture& stored, Picture& upright, int orientation) {
    constexpr int kTile = 64;
    TurnPlan plan{stored.width, stored.height, orientation == 7 || orientation == 8, {}};
    const int W = plan.W, H = plan.H;
    const bool rowsBackwards = orientation == 6 || orientation == 7;
    plan.rows.resize(size_t(H));
    for (int x = 0; x < H; ++x) plan.rows[size_t(x)] = stored.Row(rowsBackwards ? H - 1 - x : x);
#ifdef MX_SSSE3_DISPATCH
    // The columns whose 16-byte loads stay inside every stored row.
    const size_t stride = stored.Stride();
    const int fast = B == 3 && stride >= 16 && HasSsse3() ? int((stride - 16) / 3) - 3 : -1;
#endif
    for (int y0 = 0; y0 < W; y0 += kTile) {
        const int y1 = std::min(W, y0 + kTile);
        for (int x0 = 0; x0 < H; x0 += kTile) {
            const int x1 = std::min(H, x0 + kTile);
#ifdef MX_SSSE3_DISPATCH
            const int lowest = std::min(plan.ColumnOf(y0), plan.ColumnOf(y1 - 1));
            const int highest = std::max(plan.ColumnOf(y0), plan.ColumnOf(y1 - 1));
            if (B == 3 && highest <= fast && lowest >= 0) {
                // The next tile's stored rows are fetched while this one is turned.
                for (int x = x1; x < std::min(H, x1 + kTile); ++x)
                    for (int line = 0; line < 3 * kTile; line += 64)
                        _mm_prefetch(reinterpret_cast<const char*>(plan.rows[size_t(x)] + 3 * size_t(lowest) + line), _MM_HINT_T0);
                TurnBlock24Ssse3(plan, upright, y0, y1, x0, x1);
                continue;
            }
#endif
            TurnBlock<B>(plan, upright, y0, y1, x0, x1);
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

Rect UprightRect(const Rect& r, Size stored, int orientation) {
    const int w = stored.width, h = stored.height;
    switch (orientation) {
    case 2: return {w - r.Right(), r.top, r.width, r.height};
    case 3: return {w - r.Right(), h - r.Bottom(), r.width, r.height};
    case 4: return {r.left, h - r.Bottom(), r.width, r.height};
    case 5: return {r.top, r.left, r.height, r.width};
    case 6: return {h - r.Bottom(), r.left, r.height, r.width};
    case 7: return {h - r.Bottom(), w - r.Right(), r.height, r.width};
    case 8: return {r.top, w - r.Right(), r.height, r.width};
    default: return r;
    }
}

// Turning the upright picture back is the orientation's own turn, but for the quarter turns, which
// go the other way.
Rect StoredRect(const Rect& part, Size upright, int orientation) {
    return UprightRect(part, upright, orientation == 6 ? 8 : orientation == 8 ? 6 : orientation);
}

}  // namespace mx
