#include "picture/layout_wallpaper.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "lists/categories.h"
#include "picture/scale.h"
#include "picture/transparency.h"

namespace mx {

namespace {

int Mod(int64_t a, int b) { return int(((a % b) + b) % b); }

int64_t Area(Size s) { return int64_t(s.width) * s.height; }

}  // namespace

MonitorCover MonitorCoverOf(int stored) {
    return stored == int(MonitorCover::Each) || stored == int(MonitorCover::Across) ? MonitorCover(stored)
                                                                                     : MonitorCover::Same;
}

std::string_view MonitorCoverName(MonitorCover cover) {
    switch (cover) {
    case MonitorCover::Each: return "A Picture for Each Monitor";
    case MonitorCover::Across: return "One Picture Across All Monitors";
    case MonitorCover::Same: break;
    }
    return "Same Picture on Every Monitor";
}

LayoutWallpaper::LayoutWallpaper(MonitorLayout layout, MonitorCover cover, bool tiled, uint32_t background)
    : layout_(std::move(layout)), cover_(cover), tiled_(tiled), background_(background), bounds_(layout_.Bounds()) {
    if (cover_ == MonitorCover::Across || layout_.monitors.size() <= 1) sizes_.push_back({bounds_.width, bounds_.height});
    else
        for (const Rect& m : layout_.monitors) sizes_.push_back({m.width, m.height});
    own_.resize(sizes_.size());
    shown_.resize(sizes_.size());
    styles_.resize(sizes_.size());
}

std::vector<std::vector<size_t>> LayoutWallpaper::ScreensPerPicture() const {
    std::vector<std::vector<size_t>> pictures;
    for (size_t s = 0; s < Screens(); ++s) {
        if (s == 0 || cover_ == MonitorCover::Each) pictures.emplace_back();
        pictures.back().push_back(s);
    }
    return pictures;
}

std::optional<ShowRequest> LayoutWallpaper::RequestFor(std::string_view style, const std::vector<size_t>& screens) const {
    std::optional<ShowRequest> largest;
    for (size_t s : screens) {
        std::optional<ShowRequest> request = RequestForStyle(style, CategoryWall, sizes_[s]);
        if (!request) return std::nullopt;
        if (!largest) largest = request;
        // Fill shows screens of another shape other parts of the picture: they are rendered from all
        // of it, scaled to cover each of them.
        const Size a = largest->area, b = request->area;
        if (request->kind == ShowRequest::Kind::Filled && int64_t(a.width) * b.height != int64_t(b.width) * a.height)
            largest->kind = ShowRequest::Kind::Covering;
        largest->area = {std::max(a.width, b.width), std::max(a.height, b.height)};
    }
    // Fit 2 Screen's picture is decoded into its place on the rendering of the screen that asks for
    // it, which then only needs its bands (screens of other shapes are drawn from it).
    if (largest && largest->kind == ShowRequest::Kind::Fitted)
        for (size_t s : screens) largest->inPlace = largest->inPlace || sizes_[s] == largest->area;
    return largest;
}

void LayoutWallpaper::Render(DecodedPicture&& source, std::string_view style, const std::vector<size_t>& screens) {
    std::vector<size_t> order = screens;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return Area(sizes_[a]) < Area(sizes_[b]); });
    for (size_t i = 0; i < order.size(); ++i) {
        const size_t s = order[i];
        if (i + 1 < order.size()) RenderStyle(source, style, CategoryWall, sizes_[s], sizes_[s], background_, own_[s]);
        else RenderStyle(std::move(source), style, CategoryWall, sizes_[s], sizes_[s], background_, own_[s]);
        shown_[s] = &own_[s];
        styles_[s] = style;
    }
    source = DecodedPicture{};
}

void LayoutWallpaper::Render(const DecodedPicture& source, std::string_view style, const std::vector<size_t>& screens) {
    for (size_t s : screens) {
        RenderStyle(source, style, CategoryWall, sizes_[s], sizes_[s], background_, own_[s]);
        shown_[s] = &own_[s];
        styles_[s] = style;
    }
}

void LayoutWallpaper::Use(size_t screen, const Rendering& rendering, std::string_view style) {
    shown_[screen] = &rendering;
    styles_[screen] = style;
}

bool LayoutWallpaper::Complete() const {
    for (const Rendering* r : shown_)
        if (r ? r->picture.Empty() : !kept_ || Single()) return false;
    return !shown_.empty();
}

Size LayoutWallpaper::FileSize() const {
    if (!Single()) return {bounds_.width, bounds_.height};
    return shown_[0] ? Size{shown_[0]->picture.width, shown_[0]->picture.height} : Size{};
}

std::vector<LayoutWallpaper::Placement> LayoutWallpaper::Placements() const {
    std::vector<Placement> placements;
    for (size_t i = 0; i < layout_.monitors.size(); ++i) {
        const Rect& m = layout_.monitors[i];
        const size_t screen = cover_ == MonitorCover::Across ? 0 : i;
        const Rendering* r = shown_[screen];
        // The rendering lies on the screen as the full-screen preview shows it: from the screen's
        // corner, or where its area puts it.
        const Rect origin = cover_ == MonitorCover::Across ? bounds_ : m;
        const int dx = r && !r->area.wholeClient ? r->area.left : 0, dy = r && !r->area.wholeClient ? r->area.top : 0;
        placements.push_back({m, r, origin.left + dx, origin.top + dy});
    }
    return placements;
}

// Calls f(fileColumn, offset, count) for the pieces of `count` virtual columns from `left` in the
// file: one piece, or two where the tiled file wraps round.
template <class F>
void ForFileColumns(bool tiled, const Rect& bounds, int primaryLeft, int left, int count, F f) {
    if (count <= 0) return;
    const int first = tiled ? Mod(int64_t(left) - primaryLeft, bounds.width) : left - bounds.left;
    const int before = std::min(count, bounds.width - first);
    f(first, 0, before);
    if (before < count) f(0, before, count - before);
}

void LayoutWallpaper::FillSpan(int virtualLeft, int count, uint8_t* row) const {
    ForFileColumns(tiled_, bounds_, layout_.monitors[0].left, virtualLeft, count, [&](int column, int, int n) {
        uint8_t* out = row + 4 * size_t(column);
        for (int x = 0; x < n; ++x) std::memcpy(out + 4 * size_t(x), &background_, 4);
    });
}

void LayoutWallpaper::DrawSpan(const Placement& p, int virtualRow, uint8_t* row) const {
    const Picture& picture = p.rendering->picture;
    const int y = virtualRow - p.top;
    const int first = std::max(p.monitor.left, p.left);
    const int end = std::min(p.monitor.Right(), p.left + picture.width);
    if (y < 0 || y >= picture.height || first >= end || !HasPixels(picture)) {
        FillSpan(p.monitor.left, p.monitor.width, row);
        return;
    }
    FillSpan(p.monitor.left, first - p.monitor.left, row);
    FillSpan(end, p.monitor.Right() - end, row);
    PixelReader reader(picture);
    ForFileColumns(tiled_, bounds_, layout_.monitors[0].left, first, end - first, [&](int column, int offset, int n) {
        uint8_t* out = row + 4 * size_t(column);
        reader.ConvertFrom(y, first - p.left + offset, n, out);
        if (picture.alpha) BlendRow(out, n, background_);
    });
}

void LayoutWallpaper::Row(int y, uint8_t* row) const {
    if (Single()) {
        if (!shown_[0]) return;
        const Picture& picture = shown_[0]->picture;
        PixelReader(picture).Convert(y, picture.width, row);
        if (picture.alpha) BlendRow(row, picture.width, background_);
        return;
    }
    const int virtualRow = tiled_ ? bounds_.top + Mod(int64_t(y) + layout_.monitors[0].top - bounds_.top, bounds_.height)
                                  : bounds_.top + y;
    const std::vector<Placement> placements = Placements();
    // What the rendered monitors do not cover on this row is the earlier file's, or the desktop's.
    int64_t covered = 0;
    for (const Placement& p : placements)
        if (p.rendering && virtualRow >= p.monitor.top && virtualRow < p.monitor.Bottom()) covered += p.monitor.width;
    if (!(kept_ && kept_(y, row)) && covered < bounds_.width) FillSpan(bounds_.left, bounds_.width, row);
    for (const Placement& p : placements)
        if (p.rendering && virtualRow >= p.monitor.top && virtualRow < p.monitor.Bottom()) DrawSpan(p, virtualRow, row);
}

}  // namespace mx
