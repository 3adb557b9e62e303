// Switching between the four categories, the category buttons' looks, the style box and the count.
#include <windowsx.h>

#include <algorithm>
#include <iterator>

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

namespace {
// The list views, in the order of the lists.
constexpr HWND TFormSelect::*kListViews[] = {&TFormSelect::ListStart, &TFormSelect::ListWait, &TFormSelect::ListShut,
                                             &TFormSelect::ListWall};

size_t ListIndex(int category) {
    switch (category) {
    case CategoryWait: return 1;
    case CategoryShut: return 2;
    case CategoryWall: return 3;
    default: return 0;
    }
}
}  // namespace

HWND TFormSelect::ListForCategory(int category) {
    const size_t i = ListIndex(category);
    return this->*kListViews[i] ? this->*kListViews[i] : MakeListView(kListViews[i], listViews_[i]);
}

SelectionListView& TFormSelect::ViewForCategory(int category) { return ViewOf(ListForCategory(category)); }

SelectionListView& TFormSelect::ViewOf(HWND list) {
    for (size_t i = 0; i < std::size(kListViews); ++i)
        if (list && this->*kListViews[i] == list) return listViews_[i];
    return listViews_[0];
}

void TFormSelect::BindListViews() {
    for (size_t i = 0; i < std::size(listViews_); ++i) listViews_[i].Bind(Lists[i], [this] { LstVSelectedChange(); });
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
            SetVisible(ListForCategory(b.category), true);
            SetButtonActive(b.button);
        } else {
            SetButtonInactive(b.button);
            if (b.list) SetVisible(b.list, false);
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
        SetVisible(ListForCategory(CategoryWall), true);
        CurrentCategory = CategoryWall;
        SetButtonActive(sbtnWall);
    } else {
        ComboBox_SetCurSel(CBStyle, -1);
        ::EnableWindow(CBStyle, FALSE);
        SetVisible(CBStyle, false);
        SetVisible(LblStyle, false);
        SetVisible(chkbStartUpRun, true);
        if (ListWall) SetVisible(ListWall, false);
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
    // A radio button's BM_SETCHECK sets its tab stop and, when it checks it, unchecks the rest of its
    // group, a walk over every control under Wine (1 to 5 ms for the four): a button already as it
    // would leave it is left alone, as the one the window starts with is.
    auto settled = [](HWND b, bool down) {
        const bool tabStop = ::GetWindowLongPtrA(b, GWL_STYLE) & WS_TABSTOP;
        return (Button_GetCheck(b) == BST_CHECKED) == down && tabStop == down;
    };
    const HWND buttons[] = {sbtnStart, sbtnWait, sbtnShut, sbtnWall};
    if (!std::all_of(std::begin(buttons), std::end(buttons), [&](HWND b) { return settled(b, b == button); }))
        for (HWND b : buttons) Button_SetCheck(b, b == button ? BST_CHECKED : BST_UNCHECKED);
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

// The entries' new style shows in their rows, which reports a change of the list as any new column text
// does.
void TFormSelect::CBStyleChange() {
    SelectionListView& view = ViewForCategory(CurrentCategory);
    std::optional<WallpaperStyle> style = StyleNamed(WindowText(CBStyle));
    if (!style || view.SetStyleOfSelected(*style) == 0) return;
    UnsavedChanges = true;
    LstVSelectedChange();
}

void TFormSelect::LstVSelectedChange() {
    if (ListEventsEnabled) ViewSelected();
    RefreshCount();
}

void TFormSelect::RefreshCount() {
    HWND list = ListForCategory(CurrentCategory);
    SetWindowTextIfChanged(LblNumber, std::to_string(SelectedCount(list)) + " / " + std::to_string(ItemCount(list)));
}

void TFormSelect::AddEntry(HWND list, const SelectionEntry& entry) {
    SelectionListView& view = ViewOf(list);
    view.Add(entry);
    if (!view.Batching()) LstVSelectedChange();
}

}  // namespace mx
