#include "randomizer/change_schedule.h"

#include <algorithm>

namespace mx {

void ChangeSchedule::SetInterval(uint64_t intervalMs, ClockReading at) {
    if (intervalMs == interval_) return;
    interval_ = intervalMs;
    from_ = at;
}

void ChangeSchedule::Changed(ClockReading at) { from_ = at; }

void ChangeSchedule::Pause() { paused_ = true; }

void ChangeSchedule::Resume(ClockReading at) {
    if (!paused_) return;
    paused_ = false;
    from_ = at;
}

ChangeSchedule::Due ChangeSchedule::Check(ClockReading at) const {
    if (interval_ == 0 || paused_ || at.now < from_.now + interval_) return Due::No;
    // The two clocks are read a little apart and tick at different rates: a shortfall of the awake
    // time under a tenth of the interval (at most a second) is no sleep.
    const uint64_t slack = std::min<uint64_t>(1000, interval_ / 10);
    const uint64_t awake = at.awake >= from_.awake ? at.awake - from_.awake : 0;
    return awake + slack < interval_ ? Due::Wake : Due::Timer;
}

std::optional<uint64_t> ChangeSchedule::TimerMs(ClockReading at) const {
    if (interval_ == 0 || paused_) return std::nullopt;
    const uint64_t due = from_.now + interval_;
    return due > at.now ? due - at.now : 0;
}

}  // namespace mx
