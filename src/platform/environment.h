#pragma once
// The seam between the program and the machine. Every place where the program reads or changes the
// machine's state outside its own windows goes through an Environment: the production one talks to
// the system, the tests' one redirects to scratch folders and records or scripts what would reach
// the user.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "picture/monitor_layout.h"

namespace mx {

class PopupMenu;

enum class BoxKind { Error, Warning, Information, Confirmation };

// Title, icon and default buttons of each kind of message box.
const char* BoxTitle(BoxKind kind);
UINT BoxStyle(BoxKind kind);

class Environment {
public:
    virtual ~Environment() = default;

    // Full file name of the running program (GetModuleFileNameA).
    virtual std::string ModuleFileName() = 0;
    // The Windows directory exactly as GetWindowsDirectoryA reports it.
    virtual std::string WindowsDirectory() = 0;
    // The command-line arguments, the program's own name not counted.
    virtual std::vector<std::string> Arguments() = 0;
    // The system's own 8-bit code page, in which earlier versions wrote their files: the one the
    // system is set to, even while the program's manifest makes its text UTF-8.
    virtual UINT EightBitCodePage() = 0;

    // A modal message box of the given kind; `buttons` is MB_OK, MB_YESNO, MB_YESNOCANCEL...
    // Returns the button pressed (IDOK, IDYES, ...).
    virtual int ShowMessage(HWND owner, BoxKind kind, const std::string& text, UINT buttons) = 0;

    virtual void WinHelp(HWND owner, const std::string& file, UINT command, ULONG_PTR data) = 0;
    virtual bool SetDesktopWallpaper(const std::string& path) = 0;
    virtual SIZE ScreenSize() = 0;
    // Bits per pixel of the display's own colour format.
    virtual int DisplayBitsPerPixel() = 0;
    // The monitors as the system has them, in physical pixels, the primary first; one monitor of
    // the screen's size when the system names none.
    virtual MonitorLayout Monitors();
    // Whether the system spans one wallpaper file over all monitors (Windows 8 and later); earlier
    // systems tile it from the primary monitor's top-left corner.
    virtual bool WallpaperSpans();

    // Writes all bytes to an open file; the tests replace it to make a write fail.
    virtual bool WriteToFile(HANDLE file, const void* data, DWORD size);
    // Sets a string value of an open registry key; the tests record the writes and can make one fail.
    virtual bool WriteRegistryString(HKEY key, const std::string& name, const std::string& value);
    // Opens a pop-up menu at a screen point and runs the item chosen; modal, so the tests record it.
    virtual void TrackPopup(HWND owner, const PopupMenu& menu, POINT screenPoint);
    // Adds, changes or removes an icon of the notification area (Shell_NotifyIconA); the tests record it.
    virtual bool NotifyIcon(DWORD message, NOTIFYICONDATAA& data);
    // Starts a program with arguments and does not wait for it; false, with the system's error code
    // in `error`, when it cannot be started. The tests record it.
    virtual bool StartProgram(const std::string& path, const std::string& arguments, DWORD& error);

    // Asks for a folder's attributes as GetFileAttributesA does. It may wait as long as a network
    // share takes to answer, on threads that outlive whoever asked, so it owns all it uses; the tests
    // give shares that never answer.
    using FolderQuestion = std::function<DWORD(const std::string& folder)>;
    virtual FolderQuestion AskFolder();
};

// The real machine.
class SystemEnvironment : public Environment {
public:
    std::string ModuleFileName() override;
    std::string WindowsDirectory() override;
    std::vector<std::string> Arguments() override;
    UINT EightBitCodePage() override;
    int ShowMessage(HWND owner, BoxKind kind, const std::string& text, UINT buttons) override;
    void WinHelp(HWND owner, const std::string& file, UINT command, ULONG_PTR data) override;
    bool SetDesktopWallpaper(const std::string& path) override;
    SIZE ScreenSize() override;
    int DisplayBitsPerPixel() override;
};

}  // namespace mx
