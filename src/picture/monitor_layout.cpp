#include "picture/monitor_layout.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace mx {

namespace {

int64_t Overlap(const Rect& a, const Rect& b) {
    const int64_t w = std::min<int64_t>(a.Right(), b.Right()) - std::max(a.left, b.left);
    const int64_t h = std::min<int64_t>(a.Bottom(), b.Bottom()) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// How far apart two rectangles are along one axis: 0 when their spans meet.
int64_t Apart(int64_t start1, int64_t end1, int64_t start2, int64_t end2) {
    return std::max<int64_t>({0, start2 - end1, start1 - end2});
}

bool ReadInt(std::string_view& text, int& value, bool sign) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    bool negative = false;
    if (sign && begin != end && (*begin == '+' || *begin == '-')) negative = *begin++ == '-';
    unsigned magnitude = 0;
    auto [stop, error] = std::from_chars(begin, end, magnitude);
    if (error != std::errc() || stop == begin || magnitude > 100000) return false;
    value = negative ? -int(magnitude) : int(magnitude);
    text.remove_prefix(size_t(stop - text.data()));
    return true;
}

}  // namespace

MonitorLayout MonitorLayout::One(Size screen) { return {{Rect{0, 0, screen.width, screen.height}}}; }

Rect MonitorLayout::Bounds() const {
    if (monitors.empty()) return {};
    int left = monitors[0].left, top = monitors[0].top, right = monitors[0].Right(), bottom = monitors[0].Bottom();
    for (const Rect& m : monitors) {
        left = std::min(left, m.left);
        top = std::min(top, m.top);
        right = std::max(right, m.Right());
        bottom = std::max(bottom, m.Bottom());
    }
    return {left, top, right - left, bottom - top};
}

size_t MonitorLayout::MonitorOf(const Rect& window) const {
    size_t best = 0;
    int64_t bestOverlap = -1, bestDistance = INT64_MAX;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const Rect& m = monitors[i];
        const int64_t overlap = Overlap(window, m);
        const int64_t dx = Apart(window.left, window.Right(), m.left, m.Right());
        const int64_t dy = Apart(window.top, window.Bottom(), m.top, m.Bottom());
        const int64_t distance = dx * dx + dy * dy;
        if (overlap > bestOverlap || (overlap == 0 && bestOverlap == 0 && distance < bestDistance)) {
            best = i;
            bestOverlap = overlap;
            bestDistance = distance;
        }
    }
    return best;
}

std::string LayoutText(const MonitorLayout& layout) {
    std::string text;
    for (const Rect& m : layout.monitors) {
        if (!text.empty()) text += ',';
        text += std::to_string(m.width) + 'x' + std::to_string(m.height) + (m.left < 0 ? "" : "+") +
                std::to_string(m.left) + (m.top < 0 ? "" : "+") + std::to_string(m.top);
    }
    return text;
}

std::optional<MonitorLayout> ParseLayoutText(std::string_view text) {
    MonitorLayout layout;
    while (!text.empty()) {
        Rect m;
        if (!ReadInt(text, m.width, false) || text.empty() || (text[0] != 'x' && text[0] != 'X')) return std::nullopt;
        text.remove_prefix(1);
        if (!ReadInt(text, m.height, false)) return std::nullopt;
        if (!text.empty() && text[0] != ',' && (!ReadInt(text, m.left, true) || !ReadInt(text, m.top, true)))
            return std::nullopt;
        if (m.width <= 0 || m.height <= 0) return std::nullopt;
        for (const Rect& other : layout.monitors)
            if (Overlap(m, other) > 0) return std::nullopt;
        layout.monitors.push_back(m);
        if (!text.empty() && (text[0] != ',' || text.size() == 1)) return std::nullopt;
        if (!text.empty()) text.remove_prefix(1);
    }
    const Rect bounds = layout.Bounds();
    if (layout.monitors.empty() || bounds.width > kMaxPictureSide || bounds.height > kMaxPictureSide)
        return std::nullopt;
    return layout;
}

std::string DescribeLayout(const MonitorLayout& layout) {
    std::string text;
    for (size_t i = 0; i < layout.monitors.size(); ++i) {
        const Rect& m = layout.monitors[i];
        if (i > 0) text += "; ";
        text += "monitor " + std::to_string(i + 1) + ": " + std::to_string(m.width) + " x " + std::to_string(m.height) +
                " at " + std::to_string(m.left) + ", " + std::to_string(m.top) + (i == 0 ? " (primary)" : "");
    }
    return text;
}

std::string MonitorNames(const std::vector<size_t>& monitors) {
    std::string text = monitors.size() == 1 ? "monitor " : "monitors ";
    for (size_t i = 0; i < monitors.size(); ++i) {
        if (i > 0) text += i + 1 == monitors.size() ? " and " : ", ";
        text += std::to_string(monitors[i] + 1);
    }
    return text;
}

}  // namespace mx
