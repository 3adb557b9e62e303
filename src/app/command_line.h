#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace mx {

// An argument asks for the uninstall when, upper-cased and with one leading "+", "-" or "/"
// removed, it starts with "U".
bool IsUninstallArgument(std::string_view arg);
bool IsUninstallRequest(const std::vector<std::string>& args);

// The directory of the program's full file name, ending in exactly one backslash.
std::string ProgramDirOf(std::string_view moduleFileName);

}  // namespace mx
