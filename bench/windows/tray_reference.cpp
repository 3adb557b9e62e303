// The reference of the resident randomizer's idle measurements: the least a Windows program with a
// notification-area icon is, one hidden window and its icon, waiting in its message loop.
#include <windows.h>
#include <shellapi.h>

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.lpszClassName = "TrayReference";
    ::RegisterClassA(&wc);
    HWND window = ::CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    instance, nullptr);
    NOTIFYICONDATAA icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = 1;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = WM_APP + 1;
    icon.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
    ::lstrcpyA(icon.szTip, "Reference");
    ::Shell_NotifyIconA(NIM_ADD, &icon);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
    ::Shell_NotifyIconA(NIM_DELETE, &icon);
    return 0;
}
