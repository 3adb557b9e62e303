#include "picture/render.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "lists/categories.h"
#include "picture/scale.h"

namespace mx {

namespace {

ImageArea WholeClient(Size client) { return {true, 0, 0, client.width, client.height}; }

// Makes `out` a 32-bit picture of the size, keeping its storage; its pixels are left to the caller.
// With `alpha` the fourth byte of each pixel is its opacity, as in the source drawn into it, so that
// transparent parts show the desktop in every style.
void Canvas(Picture& out, Size size, bool alpha) {
    out.width = std::max(size.width, 0);
    out.height = std::max(size.height, 0);
    out.bitsPerPixel = 32;
    out.format = PixelFormat::Bits32;
    out.masks = {0xFF0000, 0xFF00, 0xFF};
    out.alpha = alpha;
    out.palette.clear();
    out.pixels.resize(out.Stride() * size_t(out.height));
}

// Fills the 32-bit `out` with the colour outside the rectangle `keep`, which is left as it is. The
// fourth byte is 0: with transparency, fully transparent over that same colour.
void FillAround(Picture& out, const Rect& keep, uint32_t colour) {
    std::vector<uint8_t> line(out.Stride());
    for (int x = 0; x < out.width; ++x)
        for (int b = 0; b < 4; ++b) line[4 * size_t(x) + size_t(b)] = uint8_t(b < 3 ? colour >> (8 * b) : 0);
    const int left = std::clamp(keep.left, 0, out.width), right = std::clamp(keep.Right(), left, out.width);
    for (int y = 0; y < out.height; ++y) {
        if (y < keep.top || y >= keep.Bottom() || left == right) {
            std::memcpy(out.Row(y), line.data(), out.Stride());
        } else {
            std::memcpy(out.Row(y), line.data(), 4 * size_t(left));
            std::memcpy(out.Row(y) + 4 * size_t(right), line.data(), 4 * size_t(out.width - right));
        }
    }
}

// Whether the source's picture is `part` of the whole picture at exactly `size` pixels.
bool Exactly(const DecodedPicture& s, const Rect& part, Size size) {
    return s.region == part && s.placed.width == 0 && s.picture.width == size.width && s.picture.height == size.height &&
           HasPixels(s.picture);
}

// Draws `part` of the whole picture (in its own pixels) into the rectangle `to` of the 32-bit `out`,
// scaled by nearest pixel, clipped to `out`. Destination column x shows picture column part.left +
// x * part.width / to.width, rounded down, taken from the source at its own scale: a source reduced
// to the size it is drawn at is copied as it is, an unreduced one is sampled as the whole picture
// would be. The source's pixels are those of the rectangle of its picture that holds them.
void DrawPart(const DecodedPicture& s, const Rect& part, const Rect& to, Picture& out) {
    const Picture& p = s.picture;
    const Rect& r = s.region;
    const Rect held = s.Held();
    if (!HasPixels(p) || r.width <= 0 || r.height <= 0 || to.width <= 0 || to.height <= 0 || held.width <= 0 ||
        held.height <= 0 || !Rect{0, 0, p.width, p.height}.Contains(held))
        return;
    const int firstX = std::max(0, -to.left), endX = std::min(to.width, out.width - to.left);
    const int firstY = std::max(0, -to.top), endY = std::min(to.height, out.height - to.top);
    if (firstX >= endX || firstY >= endY) return;
    auto map = [](int d, int partStart, int partSize, int toSize, int regionStart, int regionSize, int held) {
        const int64_t scaled = (int64_t(partStart - regionStart) * toSize + int64_t(d) * partSize) * held;
        return int(std::clamp<int64_t>(scaled / (int64_t(regionSize) * toSize), 0, held - 1));
    };
    const int count = endX - firstX;
    std::vector<int> columns(static_cast<size_t>(count));
    for (int x = 0; x < count; ++x)
        columns[size_t(x)] = map(firstX + x, part.left, part.width, to.width, r.left, r.width, held.width);
    // Columns taken one for one from the row's start are converted as a whole row.
    bool wholeRows = count == held.width;
    for (int x = 0; wholeRows && x < count; ++x) wholeRows = columns[size_t(x)] == x;
    for (int& c : columns) c += held.left;
    PixelReader reader(p);
    int previous = -1;
    for (int y = firstY; y < endY; ++y) {
        const int sy = held.top + map(y, part.top, part.height, to.height, r.top, r.height, held.height);
        uint8_t* row = out.Row(to.top + y) + 4 * size_t(to.left + firstX);
        if (sy == previous) std::memcpy(row, row - out.Stride(), 4 * size_t(count));
        else if (wholeRows) reader.ConvertFrom(sy, held.left, count, row);
        else reader.Sample(sy, columns.data(), count, row);
        previous = sy;
    }
}

// Fills the 24-bit screen-sized picture with the background around the fitted area, which is left
// as it is, and zeroes the padding at the end of each row.
void FillBands(Picture& p, const Rect& fitted, uint32_t background) {
    const size_t stride = p.Stride(), used = 3 * size_t(fitted.width), left = 3 * size_t(fitted.left);
    std::vector<uint8_t> line(stride, 0);
    for (int x = 0; x < p.width; ++x)
        for (int b = 0; b < 3; ++b) line[3 * size_t(x) + size_t(b)] = uint8_t(background >> (8 * b));
    for (int y = 0; y < p.height; ++y) {
        uint8_t* row = p.Row(y);
        if (y < fitted.top || y >= fitted.Bottom()) {
            std::memcpy(row, line.data(), stride);
        } else {
            std::memcpy(row, line.data(), left);
            std::memcpy(row + left + used, line.data() + left + used, stride - left - used);
        }
    }
}

// Makes a 24-bit picture at the fitted area's size the screen's picture, with the background
// around it, in its own storage when that has room for it (as a JPEG decoded for Fit 2 Screen
// has): rows are moved from the last one up, each to a place at or after its own. False, and the
// picture untouched, when it has no room or is of another kind.
bool AddBandsInPlace(Picture& p, const Rect& fitted, Size screen, uint32_t background) {
    const size_t stride = Picture::StrideFor(screen.width, 24), old = p.Stride();
    if (p.bitsPerPixel != 24 || !HasPixels(p) || p.width != fitted.width || p.height != fitted.height ||
        fitted.left < 0 || fitted.top < 0 || p.pixels.capacity() < stride * size_t(screen.height))
        return false;
    p.pixels.resize(stride * size_t(screen.height));
    uint8_t* base = p.pixels.data();
    const size_t used = 3 * size_t(fitted.width), left = 3 * size_t(fitted.left);
    for (int y = fitted.height - 1; y >= 0; --y)
        std::memmove(base + size_t(fitted.top + y) * stride + left, base + size_t(y) * old, used);
    p.width = screen.width;
    p.height = screen.height;
    FillBands(p, fitted, background);
    return true;
}

// Cuts the picture down to `keep`, a rectangle inside it, in its own storage: rows are moved from
// the first one down, each to a place at or before its own. False, and the picture untouched, for a
// picture of fewer than 8 bits per pixel, which rows cannot be cut from at any column.
bool CropInPlace(Picture& p, const Rect& keep) {
    const int bytes = p.bitsPerPixel / 8;
    if (bytes == 0 || !HasPixels(p) || !Rect{0, 0, p.width, p.height}.Contains(keep) || keep.width <= 0 ||
        keep.height <= 0)
        return false;
    const size_t stride = Picture::StrideFor(keep.width, p.bitsPerPixel), used = size_t(keep.width) * size_t(bytes);
    for (int y = 0; y < keep.height; ++y) {
        uint8_t* row = p.pixels.data() + size_t(y) * stride;
        std::memmove(row, p.Row(keep.top + y) + size_t(keep.left) * size_t(bytes), used);
        std::memset(row + used, 0, stride - used);
    }
    p.width = keep.width;
    p.height = keep.height;
    p.pixels.resize(stride * size_t(keep.height));
    return true;
}

// `out` becomes `part` of the whole picture at `size`: the source's own pixels when they are exactly
// that (taken from `owned` when given), otherwise drawn into a 32-bit picture.
void Resample(const DecodedPicture& s, DecodedPicture* owned, const Rect& part, Size size, Picture& out) {
    if (size.width <= 0 || size.height <= 0 || part.width <= 0 || part.height <= 0 || !HasPixels(s.picture)) {
        out = Picture{};
    } else if (Exactly(s, part, size)) {
        if (owned) out = std::move(owned->picture);
        else if (&out != &s.picture) out = s.picture;
    } else {
        Canvas(out, size, s.picture.alpha);
        DrawPart(s, part, {0, 0, size.width, size.height}, out);
    }
}

// The tiles start with the top-left part of the picture that the screen shows. A source holding that
// part at its own scale from the picture's corner tiles as it is, and is taken whole as the rendering
// when it is exactly the screen; any other is first cut to that part.
void Tile(const DecodedPicture& s, DecodedPicture* owned, Size screen, bool mirror, Picture& out) {
    const Rect part = PartShown({ShowRequest::Kind::TopLeft, screen}, s.Full()).region;
    const Picture& p = s.picture;
    const Rect& r = s.region;
    const bool ownScale = HasPixels(p) && r.left == 0 && r.top == 0 && p.width == r.width && p.height == r.height;
    if (owned && ownScale && r == part && part == Rect{0, 0, screen.width, screen.height}) {
        out = std::move(owned->picture);
    } else if (ownScale && r.Contains(part) && &p != &out) {
        FillWithTiles(p, screen, mirror, out);
    } else {
        Picture cut;
        Resample(s, nullptr, part, {part.width, part.height}, cut);
        FillWithTiles(cut, screen, mirror, out);
    }
}

RenderReport Render(const DecodedPicture& s, DecodedPicture* owned, std::string_view style, int category, Size screen,
                    Size client, uint32_t background, Rendering& out) {
    const Rect whole{0, 0, s.width, s.height};
    if (category != CategoryWall) {
        Resample(s, owned, s.region, {s.picture.width, s.picture.height}, out.picture);
        out.area = WholeClient(client);
        out.scaled = true;
        return {true, false};
    }
    if (style == "Centred") {
        // Integer halves truncate toward zero, so a picture one pixel wider than the window loses its
        // last column and none on the left.
        const Rect part = PartShown({ShowRequest::Kind::Centred, screen}, s.Full()).region;
        Resample(s, owned, part, {part.width, part.height}, out.picture);
        out.area = {false, (client.width - s.width) / 2 + part.left, (client.height - s.height) / 2 + part.top,
                    part.width, part.height};
        out.scaled = false;
    } else if (style == "Stretched") {
        Resample(s, owned, whole, screen, out.picture);
        out.area = WholeClient(client);
        out.scaled = true;
    } else if (style == "Fit 2 Screen") {
        // Centred on the screen, not on the window.
        const Rect fitted = FittedArea(s.Full(), screen);
        const Picture& p = s.picture;
        // A picture decoded in its place on this screen's picture only needs the bands.
        if (owned && s.region == whole && s.placed.width > 0 && s.placed == fitted && p.bitsPerPixel == 24 &&
            p.width == screen.width && p.height == screen.height && HasPixels(p)) {
            FillBands(owned->picture, fitted, background);
            out.picture = std::move(owned->picture);
        } else if (owned && s.region == whole && s.placed.width == 0 &&
                   AddBandsInPlace(owned->picture, fitted, screen, background)) {
            out.picture = std::move(owned->picture);
        } else if (HasPixels(s.picture) && screen.width > 0 && screen.height > 0) {
            Canvas(out.picture, screen, s.picture.alpha);
            FillAround(out.picture, fitted, background);
            DrawPart(s, whole, fitted, out.picture);
        } else {
            out.picture = Picture{};
        }
        out.area = WholeClient(client);
        out.scaled = true;
    } else if (style == "Fill") {
        // The picture covers the screen, its overflow cut off evenly on both sides. A picture decoded
        // for the part the screen shows at the screen's size is that rendering; one decoded whole at
        // exactly the size that covers the screen is cut down where it lies.
        const Rect filled = FilledArea(s.Full(), screen);
        const Rect shown{-filled.left, -filled.top, screen.width, screen.height};
        const Rect part = PartShown({ShowRequest::Kind::Filled, screen}, s.Full()).region;
        if (Exactly(s, part, screen)) {
            Resample(s, owned, part, screen, out.picture);
        } else if (owned && s.region == whole && s.picture.width == filled.width && s.picture.height == filled.height &&
            CropInPlace(owned->picture, shown)) {
            out.picture = std::move(owned->picture);
        } else if (HasPixels(s.picture) && screen.width > 0 && screen.height > 0) {
            Canvas(out.picture, screen, s.picture.alpha);
            DrawPart(s, whole, filled, out.picture);
        } else {
            out.picture = Picture{};
        }
        out.area = WholeClient(client);
        out.scaled = true;
    } else if (style == "Tiled" || style == "Mirror") {
        Tile(s, owned, screen, style == "Mirror", out.picture);
        out.area = WholeClient(client);
        out.scaled = false;
    } else {
        return {false, true};
    }
    return {true, true};
}

}  // namespace

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



RenderReport RenderStyle(const DecodedPicture& source, std::string_view style, int category, Size screen, Size client,
                         uint32_t background, Rendering& out) {
    return Render(source, nullptr, style, category, screen, client, background, out);
}

RenderReport RenderStyle(DecodedPicture&& source, std::string_view style, int category, Size screen, Size client,
                         uint32_t background, Rendering& out) {
    return Render(source, &source, style, category, screen, client, background, out);
}

}  // namespace mx
