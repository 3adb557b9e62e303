#include <windowsx.h>

#include "app/about_box.h"
#include "app/layout.h"
#include "app/resource.h"
#include "lists/categories.h"
#include "sandbox.h"

namespace mx::test {
namespace {

enum State : unsigned { Shown = 0, Hidden = 1, Disabled = 2, Checked = 4 };

struct Expected {
    HWND TFormSelect::*field;
    const char* name;
    const char* windowClass;
    DWORD style;       // style bits that make the kind
    int left, top, width, height;  // width 0: as wide as the caption; height 0: as the platform sizes it
    const char* caption;
    unsigned state;
};

constexpr DWORD kCategoryButton = BS_AUTORADIOBUTTON | BS_PUSHLIKE;

// The window's layout at creation, in client pixels at 96 DPI.
const Expected kExpected[] = {
    {&TFormSelect::sbtnStart, "sbtnStart", "Button", kCategoryButton, 4, 8, 105, 25, "StartUp Screen", Checked},
    {&TFormSelect::sbtnWait, "sbtnWait", "Button", kCategoryButton, 112, 8, 105, 25, "Waiting Screen", Shown},
    {&TFormSelect::sbtnShut, "sbtnShut", "Button", kCategoryButton, 220, 8, 113, 25, "Shut Down Screen", Shown},
    {&TFormSelect::sbtnWall, "sbtnWall", "Button", kCategoryButton, 336, 8, 105, 25, "Wallpaper", Shown},
    {&TFormSelect::Label3, "Label3", "Static", SS_LEFT, 4, 36, 0, 0, "Drive:", Shown},
    {&TFormSelect::Label2, "Label2", "Static", SS_LEFT, 156, 36, 0, 0, "Choose Files:", Shown},
    {&TFormSelect::Label4, "Label4", "Static", SS_LEFT, 276, 36, 0, 0, "Preview:", Shown},
    {&TFormSelect::DriveComboBox1, "DriveComboBox1", "ComboBox", CBS_DROPDOWNLIST, 4, 52, 145, 0, nullptr, Shown},
    {&TFormSelect::FileListBox1, "FileListBox1", "ListBox", LBS_EXTENDEDSEL, 156, 52, 113, 213, "", Shown},
    {&TFormSelect::pnlPreview, "pnlPreview", "Static", SS_SUNKEN, 276, 52, 164, 120, "", Shown},
    {&TFormSelect::PnlPreviewName, "PnlPreviewName", "Static", SS_CENTER, 278, 54, 160, 116, "No File Selected", Shown},
    {&TFormSelect::ImgPreview, "ImgPreview", "Static", 0, 278, 70, 160, 100, "", Hidden},
    {&TFormSelect::Label5, "Label5", "Static", SS_LEFT, 4, 76, 0, 0, "Directory:", Shown},
    {&TFormSelect::DirectoryListBox1, "DirectoryListBox1", "ListBox", 0, 4, 92, 145, 133, nullptr, Shown},
    {&TFormSelect::BtnAdd, "BtnAdd", "Button", BS_PUSHBUTTON, 276, 180, 98, 25, "Add Chosen Files", Shown},
    {&TFormSelect::BtnAddFolder, "BtnAddFolder", "Button", BS_PUSHBUTTON, 378, 180, 63, 25, "Add Fol&der", Shown},
    {&TFormSelect::btnRemove, "btnRemove", "Button", BS_PUSHBUTTON, 276, 212, 165, 25, "Remove Selected Files",
     Shown},
    {&TFormSelect::Label6, "Label6", "Static", SS_LEFT, 4, 228, 0, 0, "Filters:", Shown},
    {&TFormSelect::FilterComboBox1, "FilterComboBox1", "ComboBox", CBS_DROPDOWNLIST, 4, 244, 145, 0, nullptr, Shown},
    {&TFormSelect::CBStyle, "CBStyle", "ComboBox", CBS_DROPDOWNLIST, 360, 244, 81, 0, "", Hidden | Disabled},
    {&TFormSelect::chkbStartUpRun, "chkbStartUpRun", "Button", BS_AUTOCHECKBOX, 276, 248, 157, 17,
     "Run Randomizer at Start-Up", Checked},
    {&TFormSelect::LblStyle, "LblStyle", "Static", SS_LEFT, 276, 248, 0, 0, "Wallpaper Style:", Hidden},
    {&TFormSelect::Label1, "Label1", "Static", SS_LEFT, 4, 272, 0, 0, "Selected Files:", Shown},
    {&TFormSelect::Splitter1, "Splitter1", "Static", 0, 0, 291, 4, 118, "", Shown},
    {&TFormSelect::Splitter4, "Splitter4", "Static", 0, 440, 291, 4, 118, "", Shown},
    {&TFormSelect::PnlExtend, "PnlExtend", "Static", 0, 0, 409, 444, 5, "", Shown},
    {&TFormSelect::ListStart, "ListStart", "SysListView32", LVS_REPORT, 4, 291, 436, 118, "", Shown},
    {&TFormSelect::ListWait, "ListWait", "SysListView32", LVS_REPORT, 4, 291, 436, 118, "", Hidden},
    {&TFormSelect::ListShut, "ListShut", "SysListView32", LVS_REPORT, 4, 291, 436, 118, "", Hidden},
    {&TFormSelect::ListWall, "ListWall", "SysListView32", LVS_REPORT, 4, 291, 436, 118, "", Hidden},
};

RECT ClientRectOf(HWND control) {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string ClassOf(HWND hwnd) {
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return name;
}

// The face the system really draws with, which is the stand-in when the named font is missing.
std::string DrawnFace(HWND control, LONG* height) {
    HFONT font = GetWindowFont(control);
    LOGFONTA logical{};
    ::GetObjectA(font, sizeof logical, &logical);
    *height = logical.lfHeight;
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, font);
    char face[LF_FACESIZE] = {};
    ::GetTextFaceA(dc, sizeof face, face);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return face;
}

std::string ItemString(HMENU menu, int position) {
    char text[128] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    ::GetMenuItemInfoA(menu, UINT(position), TRUE, &info);
    if (info.fType & MFT_SEPARATOR) return "-";
    std::string item = text;
    if (info.fState & MFS_CHECKED) item += " [x]";
    if (info.fState & MFS_DISABLED) item += " [disabled]";
    return item;
}

std::vector<std::string> MenuItems(HMENU menu) {
    std::vector<std::string> items;
    for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i) items.push_back(ItemString(menu, i));
    return items;
}

std::vector<std::string> PopupItems(const PopupMenu& menu) {
    std::vector<std::string> items;
    for (const MenuItem& item : menu.Items())
        items.push_back(item.caption + (item.visible ? "" : " [hidden]") + (item.enabled || item.IsSeparator() ? ""
                                                                                                                 : " [disabled]"));
    return items;
}

using Layout = MainWindowTest;

TEST_F(Layout, EveryControlHasItsKindPlaceCaptionStateAndFont) {
    StartProgram();
    // Only the list in sight is made at start; the others, made when first needed, take their place.
    EXPECT_FALSE(form->ListWait || form->ListShut || form->ListWall);
    for (int category : {CategoryWait, CategoryShut, CategoryWall}) form->ListForCategory(category);
    for (const Expected& e : kExpected) {
        SCOPED_TRACE(e.name);
        HWND control = form.get()->*e.field;
        ASSERT_TRUE(control);
        EXPECT_EQ(ClassOf(control), e.windowClass);
        DWORD style = DWORD(::GetWindowLongPtrA(control, GWL_STYLE));
        // Button and static kinds are values of the low bits, not flags.
        if (e.style) { EXPECT_EQ(style & e.style, e.style); }
        if (ClassOf(control) == "Button") { EXPECT_EQ(style & BS_TYPEMASK, e.style & BS_TYPEMASK); }
        RECT r = ClientRectOf(control);
        EXPECT_EQ(r.left, e.left);
        EXPECT_EQ(r.top, e.top);
        if (e.width) { EXPECT_EQ(r.right - r.left, e.width); }
        if (e.height) { EXPECT_EQ(r.bottom - r.top, e.height); }
        if (e.caption) { EXPECT_EQ(Text(control), e.caption); }
        EXPECT_EQ(Visible(control), !(e.state & Hidden));
        EXPECT_EQ(bool(::IsWindowEnabled(control)), !(e.state & Disabled));
        if (ClassOf(control) == "Button") {
            EXPECT_EQ(Button_GetCheck(control) == BST_CHECKED, bool(e.state & Checked));
        }
        LONG height = 0;
        std::string face = DrawnFace(control, &height);
        EXPECT_EQ(face, "MS Sans Serif");
        EXPECT_EQ(height, std::string(e.name).starts_with("sbtn") ? -12 : -11);
    }
}

TEST_F(Layout, ControlsThatTheirKindSizes) {
    StartProgram();
    // Labels are as wide as their captions and never overlap what stands to their right.
    for (HWND label : {form->Label3, form->Label2, form->Label4, form->Label5, form->Label6, form->Label1}) {
        RECT r = ClientRectOf(label);
        EXPECT_GT(r.right - r.left, 20) << Text(label);
        EXPECT_LT(r.right, r.left + 110) << Text(label);
    }
    // The count label ends at 437, right-aligned, above the list band's right end.
    RECT number = ClientRectOf(form->LblNumber);
    EXPECT_EQ(number.right, 437);
    EXPECT_EQ(number.top, 275);
    EXPECT_EQ(::GetWindowLongPtrA(form->LblNumber, GWL_STYLE) & SS_TYPEMASK, SS_RIGHT);
    EXPECT_EQ(Text(form->LblNumber), "0 / 0");
    // Drop-downs take the closed height the platform gives their font.
    for (HWND box : {form->DriveComboBox1, form->FilterComboBox1, form->CBStyle}) {
        RECT r = ClientRectOf(box);
        EXPECT_GE(r.bottom - r.top, 19);
        EXPECT_LE(r.bottom - r.top, 22);
    }
    EXPECT_EQ(ListBox_GetItemHeight(form->FileListBox1, 0), 13);
    EXPECT_EQ(ListBox_GetItemHeight(form->DirectoryListBox1, 0), 16);
    // The style box lists the six styles and drops down four rows at a time.
    ASSERT_EQ(ComboBox_GetCount(form->CBStyle), 6);
    const char* styles[] = {"Centred", "Stretched", "Tiled", "Fit 2 Screen", "Mirror", "Fill"};
    for (int i = 0; i < 6; ++i) {
        char text[32] = {};
        ComboBox_GetLBText(form->CBStyle, i, text);
        EXPECT_STREQ(text, styles[i]);
    }
    ::EnableWindow(form->CBStyle, TRUE);
    ComboBox_ShowDropdown(form->CBStyle, TRUE);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(::GetComboBoxInfo(form->CBStyle, &info));
    RECT dropped{};
    ::GetClientRect(info.hwndList, &dropped);
    EXPECT_EQ(dropped.bottom / ListBox_GetItemHeight(info.hwndList, 0), 4);
    ComboBox_ShowDropdown(form->CBStyle, FALSE);
    // The bevel is a line under the menu bar across the whole width.
    RECT bevel = ClientRectOf(form->Bevel1);
    EXPECT_EQ(bevel.top, 0);
    EXPECT_EQ(bevel.right - bevel.left, 444);
    EXPECT_LE(bevel.bottom - bevel.top, 2);
}

TEST_F(Layout, WindowFrameSizeAndPlace) {
    CreateWindowOnly();
    HWND hwnd = form->Handle();
    DWORD style = DWORD(::GetWindowLongPtrA(hwnd, GWL_STYLE));
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the user cannot resize the window by dragging";
    RECT client{};
    ::GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 444);
    EXPECT_EQ(client.bottom, 414);
    RECT frame{};
    ::GetWindowRect(hwnd, &frame);
    int screenWidth = ::GetSystemMetrics(SM_CXSCREEN), screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR(frame.left, screenWidth - frame.right, 1);
    EXPECT_NEAR(frame.top, screenHeight - frame.bottom, 1);
    EXPECT_EQ(::GetMenu(hwnd), form->MainMenu1);
}

TEST_F(Layout, BottomStripShowsTheUpDownPointer) {
    StartProgram();
    ::SendMessageA(form->Handle(), WM_SETCURSOR, WPARAM(form->PnlExtend), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, IDC_SIZENS));
    ::SendMessageA(form->Handle(), WM_SETCURSOR, WPARAM(form->Splitter1), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, IDC_ARROW));
}

TEST_F(Layout, PreviewPaneShowsItsPictureAndNameAboveThePanel) {
    StartProgram();
    ::ShowWindow(form->ImgPreview, SW_SHOWNA);
    ::MoveWindow(form->PnlPreviewName, 278, 54, 160, 16, FALSE);  // as when a picture is shown
    for (HWND inner : {form->ImgPreview, form->PnlPreviewName}) {
        RECT r{};
        ::GetWindowRect(inner, &r);
        POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        EXPECT_EQ(::WindowFromPoint(centre), inner) << Text(inner);
    }
    EXPECT_TRUE(::GetWindowLongPtrA(form->pnlPreview, GWL_STYLE) & WS_CLIPSIBLINGS);
}

// The category buttons come last, and only the one that is down is a tab stop.
TEST_F(Layout, TabVisitsTheFocusableControlsInOrder) {
    StartProgram();
    const HWND TFormSelect::*order[] = {
        &TFormSelect::DriveComboBox1, &TFormSelect::DirectoryListBox1, &TFormSelect::FileListBox1,
        &TFormSelect::FilterComboBox1, &TFormSelect::BtnAdd, &TFormSelect::BtnAddFolder, &TFormSelect::btnRemove,
        &TFormSelect::chkbStartUpRun, &TFormSelect::ListStart, &TFormSelect::ListWait,
        &TFormSelect::ListShut, &TFormSelect::ListWall, &TFormSelect::pnlPreview,
        &TFormSelect::CBStyle, &TFormSelect::PnlExtend, &TFormSelect::sbtnStart, &TFormSelect::sbtnWait,
        &TFormSelect::sbtnShut, &TFormSelect::sbtnWall};
    auto check = [&] {
        std::vector<HWND> expected;
        for (auto field : order) {
            HWND c = form.get()->*field;
            if (::IsWindowVisible(c) && ::IsWindowEnabled(c) && (::GetWindowLongPtrA(c, GWL_STYLE) & WS_TABSTOP))
                expected.push_back(c);
        }
        // Tab from the last focusable control wraps round to the first and visits every one in turn.
        std::vector<HWND> visited;
        for (HWND c = expected.back(); visited.size() < expected.size() + 2;) {
            c = ::GetNextDlgTabItem(form->Handle(), c, FALSE);
            if (!c) break;
            visited.push_back(c);
            if (c == expected.back()) break;
        }
        EXPECT_EQ(visited, expected);
    };
    {
        SCOPED_TRACE("start-up category");
        check();
    }
    Click(form->sbtnWall);
    ::EnableWindow(form->CBStyle, TRUE);
    {
        SCOPED_TRACE("wallpaper category");
        check();
    }
}

TEST_F(Layout, HintsAreShownAsTooltips) {
    CreateWindowOnly();
    ASSERT_TRUE(form->Tooltips);
    auto hint = [&](HWND control) {
        char text[128] = {};
        TTTOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = form->Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = text;
        ::SendMessageA(form->Tooltips, TTM_GETTEXTA, sizeof text, LPARAM(&tool));
        return std::string(text);
    };
    int tools = int(::SendMessageA(form->Tooltips, TTM_GETTOOLCOUNT, 0, 0));
    form->SetHint(form->BtnAdd, "first");
    form->SetHint(form->BtnAdd, "second");
    EXPECT_EQ(hint(form->BtnAdd), "second");
    EXPECT_EQ(::SendMessageA(form->Tooltips, TTM_GETTOOLCOUNT, 0, 0), tools + 1);
    form->SetHint(form->BtnAdd, "");
    EXPECT_EQ(::SendMessageA(form->Tooltips, TTM_GETTOOLCOUNT, 0, 0), tools);
    EXPECT_TRUE(::GetWindowLongPtrA(form->Tooltips, GWL_STYLE) & TTS_ALWAYSTIP);
}

TEST_F(Layout, MainMenuItemsShortcutsAndCheckMarks) {
    CreateWindowOnly();
    HMENU menu = form->MainMenu1;
    ASSERT_EQ(MenuItems(menu), (std::vector<std::string>{"&File", "&Options", "&Uninstall", "&Info"}));
    EXPECT_EQ(MenuItems(::GetSubMenu(menu, 0)), (std::vector<std::string>{"&Save\tCtrl+S", "-", "&Exit\tCtrl+X"}));
    EXPECT_EQ(MenuItems(::GetSubMenu(menu, 1)),
              (std::vector<std::string>{"&Run Randomizer at Start-Up [x]", "&Next Wallpaper Now", "Change &Wallpaper",
                                        "-", "Report Add &Errors [x]", "-", "Preview &None", "Preview &Choose Only",
                                        "Preview &Selected Only", "Preview &Both [x]", "-",
                                        "Same &Picture on Every Monitor [x]", "&A Picture for Each Monitor",
                                        "&One Picture Across All Monitors"}));
    EXPECT_EQ(MenuItems(::GetSubMenu(::GetSubMenu(menu, 1), 2)),
              (std::vector<std::string>{"At &Log-On Only [x]", "Every &15 Minutes", "Every &Hour", "Every &6 Hours",
                                        "Every &Day", "-", "Also When &Unlocked"}));
    EXPECT_EQ(MenuItems(::GetSubMenu(menu, 2)),
              (std::vector<std::string>{"&Set Original Screens Back", "&Uninstall"}));
    EXPECT_EQ(MenuItems(::GetSubMenu(menu, 3)), (std::vector<std::string>{"&About ..."}));
    // Refresh and Help are reached by their shortcuts only.
    EXPECT_EQ(::GetMenuState(menu, IDM_REFRESH, MF_BYCOMMAND), UINT(-1));
    EXPECT_EQ(::GetMenuState(menu, IDM_HELP, MF_BYCOMMAND), UINT(-1));
}

TEST_F(Layout, PopupMenusItemsInOrder) {
    StartProgram();
    EXPECT_EQ(PopupItems(form->PopMFile), (std::vector<std::string>{"Add", "Add &Folder", "-", "Select All", "Invert Selection"}));
    EXPECT_EQ(PopupItems(form->PopMSelected),
              (std::vector<std::string>{"View", "Remove", "-", "Find file directory", "-", "Select All",
                                        "Invert Selection"}));
    EXPECT_FALSE(form->PopMSelected.Items()[4].enabled);
    EXPECT_EQ(PopupItems(form->PopMFileInfo),
              (std::vector<std::string>{"Set as current &Screen", "Set as current &Wallpaper [hidden]", "-",
                                        "Info about file"}));
}

TEST_F(Layout, AboutBox) {
    CreateWindowOnly();
    TAboutBox& about = form->AboutBox();
    HWND box = about.Handle();
    ASSERT_TRUE(box);
    EXPECT_EQ(Text(box), "About");
    DWORD style = DWORD(::GetWindowLongPtrA(box, GWL_STYLE));
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    RECT client{};
    ::GetClientRect(box, &client);
    EXPECT_EQ(client.right, 298);
    EXPECT_EQ(client.bottom, 299);
    RECT frame{};
    ::GetWindowRect(box, &frame);
    EXPECT_NEAR(frame.left, ::GetSystemMetrics(SM_CXSCREEN) - frame.right, 1);
    EXPECT_NEAR(frame.top, ::GetSystemMetrics(SM_CYSCREEN) - frame.bottom, 1);

    RECT panel = ClientRectOf(about.Panel1);
    EXPECT_EQ(panel.left, 8);
    EXPECT_EQ(panel.top, 4);
    EXPECT_EQ(panel.right - panel.left, 281);
    EXPECT_EQ(panel.bottom - panel.top, 252);
    EXPECT_EQ(::GetWindowLongPtrA(about.Panel1, GWL_STYLE) & SS_TYPEMASK, SS_ETCHEDFRAME);
    struct {
        HWND control;
        int left, top;
        const char* text;
    } inPanel[] = {{about.ProgramIcon, 36, 20, nullptr},
                   {about.ProductName, 88, 16, "Mosalux Selector"},
                   {about.Version, 88, 40, "Version 2.0.4b"}};
    for (const auto& c : inPanel) {
        RECT r = ClientRectOf(c.control);
        EXPECT_EQ(r.left - panel.left, c.left);
        EXPECT_EQ(r.top - panel.top, c.top);
        if (c.text) { EXPECT_EQ(Text(c.control), c.text); }
    }
    EXPECT_TRUE(::SendMessageA(about.ProgramIcon, STM_GETICON, 0, 0));
    RECT ok = ClientRectOf(about.OKButton);
    EXPECT_EQ(ok.left, 120);
    EXPECT_EQ(ok.top, 265);
    EXPECT_EQ(ok.right - ok.left, 75);
    EXPECT_EQ(ok.bottom - ok.top, 25);
    EXPECT_EQ(Text(about.OKButton), "O&K");
    EXPECT_EQ(::GetWindowLongPtrA(about.OKButton, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(LOWORD(::SendMessageA(box, DM_GETDEFID, 0, 0)), IDOK);
    EXPECT_FALSE(::IsWindowVisible(box));
}

}  // namespace
}  // namespace mx::test
