#pragma once
// Binds a C++ object to its window: `this` travels in CreateWindowEx's parameter, is stored at
// WM_NCCREATE and cleared at WM_NCDESTROY. The procedure only finds the object and hands the message
// to its Dispatch member.
#include <windows.h>

#include <string>
#include <string_view>

namespace mx {

template <class T>
LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    T* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<T*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcA(hwnd, msg, wp, lp);
    LRESULT result = self->Dispatch(msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

// A control's messages seen first by `proc`, which hands them on with CallSubclassed, as the system's
// SetWindowSubclass does, without its window property read at every message (a server call, 20 to 40
// us, under Wine). One per control; it ends when the control is destroyed, or at Unsubclass.
using SubclassProc = LRESULT (*)(HWND control, UINT msg, WPARAM wp, LPARAM lp, void* data);
void Subclass(HWND control, SubclassProc proc, void* data);
void Unsubclass(HWND control);
LRESULT CallSubclassed(HWND control, UINT msg, WPARAM wp, LPARAM lp);

// Registers a window class once per process (the class is shared; the objects are not).
ATOM RegisterWindowClass(const char* name, WNDPROC proc, HICON icon, HBRUSH background);

// Control helpers.
std::string WindowText(HWND hwnd);
void SetWindowTextIfChanged(HWND hwnd, const std::string& text);
void SetVisible(HWND hwnd, bool visible);
std::string ListBoxText(HWND list, int index);
// The width in pixels of the program's text in the device context's font. Measured as UTF-16, which
// every system measures by its characters.
int TextWidth(HDC dc, std::string_view text);
// The DPI a window is drawn at: its monitor's where the system says so per window, else the system's.
int WindowDpi(HWND hwnd);
// Shows `text` as the tooltip of a control of `owner`; empty text takes the tooltip away.
void SetToolHint(HWND tooltips, HWND owner, HWND control, const std::string& text);

}  // namespace mx
