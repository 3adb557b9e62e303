#include <functional>

#include "app/resource.h"
#include "platform/text.h"
#include "sandbox.h"

namespace mx::test {
namespace {

constexpr const char* kKelbrant = "Software\\Kelbrant";
constexpr const char* kSettings = "Software\\Kelbrant\\Mosalux";
constexpr const char* kSelector = "Software\\Kelbrant\\Mosalux\\Mosalux Selector";
constexpr const char* kOriginal = "Software\\Kelbrant\\Mosalux\\Original Info";
constexpr const char* kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kDesktop = "Control Panel\\desktop";
constexpr const char* kUninstalled =
    "MXSR was uninstalled succesfully.\n\r\n\rYou can now safely remove the remaning \n\rMXSR files and direcotries.";

using Writes = std::vector<std::pair<std::string, std::string>>;

class Settings : public MainWindowTest {
protected:
    void AfterFirstStart() { Sandbox::SetValue(kOriginal, "FilesBackedUp", "1"); }
    void Restart(std::vector<std::string> arguments = {}) {
        form.reset();
        env.registryWrites.clear();
        StartProgram(std::move(arguments));
    }
    bool MenuChecked(int id) const { return form->MenuChecked(id); }
    bool BoxChecked() const { return ::SendMessageA(form->chkbStartUpRun, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::string Randomizer() const { return "\"" + sandbox->programDir + "MXRandom.exe\""; }
};

TEST_F(Settings, FirstStartRecordsTheSystemsScreensAndWallpaperOnce) {
    for (bool windowsInRoot : {false, true}) {
        SCOPED_TRACE(windowsInRoot ? "Windows directory T:\\" : "Windows directory T:\\...\\WINDOWS");
        form.reset();
        sandbox.reset();
        SetUp();
        if (windowsInRoot) env.windowsDirectory = sandbox->driveRoot;
        std::string windows = WithTrailingBackslash(env.windowsDirectory), prog = sandbox->programDir;
        sandbox->WriteFile(sandbox->driveRoot + "logo.sys", "start");
        sandbox->WriteFile(windows + "logos.sys", "shut");  // and no logow.sys
        sandbox->WriteFile(prog + "logo.bck", "older");     // a backup already there is never replaced
        Sandbox::SetValue(kDesktop, "WallPaper", "C:\\pic.bmp");
        Sandbox::SetValue(kDesktop, "TileWallpaper", "1");  // and no WallpaperStyle
        StartProgram();
        Writes record = {{"Mosalux", Randomizer()},       {"FilesBackedUp", "1"},
                         {"StartScreen", "(none)"},        {"WaitScreen", "(none)"},
                         {"ShutScreen", prog + "logos.bck"}, {"WallPaper", "C:\\pic.bmp"},
                         {"TileWallpaper", "1"},           {"WallpaperStyle", "(none)"}};
        EXPECT_EQ(env.registryWrites, record);
        for (auto& [name, text] : Writes(record.begin() + 1, record.end()))
            EXPECT_EQ(Sandbox::Value(kOriginal, name), text) << name;
        EXPECT_EQ(sandbox->ReadFile(prog + "logo.bck"), "older");
        EXPECT_EQ(sandbox->ReadFile(prog + "logos.bck"), "shut");
        EXPECT_TRUE(BoxChecked() && MenuChecked(IDM_RUNRANDOMIZER));

        ::DeleteFileA((prog + "logos.bck").c_str());
        Restart();
        EXPECT_EQ(env.registryWrites, Writes{});
        EXPECT_FALSE(sandbox->FileExists(prog + "logos.bck"));
        EXPECT_TRUE(BoxChecked());
    }
}

TEST_F(Settings, StoredValuesAreReadWithTheirDefaults) {
    struct Case { Writes stored; int previewMode, checkedItem; bool reportErrors; int category; } cases[] = {
        {{}, 30, IDM_PREVIEWBOTH, true, 10},
        {{{"PreviewShow", "5"}}, 30, IDM_PREVIEWBOTH, true, 10},  // no item for it: Both, with its mark
        {{{"PreviewShow", "0x14"}, {"Report Add Errors", "0"}, {"Selected Screen Button", "40"}},
         20, IDM_PREVIEWSELECTED, false, 40},
        {{{"PreviewShow", "0"}, {"Selected Screen Button", "Wallpaper"}}, 0, IDM_PREVIEWNONE, true, 10},
        {{{"Selected Screen Button", "25"}}, 30, IDM_PREVIEWBOTH, true, 10}};
    AfterFirstStart();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.previewMode);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSelector);
        for (auto& [name, text] : c.stored) Sandbox::SetValue(kSelector, name, text);
        Restart();
        EXPECT_EQ(form->PreviewMode, c.previewMode);
        for (int id = IDM_PREVIEWNONE; id <= IDM_PREVIEWBOTH; ++id) EXPECT_EQ(MenuChecked(id), id == c.checkedItem);
        EXPECT_EQ(MenuChecked(IDM_REPORTERRORS), c.reportErrors);
        EXPECT_EQ(form->CurrentCategory, c.category);
        EXPECT_TRUE(Visible(form->CurrentCategory == 40 ? form->ListWall : form->ListStart));
    }
    // A number stored as a number, not as text, reads as missing.
    DWORD ten = 10;
    ::RegSetKeyValueA(HKEY_CURRENT_USER, kSelector, "PreviewShow", REG_DWORD, &ten, sizeof ten);
    Restart();
    EXPECT_EQ(form->PreviewMode, 30);
}

TEST_F(Settings, TheRunValueSetsTheStartUpSwitch) {
    // An entry of earlier versions, without quotes, is ours and is written again in quotes.
    struct Case { const char* stored; bool on; const char* after; } cases[] = {
        {"C:\\My Tools\\mxrandom.exe", true, "\"C:\\My Tools\\mxrandom.exe\""},
        {"\"C:\\TOOLS\\MXRandom.exe\"", true, "\"C:\\TOOLS\\MXRandom.exe\""},
        {"C:\\TOOLS\\MXRandom.exe /q", false, ""}, {"\"C:\\TOOLS\\MXRandom.exe\" /q", false, ""}, {nullptr, false, ""}};
    AfterFirstStart();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(no value)");
        if (c.stored) Sandbox::SetValue(kRun, "Mosalux", c.stored);
        else ::RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
        Restart();
        EXPECT_EQ(BoxChecked(), c.on);
        EXPECT_EQ(MenuChecked(IDM_RUNRANDOMIZER), c.on);
        // Off rewrites the value as switching off leaves it.
        EXPECT_EQ(Sandbox::Value(kRun, "Mosalux"), c.after);
    }
}

TEST_F(Settings, TheCheckBoxAndTheMenuItemSwitchTheRandomizer) {
    AfterFirstStart();
    Sandbox::SetValue(kRun, "Mosalux", Randomizer());
    StartProgram();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kRun);  // a switch creates the key again
    auto box = [&] { Click(form->chkbStartUpRun); };
    auto menu = [&] { Menu(IDM_RUNRANDOMIZER); };
    auto wallpaper = [&] { Click(form->sbtnWall); menu(); };
    struct Step { std::function<void()> action; bool on; } steps[] = {
        {box, false}, {box, true}, {menu, false}, {menu, true}, {wallpaper, false}, {menu, true}};
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        steps[i].action();
        EXPECT_EQ(BoxChecked(), steps[i].on);
        EXPECT_EQ(MenuChecked(IDM_RUNRANDOMIZER), steps[i].on);
        EXPECT_EQ(Sandbox::Value(kRun, "Mosalux"), steps[i].on ? Randomizer() : "");
    }
}

TEST_F(Settings, ClosingWritesTheSectionInItsOrderUnlessUninstalled) {
    StartProgram();
    Menu(IDM_PREVIEWNONE);
    Menu(IDM_REPORTERRORS);
    Click(form->sbtnShut);
    env.registryWrites.clear();
    RequestClose();
    std::string dir = sandbox->programDir, browsed = dir.substr(0, dir.size() - 1);  // as the browser shows it
    EXPECT_EQ(env.registryWrites, (Writes{{"PreviewShow", "0"}, {"StartDir", browsed}, {"WaitDir", dir}, {"ShutDir", dir},
                                          {"WallDir", dir}, {"Selected Screen Button", "30"},
                                          {"Report Add Errors", "0"}}));

    // An uninstall run that is declined never read the settings, so it leaves them as they are.
    env.ExpectBox(BoxKind::Warning, kUninstallQuestion, IDNO);
    Restart({"/u"});
    EXPECT_FALSE(WindowOpen());
    EXPECT_EQ(env.registryWrites, Writes{});
    EXPECT_EQ(Sandbox::Value(kSelector, "PreviewShow"), "0");

    // After an uninstall, closing makes no settings key again.
    Restart();
    env.ExpectBox(BoxKind::Warning, kUninstallQuestion, IDYES);
    env.ExpectBox(BoxKind::Information, kUninstalled);
    Menu(IDM_UNINSTALL);
    RequestClose();
    EXPECT_FALSE(WindowOpen());
    EXPECT_FALSE(Sandbox::KeyExists(kSettings));
}

// What closing writes is what the program used, also where the stored value could not be used.
TEST_F(Settings, ValuesReadAsInvalidAreWrittenBackAsUsed) {
    AfterFirstStart();
    const std::string dir = sandbox->programDir;
    // A value stored as nothing is a number stored as a number.
    struct Case { const char* name; std::optional<std::string> stored; std::string written; } cases[] = {
        {"PreviewShow", "-10", "30"}, {"PreviewShow", "20", "20"}, {"WaitDir", std::string(1 << 20, 'a'), dir},
        {"ShutDir", "C:\\a|b", dir}, {"WallDir", std::nullopt, dir},
        {"WallDir", "Q:\\Pictures", "Q:\\Pictures"}};  // not there now, but a folder may be
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.written);
        DWORD number = 7;
        if (c.stored) Sandbox::SetValue(kSelector, c.name, *c.stored);
        else ::RegSetKeyValueA(HKEY_CURRENT_USER, kSelector, c.name, REG_DWORD, &number, sizeof number);
        Restart();
        RequestClose();
        EXPECT_EQ(Sandbox::Value(kSelector, c.name), c.written);
    }
}

TEST_F(Settings, RestorePutsBackWhatTheFirstStartSaved) {
    std::string prog = sandbox->programDir, windows = sandbox->windowsDir + "\\", root = sandbox->driveRoot;
    for (const char* name : {"logo.sys", "logow.sys", "logos.sys"})
        sandbox->WriteFile((name == std::string("logo.sys") ? root : windows) + name, "mine");
    sandbox->WriteFile(prog + "logo.bck", "original");
    Writes record = {{"StartScreen", prog + "logo.bck"}, {"WaitScreen", "(none)"},
                     {"ShutScreen", prog + "logos.bck"},  // saved, but gone since: left alone
                     {"WallPaper", "C:\\old.bmp"}, {"TileWallpaper", ""}, {"WallpaperStyle", "(none)"}};
    for (auto& [name, text] : record) Sandbox::SetValue(kOriginal, name, text);
    for (auto& [name, text] : Writes{{"WallPaper", "new"}, {"TileWallpaper", "1"}, {"WallpaperStyle", "0"}})
        Sandbox::SetValue(kDesktop, name, text);
    CreateWindowOnly();

    Menu(IDM_ORIGINALSCREENS);  // without "FilesBackedUp" there is nothing to put back
    EXPECT_EQ(sandbox->ReadFile(root + "logo.sys"), "mine");
    EXPECT_EQ(Sandbox::Value(kDesktop, "WallPaper"), "new");
    EXPECT_TRUE(env.wallpapers.empty());

    AfterFirstStart();
    Menu(IDM_ORIGINALSCREENS);
    EXPECT_EQ(sandbox->ReadFile(root + "logo.sys"), "original");
    EXPECT_FALSE(sandbox->FileExists(prog + "logo.bck"));
    EXPECT_FALSE(sandbox->FileExists(windows + "logow.sys"));
    EXPECT_EQ(sandbox->ReadFile(windows + "logos.sys"), "mine");
    EXPECT_EQ(Sandbox::Value(kDesktop, "WallPaper"), "C:\\old.bmp");
    EXPECT_EQ(Sandbox::Value(kDesktop, "TileWallpaper"), "");
    EXPECT_EQ(Sandbox::Value(kDesktop, "WallpaperStyle"), "0");
    EXPECT_EQ(env.wallpapers, std::vector<std::string>{"C:\\old.bmp"});  // shown at once

    // Again: the consumed backup leaves the start-up screen alone, a screen not saved goes again.
    // A desktop that had no wallpaper gets none.
    sandbox->WriteFile(windows + "logow.sys", "installed since");
    Sandbox::SetValue(kOriginal, "WallpaperStyle", "2");
    Sandbox::SetValue(kOriginal, "WallPaper", "");
    Menu(IDM_ORIGINALSCREENS);
    EXPECT_EQ(sandbox->ReadFile(root + "logo.sys"), "original");
    EXPECT_FALSE(sandbox->FileExists(windows + "logow.sys"));
    EXPECT_EQ(Sandbox::Value(kDesktop, "WallpaperStyle"), "2");
    EXPECT_EQ(env.wallpapers, (std::vector<std::string>{"C:\\old.bmp", ""}));
    EXPECT_TRUE(env.boxes.empty());
}

TEST_F(Settings, UninstallRemovesOurKeysOnlyWhenAnsweredYes) {
    struct Case { const char* name; int answer; bool switchU, keysThere; const char* failingValue; } cases[] = {
        {"Yes", IDYES, false, true, ""},         {"No", IDNO, false, true, ""},
        {"Yes, started with /u", IDYES, true, true, ""}, {"keys already gone", IDYES, false, false, ""},
        {"desktop value not written", IDYES, false, true, "WallPaper"},
        {"desktop value not written, /u", IDYES, true, true, "WallPaper"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form.reset();
        const size_t shown = env.wallpapers.size();
        Sandbox::SetValue(kDesktop, "WallPaper", "C:\\pic.bmp");
        if (c.keysThere) {
            Sandbox::SetValue(kOriginal, "FilesBackedUp", "1");
            Sandbox::SetValue(kSelector, "PreviewShow", "10");
            Sandbox::SetValue(kRun, "Mosalux", Randomizer());
        }
        env.failRegistryValue = c.failingValue;
        env.ExpectBox(BoxKind::Warning, kUninstallQuestion, c.answer);
        bool removes = c.answer == IDYES && !*c.failingValue;
        if (removes) env.ExpectBox(BoxKind::Information, kUninstalled);
        if (*c.failingValue) env.ExpectBox(BoxKind::Error, "Failed to set data for 'WallPaper'");
        if (c.switchU) {
            StartProgram({"/u"});
        } else {
            CreateWindowOnly();
            Menu(IDM_UNINSTALL);
        }
        EXPECT_EQ(WindowOpen(), !c.switchU);
        EXPECT_EQ(form->Uninstalled, removes);
        EXPECT_EQ(Sandbox::KeyExists(kSettings), c.keysThere && !removes);
        EXPECT_EQ(Sandbox::Value(kRun, "Mosalux").has_value(), c.keysThere && !removes);
        EXPECT_TRUE(Sandbox::KeyExists(kKelbrant) || !c.keysThere);
        // The restored wallpaper (none was recorded) is shown at once.
        EXPECT_EQ(env.wallpapers.size() - shown, removes && c.keysThere ? 1u : 0u);
    }
}

TEST_F(Settings, ARemovedStartDirectoryIsPassedOverSilently) {
    AfterFirstStart();
    Sandbox::SetValue(kSelector, "StartDir", sandbox->root + "gone");
    StartProgram();
    EXPECT_EQ(form->FileListDirectory() + "\\", sandbox->programDir);
    EXPECT_TRUE(env.boxes.empty());
}

TEST_F(Settings, ARegistryThatCannotBeWrittenGivesTheDefaultsAndErrorBoxes) {
    // The current user's hive is a key deleted under our hands: nothing can be made or written there.
    HKEY gone = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, "gone", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &gone, nullptr);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "gone");
    ::RegOverridePredefKey(HKEY_CURRENT_USER, gone);
    env.ExpectBox(BoxKind::Error, "Failed to set data for 'Mosalux'");  // switching the randomizer off
    StartProgram();
    EXPECT_EQ(form->PreviewMode, 30);
    EXPECT_TRUE(WindowOpen());
    env.ExpectBox(BoxKind::Error, "Failed to set data for 'PreviewShow'");
    RequestClose();
    EXPECT_FALSE(WindowOpen());
    ::RegCloseKey(gone);
}

}  // namespace
}  // namespace mx::test
