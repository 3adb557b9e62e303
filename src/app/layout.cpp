// The main window's controls, created from a table that reads like the window's layout.
#include <windowsx.h>

#include <algorithm>
#include <iterator>

#include "app/form_select.h"
#include "app/layout.h"
#include "lists/categories.h"
#include "lists/list_view.h"
#include "platform/window.h"

namespace mx {

namespace {

enum class Kind {
    CategoryButton,
    Label,
    RightLabel,
    DriveBox,
    DirectoryList,
    FileList,
    FilterBox,
    Panel,
    PanelCaption,
    Image,
    Button,
    StyleBox,
    CheckBox,
    Bevel,
    Strip,
    ListView,
};

struct LayoutEntry {
    HWND TFormSelect::*field;
    int id;
    Kind kind;
    int left, top, width, height;  // width 0: as wide as the caption
    const char* caption;
    bool visible = true;
};

// In keyboard focus order (the first, a label, starts a group: the category buttons' group ends there);
// the lower part (bevel, strips, lists) is placed by LayoutLowerPart.
const LayoutEntry kLayout[] = {
    {&TFormSelect::Label3, ID_Label, Kind::Label, 4, 36, 0, 13, "Drive:"},
    {&TFormSelect::Label2, ID_Label, Kind::Label, 156, 36, 0, 13, "Choose Files:"},
    {&TFormSelect::Label4, ID_Label, Kind::Label, 276, 36, 0, 13, "Preview:"},
    {&TFormSelect::Label5, ID_Label, Kind::Label, 4, 76, 0, 13, "Directory:"},
    {&TFormSelect::Label6, ID_Label, Kind::Label, 4, 228, 0, 13, "Filters:"},
    {&TFormSelect::Label1, ID_Label, Kind::Label, 4, 272, 0, 13, "Selected Files:"},
    {&TFormSelect::LblNumber, ID_Label, Kind::RightLabel, 337, 275, 100, 13, "0 / 0"},
    {&TFormSelect::LblStyle, ID_Label, Kind::Label, 276, 248, 0, 13, "Wallpaper Style:", false},
    {&TFormSelect::DriveComboBox1, ID_DriveComboBox1, Kind::DriveBox, 4, 52, 145, 19, ""},
    {&TFormSelect::DirectoryListBox1, ID_DirectoryListBox1, Kind::DirectoryList, 4, 92, 145, 133, ""},
    {&TFormSelect::FileListBox1, ID_FileListBox1, Kind::FileList, 156, 52, 113, 213, ""},
    {&TFormSelect::FilterComboBox1, ID_FilterComboBox1, Kind::FilterBox, 4, 244, 145, 21, ""},
    {&TFormSelect::BtnAdd, ID_BtnAdd, Kind::Button, 276, 180, 98, 25, "Add Chosen Files"},
    // Its key is D: Alt+F belongs to the File menu.
    {&TFormSelect::BtnAddFolder, ID_BtnAddFolder, Kind::Button, 378, 180, 63, 25, "Add Fol&der"},
    {&TFormSelect::btnRemove, ID_btnRemove, Kind::Button, 276, 212, 165, 25, "Remove Selected Files"},
    {&TFormSelect::chkbStartUpRun, ID_chkbStartUpRun, Kind::CheckBox, 276, 248, 157, 17,
     "Run Randomizer at Start-Up"},
    {&TFormSelect::ListStart, ID_ListStart, Kind::ListView, 0, 0, 0, 0, "", false},
    {&TFormSelect::ListWait, ID_ListWait, Kind::ListView, 0, 0, 0, 0, "", false},
    {&TFormSelect::ListShut, ID_ListShut, Kind::ListView, 0, 0, 0, 0, "", false},
    {&TFormSelect::ListWall, ID_ListWall, Kind::ListView, 0, 0, 0, 0, "", false},
    // The name fills the pane while the picture is hidden, and the strip above it (160 x 16) while shown.
    {&TFormSelect::pnlPreview, ID_pnlPreview, Kind::Panel, 276, 52, 164, 120, ""},
    {&TFormSelect::PnlPreviewName, ID_PnlPreviewName, Kind::PanelCaption, 278, 54, 160, 116, "No File Selected"},
    {&TFormSelect::ImgPreview, ID_ImgPreview, Kind::Image, 278, 70, 160, 100, "", false},
    {&TFormSelect::CBStyle, ID_CBStyle, Kind::StyleBox, 360, 244, 81, 21, "", false},
    {&TFormSelect::PnlExtend, ID_PnlExtend, Kind::Strip, 0, 0, 0, 0, ""},
    {&TFormSelect::Bevel1, ID_Label, Kind::Bevel, 0, 0, 0, 0, ""},
    {&TFormSelect::Splitter1, ID_Label, Kind::Strip, 0, 0, 0, 0, ""},
    {&TFormSelect::Splitter4, ID_Label, Kind::Strip, 0, 0, 0, 0, ""},
    // The category buttons come last in the tab order, as one group: Tab reaches the one that is down.
    {&TFormSelect::sbtnStart, ID_sbtnStart, Kind::CategoryButton, 4, 8, 105, 25, "StartUp Screen"},
    {&TFormSelect::sbtnWait, ID_sbtnWait, Kind::CategoryButton, 112, 8, 105, 25, "Waiting Screen"},
    {&TFormSelect::sbtnShut, ID_sbtnShut, Kind::CategoryButton, 220, 8, 113, 25, "Shut Down Screen"},
    {&TFormSelect::sbtnWall, ID_sbtnWall, Kind::CategoryButton, 336, 8, 105, 25, "Wallpaper"},
};

struct ClassAndStyle {
    const char* windowClass;
    DWORD style;
    DWORD exStyle;
};

ClassAndStyle StyleOf(Kind kind) {
    switch (kind) {
    case Kind::CategoryButton: return {WC_BUTTONA, BS_AUTORADIOBUTTON | BS_PUSHLIKE, 0};
    case Kind::Label: return {WC_STATICA, SS_LEFT | SS_NOPREFIX, 0};
    case Kind::RightLabel: return {WC_STATICA, SS_RIGHT | SS_NOPREFIX, 0};
    case Kind::DriveBox:
        return {WC_COMBOBOXA, CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP, 0};
    case Kind::DirectoryList:
        return {WC_LISTBOXA, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP,
                WS_EX_CLIENTEDGE};
    case Kind::FileList:
        return {WC_LISTBOXA,
                LBS_NOTIFY | LBS_EXTENDEDSEL | LBS_SORT | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | WS_VSCROLL |
                    WS_TABSTOP,
                WS_EX_CLIENTEDGE};
    case Kind::FilterBox:
        return {WC_COMBOBOXA, CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP, 0};
    case Kind::Panel: return {WC_STATICA, SS_SUNKEN | SS_NOTIFY | WS_CLIPSIBLINGS, 0};
    // A path too long for the strip keeps its end, the file's name, and loses its middle.
    case Kind::PanelCaption:
        return {WC_STATICA, SS_CENTER | SS_CENTERIMAGE | SS_PATHELLIPSIS | SS_NOPREFIX | SS_NOTIFY, 0};
    case Kind::Image: return {WC_STATICA, SS_NOTIFY | SS_OWNERDRAW, 0};
    case Kind::Button: return {WC_BUTTONA, BS_PUSHBUTTON | WS_TABSTOP, 0};
    case Kind::StyleBox:
        return {WC_COMBOBOXA, CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP | WS_DISABLED, 0};
    case Kind::CheckBox: return {WC_BUTTONA, BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case Kind::Bevel: return {WC_STATICA, SS_ETCHEDHORZ, 0};
    case Kind::Strip: return {WC_STATICA, SS_NOTIFY, 0};
    case Kind::ListView:
        return {WC_LISTVIEWA, LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP,
                WS_EX_CLIENTEDGE};
    }
    return {WC_STATICA, 0, 0};
}

// The category buttons' one tab stop is the button that is down, or the one the arrow keys have moved
// the focus to while it has the focus, so that Tab always leaves the group.
void GiveGroupTabStop(HWND button) {
    HWND parent = ::GetParent(button);
    HWND b = button;
    do {
        LONG_PTR style = ::GetWindowLongPtrA(b, GWL_STYLE);
        ::SetWindowLongPtrA(b, GWL_STYLE, b == button ? style | WS_TABSTOP : style & ~WS_TABSTOP);
        b = ::GetNextDlgGroupItem(parent, b, FALSE);
    } while (b && b != button);
}

// Within the group the arrow keys only move the focus, and Space or Enter presses the focused button:
// the dialog keys press a radio button as they move to it, which would switch the category at every
// arrow key.
LRESULT CategoryButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, void*) {
    LRESULT result = CallSubclassed(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_GETDLGCODE: result &= ~DLGC_RADIOBUTTON; break;
    case WM_SETFOCUS: GiveGroupTabStop(hwnd); break;
    case WM_KILLFOCUS:
        for (HWND b = hwnd; b;) {
            if (Button_GetCheck(b) == BST_CHECKED) {
                GiveGroupTabStop(b);
                break;
            }
            b = ::GetNextDlgGroupItem(::GetParent(hwnd), b, FALSE);
            if (b == hwnd) break;
        }
        break;
    }
    return result;
}

int TextWidth(HDC dc, HFONT font, const char* text) {
    SelectGuard select(dc, font);
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text, int(strlen(text)), &size);
    return size.cx;
}

// A control of the layout table made at its place; the first category button starts their group.
HWND MakeControl(const LayoutEntry& c, HWND parent, const RECT& place, bool& firstButton) {
    ClassAndStyle cs = StyleOf(c.kind);
    DWORD style = WS_CHILD | cs.style | (c.visible ? WS_VISIBLE : 0);
    if (c.kind == Kind::CategoryButton && firstButton) {
        style |= WS_GROUP;
        firstButton = false;
    }
    if (c.kind == Kind::DriveBox || c.kind == Kind::Label) style |= WS_GROUP;
    HWND control = ::CreateWindowExA(cs.exStyle, cs.windowClass, c.caption, style, place.left, place.top,
                                     place.right - place.left, place.bottom - place.top, parent,
                                     reinterpret_cast<HMENU>(INT_PTR(c.id)), ::GetModuleHandleA(nullptr), nullptr);
    if (c.kind == Kind::CategoryButton) Subclass(control, CategoryButtonProc, nullptr);
    if (c.kind == Kind::StyleBox) ComboBox_SetMinVisible(control, 4);
    if (c.kind == Kind::ListView) ListView_SetExtendedListViewStyle(control, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    return control;
}

}  // namespace

int TFormSelect::Scale(int pixels) const { return ::MulDiv(pixels, dpi_, 96); }

void TFormSelect::CreateFonts(int dpi) {
    dpi_ = dpi > 0 ? dpi : 96;
    auto make = [&](int height, int weight) {
        return FontHandle(::CreateFontA(-Scale(height), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                        DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
    };
    font_ = make(11, FW_NORMAL);
    buttonFontRegular_ = make(12, FW_NORMAL);
    buttonFontBold_ = make(12, FW_BOLD);
}

void TFormSelect::CreateControls() {
    PlaceControls(true);

    // The picture and its name lie on the panel: above it, they get their own clicks.
    ::SetWindowPos(pnlPreview, ImgPreview, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    ::SendMessageA(sbtnStart, BM_SETCHECK, BST_CHECKED, 0);
    SetButtonActive(sbtnStart);
    ::SendMessageA(chkbStartUpRun, BM_SETCHECK, BST_CHECKED, 0);
    for (std::string_view name : kStyleNames) ::SendMessageA(CBStyle, CB_ADDSTRING, 0, LPARAM(std::string(name).c_str()));

    Tooltips = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
    LayoutLowerPart();
}

// Places and sizes the controls of the layout table and gives them their fonts, for the window's DPI;
// the first time (`create`) each is made at its place.
void TFormSelect::PlaceControls(bool create) {
    WindowDC dc(hwnd_);
    bool firstButton = true;
    for (const LayoutEntry& c : kLayout) {
        // The list views are made as they are first needed, and placed with the lower part.
        if (c.kind == Kind::ListView && (create || !(this->*c.field))) continue;
        HWND control = create ? nullptr : this->*c.field;
        int width = c.width;
        int height = c.height;
        HFONT font = c.kind == Kind::CategoryButton
                         ? (control && IsButtonActive(control) ? buttonFontBold_.get() : buttonFontRegular_.get())
                         : font_.get();
        if (width == 0 && c.caption[0]) width = ::MulDiv(TextWidth(dc.get(), font, c.caption) + 1, 96, dpi_);
        // A drop-down's height includes its list: the style box shows four rows at a time.
        if (c.kind == Kind::StyleBox) height = c.height + 4 * 13 + 2;
        if (c.kind == Kind::DriveBox || c.kind == Kind::FilterBox) height = c.height + 8 * 13 + 2;
        // While the picture shows, its name takes only the strip above it.
        if (control == PnlPreviewName && PreviewShown()) height = 16;
        int left = Scale(c.left);
        width = Scale(width);
        // The style box shows its longest name whole beside its button, whatever the font's size at
        // this DPI: when the scaled width is too small it grows to the left.
        if (c.kind == Kind::StyleBox) {
            int widest = 0;
            for (std::string_view name : kStyleNames)
                widest = std::max(widest, TextWidth(dc.get(), font, std::string(name).c_str()));
            int needed = widest + ::GetSystemMetrics(SM_CXVSCROLL) + 2 * ::GetSystemMetrics(SM_CXEDGE);
            if (needed > width) {
                left -= needed - width;
                width = needed;
            }
        }
        const RECT place{left, Scale(c.top), left + width, Scale(c.top) + Scale(height)};
        if (create) control = this->*c.field = MakeControl(c, hwnd_, place, firstButton);
        else ::MoveWindow(control, place.left, place.top, width, place.bottom - place.top, FALSE);
        SetWindowFont(control, font, FALSE);
        if (c.kind == Kind::FileList) ListBox_SetItemHeight(control, 0, Scale(13));
        if (c.kind == Kind::DirectoryList) ListBox_SetItemHeight(control, 0, Scale(16));
    }
}

// Moved to a screen of another DPI: new fonts, every control placed again, the size the system suggests.
void TFormSelect::FormDpiChanged(int dpi, const RECT& suggested) {
    HWND buttons[] = {sbtnStart, sbtnWait, sbtnShut, sbtnWall};
    bool bold[std::size(buttons)];
    for (size_t i = 0; i < std::size(buttons); ++i) bold[i] = IsButtonActive(buttons[i]);
    // The old fonts live until every control has its new one.
    FontHandle oldFont = std::move(font_), oldRegular = std::move(buttonFontRegular_),
               oldBold = std::move(buttonFontBold_);
    CreateFonts(dpi);
    for (size_t i = 0; i < std::size(buttons); ++i)
        SetWindowFont(buttons[i], bold[i] ? buttonFontBold_.get() : buttonFontRegular_.get(), FALSE);
    PlaceControls();
    FitFilterDropDown();
    ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TFormSelect::SetHint(HWND control, const std::string& text) { SetToolHint(Tooltips, hwnd_, control, text); }

// The lower part follows the client height: the lists fill what the bevel, the side strips and the
// bottom strip leave free, so that the tall window gives the lists the extra room.
void TFormSelect::LayoutLowerPart() {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    const RECT lists = ListPlace();
    ::MoveWindow(Bevel1, 0, 0, client.right, 2, FALSE);
    ::MoveWindow(Splitter1, 0, lists.top, lists.left, lists.bottom - lists.top, TRUE);
    ::MoveWindow(Splitter4, lists.right, lists.top, lists.left, lists.bottom - lists.top, TRUE);
    ::MoveWindow(PnlExtend, 0, lists.bottom, client.right, Scale(kExtendHeight), TRUE);
    for (HWND list : {ListStart, ListWait, ListShut, ListWall}) {
        if (!list) continue;
        ::MoveWindow(list, lists.left, lists.top, lists.right - lists.left, lists.bottom - lists.top, TRUE);
        ViewOf(list).FitColumnsToWidth();
    }
}

// The lists fill what the bevel, the side strips and the bottom strip leave free.
RECT TFormSelect::ListPlace() const {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    const int side = Scale(kSplitterWidth);
    return {side, Scale(kBevelHeight), client.right - side, client.bottom - Scale(kExtendHeight)};
}

// A list view made hidden at its place, in its place in the keyboard order (after the control before
// it in the layout), with the list's rows. At start only the list in sight is made: each list view
// costs a few milliseconds under Wine.
HWND TFormSelect::MakeListView(HWND TFormSelect::*field, SelectionListView& view) {
    const LayoutEntry* entry = std::find_if(std::begin(kLayout), std::end(kLayout),
                                            [&](const LayoutEntry& c) { return c.field == field; });
    bool firstButton = false;
    HWND list = this->*entry->field = MakeControl(*entry, hwnd_, ListPlace(), firstButton);
    SetWindowFont(list, font_.get(), FALSE);
    for (const LayoutEntry* before = entry; before-- != std::begin(kLayout);) {
        if (HWND previous = this->*before->field) {
            ::SetWindowPos(list, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            break;
        }
    }
    const SelectionListView* like = nullptr;
    for (const SelectionListView& made : listViews_)
        if (made.Handle()) like = &made;
    view.Attach(list, like);
    return list;
}

}  // namespace mx
