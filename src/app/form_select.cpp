// The main window's life: creation, the start-up sequence, message dispatch and closing.
#include "app/form_select.h"

#include <windowsx.h>

#include "app/about_box.h"
#include "app/command_line.h"
#include "app/layout.h"
#include "app/resource.h"
#include "lists/categories.h"
#include "platform/user_error.h"

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
    try {
        return HandleMessage(msg, wp, lp);
    } catch (const UserError& e) {
        ReportError(e.what());
    } catch (const std::bad_alloc&) {
        ReportError("Out of memory");
    } catch (const std::exception& e) {
        ReportError(e.what());
    }
    return 0;
}

void TFormSelect::ReportError(const std::string& text) { env_.ShowMessage(hwnd_, BoxKind::Error, text, MB_OK); }

LRESULT TFormSelect::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: FormCreate(); return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE) FormActivate();
        break;
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)); return 0;
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lp));
    case WM_SIZE: LayoutLowerPart(); return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WM_DESTROY:
        FormDestroy();
        if (QuitOnDestroy) ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(hwnd_, msg, wp, lp);
}

void TFormSelect::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case IDM_EXIT: Close1Click(); return;
    case IDM_SAVE: SaveToFile(); return;
    case IDM_UNINSTALL: Uninstall2Click(); return;
    case ID_sbtnStart:
    case ID_sbtnWait:
    case ID_sbtnShut:
    case ID_sbtnWall:
        if (code == BN_CLICKED) Change_Screen_Button(control);
        return;
    case ID_CBStyle:
        if (code == CBN_SELCHANGE) CBStyleChange();
        return;
    }
}

LRESULT TFormSelect::OnNotify(const NMHDR& header) {
    switch (header.idFrom) {
    case ID_sbtnStart:
    case ID_sbtnWait:
    case ID_sbtnShut:
    case ID_sbtnWall:
        if (header.code == NM_CUSTOMDRAW) return DrawCategoryButton(*reinterpret_cast<const NMCUSTOMDRAW*>(&header));
        break;
    case ID_ListStart:
    case ID_ListWait:
    case ID_ListShut:
    case ID_ListWall:
        if (header.code == LVN_ITEMCHANGED || header.code == LVN_INSERTITEM) LstVSelectedChange();
        break;
    }
    return 0;
}

void TFormSelect::FormCreate() {
    CreateFonts();
    VersionText = "2.0.4b";
    ::SetWindowTextA(hwnd_, (std::string(kDesignCaption) + " " + VersionText).c_str());
    ListEventsEnabled = false;
    UnsavedChanges = false;
    Uninstalled = false;
    CurrentCategory = CategoryStart;
    ProgramDir = ProgramDirOf(env_.ModuleFileName());
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
    CreateListColumns();
}

void TFormSelect::FormShow() {
    UninstallMode = IsUninstallRequest(env_.Arguments());
    if (UninstallMode) {
        Uninstall2Click();
        if (hwnd_) ::ShowWindow(hwnd_, SW_MINIMIZE);
        return;
    }
    LoadSettings();
    LoadSelectionFile();
    HWND button = nullptr;
    switch (CurrentCategory) {
    case CategoryStart: button = sbtnStart; break;
    case CategoryWait: button = sbtnWait; break;
    case CategoryShut: button = sbtnShut; break;
    case CategoryWall: button = sbtnWall; break;
    }
    if (button) {
        for (HWND b : {sbtnStart, sbtnWait, sbtnShut, sbtnWall})
            ::SendMessageA(b, BM_SETCHECK, b == button ? BST_CHECKED : BST_UNCHECKED, 0);
        Change_Screen_Button(button);
    }
    // Whatever the category, the picture's pop-up offers no wallpaper item until the user switches.
    PopMFileInfo.SetVisible(IDM_INFO_SETWALLPAPER, false);
    ListEventsEnabled = true;
}

void TFormSelect::FormActivate() {}

void TFormSelect::Close1Click() {
    ListEventsEnabled = false;
    ::SendMessageA(hwnd_, WM_CLOSE, 0, 0);
}

bool TFormSelect::OnClose() {
    if (!FormCloseQuery()) return false;
    FormClose();
    ::DestroyWindow(hwnd_);
    return true;
}

void TFormSelect::FormClose() {
    if (!Uninstalled) SaveSettings();
}

void TFormSelect::FormDestroy() { env_.WinHelp(hwnd_, kHelpFile, HELP_QUIT, 0); }

}  // namespace mx
