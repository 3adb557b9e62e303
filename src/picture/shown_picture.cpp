#include "picture/shown_picture.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "lists/categories.h"

namespace mx {

namespace {

int ToInt(long double value) { return value >= static_cast<long double>(INT_MAX) ? INT_MAX : static_cast<int>(value); }

// The columns (or rows) of a picture side that an area side shows, the picture centred on it. The
// division truncates toward zero, so a picture one pixel wider than the area loses its last column.
void CentredSpan(int picture, int area, int& first, int& count) {
    const int left = (area - picture) / 2;
    first = left < 0 ? -left : 0;
    count = std::min(picture, area);
}

// The pixels of a picture side of `picture` pixels that the span `first` to `first + count - 1` of
// the side scaled to `scaled` pixels lies over, wholly or in part.
void CoveredSpan(int first, int count, int scaled, int picture, int& from, int& covered) {
    from = int(int64_t(first) * picture / scaled);
    const int end = int(std::min<int64_t>((int64_t(first + count) * picture + scaled - 1) / scaled, picture));
    covered = end - from;
}

}  // namespace

long double RoundHalfEven(long double x) {
    long double lower = std::floor(x);
    long double fraction = x - lower;
    if (fraction > 0.5L) return lower + 1;
    if (fraction < 0.5L) return lower;
    return std::fmod(lower, 2.0L) == 0 ? lower : lower + 1;
}

Rect FittedArea(Size picture, Size screen) {
    Size fitted;
    if (picture.width > 0 && picture.height > 0 && screen.width > 0 && screen.height > 0) {
        const long double w = picture.width, h = picture.height, W = screen.width, H = screen.height;
        if (w / h > W / H) fitted = {screen.width, ToInt(RoundHalfEven(h * (W / w)))};
        else fitted = {ToInt(RoundHalfEven(w * (H / h))), screen.height};
    }
    return {(screen.width - fitted.width) / 2, (screen.height - fitted.height) / 2, fitted.width, fitted.height};
}

Rect FilledArea(Size picture, Size screen) {
    Size filled;
    if (picture.width > 0 && picture.height > 0 && screen.width > 0 && screen.height > 0) {
        const long double w = picture.width, h = picture.height, W = screen.width, H = screen.height;
        if (w / h > W / H) filled = {std::max(ToInt(RoundHalfEven(w * (H / h))), screen.width), screen.height};
        else filled = {screen.width, std::max(ToInt(RoundHalfEven(h * (W / w))), screen.height)};
    }
    return {(screen.width - filled.width) / 2, (screen.height - filled.height) / 2, filled.width, filled.height};
}

ShownPart PartShown(const ShowRequest& request, Size full) {
    if (full.width <= 0 || full.height <= 0) return {};
    const Rect all{0, 0, full.width, full.height};
    const Size area = request.area;
    // The whole picture scaled to `size`, all of it shown.
    auto scaledWhole = [&](Size size) { return ShownPart{all, size, size, {0, 0, size.width, size.height}}; };
    // A part at the picture's own size.
    auto own = [&](const Rect& region) {
        return ShownPart{region, {region.width, region.height}, full, region};
    };
    if (request.kind == ShowRequest::Kind::Whole || area.width <= 0 || area.height <= 0) return scaledWhole(full);
    switch (request.kind) {
    case ShowRequest::Kind::Scaled: return scaledWhole(area);
    case ShowRequest::Kind::Fitted: {
        // A sliver fitted to less than a pixel is still decoded one pixel high or wide.
        const Rect fitted = FittedArea(full, area);
        return scaledWhole({std::max(fitted.width, 1), std::max(fitted.height, 1)});
    }
    case ShowRequest::Kind::Covering: {
        const Rect filled = FilledArea(full, area);
        return scaledWhole({filled.width, filled.height});
    }
    case ShowRequest::Kind::Filled: {
        const Rect filled = FilledArea(full, area);
        const Size scaled{filled.width, filled.height};
        const Rect window{-filled.left, -filled.top, area.width, area.height};
        Rect region;
        CoveredSpan(window.left, window.width, scaled.width, full.width, region.left, region.width);
        CoveredSpan(window.top, window.height, scaled.height, full.height, region.top, region.height);
        return {region, area, scaled, window};
    }
    case ShowRequest::Kind::Centred: {
        Rect region;
        CentredSpan(full.width, area.width, region.left, region.width);
        CentredSpan(full.height, area.height, region.top, region.height);
        return own(region);
    }
    case ShowRequest::Kind::TopLeft:
        return own({0, 0, std::min(full.width, area.width), std::min(full.height, area.height)});
    case ShowRequest::Kind::Whole: break;
    }
    return scaledWhole(full);
}

DecodedPicture DecodedPicture::Whole(Picture picture) {
    DecodedPicture decoded;
    decoded.width = std::max(picture.width, 0);
    decoded.height = std::max(picture.height, 0);
    decoded.region = {0, 0, decoded.width, decoded.height};
    decoded.picture = std::move(picture);
    return decoded;
}

std::optional<ShowRequest> RequestForStyle(std::string_view style, int category, Size screen) {
    using Kind = ShowRequest::Kind;
    if (category != CategoryWall) return ShowRequest{Kind::Scaled, screen};
    if (style == "Centred") return ShowRequest{Kind::Centred, screen};
    if (style == "Stretched") return ShowRequest{Kind::Scaled, screen};
    if (style == "Fit 2 Screen") return ShowRequest{Kind::Fitted, screen};
    if (style == "Tiled" || style == "Mirror") return ShowRequest{Kind::TopLeft, screen};
    if (style == "Fill") return ShowRequest{Kind::Filled, screen};
    return std::nullopt;
}

}  // namespace mx
