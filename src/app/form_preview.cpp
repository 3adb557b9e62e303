#include "app/form_preview.h"

namespace mx {

namespace {
constexpr const char* kWindowClass = "TFormPreview";
}

TFormPreview::~TFormPreview() {
    if (hwnd_) ::DestroyWindow(hwnd_);
}

bool TFormPreview::Create(HWND owner) {
    RegisterWindowClass(kWindowClass, WindowProcedure<TFormPreview>, nullptr, ::GetSysColorBrush(COLOR_DESKTOP));
    // Until it is first shown maximised, the client area has its design size of 320 x 200.
    return ::CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, 320, 200, owner, nullptr,
                             ::GetModuleHandleA(nullptr), this) != nullptr;
}

LRESULT TFormPreview::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        ::ShowWindow(hwnd_, SW_HIDE);
        return 0;
    }
    return ::DefWindowProcA(hwnd_, msg, wp, lp);
}

}  // namespace mx
