// A control's hook sees its messages before the control, hands them on, and is gone with the control
// or when taken off: a window made later, even under a handle used again, starts without it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/window.h"

namespace mx::test {
namespace {

LRESULT Counting(HWND control, UINT msg, WPARAM wp, LPARAM lp, void* data) {
    if (msg == WM_USER) ++*static_cast<int*>(data);
    return CallSubclassed(control, msg, wp, lp);
}

TEST(Subclass, HookSeesMessagesHandsThemOnAndEndsWithItsControlOrWhenTakenOff) {
    struct Case {
        const char* name;
        bool takenOff;  // Unsubclass before the message, else the control is destroyed and made again
    } cases[] = {{"taken off", true}, {"control destroyed", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND edit = ::CreateWindowA("EDIT", "text", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
        const LONG_PTR own = ::GetWindowLongPtrW(edit, GWLP_WNDPROC);
        int seen = 0;
        Subclass(edit, Counting, &seen);
        ::SendMessageA(edit, WM_USER, 0, 0);
        EXPECT_EQ(seen, 1);
        // Handed on: the edit control still answers for its own text.
        char text[8] = "";
        ::GetWindowTextA(edit, text, sizeof text);
        EXPECT_EQ(std::string(text), "text");
        if (c.takenOff) {
            Unsubclass(edit);
            EXPECT_EQ(::GetWindowLongPtrW(edit, GWLP_WNDPROC), own);
        } else {
            ::DestroyWindow(edit);
            edit = ::CreateWindowA("EDIT", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
        }
        ::SendMessageA(edit, WM_USER, 0, 0);
        EXPECT_EQ(seen, 1);
        ::DestroyWindow(edit);
    }
}

}  // namespace
}  // namespace mx::test
