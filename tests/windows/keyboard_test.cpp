// The main window from the keyboard alone: the focus at start, the category shortcuts and the tab order.
#include <windowsx.h>

#include "sandbox.h"

namespace mx::test {
namespace {

class Keyboard : public MainWindowTest {
protected:
    // A key pressed on the focused control, through the message loop's shortcuts and dialog keys.
    void Press(UINT key) {
        for (UINT msg : {WM_KEYDOWN, WM_KEYUP}) {
            MSG m{::GetFocus(), msg, key, msg == WM_KEYUP ? 0xC0000001 : 1, 0, {}};
            if (!form->TranslateShortcut(m) && !form->IsKeyboardMessage(m)) {
                ::TranslateMessage(&m);
                ::DispatchMessageA(&m);
            }
        }
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

}  // namespace
}  // namespace mx::test
