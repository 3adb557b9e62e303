// The main window's life: creation, the start-up sequence, message dispatch and closing.
#include "app/form_select.h"

#include <windowsx.h>

#include "app/about_box.h"
#include "app/command_line.h"
#include "app/layout.h"
#include "app/resource.h"
#include "lists/categories.h"
#include "lists/list_view.h"
#include "picture/background_decode_win.h"
#include "picture/form_preview.h"
#include "state/selection_file_reading.h"

namespace mx {

namespace {
constexpr const char* kWindowClass = "TFormSelect";
}

TFormSelect::TFormSelect(Environment& env) : env_(env) {}

TFormSelect::~TFormSelect() {
    if (hwnd_) ::DestroyWindow(hwnd_);
}

bool TFormSelect::Create() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    HICON icon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_MXSELECT));
    RegisterWindowClass(kWindowClass, WindowProcedure<TFormSelect>, icon, ::GetSysColorBrush(COLOR_BTNFACE));

    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
    HMENU menu = ::LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAINMENU));
    // The design size is in pixels at 96 DPI; WM_CREATE resizes it for the screen's DPI.
    RECT frame{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, style, TRUE, 0);
    HWND hwnd = ::CreateWindowExA(0, kWindowClass, kDesignCaption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, menu, instance, this);
    if (!hwnd) {
        ::DestroyMenu(menu);
        return false;
    }
    return true;
}

void TFormSelect::Show(int showCommand) {
    if (!shown_) {
        shown_ = true;
        FormShow();
        if (!hwnd_) return;  // an uninstall run has closed the window already
        if (UninstallMode) return;
    }
    ::ShowWindow(hwnd_, showCommand);
}

bool TFormSelect::TranslateShortcut(MSG& msg) {
    return hwnd_ && accelerators_ && ::TranslateAcceleratorA(hwnd_, accelerators_.get(), &msg);
}

bool TFormSelect::IsKeyboardMessage(MSG& msg) { return hwnd_ && ::IsDialogMessageA(hwnd_, &msg); }

LRESULT TFormSelect::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    ReportingErrors([&] { result = HandleMessage(msg, wp, lp); });
    return result;
}

void TFormSelect::ReportError(const std::string& text, HWND owner) {
    env_.ShowMessage(owner ? owner : hwnd_, BoxKind::Error, text, MB_OK);
}

LRESULT TFormSelect::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: FormCreate(); return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            KeepFocus();
            break;
        }
        FormActivate();
        // Not minimised: the focus goes back to the control that had it, which the system would
        // give to the window itself.
        if (!HIWORD(wp)) {
            RestoreFocus();
            return 0;
        }
        break;
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)); return 0;
    case WM_INITMENUPOPUP:
        // The randomizer's icon menu may have chosen another interval since.
        if (::GetMenuState(reinterpret_cast<HMENU>(wp), IDM_CHANGE_LOGON, MF_BYCOMMAND) != UINT(-1)) ShowChangeSettings();
        break;
    case WM_NEXTDLGCTL: NextControl(wp, LOWORD(lp) != 0); return 0;
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lp));
    case WM_SIZE:
        LayoutLowerPart();
        FormResize();
        return 0;
    case WM_GETMINMAXINFO: FormGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lp)); return 0;
    case WM_DPICHANGED: FormDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp)); return 0;
    case WM_DRAWITEM:
        if (reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem != ImgPreview) break;
        DrawPreviewImage(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lp) != PnlPreviewName) break;
        return reinterpret_cast<LRESULT>(NamePanelBrush(reinterpret_cast<HDC>(wp)));
    case WM_CONTEXTMENU:
        OpenContextMenu(reinterpret_cast<HWND>(wp), POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return 0;
    case WM_SETCURSOR:
        if (waitingForPreview_) {
            ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
            return TRUE;
        }
        // A picture still coming shows over the pane as work going on behind a usable window.
        if (previewDecode_ && LOWORD(lp) == HTCLIENT &&
            (reinterpret_cast<HWND>(wp) == PnlPreviewName || reinterpret_cast<HWND>(wp) == pnlPreview)) {
            ::SetCursor(::LoadCursorA(nullptr, IDC_APPSTARTING));
            return TRUE;
        }
        // The bottom strip shows that it makes the window taller.
        if (reinterpret_cast<HWND>(wp) == PnlExtend && LOWORD(lp) == HTCLIENT) {
            ::SetCursor(::LoadCursorA(nullptr, IDC_SIZENS));
            return TRUE;
        }
        break;
    case kPreviewDecoded: PreviewDecoded(wp); return 0;
    case WM_CLOSE:
        // A command waiting for its picture goes on with this window: it closes when asked again after.
        if (!waitingForPreview_) OnClose();
        return 0;
    case WM_DESTROY:
        FormDestroy();
        if (QuitOnDestroy) ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(hwnd_, msg, wp, lp);
}

namespace {

// Menu items and the control notifications that run a handler without arguments.
struct CommandRoute {
    int id;
    int code;  // -1: any notification code (menus and shortcuts send 0 or 1)
    void (TFormSelect::*handler)();
};

const CommandRoute kCommandRoutes[] = {
    {IDM_SAVE, -1, &TFormSelect::SaveToFile},
    {IDM_EXIT, -1, &TFormSelect::Close1Click},
    {IDM_REPORTERRORS, -1, &TFormSelect::ChangeErrorReport},
    {IDM_NEXTWALLPAPER, -1, &TFormSelect::NextWallpaperNow1Click},
    {IDM_CHANGE_UNLOCKED, -1, &TFormSelect::AlsoWhenUnlocked1Click},
    {IDM_REFRESH, -1, &TFormSelect::Refresh1Click},
    {IDM_ORIGINALSCREENS, -1, &TFormSelect::OriginalScreens1Click},
    {IDM_UNINSTALL, -1, &TFormSelect::Uninstall2Click},
    {IDM_HELP, -1, &TFormSelect::Help2Click},
    {IDM_ABOUT, -1, &TFormSelect::About1Click},
    {IDM_FILE_ADD, -1, &TFormSelect::BtnAddClick},
    {IDM_FILE_ADDFOLDER, -1, &TFormSelect::BtnAddFolderClick},
    {IDM_FILE_SELECTALL, -1, &TFormSelect::btnAllFilesClick},
    {IDM_FILE_INVERT, -1, &TFormSelect::BtnInvFilesClick},
    {IDM_SEL_VIEW, -1, &TFormSelect::View1Click},
    {IDM_SEL_REMOVE, -1, &TFormSelect::btnRemoveClick},
    {IDM_SEL_FINDDIR, -1, &TFormSelect::Findfile1Click},
    {IDM_SEL_SELECTALL, -1, &TFormSelect::btnAllSelectClick},
    {IDM_SEL_INVERT, -1, &TFormSelect::btnInvSelectClick},
    {IDM_INFO_SETSCREEN, -1, &TFormSelect::SetascurrentScreen1Click},
    {IDM_INFO_SETWALLPAPER, -1, &TFormSelect::Setascurrentwallpaper1Click},
    {IDM_INFO_FILEINFO, -1, &TFormSelect::SizeClick},
    {ID_BtnAdd, BN_CLICKED, &TFormSelect::BtnAddClick},
    {ID_BtnAddFolder, BN_CLICKED, &TFormSelect::BtnAddFolderClick},
    {ID_btnRemove, BN_CLICKED, &TFormSelect::btnRemoveClick},
    {ID_FileListBox1, LBN_DBLCLK, &TFormSelect::BtnAddClick},
    {ID_FileListBox1, LBN_SELCHANGE, &TFormSelect::ViewChooseBox},
    {ID_FilterComboBox1, CBN_SELCHANGE, &TFormSelect::FilterComboBox1Change},
    {ID_CBStyle, CBN_SELCHANGE, &TFormSelect::CBStyleChange},
    {ID_pnlPreview, STN_DBLCLK, &TFormSelect::pnlPreviewDblClick},
    // The name lies on the pane: its double-click opens the preview as the picture's does, or says
    // that there is none.
    {ID_PnlPreviewName, STN_DBLCLK, &TFormSelect::ImgPreviewDblClick},
    {ID_ImgPreview, STN_DBLCLK, &TFormSelect::ImgPreviewDblClick},
    {ID_PnlExtend, STN_CLICKED, &TFormSelect::PnlExtendClick},
};

bool IsCategoryButton(int id) { return id >= ID_sbtnStart && id <= ID_sbtnWall; }
bool IsSelectionList(UINT_PTR id) { return id >= ID_ListStart && id <= ID_ListWall; }

}  // namespace

void TFormSelect::OnCommand(int id, int code, HWND control) {
    if (IsCategoryButton(id)) {
        // A button that is not down reports a click when the keyboard moves the focus onto it; only
        // a press puts it down first.
        if (code == BN_CLICKED && Button_GetCheck(control) == BST_CHECKED) Change_Screen_Button(control);
        return;
    }
    if (id >= IDM_CATEGORY1 && id <= IDM_CATEGORY4 && !control) {
        const HWND buttons[] = {sbtnStart, sbtnWait, sbtnShut, sbtnWall};
        PressCategoryButton(buttons[id - IDM_CATEGORY1]);
        return;
    }
    // The dialog keys turn Enter into IDOK: on a category button it presses the button.
    if (id == IDOK && IsCategoryButton(::GetDlgCtrlID(::GetFocus())) && ::GetParent(::GetFocus()) == hwnd_) {
        PressCategoryButton(::GetFocus());
        return;
    }
    if ((id == IDM_RUNRANDOMIZER && !control) || (id == ID_chkbStartUpRun && code == BN_CLICKED)) {
        Runrandomizeratstartup1Click(control);
        return;
    }
    if (id >= IDM_PREVIEWNONE && id <= IDM_PREVIEWBOTH && !control) {
        ChangePreviewOn(id);
        return;
    }
    if (id >= IDM_CHANGE_LOGON && id <= IDM_CHANGE_DAY && !control) {
        ChangeWallpaperEvery(id);
        return;
    }
    if (id >= IDM_MONITORSSAME && id <= IDM_MONITORSACROSS && !control) {
        ChangeMonitorCover(id);
        return;
    }
    if (OnBrowserCommand(id, code)) return;
    for (const CommandRoute& route : kCommandRoutes) {
        bool fromMenu = control == nullptr;
        if (route.id == id && (route.code == -1 ? fromMenu : !fromMenu && route.code == code)) {
            (this->*route.handler)();
            return;
        }
    }
}

LRESULT TFormSelect::OnNotify(const NMHDR& header) {
    if (IsCategoryButton(int(header.idFrom)) && header.code == NM_CUSTOMDRAW)
        return DrawCategoryButton(*reinterpret_cast<const NMCUSTOMDRAW*>(&header));
    if (IsSelectionList(header.idFrom)) {
        if (std::optional<LRESULT> result = ViewOf(header.hwndFrom).OnNotify(header)) return *result;
        switch (header.code) {
        case NM_CLICK: ViewSelected(); break;
        case LVN_KEYDOWN: LstVKeyDown(reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey); break;
        case NM_SETFOCUS: LstVEnter(header.hwndFrom); break;
        }
    }
    return 0;
}

void TFormSelect::FormCreate() {
    CreateFonts(WindowDpi(hwnd_));
    VersionText = "2.0.4b";
    ::SetWindowTextA(hwnd_, (std::string(kDesignCaption) + " " + VersionText).c_str());
    ListEventsEnabled = false;
    UnsavedChanges = false;
    Uninstalled = false;
    CurrentCategory = CategoryStart;
    ProgramDir = ProgramDirOf(env_.ModuleFileName());
    StartReadingSelectionFile();
    MainMenu1 = ::GetMenu(hwnd_);
    accelerators_ = AccelHandle(::LoadAcceleratorsA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCELERATORS)));

    // Client size for the screen's DPI, centred on the screen.
    RECT frame{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
    ::AdjustWindowRectEx(&frame, DWORD(::GetWindowLongPtrA(hwnd_, GWL_STYLE)), TRUE, 0);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    SIZE screen{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::SetWindowPos(hwnd_, nullptr, (screen.cx - width) / 2, (screen.cy - height) / 2, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);

    PopMFile.Load(IDR_POPMFILE, {IDM_FILE_SEPARATOR});
    PopMSelected.Load(IDR_POPMSELECTED, {IDM_SEL_SEPARATOR1, IDM_SEL_SEPARATOR});
    PopMSelected.SetEnabled(IDM_SEL_SEPARATOR, false);
    PopMFileInfo.Load(IDR_POPMFILEINFO, {IDM_INFO_SEPARATOR});

    CreateControls();
    BindListViews();
    ListForCategory(CurrentCategory);
    CreateBrowser();
}

void TFormSelect::FormShow() {
    UninstallMode = IsUninstallRequest(env_.Arguments());
    // Nothing may escape the start: this runs outside the window's own error report.
    if (UninstallMode) {
        ReportingErrors([&] { Uninstall2Click(); });
        if (hwnd_) ::ShowWindow(hwnd_, SW_MINIMIZE);
        return;
    }
    ReportingErrors([&] { LoadSettings(); });
    ReportingErrors([&] { LoadSelectionFile(); });
    HWND button = nullptr;
    switch (CurrentCategory) {
    case CategoryStart: button = sbtnStart; break;
    case CategoryWait: button = sbtnWait; break;
    case CategoryShut: button = sbtnShut; break;
    case CategoryWall: button = sbtnWall; break;
    }
    if (button) PressCategoryButton(button);
    // Whatever the category, the picture's pop-up offers no wallpaper item until the user switches.
    PopMFileInfo.SetVisible(IDM_INFO_SETWALLPAPER, false);
    ListEventsEnabled = true;
}

void TFormSelect::FormActivate() {}

// The dialog keys ask the window for the next control as they would ask a dialog: `target` is the
// control itself, or else 0 for the next tab stop and 1 for the previous one.
void TFormSelect::NextControl(WPARAM target, bool isControl) {
    HWND next = isControl ? reinterpret_cast<HWND>(target)
                          : ::GetNextDlgTabItem(hwnd_, ::GetFocus(), target != 0);
    if (next && ::IsChild(hwnd_, next)) ::SetFocus(next);
}

void TFormSelect::KeepFocus() {
    HWND focus = ::GetFocus();
    if (focus && ::IsChild(hwnd_, focus)) lastFocus_ = focus;
}

// The first time, and when the control that had the focus is gone or hidden, the focus goes to the
// first control of the tab order, the drive box.
void TFormSelect::RestoreFocus() {
    HWND focus = lastFocus_;
    if (!focus || !::IsChild(hwnd_, focus) || !::IsWindowVisible(focus) || !::IsWindowEnabled(focus))
        focus = DriveComboBox1;
    ::SetFocus(focus);
}

void TFormSelect::Close1Click() {
    ListEventsEnabled = false;
    ::SendMessageA(hwnd_, WM_CLOSE, 0, 0);
}

bool TFormSelect::OnClose() {
    if (!FormCloseQuery()) return false;
    // Settings that cannot be written are reported, and the window closes all the same.
    ReportingErrors([&] { FormClose(); });
    ::DestroyWindow(hwnd_);
    return true;
}

void TFormSelect::FormClose() {
    // After an uninstall the settings key is gone and stays gone. An uninstall run never read the
    // settings, so writing the window's first values would replace the stored ones.
    if (!Uninstalled && !UninstallMode) SaveSettings();
}

void TFormSelect::FormDestroy() {
    previewDecode_.reset();
    env_.WinHelp(hwnd_, kHelpFile, HELP_QUIT, 0);
    for (SelectionListView& view : listViews_) view.Detach();
}

}  // namespace mx
