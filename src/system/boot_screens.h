#pragma once
// Where the system keeps its three boot screens, and where the program keeps its backups of them.
#include <string>
#include <string_view>

#include "picture/picture.h"

namespace mx {

// The Windows directory with one backslash appended when it does not end in one; empty stays empty.
std::string WindowsDirOf(std::string_view windowsDirectory);

// The system file of a boot-screen category: the start-up screen lies in the root of the Windows
// directory's drive, the other two in the Windows directory. The wallpaper category has none, and
// neither has a system whose Windows directory is unknown (empty text).
std::string BootScreenPathOf(std::string_view windowsDirectory, int category);

// A boot screen is 320 pixels wide, 400 high, and 8 bits per pixel with a colour table, measured on
// the decoded picture.
inline constexpr int kBootScreenWidth = 320;
inline constexpr int kBootScreenHeight = 400;
inline bool HasBootScreenSize(int width, int height) {
    return width == kBootScreenWidth && height == kBootScreenHeight;
}
inline bool HasBootScreenSize(const Picture& picture) { return HasBootScreenSize(picture.width, picture.height); }
inline bool MeetsBootScreenConstraints(const Picture& picture) {
    return HasBootScreenSize(picture) && picture.format == PixelFormat::Bits8;
}

// Copies a picture file byte for byte over a boot screen, replacing it; nothing is converted. False
// when the copy fails or there is no target (Windows only).
bool InstallBootScreen(const std::string& file, const std::string& target);

// The name of the first start's backup of a boot screen in the program directory.
std::string_view BackupFileName(int category);

}  // namespace mx
