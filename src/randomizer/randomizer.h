#pragma once
// MXRandom.exe's work, run at log-on: from each list of the selection file beside the program, the
// next entry of the list's deck becomes the boot screen of its category or the wallpaper, installed
// exactly as the selector installs it. Nothing here ever shows a message box: every action, and
// every entry passed over with the reason, is a line of MXRandom.log beside the program.
#include <functional>
#include <string>
#include <vector>

#include "picture/monitor_layout.h"
#include "randomizer/randomizer_text.h"
#include "state/selection_file.h"

namespace mx {

class Environment;

// Receives each log line as it is made (the console, when the program was started from one).
using LogEcho = std::function<void(const std::string& line)>;

// Runs the randomizer with the program's arguments (--next, --resident, --exit, --dry-run, --seed N,
// --screen WxH, --monitors WxH+X+Y,...). A start while a randomizer stays running in the session
// hands its request to that one; a start at log-on with a change interval or the unlock tick set
// stays running itself. Never throws; returns the process's exit code: 0, or 2 when the arguments
// held something it does not know, or 1 when --exit found no randomizer running.
int RunRandomizer(Environment& env, const std::vector<std::string>& arguments, const LogEcho& echo = {});

// What a change made the wallpaper: the entries shown, empty when the wallpaper was left as it was.
struct ChangeOutcome {
    std::vector<SelectionEntry> wallpaper;  // one for each group of monitors that shows one picture
    MonitorLayout layout;                   // the monitors it was made for
};

// One change, taking its turn with every other run: a line saying what triggered it, then at log-on
// the next entry of every list, for any other trigger the next wallpaper only. Never throws.
ChangeOutcome RunChange(Environment& env, const RandomizerOptions& options, ChangeTrigger trigger,
                        const LogEcho& echo = {}, int intervalMinutes = 0);

// After a change of the display: the wallpaper of `pictures` (a change's) made again, without a
// deal, for the monitors as they are now, which become `madeFor`; it takes its turn with every other
// run. False, and nothing done, when there are no pictures or the monitors are still those
// `madeFor`. Never throws.
bool MakeAgain(Environment& env, const RandomizerOptions& options, const std::vector<SelectionEntry>& pictures,
               MonitorLayout& madeFor, const LogEcho& echo = {});

// Adds lines to the log, time-stamped as a run's.
void AddToLog(Environment& env, const std::vector<std::string>& lines, const LogEcho& echo = {});

}  // namespace mx
