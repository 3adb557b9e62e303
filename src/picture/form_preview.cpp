#include "picture/form_preview.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/form_select.h"
#include "app/resource.h"
#include "lists/categories.h"
#include "picture/decoder.h"
#include "picture/picture_win.h"
#include "picture/reader_util.h"
#include "picture/scale.h"
#include "picture/transparency.h"
#include "randomizer/resident_link.h"
#include "system/wallpaper.h"

namespace mx {

namespace {

constexpr const char* kWindowClass = "TFormPreview";
constexpr int kImageId = 1;

struct StyleItem {
    UINT id;
    int position;  // in the style box
};
constexpr StyleItem kStyleItems[] = {{IDM_PREV_CENTRED, 0},    {IDM_PREV_STRETCHED, 1}, {IDM_PREV_TILED, 2},
                                     {IDM_PREV_FIT2SCREEN, 3}, {IDM_PREV_MIRROR, 4},    {IDM_PREV_FILL, 5}};

}  // namespace

TFormPreview::~TFormPreview() {
    if (hwnd_) ::DestroyWindow(hwnd_);
}

bool TFormPreview::Create(HWND owner) {
    RegisterWindowClass(kWindowClass, WindowProcedure<TFormPreview>, nullptr, ::GetSysColorBrush(COLOR_DESKTOP));
    // Until it is first shown maximised, the client area has its design size of 320 x 200, centred.
    SIZE screen = main_.Env().ScreenSize();
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (!::CreateWindowExA(0, kWindowClass, "Full screen Preview", WS_POPUP | WS_CLIPCHILDREN, (screen.cx - 320) / 2,
                           (screen.cy - 200) / 2, 320, 200, owner, nullptr, instance, this))
        return false;
    ImgPreview = ::CreateWindowExA(0, WC_STATICA, "", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY, 0, 0, 320,
                                   200, hwnd_, reinterpret_cast<HMENU>(INT_PTR(kImageId)), instance, nullptr);
    tooltip_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance,
                                 nullptr);
    PopMPreview.Load(IDR_POPMPREVIEW, {IDM_PREV_SEPARATOR1, IDM_PREV_SEPARATOR2});
    PopMPreview.SetVisible(IDM_PREV_RETURNUNCHANGED, false);
    return true;
}

void TFormPreview::Show() {
    const MonitorLayout layout = main_.Env().Monitors();
    monitor_ = main_.MainWindowMonitor(layout);
    // The system maximises a window on the monitor it lies on, so it is put there first (a hidden
    // maximised window keeps its state and is maximised again where it now lies).
    const Rect m = layout.monitors[monitor_];
    ::SetWindowPos(hwnd_, nullptr, m.left + (m.width - 320) / 2, m.top + (m.height - 200) / 2, 320, 200,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(hwnd_, SW_SHOWMAXIMIZED);
    ::SetForegroundWindow(hwnd_);
}

Size TFormPreview::MonitorSize() const {
    const MonitorLayout layout = main_.Env().Monitors();
    const Rect m = layout.monitors[monitor_ < layout.monitors.size() ? monitor_ : 0];
    return {m.width, m.height};
}

LRESULT TFormPreview::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    main_.ReportingErrors([&] { result = HandleMessage(msg, wp, lp); }, hwnd_);
    return result;
}

LRESULT TFormPreview::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE) FormActivate();
        return 0;
    case WM_GETMINMAXINFO: {
        // Maximised, the borderless window covers its whole monitor. The system takes these as the
        // primary monitor's and moves and sizes them to the monitor the window is on.
        auto& info = *reinterpret_cast<MINMAXINFO*>(lp);
        SIZE screen = main_.Env().ScreenSize();
        info.ptMaxPosition = POINT{0, 0};
        info.ptMaxSize = POINT{screen.cx, screen.cy};
        return 0;
    }
    case WM_SIZE: PlaceImage(); return 0;
    case WM_DRAWITEM: DrawImage(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp)); return TRUE;
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp)); return 0;
    case WM_CONTEXTMENU: {
        POINT point{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (point.x == -1 && point.y == -1) point = POINT{0, 0};  // from the keyboard
        main_.Env().TrackPopup(hwnd_, PopMPreview, point);
        return 0;
    }
    case WM_KEYDOWN:
        if (wp == VK_ESCAPE) Returntomain1Click();
        return 0;
    case WM_CLOSE: Returntomainwithoutchange1Click(); return 0;
    }
    return ::DefWindowProcA(hwnd_, msg, wp, lp);
}

void TFormPreview::OnCommand(UINT id, int code) {
    if (id == kImageId) {
        if (code == STN_CLICKED) Returntomain1Click();
        return;
    }
    switch (id) {
    case IDM_PREV_RETURN: Returntomain1Click(); return;
    case IDM_PREV_RETURNUNCHANGED: Returntomainwithoutchange1Click(); return;
    case IDM_PREV_FILEINFO: Fileinfo1Click(); return;
    case IDM_PREV_SETSCREEN: SetascurrentScreen1Click(); return;
    case IDM_PREV_SETWALLPAPER: SetascurrentWallpaper1Click(); return;
    }
    for (const StyleItem& item : kStyleItems)
        if (item.id == id) StyleClick(id);
}

void TFormPreview::FormActivate() {
    if (!::IsZoomed(hwnd_)) ::ShowWindow(hwnd_, SW_MAXIMIZE);
    SetToolHint(tooltip_, hwnd_, ImgPreview, main_.SizeHint);
    bool wallpaper = main_.CurrentCategory == CategoryWall;
    for (const StyleItem& item : kStyleItems) PopMPreview.SetVisible(item.id, wallpaper);
    PopMPreview.SetVisible(IDM_PREV_SETSCREEN, !wallpaper);
    RenderPreview();
    UpdateStyleChecks();
}

void TFormPreview::RenderPreview() {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    const Size screen = MonitorSize();
    const std::string style = WindowText(main_.CBStyle);
    const int category = main_.CurrentCategory;
    RenderReport report{false, category == CategoryWall};  // a style text that names no style
    if (std::optional<ShowRequest> request = RequestForStyle(style, category, screen))
        report = RenderStyle(Source(*request), style, category, screen, Size{client.right, client.bottom},
                             DesktopColour(), rendering_);
    ComposeOver(rendering_.picture, DesktopColour());
    PopMPreview.SetVisible(IDM_PREV_SEPARATOR2, report.wallpaperItemsVisible);
    PopMPreview.SetVisible(IDM_PREV_SETWALLPAPER, report.wallpaperItemsVisible);
    if (report.rendered) PlaceImage();
}

// A thumbnail in the pane is never what the window shows: the file is decoded again for the window.
// That picture is kept while the window is shown, for the next style or activation.
const DecodedPicture& TFormPreview::Source(const ShowRequest& request) {
    const DecodedPicture& pane = main_.PreviewPicture;
    if (pane.Empty() || pane.Serves(request)) return pane;
    const std::string path = WindowText(main_.PnlPreviewName);
    if (path != sourcePath_ || !source_.Serves(request)) {
        source_ = DecodedPicture{};
        sourcePath_ = path;
        if (DecodePictureFile(path, request, source_) != kStatusOk) source_ = DecodedPicture{};
    }
    return source_;
}

void TFormPreview::ReleaseSource() {
    source_ = DecodedPicture{};
    sourcePath_.clear();
}

// Puts the image control on its area and scales the picture to it once, so that painting is one copy.
void TFormPreview::PlaceImage() {
    if (!ImgPreview) return;
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    const ImageArea& area = rendering_.area;
    RECT place = area.wholeClient ? client : RECT{area.left, area.top, area.left + area.width, area.top + area.height};
    const int width = place.right - place.left, height = place.bottom - place.top;
    showScaled_ = rendering_.scaled && (width != rendering_.picture.width || height != rendering_.picture.height);
    if (showScaled_) ScaleNearest(rendering_.picture, width, height, scaled_);
    else scaled_ = Picture{};
    ::MoveWindow(ImgPreview, place.left, place.top, place.right - place.left, place.bottom - place.top, FALSE);
    ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TFormPreview::DrawImage(const DRAWITEMSTRUCT& draw) {
    ::FillRect(draw.hDC, &draw.rcItem, ::GetSysColorBrush(COLOR_DESKTOP));
    DrawPicture(draw.hDC, 0, 0, showScaled_ ? scaled_ : rendering_.picture);
}

void TFormPreview::UpdateStyleChecks() {
    std::string style = WindowText(main_.CBStyle);
    for (const StyleItem& item : kStyleItems)
        if (MenuItem* menuItem = PopMPreview.Find(item.id))
            menuItem->checked = style == kStyleNames[size_t(item.position)];
}

// The entries keep their style until the user returns to the main window.
void TFormPreview::StyleClick(UINT itemId) {
    for (const StyleItem& item : kStyleItems)
        if (item.id == itemId) ComboBox_SetCurSel(main_.CBStyle, item.position);
    UpdateStyleChecks();
    FormActivate();
}

void TFormPreview::Returntomain1Click() {
    if (main_.CurrentCategory == CategoryWall) main_.CBStyleChange();
    Returntomainwithoutchange1Click();
}

void TFormPreview::Returntomainwithoutchange1Click() {
    ::ShowWindow(hwnd_, SW_HIDE);
    ReleaseSource();
}

void TFormPreview::Fileinfo1Click() { main_.SizeClick(); }

// The checks are made on the main window's picture, never on the enlarged rendering.
void TFormPreview::SetascurrentScreen1Click() { main_.SetascurrentScreen1Click(); }

// Takes what the window shows now: the rendering of its last activation or style change, which
// with several monitors is that of the window's own.
void TFormPreview::SetascurrentWallpaper1Click() {
    if (main_.Env().Monitors().Single()) {
        ApplyWallpaper(main_.Env(), rendering_.picture, WindowText(main_.CBStyle), main_.ProgramDir);
        TellResident(ResidentRequest::WallpaperReplaced);
    } else {
        main_.SetWallpaperOnMonitors(&rendering_, monitor_);
    }
}

}  // namespace mx
