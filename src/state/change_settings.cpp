#include "state/change_settings.h"

#include "state/settings_values.h"

namespace mx {

ChangeSettings ChangeSettingsOf(const std::optional<std::string>& interval, const std::optional<std::string>& unlocked) {
    ChangeSettings settings;
    const int minutes = ReadIntegerValue(interval, 0);
    settings.intervalMinutes = minutes > 0 && minutes <= kLongestInterval ? minutes : 0;
    settings.whenUnlocked = ReadBooleanValue(unlocked, false);
    return settings;
}

std::string IntervalName(int minutes) {
    if (minutes <= 0) return "at log-on only";
    if (minutes % (24 * 60) == 0)
        return minutes == 24 * 60 ? "every day" : "every " + std::to_string(minutes / (24 * 60)) + " days";
    if (minutes % 60 == 0) return minutes == 60 ? "every hour" : "every " + std::to_string(minutes / 60) + " hours";
    return minutes == 1 ? "every minute" : "every " + std::to_string(minutes) + " minutes";
}

}  // namespace mx
