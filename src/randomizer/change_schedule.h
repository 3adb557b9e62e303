#pragma once
// When the randomizer that stays running changes the wallpaper next: an interval after the last
// change, counted on a clock that goes on while the machine sleeps, so that a machine that slept
// through the moment changes as it wakes. A second clock that stops during sleep tells such a change
// from one of the timer.
#include <cstdint>
#include <optional>

namespace mx {

// Milliseconds of both clocks at one moment: `now` counts sleep, `awake` does not.
struct ClockReading {
    uint64_t now = 0;
    uint64_t awake = 0;
};

class ChangeSchedule {
public:
    enum class Due { No, Timer, Wake };

    // A new interval (0: none) counts from `at`; the same interval as before leaves the count alone.
    void SetInterval(uint64_t intervalMs, ClockReading at);
    uint64_t Interval() const { return interval_; }
    // A change was made: the next comes an interval later.
    void Changed(ClockReading at);
    // Paused, nothing is due; resumed, the interval counts afresh.
    void Pause();
    void Resume(ClockReading at);
    bool Paused() const { return paused_; }

    // Whether a change is due at `at`, asked when the timer fires or the machine wakes; Wake when it
    // is due only because the machine slept.
    Due Check(ClockReading at) const;
    // How long to set the timer for from `at`; nothing when no change is to come.
    std::optional<uint64_t> TimerMs(ClockReading at) const;

private:
    uint64_t interval_ = 0;
    bool paused_ = false;
    ClockReading from_;  // where the interval counts from
};

}  // namespace mx
