#include <windowsx.h>

#include "app/about_box.h"
#include "app/application.h"
#include "app/resource.h"
#include "lists/list_view.h"
#include "sandbox.h"

namespace mx::test {
namespace {

using StartUp = MainWindowTest;

TEST_F(StartUp, CaptionAndStateAtCreation) {
    CreateWindowOnly();
    EXPECT_EQ(Text(form->Handle()), "Mosalux Selector 2.0.4b");
    EXPECT_EQ(form->VersionText, "2.0.4b");
    EXPECT_EQ(form->ProgramDir, sandbox->programDir);
    EXPECT_EQ(form->CurrentCategory, 10);
    EXPECT_FALSE(form->ListEventsEnabled);
    EXPECT_FALSE(form->UnsavedChanges);
    EXPECT_FALSE(form->Uninstalled);
    EXPECT_FALSE(Visible(form->Handle()));
    RECT client{};
    ::GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right, 444);
    EXPECT_EQ(client.bottom, 414);
}

TEST_F(StartUp, ProgramInADriveRoot) {
    env.moduleFileName = sandbox->driveRoot + "MXSelect.exe";
    CreateWindowOnly();
    EXPECT_EQ(form->ProgramDir, sandbox->driveRoot);
}

TEST_F(StartUp, NormalRunLoadsTheListsAndEnablesListEvents) {
    sandbox->WriteFile(DataFile(), "[START]\r\nC:\\PICS\\CLOUDS.SYS\r\n");
    StartProgram();
    EXPECT_TRUE(WindowOpen());
    EXPECT_TRUE(Visible(form->Handle()));
    EXPECT_FALSE(form->UninstallMode);
    EXPECT_TRUE(form->ListEventsEnabled);
    EXPECT_EQ(Captions(form->ListStart), std::vector<std::string>{"CLOUDS.SYS"});
    EXPECT_TRUE(Visible(form->ListStart));
    EXPECT_EQ(Text(form->LblNumber), "0 / 1");
    // The picture's pop-up offers the screen item only, whatever the category.
    auto captions = form->PopMFileInfo.VisibleCaptions();
    EXPECT_EQ(captions, (std::vector<std::string>{"Set as current &Screen", "-", "Info about file"}));
}

TEST_F(StartUp, ArgumentsThatGiveAnUninstallRun) {
    for (std::vector<std::string> args : {std::vector<std::string>{"/u"}, {"-U"}, {"+uninstall"}, {"u"}, {"UPDATE"},
                                          {"x", "/u"}}) {
        SCOPED_TRACE(args.back());
        sandbox->WriteFile(DataFile(), "[START]\r\nC:\\PICS\\CLOUDS.SYS\r\n");
        env.ExpectBox(BoxKind::Warning, kUninstallQuestion, IDNO);
        StartProgram(args);
        // The uninstall run closes the program without reading the selection file.
        EXPECT_FALSE(WindowOpen());
        EXPECT_TRUE(form->UninstallMode);
        form.reset();
    }
}

TEST_F(StartUp, ArgumentsThatGiveANormalRun) {
    for (std::vector<std::string> args :
         {std::vector<std::string>{"//u"}, {"/"}, {"-"}, {"+"}, {""}, {"x"}, std::vector<std::string>{}}) {
        SCOPED_TRACE(args.empty() ? "(none)" : args[0]);
        StartProgram(args);
        EXPECT_TRUE(WindowOpen());
        EXPECT_FALSE(form->UninstallMode);
        EXPECT_TRUE(form->ListEventsEnabled);
        form.reset();
    }
}

TEST_F(StartUp, ExitClosesThroughTheCloseQueryAndQuitsTheHelpViewer) {
    StartProgram();
    Menu(IDM_EXIT);
    EXPECT_FALSE(WindowOpen());
    ASSERT_EQ(env.helpCalls.size(), 1u);
    EXPECT_EQ(env.helpCalls[0].file, "Mxhelp.hlp");
    EXPECT_EQ(env.helpCalls[0].command, UINT(HELP_QUIT));
}

TEST_F(StartUp, CtrlXClosesTheWindow) {
    StartProgram();
    EXPECT_TRUE(Shortcut('X', true));
    EXPECT_FALSE(WindowOpen());
}

TEST_F(StartUp, ApplicationCreatesThreeWindowsShowingOnlyTheMainOne) {
    Application app(env);
    EXPECT_EQ(app.Title, "Mosalux Selector");
    EXPECT_EQ(app.HelpFile, "Mxhelp.hlp");
    ASSERT_TRUE(app.CreateWindows());
    HWND main = app.FormSelect->Handle();
    HWND preview = app.FormPreview->Handle();
    HWND about = app.AboutBox->Handle();
    ASSERT_TRUE(main && preview && about);
    EXPECT_FALSE(::IsWindowVisible(main));
    EXPECT_FALSE(::IsWindowVisible(preview));
    EXPECT_FALSE(::IsWindowVisible(about));
    EXPECT_EQ(Text(app.AboutBox->Version), "Version 2.0.4b");
    // Created in order: each later window is owned by the main one.
    EXPECT_EQ(::GetWindow(preview, GW_OWNER), main);
    EXPECT_EQ(::GetWindow(about, GW_OWNER), main);
}

TEST_F(StartUp, ApplicationRunEndsWhenTheMainWindowCloses) {
    Application app(env);
    ASSERT_TRUE(app.CreateWindows());
    ::PostMessageA(app.FormSelect->Handle(), WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(app.Run(SW_SHOWNORMAL), 0);
    EXPECT_EQ(app.FormSelect->Handle(), nullptr);
    // The quit message the main window posted is the loop's own; none is left behind.
    MSG msg;
    EXPECT_FALSE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(StartUp, AnUninstallRunExitsWithWhetherItWentThrough) {
    for (int answer : {IDYES, IDNO}) {
        Application app(env);
        env.arguments = {"/u"};
        env.ExpectBox(BoxKind::Warning, kUninstallQuestion, answer);
        if (answer == IDYES) env.ExpectBox(BoxKind::Information, "MXSR was uninstalled succesfully.\n\r\n\rYou can "
                                                                 "now safely remove the remaning \n\rMXSR files and "
                                                                 "direcotries.");
        ASSERT_TRUE(app.CreateWindows());
        EXPECT_EQ(app.Run(SW_SHOWNORMAL), answer == IDYES ? 0 : 1);
    }
}

// The program's Yes/No questions: Enter answers Yes, the default; Esc answers No. The key is pressed
// from a timer that the box's own message loop runs, once the box is there.
UINT boxKey = 0;
void CALLBACK PressKeyInBox(HWND, UINT, UINT_PTR timer, DWORD) {
    if (HWND box = ::FindWindowA("#32770", "Warning")) {
        ::KillTimer(nullptr, timer);
        ::PostMessageA(box, WM_KEYDOWN, boxKey, 0);
    }
}

TEST(SystemBoxes, EnterAnswersYesAndEscapeNo) {
    for (auto [key, answer] : {std::pair{VK_RETURN, IDYES}, std::pair{VK_ESCAPE, IDNO}}) {
        boxKey = UINT(key);
        ::SetTimer(nullptr, 0, 10, PressKeyInBox);
        SystemEnvironment env;
        EXPECT_EQ(env.ShowMessage(nullptr, BoxKind::Warning, "Go on?", MB_YESNO), answer) << key;
    }
}

TEST(Sandbox, KeepsTheRealCurrentUserHiveUntouched) {
    const char* probe = "Software\\MosaluxSandboxProbe";
    std::string scratch;
    {
        Sandbox sandbox;
        scratch = sandbox.registryKey;
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, probe, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExA(key, "Value", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
        ::RegCloseKey(key);
    }
    // The key went to the scratch key, which is gone with the sandbox; the real hive never had it.
    HKEY key = nullptr;
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, probe, 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, scratch.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
}

}  // namespace
}  // namespace mx::test
