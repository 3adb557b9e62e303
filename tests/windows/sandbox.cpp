#include "sandbox.h"

#include <windowsx.h>

#include <atomic>

#include "lists/list_view.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "randomizer/randomizer.h"

namespace mx::test {

namespace {

std::atomic<int> sandboxCounter{0};

void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((dir + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = dir + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + "\\");
            } else {
                ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(dir.c_str());
}

}  // namespace

void TestEnvironment::ExpectBox(BoxKind kind, const std::string& text, int answer) {
    script_.push_back({kind, text, answer});
}

int TestEnvironment::ShowMessage(HWND, BoxKind kind, const std::string& text, UINT buttons) {
    boxes.push_back({kind, BoxTitle(kind), text, buttons});
    if (script_.empty()) {
        ADD_FAILURE() << "Unexpected message box \"" << BoxTitle(kind) << "\": " << text;
        return (buttons & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL;
    }
    Scripted next = script_.front();
    script_.pop_front();
    EXPECT_EQ(BoxTitle(kind), std::string(BoxTitle(next.kind)));
    EXPECT_EQ(text, next.text);
    return next.answer;
}

bool TestEnvironment::WriteToFile(HANDLE file, const void* data, DWORD size) {
    if (failWritesAfter == 0) return false;
    if (failWritesAfter > 0) --failWritesAfter;
    return Environment::WriteToFile(file, data, size);
}

bool TestEnvironment::WriteRegistryString(HKEY key, const std::string& name, const std::string& value) {
    registryWrites.emplace_back(name, value);
    if (!failRegistryValue.empty() && EqualsIgnoreCase(name, failRegistryValue)) return false;
    return Environment::WriteRegistryString(key, name, value);
}

void TestEnvironment::TrackPopup(HWND, const PopupMenu& menu, POINT screenPoint) {
    PopupCall call{&menu, {}, screenPoint};
    for (const MenuItem& item : menu.Items())
        if (item.visible) call.items.push_back(item);
    popups.push_back(std::move(call));
}

Finished RunProgram(std::string commandLine, DWORD timeoutMs) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    EXPECT_TRUE(::CreatePipe(&read, &write, &inherit, 1 << 16));
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = write;
    PROCESS_INFORMATION process{};
    Finished finished;
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        ADD_FAILURE() << "cannot start " << commandLine;
    } else {
        if (::WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
            ADD_FAILURE() << commandLine << " did not end within " << timeoutMs << " ms";
            ::TerminateProcess(process.hProcess, 99);
            ::WaitForSingleObject(process.hProcess, 5000);
        }
        ::GetExitCodeProcess(process.hProcess, &finished.code);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(write);
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) finished.output.append(buffer, got);
    ::CloseHandle(read);
    return finished;
}

std::vector<std::string> RandomizerLines(TestEnvironment& env, const std::vector<std::string>& arguments) {
    std::vector<std::string> lines;
    RunRandomizer(env, arguments, [&](const std::string& line) { lines.push_back(line); });
    return lines;
}

Sandbox::Sandbox() {
    int n = ++sandboxCounter;
    std::string suffix = "mx-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(n);
    // The drive T: of the test prefix stands for a system drive; without it, the temporary folder.
    if (::GetFileAttributesA("T:\\") != INVALID_FILE_ATTRIBUTES) {
        driveRoot = "T:\\";
        root = driveRoot + suffix + "\\";
    } else {
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        root = std::string(temp) + suffix + "\\";
        driveRoot = root.substr(0, 3);
    }
    programDir = root + "prog\\";
    windowsDir = root + "WINDOWS";
    // Wine gives processes small numbers again and again: what a test program that was stopped left
    // under the same name goes first.
    RemoveTree(root);
    ::CreateDirectoryA(root.c_str(), nullptr);
    ::CreateDirectoryA(programDir.c_str(), nullptr);
    ::CreateDirectoryA(windowsDir.c_str(), nullptr);

    registryKey = "Software\\MosaluxTests\\" + suffix;
    ::RegDeleteTreeA(HKEY_CURRENT_USER, registryKey.c_str());
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, registryKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, key);
    ::RegCloseKey(key);
}

Sandbox::~Sandbox() {
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, registryKey.c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\MosaluxTests");  // only when no other test's key is left
    RemoveTree(root);
    // The boot screens of a Windows directory in the drive root lie there too.
    if (driveRoot == "T:\\") {
        for (const char* name : {"logo.sys", "logow.sys", "logos.sys"}) ::DeleteFileA((driveRoot + name).c_str());
    }
}

void Sandbox::WriteFile(const std::string& path, const std::string& bytes) const {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

std::string Sandbox::ReadFile(const std::string& path) const {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    ::CloseHandle(file);
    return bytes;
}

bool Sandbox::FileExists(const std::string& path) const {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> Sandbox::Value(const std::string& key, const std::string& name) {
    TestEnvironment env;
    return RegistryKey(env, HKEY_CURRENT_USER, key, RegistryKey::Mode::Read).ReadString(name);
}

void Sandbox::SetValue(const std::string& key, const std::string& name, const std::string& text) {
    TestEnvironment env;
    RegistryKey(env, HKEY_CURRENT_USER, key, RegistryKey::Mode::Create).WriteString(name, text);
}

bool Sandbox::KeyExists(const std::string& key) {
    TestEnvironment env;
    return bool(RegistryKey(env, HKEY_CURRENT_USER, key, RegistryKey::Mode::Read));
}

void MainWindowTest::SetUp() {
    sandbox = std::make_unique<Sandbox>();
    env.moduleFileName = sandbox->programDir + "MXSelect.exe";
    env.windowsDirectory = sandbox->windowsDir;
}

void MainWindowTest::TearDown() {
    form.reset();
    EXPECT_TRUE(env.AllBoxesShown()) << "a scripted message box was never shown";
    sandbox.reset();
}

void MainWindowTest::CreateWindowOnly() {
    form = std::make_unique<TFormSelect>(env);
    ASSERT_TRUE(form->Create());
}

void MainWindowTest::StartProgram(std::vector<std::string> arguments) {
    env.arguments = std::move(arguments);
    CreateWindowOnly();
    form->Show();
}

void MainWindowTest::Click(HWND button) { ::SendMessageA(button, BM_CLICK, 0, 0); }

void MainWindowTest::Menu(int id) { ::SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

bool MainWindowTest::Shortcut(UINT virtualKey, bool control) {
    // TranslateAccelerator reads the Ctrl key from the keyboard state.
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    BYTE saved = keys[VK_CONTROL];
    keys[VK_CONTROL] = control ? 0x80 : 0;
    ::SetKeyboardState(keys);
    MSG msg{form->Handle(), WM_KEYDOWN, virtualKey, 1, 0, {}};
    bool handled = form->TranslateShortcut(msg);
    keys[VK_CONTROL] = saved;
    ::SetKeyboardState(keys);
    return handled;
}

void MainWindowTest::RequestClose() { ::SendMessageA(form->Handle(), WM_CLOSE, 0, 0); }

void MainWindowTest::SelectRow(HWND list, int row, bool selected) {
    ListView_SetItemState(list, row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

// Picks a style the way the user does: the box's selection changes and the window is told.
void MainWindowTest::PickStyle(const std::string& style) {
    int index = ComboBox_FindStringExact(form->CBStyle, -1, style.c_str());
    ComboBox_SetCurSel(form->CBStyle, index);
    ::SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(form->CBStyle), CBN_SELCHANGE),
                   LPARAM(form->CBStyle));
}

void MainWindowTest::Choose(const std::string& dir, std::initializer_list<std::string> names) {
    form->ApplyFilePath(dir);
    ListBox_SetSel(form->FileListBox1, FALSE, -1);
    for (const std::string& name : names) {
        const int index = ListBox_FindStringExact(form->FileListBox1, -1, name.c_str());
        EXPECT_GE(index, 0) << name << " is not in " << dir;
        ListBox_SetSel(form->FileListBox1, TRUE, index);
        ListBox_SetCaretIndex(form->FileListBox1, index);
    }
    ::SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(form->FileListBox1), LBN_SELCHANGE),
                   LPARAM(form->FileListBox1));
}

TestEnvironment MainWindowTest::RandomizerEnvironment() const {
    TestEnvironment randomizer;
    randomizer.moduleFileName = sandbox->programDir + "MXRandom.exe";
    randomizer.windowsDirectory = sandbox->windowsDir;
    return randomizer;
}

std::vector<std::string> MainWindowTest::Captions(HWND list) const {
    std::vector<std::string> captions;
    for (int i = 0, n = ItemCount(list); i < n; ++i) captions.push_back(ItemText(list, i, ColumnFilename));
    return captions;
}

std::string MainWindowTest::Text(HWND control) const { return WindowText(control); }

bool MainWindowTest::Visible(HWND control) const { return ::GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE; }

}  // namespace mx::test
