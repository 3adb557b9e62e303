#pragma once
// When the randomizer changes the wallpaper besides at log-on: every so often, and at unlock. Both are
// kept in the selector's section of the settings, written as soon as they are chosen (in the
// selector's Options menu or the randomizer's icon menu), so that a randomizer that stays running
// picks them up at once.
#include <optional>
#include <string>

namespace mx {

class Environment;

// Minutes between changes, 0 for at log-on only.
inline constexpr const char* kChangeIntervalValue = "Change Interval";
// "1": a change each time the session is unlocked.
inline constexpr const char* kChangeWhenUnlockedValue = "Change When Unlocked";

// The intervals the menus offer, in their order.
inline constexpr int kIntervalChoices[] = {0, 15, 60, 6 * 60, 24 * 60};
// The longest interval read from the settings: a week. Any number of minutes up to it works, though
// the menus offer only the five.
inline constexpr int kLongestInterval = 7 * 24 * 60;

struct ChangeSettings {
    int intervalMinutes = 0;
    bool whenUnlocked = false;
    // Whether the randomizer started at log-on stays running for them.
    bool KeepsRunning() const { return intervalMinutes > 0 || whenUnlocked; }
};

// The stored texts read as settings: an interval outside 1 to a week, or no number, is at log-on
// only; the tick is a switch as every other.
ChangeSettings ChangeSettingsOf(const std::optional<std::string>& interval, const std::optional<std::string>& unlocked);

// The settings as kept, read without making the settings key (after an uninstall it stays gone).
ChangeSettings ReadChangeSettings(Environment& env);

// "every 15 minutes", "every hour", "every 6 hours", "every day", "at log-on only", as the log says it.
std::string IntervalName(int minutes);

}  // namespace mx
