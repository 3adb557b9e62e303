// The main window from the keyboard alone: the focus at start, the category shortcuts and the tab order.
#include <windowsx.h>

#include "lists/list_view.h"
#include "sandbox.h"

namespace mx::test {
namespace {

class Keyboard : public MainWindowTest {
protected:
    // A key pressed on the focused control, through the message loop's shortcuts and dialog keys.
    void Press(UINT key, bool control = false) {
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        keys[VK_CONTROL] = control ? 0x80 : 0;
        ::SetKeyboardState(keys);
        for (UINT msg : {WM_KEYDOWN, WM_KEYUP}) {
            MSG m{::GetFocus(), msg, key, msg == WM_KEYUP ? 0xC0000001 : 1, 0, {}};
            if (!form->TranslateShortcut(m) && !form->IsKeyboardMessage(m)) {
                ::TranslateMessage(&m);
                ::DispatchMessageA(&m);
            }
        }
        keys[VK_CONTROL] = 0;
        ::SetKeyboardState(keys);
    }
    HWND Focus() const { return ::GetFocus(); }
};

TEST_F(Keyboard, CtrlDigitsChooseTheCategoriesFromAnyControl) {
    StartProgram();
    EXPECT_EQ(Focus(), form->DriveComboBox1) << "the focus starts on the first control of the tab order";
    // The focus stays where it was, unless the switch hides its control.
    using Field = HWND TFormSelect::*;
    const struct { Field focus; char digit; Field button; int category; Field focusAfter; } cases[] = {
        {&TFormSelect::DriveComboBox1, '4', &TFormSelect::sbtnWall, 40, &TFormSelect::DriveComboBox1},
        {&TFormSelect::FileListBox1, '2', &TFormSelect::sbtnWait, 20, &TFormSelect::FileListBox1},
        {&TFormSelect::ListWait, '3', &TFormSelect::sbtnShut, 30, &TFormSelect::ListShut},
        {&TFormSelect::chkbStartUpRun, '4', &TFormSelect::sbtnWall, 40, &TFormSelect::CBStyle},
        {&TFormSelect::BtnAdd, '1', &TFormSelect::sbtnStart, 10, &TFormSelect::BtnAdd},
        {&TFormSelect::sbtnStart, '4', &TFormSelect::sbtnWall, 40, &TFormSelect::sbtnStart}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("Ctrl+") + c.digit);
        ::SetFocus(form.get()->*c.focus);
        EXPECT_TRUE(Shortcut(c.digit, true));
        EXPECT_EQ(form->CurrentCategory, c.category);
        EXPECT_EQ(Button_GetCheck(form.get()->*c.button), BST_CHECKED);
        EXPECT_EQ(Focus(), form.get()->*c.focusAfter);
    }
}

// After the last control Tab reaches the button that is down; the arrows move within the group without
// switching, and Space or Enter presses.
TEST_F(Keyboard, CategoryButtonsAreOneGroupAtTheEndOfTheTabOrder) {
    StartProgram();
    ::SetFocus(form->btnRemove);
    const struct { UINT key; HWND TFormSelect::*focus; int category; } steps[] = {
        {VK_TAB, &TFormSelect::chkbStartUpRun, 10}, {VK_TAB, &TFormSelect::ListStart, 10},
        {VK_TAB, &TFormSelect::sbtnStart, 10},      {VK_RIGHT, &TFormSelect::sbtnWait, 10},
        {VK_SPACE, &TFormSelect::sbtnWait, 20},     {VK_RIGHT, &TFormSelect::sbtnShut, 20},
        {VK_RIGHT, &TFormSelect::sbtnWall, 20},     {VK_RETURN, &TFormSelect::sbtnWall, 40},
        {VK_LEFT, &TFormSelect::sbtnShut, 40},      {VK_TAB, &TFormSelect::DriveComboBox1, 40},
        {VK_TAB, &TFormSelect::DirectoryListBox1, 40}};
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        Press(steps[i].key);
        EXPECT_EQ(Focus(), form.get()->*steps[i].focus);
        EXPECT_EQ(form->CurrentCategory, steps[i].category);
    }
    for (HWND b : {form->sbtnStart, form->sbtnWait, form->sbtnShut, form->sbtnWall})
        EXPECT_EQ(bool(::GetWindowLongPtrA(b, GWL_STYLE) & WS_TABSTOP), b == form->sbtnWall);
}

// A list tabbed into shows its focused row, the first selected; Ctrl+A selects every entry, Delete
// removes the selected ones; in the file list Ctrl+A chooses every file.
TEST_F(Keyboard, ListsTakeDeleteAndCtrlAAndShowTheirFocusedRow) {
    const std::string pics = sandbox->root + "pics\\";
    ::CreateDirectoryA(pics.c_str(), nullptr);
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) sandbox->WriteFile(pics + name, "x");
    sandbox->WriteFile(DataFile(), "[START]\r\n" + pics + "a.bmp\r\n" + pics + "b.bmp\r\n" + pics + "c.bmp\r\n");
    StartProgram();
    HWND list = form->ListStart;
    SelectRow(list, 2);
    ::SetFocus(form->chkbStartUpRun);
    Press(VK_TAB);
    ASSERT_EQ(Focus(), list);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 2);
    Press('A', true);
    EXPECT_EQ(Text(form->LblNumber), "3 / 3");
    SelectRow(list, 1, false);
    Press(VK_DELETE);
    EXPECT_EQ(Captions(list), std::vector<std::string>{"b.bmp"});
    EXPECT_TRUE(form->UnsavedChanges);
    form->ApplyFilePath(pics);
    ::SetFocus(form->FileListBox1);
    Press('A', true);
    EXPECT_EQ(ListBox_GetSelCount(form->FileListBox1), 3);
}

// The category button with the focus shows it: its picture differs from the one it has without.
TEST_F(Keyboard, TheFocusedCategoryButtonShowsAFocusRectangle) {
    StartProgram();
    auto painted = [&] {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 64, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HDC dc = ::CreateCompatibleDC(nullptr);
        HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        ::SendMessageA(form->sbtnWait, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT);
        std::vector<uint32_t> pixels(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + 64 * 32);
        ::DeleteObject(::SelectObject(dc, old)), ::DeleteDC(dc);
        return pixels;
    };
    ::SetFocus(form->BtnAdd);
    const std::vector<uint32_t> without = painted();
    ::SetFocus(form->sbtnWait);
    EXPECT_NE(painted(), without);
    ::SetFocus(form->BtnAdd);
    EXPECT_EQ(painted(), without);
}

// Letters typed in the directory list choose the next folder whose name starts with them; Enter opens it.
TEST_F(Keyboard, TypingInTheDirectoryListChoosesAFolderByItsName) {
    const std::string parent = sandbox->root + "pics";
    for (const char* name : {"", "\\alpha", "\\Apple", "\\beta", "\\\xc3\x9c" "ber"})
        ::CreateDirectoryA((parent + name).c_str(), nullptr);
    StartProgram();
    ASSERT_TRUE(form->ApplyFilePath(parent));
    ::SetFocus(form->DirectoryListBox1);
    auto chosen = [&] {
        std::string row = ListBoxText(form->DirectoryListBox1, ListBox_GetCurSel(form->DirectoryListBox1));
        return row.substr(row.find_first_not_of(' '));
    };
    // Each step is typed at once after the one before; a moving key starts a new name.
    const struct { UINT key; const wchar_t* typed; const char* folder; } steps[] = {
        {0, L"a", "alpha"}, {0, L"p", "Apple"}, {VK_HOME, L"b", "beta"}, {VK_UP, L"\x00dc", "\xc3\x9c" "ber"}};
    for (const auto& step : steps) {
        if (step.key) Press(step.key);
        for (const wchar_t* c = step.typed; *c; ++c) ::SendMessageW(form->DirectoryListBox1, WM_CHAR, *c, 1);
        EXPECT_EQ(chosen(), step.folder);
        EXPECT_EQ(form->FileListDirectory(), parent) << "typing only chooses";
    }
    Press(VK_RETURN);
    EXPECT_EQ(form->FileListDirectory(), parent + "\\\xc3\x9c" "ber");
}

}  // namespace
}  // namespace mx::test
