#include "platform/window.h"

namespace mx {

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

}  // namespace mx
