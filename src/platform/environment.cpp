#include "platform/environment.h"

#include <cstdlib>
#include <cstring>

#include "platform/handles.h"
#include "platform/late_bound.h"
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

bool Environment::NotifyIcon(DWORD message, NOTIFYICONDATAA& data) { return late::Shell_NotifyIconA(message, &data); }

bool Environment::StartProgram(const std::string& path, const std::string& arguments, DWORD& error) {
    std::string commandLine = "\"" + path + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        error = ::GetLastError();
        return false;
    }
    KernelHandle thread(process.hThread), started(process.hProcess);
    error = 0;
    return true;
}

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoA(monitor, &info)) {
        const RECT& r = info.rcMonitor;
        const Rect rect{int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)};
        auto& monitors = reinterpret_cast<MonitorLayout*>(data)->monitors;
        if (rect.width > 0 && rect.height > 0)
            monitors.insert(info.dwFlags & MONITORINFOF_PRIMARY ? monitors.begin() : monitors.end(), rect);
    }
    return TRUE;
}

}  // namespace

MonitorLayout Environment::Monitors() {
    MonitorLayout layout;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&layout));
    if (layout.monitors.empty()) {
        const SIZE screen = ScreenSize();
        layout = MonitorLayout::One({int(screen.cx), int(screen.cy)});
    }
    return layout;
}

bool Environment::WallpaperSpans() {
    OSVERSIONINFOEXA version{};
    version.dwOSVersionInfoSize = sizeof version;
    version.dwMajorVersion = 6;
    version.dwMinorVersion = 2;
    const DWORDLONG mask = ::VerSetConditionMask(::VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL),
                                                 VER_MINORVERSION, VER_GREATER_EQUAL);
    return ::VerifyVersionInfoA(&version, VER_MAJORVERSION | VER_MINORVERSION, mask);
}

Environment::FolderQuestion Environment::AskFolder() {
    return [](const std::string& folder) { return ::GetFileAttributesA(folder.c_str()); };
}

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
    std::string dir(MAX_PATH, '\0');
    for (;;) {
        UINT n = ::GetWindowsDirectoryA(dir.data(), UINT(dir.size()));
        if (n < dir.size()) {
            dir.resize(n);
            return dir;
        }
        dir.resize(n);  // the size it needs, its terminating zero counted
    }
}

UINT SystemEnvironment::EightBitCodePage() {
    char text[16] = {};
    DWORD size = sizeof text;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP", RRF_RT_REG_SZ,
                       nullptr, text, &size) == ERROR_SUCCESS) {
        UINT codePage = UINT(std::strtoul(text, nullptr, 10));
        if (codePage != 0 && codePage != CP_UTF8 && ::IsValidCodePage(codePage)) return codePage;
    }
    // Without a setting of its own, the code page the system gives the program, unless that is UTF-8.
    return ::GetACP() != CP_UTF8 ? ::GetACP() : 1252;
}

std::vector<std::string> SystemEnvironment::Arguments() {
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);
    return args;
}

namespace {

// A Yes/No box has no Cancel button, so the system lets Esc (and, under some systems, the title bar's
// close button) do nothing or answer Cancel. The program's questions read Esc as No: the box's
// cancel command presses its No button. The box's own window procedure is put back when it goes,
// and is kept meanwhile in a property of the box. This is plain window-procedure replacement, not
// the common controls' subclassing, so that the randomizer, which links this file but never asks
// anything, does not load the common controls at every log-on.
constexpr const char* kBoxProcedure = "MxBoxProcedure";

LRESULT CALLBACK EscapeAnswersNo(HWND box, UINT msg, WPARAM wp, LPARAM lp) {
    const auto original = reinterpret_cast<WNDPROC>(::GetPropA(box, kBoxProcedure));
    if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) {
        if (HWND no = ::GetDlgItem(box, IDNO)) {
            ::SendMessageA(no, BM_CLICK, 0, 0);
            return 0;
        }
    }
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        ::RemovePropA(box, kBoxProcedure);
    }
    return ::CallWindowProcA(original, box, msg, wp, lp);
}

void AnswerEscapeWithNo(HWND box) {
    ::SetPropA(box, kBoxProcedure, reinterpret_cast<HANDLE>(::GetWindowLongPtrA(box, GWLP_WNDPROC)));
    ::SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EscapeAnswersNo));
}

// The hook lives for one box on this thread: it catches the box as it is activated, then goes.
thread_local HHOOK boxHook = nullptr;

LRESULT CALLBACK CatchBox(int code, WPARAM wp, LPARAM lp) {
    HHOOK hook = boxHook;
    if (code == HCBT_ACTIVATE) {
        char className[16] = {};
        ::GetClassNameA(reinterpret_cast<HWND>(wp), className, sizeof className);
        if (std::strcmp(className, "#32770") == 0) {
            AnswerEscapeWithNo(reinterpret_cast<HWND>(wp));
            ::UnhookWindowsHookEx(hook);
            boxHook = nullptr;
        }
    }
    return ::CallNextHookEx(hook, code, wp, lp);
}

}  // namespace

int SystemEnvironment::ShowMessage(HWND owner, BoxKind kind, const std::string& text, UINT buttons) {
    HHOOK mine = nullptr;
    if ((buttons & MB_TYPEMASK) == MB_YESNO && !boxHook)
        mine = boxHook = ::SetWindowsHookExA(WH_CBT, CatchBox, nullptr, ::GetCurrentThreadId());
    int answer = ::MessageBoxA(owner, text.c_str(), BoxTitle(kind), buttons | BoxStyle(kind));
    if (mine && boxHook == mine) {
        ::UnhookWindowsHookEx(mine);
        boxHook = nullptr;
    }
    return answer;
}

void SystemEnvironment::WinHelp(HWND owner, const std::string& file, UINT command, ULONG_PTR data) {
    ::WinHelpA(owner, file.c_str(), command, data);
}

// The call neither stores the setting nor announces it: the desktop values written before it do that.
// An empty path takes the wallpaper away.
bool SystemEnvironment::SetDesktopWallpaper(const std::string& path) {
    std::string buffer = path;
    return ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, buffer.data(), 0);
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
