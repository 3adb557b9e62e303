// Switching between the four categories, the category buttons' looks, the style box and the count.
#include <windowsx.h>

#include "app/form_select.h"
#include "app/resource.h"
#include "lists/browser_filters.h"
#include "lists/categories.h"
#include "lists/list_view.h"
#include "platform/window.h"

namespace mx {

namespace {
constexpr COLORREF kActiveColor = RGB(0, 0, 128);
constexpr COLORREF kInactiveColor = RGB(0, 0, 0);
}  // namespace

HWND TFormSelect::ListForCategory(int category) const {
    switch (category) {
    case CategoryWait: return ListWait;
    case CategoryShut: return ListShut;
    case CategoryWall: return ListWall;
    default: return ListStart;
    }
}

void TFormSelect::CreateListColumns() {
    for (HWND list : {ListStart, ListWait, ListShut}) AddListColumns(list, false);
    AddListColumns(ListWall, true);
}

void TFormSelect::Change_Screen_Button(HWND sender) {
    ListEventsEnabled = false;
    HWND focus = ::GetFocus();
    const struct {
        HWND button;
        HWND list;
        int category;
    } bootScreens[] = {{sbtnStart, ListStart, CategoryStart},
                       {sbtnWait, ListWait, CategoryWait},
                       {sbtnShut, ListShut, CategoryShut}};
    for (const auto& b : bootScreens) {
        if (sender == b.button) {
            CurrentCategory = b.category;
            SetVisible(b.list, true);
            SetButtonActive(b.button);
        } else {
            SetButtonInactive(b.button);
            SetVisible(b.list, false);
        }
    }
    bool wallpaper = sender == sbtnWall;
    PopMFileInfo.SetVisible(IDM_INFO_SETWALLPAPER, wallpaper);
    PopMFileInfo.SetVisible(IDM_INFO_SETSCREEN, !wallpaper);
    if (wallpaper) {
        SetVisible(chkbStartUpRun, false);
        ComboBox_SetCurSel(CBStyle, 0);
        ::EnableWindow(CBStyle, TRUE);
        SetVisible(CBStyle, true);
        SetVisible(LblStyle, true);
        SetVisible(ListWall, true);
        CurrentCategory = CategoryWall;
        SetButtonActive(sbtnWall);
    } else {
        ComboBox_SetCurSel(CBStyle, -1);
        ::EnableWindow(CBStyle, FALSE);
        SetVisible(CBStyle, false);
        SetVisible(LblStyle, false);
        SetVisible(chkbStartUpRun, true);
        SetVisible(ListWall, false);
        SetButtonInactive(sbtnWall);
    }
    SetFilterText(CurrentCategory == CategoryWall ? std::string_view(WallpaperFilter()) : kBootScreenFilter);
    RefreshCount();
    // A control hidden with the focus on it hands the focus to the one shown in its place.
    if (focus && focus != sender && ::IsChild(hwnd_, focus) && !::IsWindowVisible(focus)) {
        if (focus == chkbStartUpRun || focus == CBStyle)
            ::SetFocus(CurrentCategory == CategoryWall ? CBStyle : chkbStartUpRun);
        else
            ::SetFocus(ListForCategory(CurrentCategory));
    }
    ListEventsEnabled = true;
}

void TFormSelect::PressCategoryButton(HWND button) {
    for (HWND b : {sbtnStart, sbtnWait, sbtnShut, sbtnWall}) Button_SetCheck(b, b == button ? BST_CHECKED : BST_UNCHECKED);
    Change_Screen_Button(button);
}

void TFormSelect::SetButtonActive(HWND button) {
    SetWindowFont(button, buttonFontBold_.get(), TRUE);
}

void TFormSelect::SetButtonInactive(HWND button) {
    SetWindowFont(button, buttonFontRegular_.get(), TRUE);
}

bool TFormSelect::IsButtonActive(HWND button) const {
    return GetWindowFont(button) == buttonFontBold_.get();
}

COLORREF TFormSelect::ButtonTextColor(HWND button) const {
    return IsButtonActive(button) ? kActiveColor : kInactiveColor;
}

// The category buttons are drawn here so that their text can take the category's colour, which a
// themed push button ignores.
LRESULT TFormSelect::DrawCategoryButton(const NMCUSTOMDRAW& draw) {
    if (draw.dwDrawStage != CDDS_PREPAINT) return CDRF_DODEFAULT;
    HWND button = draw.hdr.hwndFrom;
    RECT rect = draw.rc;
    bool down = Button_GetCheck(button) == BST_CHECKED || (Button_GetState(button) & BST_PUSHED);
    ::DrawFrameControl(draw.hdc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0));
    if (down) ::OffsetRect(&rect, 1, 1);
    SelectGuard font(draw.hdc, GetWindowFont(button));
    ::SetBkMode(draw.hdc, TRANSPARENT);
    ::SetTextColor(draw.hdc, ButtonTextColor(button));
    std::string caption = WindowText(button);
    ::DrawTextA(draw.hdc, caption.c_str(), int(caption.size()), &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    // The focus shows as a push button shows it, once the keyboard is in use where the system hides
    // it until then.
    bool cuesHidden = ::SendMessageA(button, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS;
    if (::GetFocus() == button && !cuesHidden) {
        RECT focus = draw.rc;
        const int inset = ::GetSystemMetrics(SM_CXEDGE) + 1;
        ::InflateRect(&focus, -inset, -inset);
        ::DrawFocusRect(draw.hdc, &focus);
    }
    return CDRF_SKIPDEFAULT;
}

void TFormSelect::CBStyleChange() {
    HWND list = ListForCategory(CurrentCategory);
    if (SelectedCount(list) == 0) return;
    std::string style = WindowText(CBStyle);
    for (int i = -1; (i = ListView_GetNextItem(list, i, LVNI_SELECTED)) >= 0;) {
        ListView_SetItemText(list, i, ColumnStyle, style.data());
        UnsavedChanges = true;
    }
    ::InvalidateRect(list, nullptr, TRUE);
}

void TFormSelect::LstVSelectedChange() {
    if (batchUpdate_) return;
    if (ListEventsEnabled) ViewSelected();
    RefreshCount();
}

void TFormSelect::RefreshCount() {
    HWND list = ListForCategory(CurrentCategory);
    SetWindowTextIfChanged(LblNumber, std::to_string(SelectedCount(list)) + " / " + std::to_string(ItemCount(list)));
}

void TFormSelect::AddEntry(HWND list, const SelectionEntry& entry) {
    InsertSorted(list, entry, list == ListWall);
}

void TFormSelect::AddEntries(HWND list, std::vector<SelectionEntry> entries) {
    batchUpdate_ = true;
    InsertSortedBatch(list, std::move(entries), list == ListWall);
    batchUpdate_ = false;
    RefreshCount();
}

}  // namespace mx
