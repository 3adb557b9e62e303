#pragma once
// The full-screen preview: the main window's current picture over the whole screen, in the chosen
// wallpaper style for wallpapers and stretched for boot screens, with a pop-up menu to change the
// style, show the file information, install the picture and go back.
#include <windows.h>

#include "picture/render.h"
#include "platform/menu.h"
#include "platform/window.h"

namespace mx {

class TFormSelect;

class TFormPreview {
public:
    explicit TFormPreview(TFormSelect& main) : main_(main) {}
    ~TFormPreview();
    TFormPreview(const TFormPreview&) = delete;
    TFormPreview& operator=(const TFormPreview&) = delete;

    bool Create(HWND owner);
    HWND Handle() const { return hwnd_; }

    // Shows the window on the main window's monitor, at that monitor's size, and returns at once;
    // the main window stays usable behind it.
    void Show();
    // Runs every time the window becomes active: maximise, menu items, rendering, check marks.
    void FormActivate();
    // Renders the main window's picture for its category and style into ImgPreview.
    void RenderPreview();
    void UpdateStyleChecks();
    void StyleClick(UINT itemId);
    void Returntomain1Click();
    void Returntomainwithoutchange1Click();
    void Fileinfo1Click();
    void SetascurrentScreen1Click();
    void SetascurrentWallpaper1Click();

    HWND ImgPreview = nullptr;
    PopupMenu PopMPreview;
    // What ImgPreview holds: the picture, its area and its scaling flag.
    const Rendering& Image() const { return rendering_; }
    // Lets go of the picture decoded for the window's own size, once the window is hidden.
    void ReleaseSource();
    // The monitor of the system's layout the window shows on, and that monitor's size.
    size_t Monitor() const { return monitor_; }
    Size MonitorSize() const;

private:
    template <class T>
    friend LRESULT CALLBACK WindowProcedure(HWND, UINT, WPARAM, LPARAM);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnCommand(UINT id, int code);
    void PlaceImage();
    void DrawImage(const DRAWITEMSTRUCT& draw);
    // The picture to render for what the window shows: the pane's, when it is what a decode for this
    // would give, otherwise the pane's file decoded for it.
    const DecodedPicture& Source(const ShowRequest& request);

    TFormSelect& main_;
    HWND hwnd_ = nullptr;
    HWND tooltip_ = nullptr;
    Rendering rendering_;
    Picture scaled_;             // the picture scaled to the image area, while the scaling flag is on
    bool showScaled_ = false;    // scaled_ is what the image shows (the area is not P's own size)
    DecodedPicture source_;      // the pane's file decoded for the window, when the pane's picture is not it
    std::string sourcePath_;
    size_t monitor_ = 0;
};

}  // namespace mx
