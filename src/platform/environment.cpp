#include "platform/environment.h"

#include <cstdlib>

#include "platform/menu.h"

namespace mx {

const char* BoxTitle(BoxKind kind) {
    switch (kind) {
    case BoxKind::Error: return "Error";
    case BoxKind::Warning: return "Warning";
    case BoxKind::Information: return "Information";
    case BoxKind::Confirmation: return "Confirm";
    }
    return "";
}

UINT BoxStyle(BoxKind kind) {
    switch (kind) {
    case BoxKind::Error: return MB_ICONERROR;
    case BoxKind::Warning: return MB_ICONWARNING;
    case BoxKind::Information: return MB_ICONINFORMATION;
    case BoxKind::Confirmation: return MB_ICONQUESTION;
    }
    return 0;
}

bool Environment::WriteToFile(HANDLE file, const void* data, DWORD size) {
    DWORD written = 0;
    return ::WriteFile(file, data, size, &written, nullptr) && written == size;
}

bool Environment::WriteRegistryString(HKEY key, const std::string& name, const std::string& value) {
    return ::RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            DWORD(value.size() + 1)) == ERROR_SUCCESS;
}

void Environment::TrackPopup(HWND owner, const PopupMenu& menu, POINT screenPoint) { menu.Track(owner, screenPoint); }

std::string SystemEnvironment::ModuleFileName() {
    std::string name(MAX_PATH, '\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameA(nullptr, name.data(), DWORD(name.size()));
        if (n < name.size()) {
            name.resize(n);
            return name;
        }
        name.resize(name.size() * 2);
    }
}

std::string SystemEnvironment::WindowsDirectory() {
    char buffer[MAX_PATH] = {};
    UINT n = ::GetWindowsDirectoryA(buffer, MAX_PATH);
    return n < MAX_PATH ? std::string(buffer, n) : std::string();
}

std::vector<std::string> SystemEnvironment::Arguments() {
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);
    return args;
}

int SystemEnvironment::ShowMessage(HWND owner, BoxKind kind, const std::string& text, UINT buttons) {
    return ::MessageBoxA(owner, text.c_str(), BoxTitle(kind), buttons | BoxStyle(kind));
}

void SystemEnvironment::WinHelp(HWND owner, const std::string& file, UINT command, ULONG_PTR data) {
    ::WinHelpA(owner, file.c_str(), command, data);
}

// The call neither stores the setting nor announces it: the desktop values written before it do that.
bool SystemEnvironment::SetDesktopWallpaper(const std::string& path) {
    char buffer[256] = {};
    path.copy(buffer, sizeof buffer - 1);
    return ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, buffer, 0);
}

int SystemEnvironment::DisplayBitsPerPixel() {
    HDC screen = ::GetDC(nullptr);
    int bits = ::GetDeviceCaps(screen, BITSPIXEL) * ::GetDeviceCaps(screen, PLANES);
    ::ReleaseDC(nullptr, screen);
    return bits;
}

SIZE SystemEnvironment::ScreenSize() {
    return SIZE{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace mx
