#include "system/boot_screens.h"

#include "lists/categories.h"
#include "platform/text.h"

namespace mx {

std::string WindowsDirOf(std::string_view windowsDirectory) {
    return windowsDirectory.empty() ? std::string() : WithTrailingBackslash(windowsDirectory);
}

std::string BootScreenPathOf(std::string_view windowsDirectory, int category) {
    std::string dir = WindowsDirOf(windowsDirectory);
    if (dir.empty()) return {};
    switch (category) {
    case CategoryStart: return dir.substr(0, 3) + "logo.sys";
    case CategoryWait: return dir + "logow.sys";
    case CategoryShut: return dir + "logos.sys";
    }
    return {};
}

std::string_view BackupFileName(int category) {
    switch (category) {
    case CategoryStart: return "logo.bck";
    case CategoryWait: return "logow.bck";
    case CategoryShut: return "logos.bck";
    }
    return {};
}

}  // namespace mx
