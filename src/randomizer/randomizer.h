#pragma once
// MXRandom.exe's work, run at log-on: from each list of the selection file beside the program, the
// next entry of the list's deck becomes the boot screen of its category or the wallpaper, installed
// exactly as the selector installs it. Nothing here ever shows a message box: every action, and
// every entry passed over with the reason, is a line of MXRandom.log beside the program.
#include <functional>
#include <string>
#include <vector>

namespace mx {

class Environment;

// Receives each log line as it is made (the console, when the program was started from one).
using LogEcho = std::function<void(const std::string& line)>;

// Runs the randomizer with the program's arguments (--dry-run, --seed N, --screen WxH, --monitors
// WxH+X+Y,...). Never throws; returns the process's exit code, 0 unless the arguments held something
// it does not know.
int RunRandomizer(Environment& env, const std::vector<std::string>& arguments, const LogEcho& echo = {});

}  // namespace mx
