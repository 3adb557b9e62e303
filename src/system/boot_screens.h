#pragma once
// Where the system keeps its three boot screens, and where the program keeps its backups of them.
#include <string>
#include <string_view>

namespace mx {

// The Windows directory with one backslash appended when it does not end in one; empty stays empty.
std::string WindowsDirOf(std::string_view windowsDirectory);

// The system file of a boot-screen category: the start-up screen lies in the root of the Windows
// directory's drive, the other two in the Windows directory. The wallpaper category has none, and
// neither has a system whose Windows directory is unknown (empty text).
std::string BootScreenPathOf(std::string_view windowsDirectory, int category);

// The name of the first start's backup of a boot screen in the program directory.
std::string_view BackupFileName(int category);

}  // namespace mx
