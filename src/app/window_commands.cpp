// Commands that belong to the window itself: help, the about box, the tall window, pop-up menus.
#include "app/form_select.h"

#include <windowsx.h>

#include "app/about_box.h"

namespace mx {

void TFormSelect::Help2Click() { env_.WinHelp(hwnd_, kHelpFile, HELP_FINDER, 0); }

TAboutBox& TFormSelect::AboutBox() {
    if (!about_) {
        ownAbout_ = std::make_unique<TAboutBox>(VersionText);
        ownAbout_->Create(hwnd_);
        about_ = ownAbout_.get();
    }
    return *about_;
}

void TFormSelect::About1Click() { AboutBox().ShowModal(); }

void TFormSelect::PnlExtendClick() {
    RECT frame{};
    ::GetWindowRect(hwnd_, &frame);
    extendLeft_ = frame.left;
    extending_ = true;
    ::ShowWindow(hwnd_, ::IsZoomed(hwnd_) ? SW_RESTORE : SW_MAXIMIZE);
    extending_ = false;
    ::GetWindowRect(hwnd_, &frame);
    if (frame.left != extendLeft_)
        ::SetWindowPos(hwnd_, nullptr, extendLeft_, frame.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormSelect::FormResize() {
    RECT frame{};
    ::GetWindowRect(hwnd_, &frame);
    int width = frame.right - frame.left;
    if (::IsZoomed(hwnd_)) {
        if (normalWidth_ > 0 && width != normalWidth_)
            ::SetWindowPos(hwnd_, nullptr, 0, 0, normalWidth_, frame.bottom - frame.top,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (!::IsIconic(hwnd_)) {
        // A minimised window's width is its icon's, not one to come back to.
        normalWidth_ = width;
    }
}

void TFormSelect::FormGetMinMaxInfo(MINMAXINFO& info) {
    if (normalWidth_ > 0) info.ptMaxSize.x = normalWidth_;
    if (extending_) info.ptMaxPosition.x = extendLeft_;
}

namespace {

// The main window's control that holds `hwnd` (a list view's header belongs to its list).
HWND ControlOf(HWND form, HWND hwnd) {
    while (hwnd && ::GetParent(hwnd) != form) hwnd = ::GetParent(hwnd);
    return hwnd;
}

// A menu opened from the keyboard appears under the control's focused row, else at its top-left corner.
POINT KeyboardMenuPoint(HWND control, bool isListView, bool isListBox) {
    RECT row{};
    bool found = false;
    if (isListView) {
        int item = ListView_GetNextItem(control, -1, LVNI_FOCUSED);
        found = item >= 0 && ListView_GetItemRect(control, item, &row, LVIR_LABEL);
    } else if (isListBox) {
        int item = ListBox_GetCaretIndex(control);
        found = item >= 0 && ListBox_GetItemRect(control, item, &row) != LB_ERR;
    }
    RECT client{};
    ::GetClientRect(control, &client);
    POINT point{0, 0};
    if (found && row.bottom > client.top && row.bottom <= client.bottom) point = POINT{row.left, row.bottom};
    ::ClientToScreen(control, &point);
    return point;
}

}  // namespace

void TFormSelect::OpenContextMenu(HWND control, POINT screenPoint) {
    control = ControlOf(hwnd_, control);
    if (!control) return;
    bool isListView = control == ListStart || control == ListWait || control == ListShut || control == ListWall;
    PopupMenu* menu = nullptr;
    if (control == FileListBox1) {
        menu = &PopMFile;
    } else if (isListView) {
        PopMSelectedPopup();
        menu = &PopMSelected;
    } else if (control == ImgPreview) {
        PopMFileInfoPopup();
        menu = &PopMFileInfo;
    }
    if (!menu) return;
    if (screenPoint.x == -1 && screenPoint.y == -1)
        screenPoint = KeyboardMenuPoint(control, isListView, control == FileListBox1);
    env_.TrackPopup(hwnd_, *menu, screenPoint);
}

}  // namespace mx
