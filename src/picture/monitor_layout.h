#pragma once
// The monitors as the system arranges them on the virtual screen, in physical pixels, the primary
// first. The primary's top-left corner is the origin, so monitors left of or above it lie at
// negative coordinates; there may be gaps between monitors. Tests build any layout with it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "picture/picture.h"

namespace mx {

struct MonitorLayout {
    std::vector<Rect> monitors;  // the primary first

    // One monitor of the size at the origin, as a system with one screen has it.
    static MonitorLayout One(Size screen);
    bool Single() const { return monitors.size() <= 1; }
    // The virtual screen: the smallest rectangle holding every monitor.
    Rect Bounds() const;
    // The monitor a window with this rectangle is on: the one it overlaps most, or else the one
    // nearest to it, as the system decides it (the primary when there is no monitor).
    size_t MonitorOf(const Rect& window) const;
    bool operator==(const MonitorLayout&) const = default;
};

// "1920x1080+0+0,1080x1920+1920+0": every monitor as width x height + left + top, the primary first.
std::string LayoutText(const MonitorLayout& layout);
// Reads LayoutText's form; an offset may be left out ("1920x1080" lies at 0, 0) and may be negative
// ("1280x1024-1280+0"). Nothing for text of another form, a monitor without pixels, monitors that
// overlap, or a virtual screen with a side over 32767 pixels.
std::optional<MonitorLayout> ParseLayoutText(std::string_view text);

// As the log says it: "monitor 1: 1920 x 1080 at 0, 0 (primary); monitor 2: 1080 x 1920 at 1920, 0".
std::string DescribeLayout(const MonitorLayout& layout);
// "monitor 2", "monitors 1 and 2", "monitors 1, 2 and 3", for monitors numbered from 0.
std::string MonitorNames(const std::vector<size_t>& monitors);

}  // namespace mx
