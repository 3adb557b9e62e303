#pragma once
// The randomizer's text handling: its arguments, the folder root an entry depends on, and its log.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "picture/monitor_layout.h"

namespace mx {

struct RandomizerOptions {
    bool dryRun = false;                 // --dry-run: decide and log, change nothing
    std::optional<uint64_t> seed;        // --seed N: repeatable choices
    std::optional<int> screenWidth;      // --screen WxH: render for this screen size (for measurements)
    std::optional<int> screenHeight;
    // --monitors WxH+X+Y,...: render for these monitors, the primary first (for tests and measurements)
    std::optional<MonitorLayout> monitors;
    bool next = false;                   // --next: only the wallpaper, the next entry of its deck
    bool resident = false;               // --resident: stay running for the timer and unlock, no change now
    bool exit = false;                   // --exit: end the randomizer that stays running
    std::vector<std::string> unknown;    // arguments it does not know, with a bad value, or asking for help
};

RandomizerOptions ParseRandomizerArguments(const std::vector<std::string>& args);

// What made a change: at log-on every list is dealt, at any other the wallpaper only.
enum class ChangeTrigger { LogOn, Timer, Unlock, Wake, Next };

// The log's line that begins a change: what triggered it (the timer's interval in minutes with it).
std::string ChangeHeading(ChangeTrigger trigger, int intervalMinutes = 0);

// What the program says, line by line, when its arguments are not all known: what is wrong, what it
// does, its arguments, and where its log is.
std::vector<std::string> RandomizerUsage(const std::vector<std::string>& unknown, const std::string& logPath);

// The part of a path that answers for the whole folder tree: "C:\" for a drive, "\\server\share\"
// for a network share; empty for anything else.
std::string FolderRoot(std::string_view path);

// Where each list's deck is kept: a value of this section of the settings, named for the list.
inline constexpr std::string_view kDeckSection = "Randomizer";
inline std::string_view DeckValueName(int category) {
    switch (category) {
    case 10: return "Start";
    case 20: return "Wait";
    case 30: return "Shut";
    }
    return "Wallpaper";
}

inline constexpr std::string_view kRandomizerLogFile = "MXRandom.log";
// The listings of the lists' folders, kept beside the log from one run to the next.
inline constexpr std::string_view kFolderCacheFile = "MXRandom.cache";
inline constexpr size_t kRandomizerLogLines = 300;

// The log's new text: `existing` with `lines` appended, each ended by CR LF, cut to its last
// `keep` lines.
std::string AppendToLog(std::string_view existing, const std::vector<std::string>& lines, size_t keep);

}  // namespace mx
