#pragma once
#include <windows.h>

#include "platform/window.h"

namespace mx {

// The full-screen preview window: borderless, maximised over the screen when shown, hidden otherwise.
class TFormPreview {
public:
    TFormPreview() = default;
    ~TFormPreview();
    TFormPreview(const TFormPreview&) = delete;
    TFormPreview& operator=(const TFormPreview&) = delete;

    bool Create(HWND owner);
    HWND Handle() const { return hwnd_; }

private:
    template <class T>
    friend LRESULT CALLBACK WindowProcedure(HWND, UINT, WPARAM, LPARAM);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
};

}  // namespace mx
