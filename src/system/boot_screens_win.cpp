#include <windows.h>

#include "system/boot_screens.h"

namespace mx {

bool InstallBootScreen(const std::string& file, const std::string& target) {
    return !target.empty() && ::CopyFileA(file.c_str(), target.c_str(), FALSE);
}

}  // namespace mx
