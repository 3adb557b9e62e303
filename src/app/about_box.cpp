#include "app/about_box.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/resource.h"

namespace mx {

namespace {
constexpr const char* kWindowClass = "TAboutBox";
constexpr int kClientWidth = 298, kClientHeight = 299;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
}  // namespace

TAboutBox::~TAboutBox() {
    if (hwnd_) ::DestroyWindow(hwnd_);
}

int TAboutBox::Scale(int pixels) const { return ::MulDiv(pixels, dpi_, 96); }

// The layout is in pixels at 96 DPI and scales with the main window's DPI, as the main window does.
bool TAboutBox::Create(HWND owner) {
    owner_ = owner;
    dpi_ = WindowDpi(owner);
    RegisterWindowClass(kWindowClass, WindowProcedure<TAboutBox>, nullptr, ::GetSysColorBrush(COLOR_BTNFACE));
    RECT frame{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
    ::AdjustWindowRectEx(&frame, kStyle, FALSE, WS_EX_DLGMODALFRAME);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2, top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return ::CreateWindowExA(WS_EX_DLGMODALFRAME, kWindowClass, "About", kStyle, left, top, width, height, owner,
                             nullptr, ::GetModuleHandleA(nullptr), this) != nullptr;
}

void TAboutBox::FormCreate() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    font_ = FontHandle(::CreateFontA(-Scale(11), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "MS Sans Serif"));
    auto add = [&](const char* cls, const char* text, DWORD style, DWORD ex, int x, int y, int w, int h, int id = 0) {
        HWND c = ::CreateWindowExA(ex, cls, text, WS_CHILD | WS_VISIBLE | style, Scale(x), Scale(y), Scale(w),
                                   Scale(h), hwnd_,
                                   reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr);
        SetWindowFont(c, font_.get(), FALSE);
        return c;
    };
    // The panel's raised inner and lowered outer bevel.
    Panel1 = add(WC_STATICA, "", SS_ETCHEDFRAME, 0, 8, 4, 281, 252);
    ProgramIcon = add(WC_STATICA, "", SS_ICON, 0, 8 + 36, 4 + 20, 32, 32);
    icon_ = IconHandle(HICON(::LoadImageA(instance, MAKEINTRESOURCEA(IDI_MXSELECT), IMAGE_ICON, Scale(32), Scale(32), 0)));
    ::SendMessageA(ProgramIcon, STM_SETICON, WPARAM(icon_.get()), 0);
    ProductName = add(WC_STATICA, "Mosalux Selector", SS_LEFT | SS_NOPREFIX, 0, 8 + 88, 4 + 16, 180, 16);
    Version = add(WC_STATICA, ("Version " + versionText_).c_str(), SS_LEFT | SS_NOPREFIX, 0, 8 + 88, 4 + 40, 180, 16);
    OKButton = add(WC_BUTTONA, "O&K", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 120, 265, 75, 25, IDOK);
}

void TAboutBox::ShowModal() {
    if (!hwnd_ || modal_) return;
    ::EnableWindow(owner_, FALSE);
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetFocus(OKButton);
    modal_ = true;
    MSG msg{};
    while (modal_) {
        if (::GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            // The application's loop ends too: it gets its quit message back.
            ::PostQuitMessage(int(msg.wParam));
            break;
        }
        if (::IsDialogMessageA(hwnd_, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    modal_ = false;
    // The owner is enabled before the box goes, so that it, not another program, becomes active.
    ::EnableWindow(owner_, TRUE);
    if (hwnd_) ::ShowWindow(hwnd_, SW_HIDE);
    ::SetActiveWindow(owner_);
}

void TAboutBox::CloseBox() {
    if (modal_)
        modal_ = false;
    else
        ::ShowWindow(hwnd_, SW_HIDE);
}

LRESULT TAboutBox::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: FormCreate(); return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) CloseBox();
        return 0;
    case DM_GETDEFID: return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_CLOSE: CloseBox(); return 0;
    case WM_DESTROY: modal_ = false; return 0;
    }
    return ::DefWindowProcA(hwnd_, msg, wp, lp);
}

}  // namespace mx
