#include "app/command_line.h"

#include "platform/text.h"

namespace mx {

bool IsUninstallArgument(std::string_view arg) {
    if (!arg.empty() && (arg[0] == '+' || arg[0] == '-' || arg[0] == '/')) arg.remove_prefix(1);
    return !arg.empty() && UpperAscii(arg[0]) == 'U';
}

bool IsUninstallRequest(const std::vector<std::string>& args) {
    bool uninstall = false;
    for (const std::string& a : args)
        if (IsUninstallArgument(a)) uninstall = true;
    return uninstall;
}

std::string ProgramDirOf(std::string_view moduleFileName) {
    size_t cut = moduleFileName.find_last_of("\\:");
    std::string_view dir = cut == std::string_view::npos ? std::string_view() : moduleFileName.substr(0, cut + 1);
    return WithTrailingBackslash(dir);
}

}  // namespace mx
