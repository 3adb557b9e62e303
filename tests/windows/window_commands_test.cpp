#include <windowsx.h>

#include <functional>

#include "app/about_box.h"
#include "app/application.h"
#include "app/layout.h"
#include "app/resource.h"
#include "lists/list_view.h"
#include "lists/categories.h"
#include "sandbox.h"

namespace mx::test {
namespace {

RECT WindowRect(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return r;
}

SIZE ClientSize(HWND hwnd) {
    RECT r{};
    ::GetClientRect(hwnd, &r);
    return SIZE{r.right, r.bottom};
}

// Runs an action from inside whichever message loop runs next, as the user's next input would arrive
// while a modal box waits.
class PostedActions {
public:
    PostedActions() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Procedure;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "MxTestPostedActions";
        ::RegisterClassA(&wc);
        window_ = ::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                    nullptr);
    }
    ~PostedActions() { ::DestroyWindow(window_); }
    void Post(std::function<void()> action) {
        actions_.push_back(std::move(action));
        ::PostMessageA(window_, WM_APP, 0, LPARAM(&actions_.back()));
    }

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg != WM_APP) return ::DefWindowProcA(hwnd, msg, wp, lp);
        (*reinterpret_cast<std::function<void()>*>(lp))();
        return 0;
    }
    HWND window_ = nullptr;
    std::deque<std::function<void()>> actions_;
};

using Shortcuts = MainWindowTest;

TEST_F(Shortcuts, CtrlSSavesTheSelectionFile) {
    StartProgram();
    ASSERT_FALSE(sandbox->FileExists(DataFile()));
    EXPECT_TRUE(Shortcut('S', true));
    EXPECT_TRUE(sandbox->FileExists(DataFile()));
    // Without Ctrl the key is the user's typing, not a command.
    EXPECT_FALSE(Shortcut('X', false));
    EXPECT_TRUE(WindowOpen());
}

TEST_F(Shortcuts, CtrlXClosesThroughTheSavePrompt) {
    StartProgram();
    form->UnsavedChanges = true;
    env.ExpectBox(BoxKind::Confirmation, "Changes not saved!\n\rSave before exit?", IDCANCEL);
    EXPECT_TRUE(Shortcut('X', true));
    EXPECT_TRUE(WindowOpen());
    ASSERT_EQ(env.boxes.size(), 1u);
    EXPECT_EQ(env.boxes[0].buttons & MB_TYPEMASK, UINT(MB_YESNOCANCEL));

    env.ExpectBox(BoxKind::Confirmation, "Changes not saved!\n\rSave before exit?", IDNO);
    EXPECT_TRUE(Shortcut('X', true));
    EXPECT_FALSE(WindowOpen());
    EXPECT_FALSE(sandbox->FileExists(DataFile()));
}

TEST_F(Shortcuts, HiddenCommandsHaveWorkingShortcuts) {
    StartProgram();
    EXPECT_TRUE(Shortcut(VK_F1, false));
    ASSERT_EQ(env.helpCalls.size(), 1u);
    EXPECT_EQ(env.helpCalls[0].file, "Mxhelp.hlp");
    EXPECT_EQ(env.helpCalls[0].command, UINT(HELP_FINDER));
    EXPECT_EQ(env.helpCalls[0].data, 0u);
    EXPECT_TRUE(Shortcut('R', true));
    EXPECT_TRUE(WindowOpen());
}

class TallWindow : public MainWindowTest {
protected:
    void ClickStrip() {
        ::SendMessageA(form->PnlExtend, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        ::SendMessageA(form->PnlExtend, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }
    void ExpectScreenHigh(int clientWidth) {
        EXPECT_TRUE(::IsZoomed(form->Handle()));
        RECT frame = WindowRect(form->Handle());
        EXPECT_LE(frame.top, 0);
        EXPECT_GE(frame.bottom, ::GetSystemMetrics(SM_CYSCREEN));
        EXPECT_EQ(ClientSize(form->Handle()).cx, clientWidth);
        // The list band takes the extra height.
        RECT list{};
        ::GetWindowRect(form->ListStart, &list);
        EXPECT_EQ(list.right - list.left, 436);
        EXPECT_GT(list.bottom - list.top, 118 + 300);
    }
    void ExpectNormal() {
        EXPECT_FALSE(::IsZoomed(form->Handle()));
        SIZE client = ClientSize(form->Handle());
        EXPECT_EQ(client.cx, 444);
        EXPECT_EQ(client.cy, 414);
        RECT list{};
        ::GetWindowRect(form->ListStart, &list);
        EXPECT_EQ(list.bottom - list.top, 118);
    }
};

TEST_F(TallWindow, StripMakesTheWindowScreenHighInItsPlaceAndBack) {
    StartProgram();
    ::SetWindowPos(form->Handle(), nullptr, 300, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ClickStrip();
    ExpectScreenHigh(444);
    EXPECT_EQ(WindowRect(form->Handle()).left, 300);

    ClickStrip();
    ExpectNormal();
    EXPECT_EQ(WindowRect(form->Handle()).left, 300);
    EXPECT_EQ(WindowRect(form->Handle()).top, 50);
}

TEST_F(TallWindow, TitleBarMaximiseKeepsTheWidth) {
    StartProgram();
    ::SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ExpectScreenHigh(444);
    ::SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    ExpectNormal();

    ::ShowWindow(form->Handle(), SW_MAXIMIZE);
    ExpectScreenHigh(444);
    // The strip restores a window that the title bar maximised, at the left it has.
    int left = WindowRect(form->Handle()).left;
    ClickStrip();
    ExpectNormal();
    EXPECT_EQ(WindowRect(form->Handle()).left, left);
}

TEST_F(TallWindow, MinimisingDoesNotChangeTheRememberedWidth) {
    StartProgram();
    ::ShowWindow(form->Handle(), SW_MINIMIZE);
    ::ShowWindow(form->Handle(), SW_RESTORE);
    ExpectNormal();
    ::ShowWindow(form->Handle(), SW_MINIMIZE);
    ::ShowWindow(form->Handle(), SW_MAXIMIZE);
    ExpectScreenHigh(444);
}

class AboutBoxTest : public MainWindowTest {
protected:
    // Opens the about box from the Info menu; `whileOpen` runs inside its modal loop.
    void OpenAbout(std::function<void()> whileOpen) {
        actions.Post(std::move(whileOpen));
        Menu(IDM_ABOUT);
    }
    PostedActions actions;
};

TEST_F(AboutBoxTest, IsModalAndClosesByEnterEscapeAndItsButton) {
    StartProgram();
    TAboutBox& about = form->AboutBox();
    auto pressKey = [&](UINT key) {
        ::PostMessageA(::GetFocus(), WM_KEYDOWN, key, 1);
        ::PostMessageA(::GetFocus(), WM_KEYUP, key, 0xC0000001);
    };
    for (UINT key : {UINT(VK_RETURN), UINT(VK_ESCAPE), UINT(0)}) {
        SCOPED_TRACE(key);
        bool shown = false, ownerEnabled = true, okHasFocus = false;
        OpenAbout([&] {
            shown = ::IsWindowVisible(about.Handle());
            ownerEnabled = ::IsWindowEnabled(form->Handle());
            okHasFocus = ::GetFocus() == about.OKButton;
            if (key)
                pressKey(key);
            else
                Click(about.OKButton);
        });
        EXPECT_TRUE(shown);
        EXPECT_FALSE(ownerEnabled);
        EXPECT_TRUE(okHasFocus);
        EXPECT_FALSE(::IsWindowVisible(about.Handle()));
        EXPECT_TRUE(::IsWindowEnabled(form->Handle()));
    }
    EXPECT_EQ(Text(about.Version), "Version 2.0.4b");
}

TEST_F(AboutBoxTest, QuitDuringTheBoxReachesTheApplicationLoop) {
    StartProgram();
    OpenAbout([] { ::PostQuitMessage(3); });
    EXPECT_TRUE(::IsWindowEnabled(form->Handle()));
    MSG msg{};
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(AboutBoxTest, TheApplicationsBoxIsTheOneShown) {
    Application app(env);
    ASSERT_TRUE(app.CreateWindows());
    EXPECT_EQ(&app.FormSelect->AboutBox(), app.AboutBox.get());
}

class ContextMenus : public MainWindowTest {
protected:
    std::vector<std::string> ShownCaptions(size_t call) const {
        std::vector<std::string> captions;
        for (const MenuItem& item : env.popups.at(call).items) captions.push_back(item.caption);
        return captions;
    }
    // A right click as the control's default processing reports it: WM_CONTEXTMENU from the control.
    void RightClick(HWND control, POINT screenPoint) {
        ::SendMessageA(control, WM_CONTEXTMENU, WPARAM(control), MAKELPARAM(screenPoint.x, screenPoint.y));
    }
    void MenuKey(HWND control) { ::SendMessageA(control, WM_CONTEXTMENU, WPARAM(control), MAKELPARAM(-1, -1)); }
    POINT TopLeft(HWND control) {
        POINT p{0, 0};
        ::ClientToScreen(control, &p);
        return p;
    }
};

TEST_F(ContextMenus, EachControlOpensItsMenuWhereClicked) {
    StartProgram();
    RightClick(form->FileListBox1, {200, 300});
    ASSERT_EQ(env.popups.size(), 1u);
    EXPECT_EQ(env.popups[0].menu, &form->PopMFile);
    EXPECT_EQ(ShownCaptions(0), (std::vector<std::string>{"Add", "Add &Folder", "-", "Select All", "Invert Selection"}));
    EXPECT_EQ(env.popups[0].point.x, 200);
    EXPECT_EQ(env.popups[0].point.y, 300);

    for (int category : {CategoryStart, CategoryWait, CategoryShut, CategoryWall}) {
        HWND list = form->ListForCategory(category);
        env.popups.clear();
        RightClick(list, {10, 20});
        ASSERT_EQ(env.popups.size(), 1u);
        EXPECT_EQ(env.popups[0].menu, &form->PopMSelected);
        EXPECT_EQ(ShownCaptions(0), (std::vector<std::string>{"View", "Remove", "-", "Find file directory", "-",
                                                               "Select All", "Invert Selection"}));
        // With no entry selected only "Find file directory" is enabled (and the first separator, which
        // draws alike either way).
        const std::vector<MenuItem>& items = env.popups[0].items;
        for (size_t i : {0, 1, 4, 5, 6}) EXPECT_FALSE(items[i].enabled) << items[i].caption;
        EXPECT_TRUE(items[3].enabled);
    }

    env.popups.clear();
    RightClick(form->ImgPreview, {400, 150});
    ASSERT_EQ(env.popups.size(), 1u);
    EXPECT_EQ(env.popups[0].menu, &form->PopMFileInfo);
    // The last item reads the size hint, empty while nothing is shown.
    EXPECT_EQ(ShownCaptions(0), (std::vector<std::string>{"Set as current &Screen", "-", ""}));

    // A list's header belongs to its list.
    env.popups.clear();
    RightClick(ListView_GetHeader(form->ListStart), {10, 20});
    ASSERT_EQ(env.popups.size(), 1u);
    EXPECT_EQ(env.popups[0].menu, &form->PopMSelected);

    env.popups.clear();
    for (HWND other : {form->BtnAdd, form->DirectoryListBox1, form->pnlPreview, form->Handle()})
        RightClick(other, {10, 20});
    EXPECT_TRUE(env.popups.empty());
}

TEST_F(ContextMenus, MenuKeyOpensAtTheFocusedRowOrTheCorner) {
    sandbox->WriteFile(DataFile(), "[START]\r\nC:\\PICS\\A.SYS\r\nC:\\PICS\\B.SYS\r\n");
    StartProgram();
    MenuKey(form->ListStart);
    ASSERT_EQ(env.popups.size(), 1u);
    EXPECT_EQ(env.popups[0].point.x, TopLeft(form->ListStart).x);
    EXPECT_EQ(env.popups[0].point.y, TopLeft(form->ListStart).y);

    ListView_SetItemState(form->ListStart, 1, LVIS_FOCUSED, LVIS_FOCUSED);
    RECT row{};
    ListView_GetItemRect(form->ListStart, 1, &row, LVIR_LABEL);
    POINT below{row.left, row.bottom};
    ::ClientToScreen(form->ListStart, &below);
    MenuKey(form->ListStart);
    ASSERT_EQ(env.popups.size(), 2u);
    EXPECT_EQ(env.popups[1].menu, &form->PopMSelected);
    EXPECT_EQ(env.popups[1].point.x, below.x);
    EXPECT_EQ(env.popups[1].point.y, below.y);

    MenuKey(form->ImgPreview);
    ASSERT_EQ(env.popups.size(), 3u);
    EXPECT_EQ(env.popups[2].menu, &form->PopMFileInfo);
    EXPECT_EQ(env.popups[2].point.x, TopLeft(form->ImgPreview).x);
    EXPECT_EQ(env.popups[2].point.y, TopLeft(form->ImgPreview).y);
}

}  // namespace
}  // namespace mx::test
