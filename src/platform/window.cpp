#include "platform/window.h"

#include <commctrl.h>

#include <unordered_map>

#include "platform/code_page.h"

namespace mx {

namespace {

struct Hook {
    WNDPROC original = nullptr;
    SubclassProc proc = nullptr;
    void* data = nullptr;
};

// A control's messages come on the thread that made it, which alone sees its hook.
thread_local std::unordered_map<HWND, Hook> hooks;

Hook HookOf(HWND control) {
    auto found = hooks.find(control);
    return found == hooks.end() ? Hook{} : found->second;
}

LRESULT CALLBACK HookProc(HWND control, UINT msg, WPARAM wp, LPARAM lp) {
    const Hook hook = HookOf(control);
    LRESULT result = hook.proc ? hook.proc(control, msg, wp, lp, hook.data)
                               : ::CallWindowProcW(hook.original, control, msg, wp, lp);
    if (msg == WM_NCDESTROY) hooks.erase(control);
    return result;
}

}  // namespace

void Subclass(HWND control, SubclassProc proc, void* data) {
    Hook& hook = hooks[control];
    hook.proc = proc;
    hook.data = data;
    if (!hook.original)
        hook.original = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookProc)));
}

// The control's own procedure comes back; where another has been put over this one since, the hook
// stays and only hands messages on.
void Unsubclass(HWND control) {
    auto found = hooks.find(control);
    if (found == hooks.end()) return;
    if (::GetWindowLongPtrW(control, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&HookProc)) {
        ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(found->second.original));
        hooks.erase(found);
    } else {
        found->second.proc = nullptr;
    }
}

LRESULT CallSubclassed(HWND control, UINT msg, WPARAM wp, LPARAM lp) {
    const Hook hook = HookOf(control);
    return hook.original ? ::CallWindowProcW(hook.original, control, msg, wp, lp) : ::DefWindowProcW(control, msg, wp, lp);
}

ATOM RegisterWindowClass(const char* name, WNDPROC proc, HICON icon, HBRUSH background) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (ATOM existing = ATOM(::GetClassInfoExA(instance, name, &wc))) return existing;
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hIconSm = icon;
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return ::RegisterClassExA(&wc);
}

std::string WindowText(HWND hwnd) {
    int n = ::GetWindowTextLengthA(hwnd);
    std::string text(size_t(n) + 1, '\0');
    n = ::GetWindowTextA(hwnd, text.data(), n + 1);
    text.resize(size_t(n > 0 ? n : 0));
    return text;
}

void SetWindowTextIfChanged(HWND hwnd, const std::string& text) {
    if (WindowText(hwnd) != text) ::SetWindowTextA(hwnd, text.c_str());
}

void SetVisible(HWND hwnd, bool visible) { ::ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE); }

std::string ListBoxText(HWND list, int index) {
    LRESULT length = ::SendMessageA(list, LB_GETTEXTLEN, WPARAM(index), 0);
    if (length <= 0) return {};
    std::string text(size_t(length), '\0');
    length = ::SendMessageA(list, LB_GETTEXT, WPARAM(index), LPARAM(text.data()));
    text.resize(length > 0 ? size_t(length) : 0);
    return text;
}

int TextWidth(HDC dc, std::string_view text) {
    std::wstring wide = Widen(text);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, wide.data(), int(wide.size()), &size);
    return size.cx;
}

int WindowDpi(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    // Older systems than Windows 10 have no per-window DPI.
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow)
        if (UINT dpi = getDpiForWindow(hwnd)) return int(dpi);
    HDC dc = ::GetDC(hwnd);
    int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(hwnd, dc);
    return dpi > 0 ? dpi : 96;
}

void SetToolHint(HWND tooltips, HWND owner, HWND control, const std::string& text) {
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    bool known = ::SendMessageA(tooltips, TTM_GETTOOLINFOA, 0, LPARAM(&tool));
    if (text.empty()) {
        if (known) ::SendMessageA(tooltips, TTM_DELTOOLA, 0, LPARAM(&tool));
        return;
    }
    tool.lpszText = const_cast<char*>(text.c_str());
    ::SendMessageA(tooltips, known ? TTM_UPDATETIPTEXTA : TTM_ADDTOOLA, 0, LPARAM(&tool));
}

}  // namespace mx
