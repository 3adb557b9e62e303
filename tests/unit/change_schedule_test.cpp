#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "randomizer/change_schedule.h"
#include "state/change_settings.h"

namespace mx {
namespace {

// Steps on the two clocks: `now` counts sleep, `awake` does not. Each step does one thing and says
// what the schedule answers then.
TEST(ChangeSchedule, DueAnIntervalAfterTheLastChangeAndAfterWakingWhenSleepPassedIt) {
    enum Act { Interval, Changed, Pause, Resume, Ask };
    struct Step { Act act; uint64_t now, awake; uint64_t value; ChangeSchedule::Due due; std::optional<uint64_t> timer; };
    using D = ChangeSchedule::Due;
    const std::optional<uint64_t> none;
    struct Case { const char* name; std::vector<Step> steps; } cases[] = {
        {"no interval: nothing is due, no timer", {{Ask, 5000, 5000, 0, D::No, none}}},
        {"the timer's moment", {{Interval, 1000, 1000, 60000, D::No, 60000},
                                {Ask, 60999, 60999, 0, D::No, 1},
                                {Ask, 61000, 60990, 0, D::Timer, 0}}},
        {"a change counts afresh", {{Interval, 0, 0, 60000, D::No, 60000},
                                    {Changed, 30000, 30000, 0, D::No, 60000},
                                    {Ask, 60000, 60000, 0, D::No, 30000},
                                    {Ask, 90000, 90000, 0, D::Timer, 0}}},
        {"slept through the moment", {{Interval, 0, 0, 60000, D::No, 60000},
                                      {Ask, 70000, 20000, 0, D::Wake, 0}}},
        {"slept, but not past it: the timer is set for what is left on the clock that went on",
         {{Interval, 0, 0, 60000, D::No, 60000}, {Ask, 40000, 10000, 0, D::No, 20000}}},
        {"paused: nothing, resumed: a whole interval from then",
         {{Interval, 0, 0, 60000, D::No, 60000}, {Pause, 10000, 10000, 0, D::No, none},
          {Ask, 90000, 90000, 0, D::No, none}, {Resume, 100000, 100000, 0, D::No, 60000},
          {Ask, 160000, 160000, 0, D::Timer, 0}}},
        {"a new interval counts from when it was chosen, the same one goes on",
         {{Interval, 0, 0, 60000, D::No, 60000}, {Interval, 50000, 50000, 60000, D::No, 10000},
          {Interval, 50000, 50000, 900000, D::No, 900000}, {Interval, 60000, 60000, 0, D::No, none}}},
        {"short intervals (the tests'): a tenth of it is no sleep",
         {{Interval, 0, 0, 300, D::No, 300}, {Ask, 300, 275, 0, D::Timer, 0}, {Ask, 300, 260, 0, D::Wake, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ChangeSchedule schedule;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE("step " + std::to_string(i));
            const Step& s = c.steps[i];
            const ClockReading at{s.now, s.awake};
            switch (s.act) {
            case Interval: schedule.SetInterval(s.value, at); break;
            case Changed: schedule.Changed(at); break;
            case Pause: schedule.Pause(); break;
            case Resume: schedule.Resume(at); break;
            case Ask: break;
            }
            EXPECT_EQ(schedule.Check(at), s.due);
            EXPECT_EQ(schedule.TimerMs(at), s.timer);
        }
    }
}

TEST(ChangeSettings, StoredTextsAndTheirNames) {
    const std::optional<std::string> missing;
    struct Case { std::optional<std::string> interval, unlocked; int minutes; bool whenUnlocked, keeps; } cases[] = {
        {missing, missing, 0, false, false}, {"15", missing, 15, false, true}, {"1440", "0", 1440, false, true},
        {"0", "1", 0, true, true},           {"10080", missing, 10080, false, true}, {"10081", missing, 0, false, false},
        {"-60", missing, 0, false, false},   {"hourly", "yes", 0, false, false}, {"0x3C", "2", 60, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval.value_or("(missing)") + " " + c.unlocked.value_or("(missing)"));
        ChangeSettings s = ChangeSettingsOf(c.interval, c.unlocked);
        EXPECT_EQ(s.intervalMinutes, c.minutes);
        EXPECT_EQ(s.whenUnlocked, c.whenUnlocked);
        EXPECT_EQ(s.KeepsRunning(), c.keeps);
    }
    EXPECT_EQ(IntervalName(0) + ", " + IntervalName(1) + ", " + IntervalName(90) + ", " + IntervalName(360) + ", " +
                  IntervalName(2880),
              "at log-on only, every minute, every 90 minutes, every 6 hours, every 2 days");
}

}  // namespace
}  // namespace mx
