#include "picture/render.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

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
    out.alpha = !empty && source.alpha;
    out.palette.clear();
    out.pixels.resize(out.Stride() * size_t(H));
    if (W == 0 || H == 0) return;

    const int w = source.width, h = source.height;
    const int periodX = mirror ? 2 * w : w;  // P(x, y) depends on x only through x mod periodX
    const int periodY = mirror ? 2 * h : h;  // and on y only through y mod periodY
    const int patternWidth = std::min(periodX, W);
    const int sourceRows = std::min(h, H);
    const size_t stride = out.Stride();
    PixelReader reader(source);

    // Rows are built in a scratch row that stays in the cache and copied into P in one block; the
    // scratch row starts with one period of its pattern (the source row, then for Mirror the row
    // reversed) and is completed by doubling, which keeps every copy aligned to the tiles.
    std::vector<uint8_t> scratch(stride);
    auto makePattern = [&](int sy, uint8_t* row) {
        reader.Convert(sy, std::min(w, W), row);
        if (mirror) {
            for (int k = 0; k < w && w + k < W; ++k)
                std::memcpy(row + 4 * size_t(w + k), row + 4 * size_t(w - 1 - k), 4);
        }
    };
    auto completeScratch = [&] {
        for (int filled = patternWidth; filled < W;) {
            int n = std::min(filled, W - filled);
            std::memcpy(scratch.data() + 4 * size_t(filled), scratch.data(), 4 * size_t(n));
            filled += n;
        }
    };
    // Rows repeat when the picture is shorter than P. Short patterns are kept, one per source row,
    // to rebuild repeated rows from; long ones make rebuilding no cheaper than copying P's own row.
    const bool keepPatterns = h < H && patternWidth <= W / 4;
    std::vector<uint8_t> patterns(keepPatterns ? size_t(sourceRows) * size_t(patternWidth) * 4 : 0);
    int built = -1;  // the source row whose pattern fills the scratch row

    for (int y = 0; y < H; ++y) {
        const int r = y % periodY;
        const int sy = r < h ? r : periodY - 1 - r;  // Mirror's odd tile rows run upward
        if (keepPatterns) {
            uint8_t* pattern = patterns.data() + size_t(sy) * size_t(patternWidth) * 4;
            if (y < sourceRows) makePattern(sy, pattern);
            if (sy != built) {
                std::memcpy(scratch.data(), pattern, size_t(patternWidth) * 4);
                completeScratch();
                built = sy;
            }
        } else if (y >= sourceRows) {
            std::memcpy(out.Row(y), out.Row(sy), stride);  // P's row sy shows the same source row
            continue;
        } else if (w >= W) {
            reader.Convert(sy, W, out.Row(y));  // the row is the source row, cut off
            continue;
        } else {
            makePattern(sy, scratch.data());
            completeScratch();
        }
        std::memcpy(out.Row(y), scratch.data(), stride);
    }
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
