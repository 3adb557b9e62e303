#include "randomizer/randomizer_text.h"

#include <charconv>

#include "platform/text.h"
#include "state/change_settings.h"

namespace mx {

namespace {

template <class T>
bool ParseNumber(std::string_view text, T& value) {
    if (text.empty()) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

RandomizerOptions ParseRandomizerArguments(const std::vector<std::string>& args) {
    RandomizerOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--dry-run") {
            options.dryRun = true;
        } else if (arg == "--next") {
            options.next = true;
        } else if (arg == "--resident") {
            options.resident = true;
        } else if (arg == "--exit") {
            options.exit = true;
        } else if (arg == "--seed" && hasValue) {
            uint64_t seed = 0;
            if (ParseNumber(args[i + 1], seed)) options.seed = seed;
            else options.unknown.push_back(arg + " " + args[i + 1]);
            ++i;
        } else if (arg == "--screen" && hasValue) {
            std::string_view size = args[i + 1];
            size_t x = size.find_first_of("xX");
            int w = 0, h = 0;
            if (x != std::string_view::npos && ParseNumber(size.substr(0, x), w) &&
                ParseNumber(size.substr(x + 1), h) && w > 0 && h > 0 && w <= 32767 && h <= 32767) {
                options.screenWidth = w;
                options.screenHeight = h;
            } else {
                options.unknown.push_back(arg + " " + args[i + 1]);
            }
            ++i;
        } else if (arg == "--monitors" && hasValue) {
            options.monitors = ParseLayoutText(args[i + 1]);
            if (!options.monitors) options.unknown.push_back(arg + " " + args[i + 1]);
            ++i;
        } else {
            options.unknown.push_back(arg);
        }
    }
    return options;
}

std::string ChangeHeading(ChangeTrigger trigger, int intervalMinutes) {
    switch (trigger) {
    case ChangeTrigger::LogOn: return "Change at log-on";
    case ChangeTrigger::Timer: return "Change by the timer (" + IntervalName(intervalMinutes) + ")";
    case ChangeTrigger::Unlock: return "Change at unlock";
    case ChangeTrigger::Wake: return "Change after waking: the interval passed during sleep";
    case ChangeTrigger::Next: return "Change asked for: the next wallpaper";
    }
    return {};
}

std::vector<std::string> RandomizerUsage(const std::vector<std::string>& unknown, const std::string& logPath) {
    std::vector<std::string> lines;
    for (const std::string& arg : unknown) {
        std::string_view name = arg;
        if (name != "--help" && name != "-h" && name != "/?" && name != "-?" && name != "/h" && name != "/H")
            lines.push_back("Unknown argument: " + arg);
    }
    if (!lines.empty()) lines.push_back("");
    for (const char* line : {
             "MXRandom.exe sets the next picture of each list kept by Mosalux Selector (MXDATA.MXD beside it)",
             "as the start-up, waiting and shut-down screen and as the wallpaper. It runs at log-on, and",
             "stays in the notification area when the wallpaper is to change every so often or at unlock.",
             "",
             "  MXRandom.exe [--next] [--dry-run] [--seed N] [--screen WxH] [--monitors WxH+X+Y,...]",
             "  MXRandom.exe --resident | --exit",
             "",
             "  --next         sets the next wallpaper only (the randomizer that stays running does it)",
             "  --resident     stays in the notification area without a change now",
             "  --exit         ends the randomizer that stays running",
             "  --dry-run      says what the next run will set, and changes nothing",
             "  --seed N       makes the same choices for the same number N",
             "  --screen WxH   makes the wallpaper for a screen of W x H pixels",
             "  --monitors WxH+X+Y,...",
             "                 makes the wallpaper for these monitors, the primary first",
             "",
         })
        lines.push_back(line);
    lines.push_back("Each run adds what it did to its log, " + logPath);
    return lines;
}

std::string FolderRoot(std::string_view path) {
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return std::string(path.substr(0, 3));
    if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2)) + "\\";
    if (path.substr(0, 2) == "\\\\") {
        size_t server = path.find('\\', 2);
        if (server == std::string_view::npos || server == 2) return {};
        size_t share = path.find('\\', server + 1);
        if (share == server + 1) return {};
        return WithTrailingBackslash(path.substr(0, share));
    }
    return {};
}

std::string AppendToLog(std::string_view existing, const std::vector<std::string>& lines, size_t keep) {
    std::string text(existing);
    if (!text.empty() && text.back() != '\n') text += "\r\n";
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    // Count lines back from the end; cut before the first one to keep.
    size_t count = 0;
    for (size_t pos = text.size(); pos > 0; --pos) {
        if (text[pos - 1] == '\n' && pos != text.size() && ++count == keep) return text.substr(pos);
    }
    return text;
}

}  // namespace mx
