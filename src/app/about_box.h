#pragma once
#include <windows.h>

#include <string>

#include "platform/handles.h"
#include "platform/window.h"

namespace mx {

// The about box: product name, icon and version, closed by its default button "O&K".
class TAboutBox {
public:
    explicit TAboutBox(const std::string& versionText) : versionText_(versionText) {}
    ~TAboutBox();
    TAboutBox(const TAboutBox&) = delete;
    TAboutBox& operator=(const TAboutBox&) = delete;

    bool Create(HWND owner);
    // Shows the box and returns when it is closed; the owner is disabled meanwhile.
    void ShowModal();

    HWND Handle() const { return hwnd_; }
    HWND Panel1 = nullptr, ProgramIcon = nullptr, ProductName = nullptr, Version = nullptr, OKButton = nullptr;

private:
    template <class T>
    friend LRESULT CALLBACK WindowProcedure(HWND, UINT, WPARAM, LPARAM);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    void FormCreate();
    void CloseBox();
    int Scale(int pixels) const;

    std::string versionText_;
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    bool modal_ = false;
    int dpi_ = 96;
    FontHandle font_;
    IconHandle icon_;
};

}  // namespace mx
