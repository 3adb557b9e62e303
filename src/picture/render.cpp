#include "picture/render.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "lists/categories.h"
#include "picture/scale.h"

namespace mx {

namespace {

ImageArea WholeClient(Size client) { return {true, 0, 0, client.width, client.height}; }

// A copy of the source, safe when the source is the picture being replaced.
void CopyInto(const Picture& source, Picture& out) {
    if (&source != &out) out = source;
}

int ToInt(long double value) {
    return value >= static_cast<long double>(INT_MAX) ? INT_MAX : static_cast<int>(value);
}

// The fitted area's width and height: the side along which the picture is relatively longer fills the
// screen, equal ratios counting as taller.
Size FitToScreen(const Picture& source, Size screen) {
    if (source.Empty() || screen.width <= 0 || screen.height <= 0) return {0, 0};
    const long double w = source.width, h = source.height, W = screen.width, H = screen.height;
    if (w / h > W / H) return {screen.width, ToInt(RoundHalfEven(h * (W / w)))};
    return {ToInt(RoundHalfEven(w * (H / h))), screen.height};
}

void Tile(const Picture& source, Size screen, bool mirror, Rendering& out) {
    if (&source == &out.picture) {
        Picture copy = source;
        FillWithTiles(copy, screen, mirror, out.picture);
    } else {
        FillWithTiles(source, screen, mirror, out.picture);
    }
    out.scaled = false;
}

}  // namespace

long double RoundHalfEven(long double x) {
    long double lower = std::floor(x);
    long double fraction = x - lower;
    if (fraction > 0.5L) return lower + 1;
    if (fraction < 0.5L) return lower;
    return std::fmod(lower, 2.0L) == 0 ? lower : lower + 1;
}

void FillWithTiles(const Picture& source, Size size, bool mirror, Picture& out) {
    const bool empty = !HasPixels(source);
    const int W = empty ? 0 : std::max(size.width, 0);
    const int H = empty ? 0 : std::max(size.height, 0);
    out.width = W;
    out.height = H;
    out.bitsPerPixel = 32;
    out.format = PixelFormat::Bits32;
    out.masks = {0xFF0000, 0xFF00, 0xFF};
    out.palette.clear();
    out.pixels.resize(out.Stride() * size_t(H));
    if (W == 0 || H == 0) return;

    const int w = source.width, h = source.height;
    const int periodX = mirror ? 2 * w : w;  // every row repeats with this period, as x mod periodX
    const int periodY = mirror ? 2 * h : h;  // and row y shows the same as row y mod periodY
    const size_t stride = out.Stride();
    PixelReader reader(source);

    // The picture's own rows, each made into a whole row of P by doubling what is already there;
    // doubling from a whole number of periods keeps every copy aligned to the tiles.
    for (int y = 0; y < std::min(h, H); ++y) {
        uint8_t* row = out.Row(y);
        reader.Convert(y, std::min(w, W), row);
        if (mirror) {
            for (int k = 0; k < w && w + k < W; ++k) std::memcpy(row + 4 * size_t(w + k), row + 4 * size_t(w - 1 - k), 4);
        }
        for (int filled = std::min(periodX, W); filled < W;) {
            int n = std::min(filled, W - filled);
            std::memcpy(row + 4 * size_t(filled), row, 4 * size_t(n));
            filled += n;
        }
    }
    if (mirror) {
        for (int y = h; y < std::min(2 * h, H); ++y) std::memcpy(out.Row(y), out.Row(2 * h - 1 - y), stride);
    }
    // Copying from the first period keeps the copies' source in the cache.
    for (int y = periodY; y < H; ++y) std::memcpy(out.Row(y), out.Row(y % periodY), stride);
}

RenderReport RenderStyle(const Picture& source, std::string_view style, int category, Size screen, Size client,
                         Rendering& out) {
    if (category != CategoryWall) {
        CopyInto(source, out.picture);
        out.area = WholeClient(client);
        out.scaled = true;
        return {true, false};
    }
    // Integer divisions below truncate toward zero, so a picture one pixel wider than the window
    // loses its last column and none on the left.
    if (style == "Centred") {
        CopyInto(source, out.picture);
        const int w = std::max(source.width, 0), h = std::max(source.height, 0);
        out.area = {false, (client.width - w) / 2, (client.height - h) / 2, w, h};
        out.scaled = false;
    } else if (style == "Tiled") {
        Tile(source, screen, false, out);
        out.area = WholeClient(client);
    } else if (style == "Stretched") {
        CopyInto(source, out.picture);
        out.area = WholeClient(client);
        out.scaled = true;
    } else if (style == "Fit 2 Screen") {
        // Centred on the screen, not on the window.
        CopyInto(source, out.picture);
        Size fitted = FitToScreen(source, screen);
        out.area = {false, (screen.width - fitted.width) / 2, (screen.height - fitted.height) / 2, fitted.width,
                    fitted.height};
        out.scaled = true;
    } else if (style == "Mirror") {
        Tile(source, screen, true, out);
        out.area = WholeClient(client);
    } else {
        return {false, true};
    }
    return {true, true};
}

}  // namespace mx
