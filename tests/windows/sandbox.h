#pragma once
// The test bed for window tests: a scratch program directory, a scratch Windows directory on a drive
// of its own, the current user's registry redirected to a scratch key, and an environment that
// scripts message boxes and records what would reach the help viewer and the desktop.
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/form_select.h"
#include "platform/environment.h"

namespace mx::test {

inline constexpr const char* kUninstallQuestion =
    "This will uninstall MXSR.\n\r\n\rIt will place your original screens back\n\r"
    "and remove all registry entries of MXSR.\n\r\n\rAre you sure you want to continue?";

struct ShownBox {
    BoxKind kind;
    std::string title;
    std::string text;
    UINT buttons;
};

struct PopupCall {
    const PopupMenu* menu;
    std::vector<MenuItem> items;  // the items shown, in order
    POINT point;                  // screen coordinates
};

struct IconCall {
    DWORD message;  // NIM_ADD, NIM_SETVERSION, NIM_MODIFY, NIM_DELETE
    std::string tip;
};

struct StartCall {
    std::string path;
    std::string arguments;
};

struct HelpCall {
    std::string file;
    UINT command;
    ULONG_PTR data;
};

class TestEnvironment : public Environment {
public:
    std::string moduleFileName;
    std::string windowsDirectory;
    std::vector<std::string> arguments;
    UINT eightBitCodePage = 1252;
    SIZE screen{1024, 768};
    int displayBits = 32;
    std::optional<MonitorLayout> layout;  // none: one monitor of the screen's size
    bool spans = true;                    // the system spans a wallpaper over the monitors
    bool systemMonitors = false;          // the system's monitors and wallpaper layout instead

    std::vector<ShownBox> boxes;          // every box shown, in order
    std::vector<HelpCall> helpCalls;      // every call of the help viewer
    std::vector<std::string> wallpapers;  // every set-wallpaper call
    std::vector<PopupCall> popups;        // every pop-up menu opened; none runs an item
    int failWritesAfter = -1;             // >= 0: that many writes succeed, the next ones fail
    std::vector<std::pair<std::string, std::string>> registryWrites;  // name and text of every value written
    std::string failRegistryValue;        // a value of this name cannot be written
    std::vector<IconCall> icons;          // every call for the notification area
    std::vector<StartCall> started;       // every program started
    DWORD failStarts = 0;                 // not 0: no program starts, with this system error
    FolderQuestion folderQuestion;        // when set, asked about folders instead of the system

    // The next box must be of this kind and text; it is answered with `answer`.
    void ExpectBox(BoxKind kind, const std::string& text, int answer = IDOK);
    bool AllBoxesShown() const { return script_.empty(); }

    std::string ModuleFileName() override { return moduleFileName; }
    std::string WindowsDirectory() override { return windowsDirectory; }
    std::vector<std::string> Arguments() override { return arguments; }
    UINT EightBitCodePage() override { return eightBitCodePage; }
    int ShowMessage(HWND owner, BoxKind kind, const std::string& text, UINT buttons) override;
    void WinHelp(HWND, const std::string& file, UINT command, ULONG_PTR data) override {
        helpCalls.push_back({file, command, data});
    }
    bool SetDesktopWallpaper(const std::string& path) override {
        wallpapers.push_back(path);
        return true;
    }
    SIZE ScreenSize() override { return screen; }
    int DisplayBitsPerPixel() override { return displayBits; }
    MonitorLayout Monitors() override {
        if (systemMonitors) return Environment::Monitors();
        if (layout) return *layout;
        const SIZE size = ScreenSize();
        return MonitorLayout::One({size.cx, size.cy});
    }
    bool WallpaperSpans() override { return systemMonitors ? Environment::WallpaperSpans() : spans; }
    bool WriteToFile(HANDLE file, const void* data, DWORD size) override;
    bool WriteRegistryString(HKEY key, const std::string& name, const std::string& value) override;
    void TrackPopup(HWND owner, const PopupMenu& menu, POINT screenPoint) override;
    bool NotifyIcon(DWORD message, NOTIFYICONDATAA& data) override {
        icons.push_back({message, data.szTip});
        return true;
    }
    bool StartProgram(const std::string& path, const std::string& arguments, DWORD& error) override {
        started.push_back({path, arguments});
        error = failStarts;
        return failStarts == 0;
    }
    FolderQuestion AskFolder() override { return folderQuestion ? folderQuestion : Environment::AskFolder(); }

private:
    struct Scripted {
        BoxKind kind;
        std::string text;
        int answer;
    };
    std::deque<Scripted> script_;
};

// A file of the build (a Linux path) as the program names it, and a file of tests/data.
inline std::string WindowsPath(std::string path) {
    if (path[0] == '/') path = "Z:" + path;
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
}
inline std::string TestData(const std::string& name) { return WindowsPath(MX_TEST_DATA "/" + name); }

// A program started by a test: its exit code and what it wrote to its output. One that has not ended
// after the time-out is ended, and the test fails.
struct Finished {
    DWORD code = 0;
    std::string output;
};
Finished RunProgram(std::string commandLine, DWORD timeoutMs = 60000);

// The lines the randomizer, run in this process, logs.
std::vector<std::string> RandomizerLines(TestEnvironment& env, const std::vector<std::string>& arguments);

// Scratch folders and a scratch registry key for one test; all removed at the end.
class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    std::string root;        // T:\mx-<process>-<n>\ (the folder of this test)
    std::string programDir;  // root + "prog\"
    std::string windowsDir;  // root + "WINDOWS" (as GetWindowsDirectoryA gives it: no backslash)
    std::string driveRoot;   // "T:\"
    std::string registryKey;  // the scratch key under the real current user's hive

    void WriteFile(const std::string& path, const std::string& bytes) const;
    std::string ReadFile(const std::string& path) const;
    bool FileExists(const std::string& path) const;

    // The current user's registry, which is the scratch key: a string value (nothing when missing or
    // not a string), setting one, and whether a key exists.
    static std::optional<std::string> Value(const std::string& key, const std::string& name);
    static void SetValue(const std::string& key, const std::string& name, const std::string& text);
    static bool KeyExists(const std::string& key);
};

// A main window in a sandbox, driven through real messages.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the main window and shows it (the start-up sequence runs).
    void StartProgram(std::vector<std::string> arguments = {});
    // Creates the main window without showing it.
    void CreateWindowOnly();
    bool WindowOpen() const { return form && form->Handle() != nullptr; }

    void Click(HWND button);
    void Menu(int id);
    // Sends a keystroke through the window's shortcut table, as the message loop does.
    bool Shortcut(UINT virtualKey, bool control);
    void RequestClose();

    void SelectRow(HWND list, int row, bool selected = true);
    // Chooses files in the browser, in the folder `dir`, as clicks do: the last one named has the focus.
    void Choose(const std::string& dir, std::initializer_list<std::string> names);
    void PickStyle(const std::string& style);
    std::vector<std::string> Captions(HWND list) const;
    std::string Text(HWND control) const;
    bool Visible(HWND control) const;

    std::string DataFile() const { return sandbox->programDir + "MXDATA.MXD"; }
    // The environment of the randomizer beside the program in the sandbox.
    TestEnvironment RandomizerEnvironment() const;

    std::unique_ptr<Sandbox> sandbox;
    TestEnvironment env;
    std::unique_ptr<TFormSelect> form;
};

}  // namespace mx::test
