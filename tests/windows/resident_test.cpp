// The randomizer that stays running, in-process in a sandbox, driven through the messages its window
// gets from the system, the icon and other programs; the intervals run on short minutes.
#include <windows.h>
#include <wtsapi32.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>

#include "app/resource.h"
#include "picture/bmp_writer.h"
#include "platform/file_reading.h"
#include "randomizer/resident.h"
#include "randomizer/resident_resource.h"
#include "sandbox.h"
#include "state/change_settings.h"

namespace mx::test {
namespace {

constexpr const char* kSelector = "Software\\Kelbrant\\Mosalux\\Mosalux Selector";

std::string Wallpaper(uint8_t shade) {
    Picture p;
    p.width = 40;
    p.height = 30;
    p.bitsPerPixel = 24;
    p.format = PixelFormat::Bits24;
    p.pixels.assign(p.Stride() * size_t(p.height), shade);
    std::vector<uint8_t> bytes = EncodeBmp(p);
    return std::string(bytes.begin(), bytes.end());
}

// Moves the clock that counts sleep ahead of the one that does not, as a machine that slept.
class TestClock : public ResidentClock {
public:
    uint64_t slept = 0;
    ClockReading Read() override {
        ClockReading r = ResidentClock::Read();
        r.now += slept;
        return r;
    }
};

// Runs the thread's messages until `done`, at most `ms`.
bool PumpUntil(const std::function<bool()>& done, DWORD ms = 5000) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    while (!done()) {
        if (::GetTickCount64() > end) return false;
        MSG msg;
        if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        } else {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    return true;
}

class Resident : public ::testing::Test {
protected:
    void SetUp() override {
        sandbox = std::make_unique<Sandbox>();
        env.moduleFileName = sandbox->programDir + "MXRandom.exe";
        env.windowsDirectory = sandbox->windowsDir;
        Sandbox::SetValue("Control Panel\\desktop", "TileWallpaper", "0");
        std::string text = "[START]\r\n[WAIT]\r\n[SHUT]\r\n[WALLPAPER]\r\n";
        for (uint8_t i = 1; i <= 5; ++i) {
            const std::string path = sandbox->programDir + "w" + std::to_string(i) + ".bmp";
            sandbox->WriteFile(path, Wallpaper(i * 40));
            text += path + ", Centred\r\n";
        }
        sandbox->WriteFile(sandbox->programDir + "MXDATA.MXD", text);
    }
    void TearDown() override {
        resident.reset();
        EXPECT_TRUE(env.AllBoxesShown()) << "a scripted message box was never shown";
        sandbox.reset();
    }

    // The settings as the selector keeps them, and a randomizer started to stay running for them.
    static void Keep(int minutes, bool unlocked) {
        Sandbox::SetValue(kSelector, kChangeIntervalValue, std::to_string(minutes));
        Sandbox::SetValue(kSelector, kChangeWhenUnlockedValue, unlocked ? "1" : "0");
    }
    void Start(int minutes, bool unlocked, UINT minuteMs = 60000) {
        Keep(minutes, unlocked);
        resident = std::make_unique<ResidentRandomizer>(env, clock, ResidentTimes{minuteMs, 10}, RandomizerOptions{},
                                                        [this](const std::string& line) { lines.push_back(line); });
        ASSERT_TRUE(resident->Create());
    }
    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return ::SendMessageA(resident->Handle(), msg, wp, lp); }
    LRESULT Request(ResidentRequest r) { return Send(ResidentRequestMessage(), WPARAM(r)); }
    void Command(UINT id) { Send(WM_COMMAND, MAKEWPARAM(id, 0)); }
    void Icon(UINT event) { Send(ResidentRandomizer::kIconMessage, MAKEWPARAM(500, 700), MAKELPARAM(event, 1)); }
    bool Running() const { return resident && resident->Handle(); }
    // Every call for the notification area: "add", "modify" or "delete" with the tooltip, "version".
    std::vector<std::string> Icons() const {
        std::vector<std::string> calls;
        for (const IconCall& c : env.icons)
            calls.push_back(c.message == NIM_SETVERSION ? "version"
                            : (c.message == NIM_ADD ? "add " : c.message == NIM_MODIFY ? "modify " : "delete ") + c.tip);
        return calls;
    }

    // The changes made so far, by their first lines: "Change at unlock"...
    std::vector<std::string> Changes() const {
        std::vector<std::string> changes;
        for (const std::string& line : lines)
            if (line.find(" Change ") == 19) changes.push_back(line.substr(20));
        return changes;
    }
    // The wallpapers set, by their file names, in order.
    std::vector<std::string> Shown() const {
        std::vector<std::string> shown;
        for (const std::string& line : lines) {
            size_t at = line.find("Wallpaper: "), as = line.find(" as Centred");
            if (at != std::string::npos && as != std::string::npos && line.find(", set ") != std::string::npos)
                shown.push_back(line.substr(line.rfind('\\', as) + 1, as - line.rfind('\\', as) - 1));
        }
        return shown;
    }

    std::unique_ptr<Sandbox> sandbox;
    TestEnvironment env;
    TestClock clock;
    std::vector<std::string> lines;
    std::unique_ptr<ResidentRandomizer> resident;
};

TEST_F(Resident, OneIconWithTheWallpapersNameAddedAgainForANewTaskbarAndRemovedAtTheEnd) {
    Start(60, false);
    EXPECT_FALSE(ResidentRandomizer(env, clock).Create()) << "a second one in the session";
    Command(IDM_RES_NEXT);
    ASSERT_EQ(Shown().size(), 1u);
    Send(::RegisterWindowMessageA("TaskbarCreated"));
    Command(IDM_RES_EXIT);
    const std::string tip = "Mosalux\n" + Shown()[0];
    EXPECT_EQ(Icons(), (std::vector<std::string>{"add Mosalux", "version", "modify " + tip, "add " + tip, "version",
                                                 "delete " + tip}));
    EXPECT_FALSE(Running());
    EXPECT_FALSE(ResidentRuns());
    EXPECT_NE(sandbox->ReadFile(sandbox->programDir + "MXRandom.log").find("Ended from its icon"), std::string::npos);
}

TEST_F(Resident, TheIconsMenuAndEachOfItsCommands) {
    Start(60, true);
    Icon(WM_CONTEXTMENU);
    ASSERT_EQ(env.popups.size(), 1u);
    std::vector<std::string> captions;
    for (const MenuItem& item : env.popups[0].items) captions.push_back(item.caption);
    EXPECT_EQ(captions, (std::vector<std::string>{"&Next Wallpaper", "&Pause", "-", "At &Log-On Only",
                                                  "Every &15 Minutes", "Every &Hour", "Every &6 Hours", "Every &Day",
                                                  "-", "&Open Mosalux Selector", "-", "E&xit"}));
    EXPECT_TRUE(env.popups[0].items[0].isDefault && env.popups[0].items[5].radio && env.popups[0].items[5].checked);
    EXPECT_EQ(std::make_pair(env.popups[0].point.x, env.popups[0].point.y), std::make_pair(500L, 700L));

    Icon(WM_LBUTTONDBLCLK);
    Command(IDM_RES_NEXT);
    EXPECT_EQ(Changes(), (std::vector<std::string>(2, "Change asked for: the next wallpaper")));

    Command(IDM_RES_PAUSE);
    EXPECT_TRUE(resident->Paused());
    Send(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK);
    Icon(WM_CONTEXTMENU);
    EXPECT_EQ(env.popups.back().items[1].caption, "&Resume");
    Command(IDM_RES_NEXT);  // asked for, it changes all the same
    Command(IDM_RES_RESUME);
    EXPECT_FALSE(resident->Paused());
    EXPECT_EQ(Changes().size(), 3u);

    Command(IDM_RES_DAY);
    EXPECT_EQ(Sandbox::Value(kSelector, kChangeIntervalValue), "1440");
    Icon(WM_CONTEXTMENU);
    EXPECT_TRUE(env.popups.back().items[7].checked && !env.popups.back().items[5].checked);

    Command(IDM_RES_OPEN);
    EXPECT_EQ(env.started.at(0).path, sandbox->programDir + "MXSelect.exe");
    env.failStarts = ERROR_FILE_NOT_FOUND;
    env.ExpectBox(BoxKind::Error, "Mosalux Selector cannot be started:\n\r" + sandbox->programDir + "MXSelect.exe: " +
                                      SystemErrorText(ERROR_FILE_NOT_FOUND));
    Command(IDM_RES_OPEN);

    Command(IDM_RES_LOGON);  // still kept running by the unlock tick
    EXPECT_TRUE(Running());
    Keep(0, false);
    Request(ResidentRequest::SettingsChanged);
    EXPECT_FALSE(Running()) << "at log-on only, nothing stays running";
}

// A minute of 20 ms: "Every 15 Minutes" is 0.3 s of real timer.
TEST_F(Resident, TheTimerDealsTheNextWallpaperAndANewIntervalRestartsIt) {
    Start(24 * 60, false, 20);
    const ULONGLONG start = ::GetTickCount64();
    Command(IDM_RES_15MINUTES);
    ASSERT_TRUE(PumpUntil([&] { return Shown().size() == 2; })) << "the timer fired once: " << Shown().size();
    EXPECT_GE(::GetTickCount64() - start, 600u);
    EXPECT_EQ(Changes(), (std::vector<std::string>(2, "Change by the timer (every 15 minutes)")));
    EXPECT_NE(Shown()[0], Shown()[1]);
    Command(IDM_RES_PAUSE);
    PumpUntil([] { return false; }, 500);
    EXPECT_EQ(Shown().size(), 2u) << "paused";
}

TEST_F(Resident, UnlockAndWakeChangeOnlyWhenTheSettingsSaySo) {
    struct Case { const char* name; int minutes; bool unlocked; bool paused; UINT msg; WPARAM wp; uint64_t slept; const char* change; } cases[] = {
        {"unlock, ticked", 60, true, false, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0, "Change at unlock"},
        {"unlock, not ticked", 60, false, false, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0, nullptr},
        {"unlock, paused", 60, true, true, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0, nullptr},
        {"lock", 60, true, false, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0, nullptr},
        {"wake after the interval", 60, false, false, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 61 * 60000,
         "Change after waking: the interval passed during sleep"},
        {"wake before it", 60, false, false, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 30 * 60000, nullptr},
        {"wake after it, paused", 60, true, true, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 61 * 60000, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lines.clear();
        clock.slept = 0;
        Start(c.minutes, c.unlocked);
        if (c.paused) Command(IDM_RES_PAUSE);
        clock.slept = c.slept;
        Send(c.msg, c.wp);
        EXPECT_EQ(Changes(), c.change ? std::vector<std::string>{c.change} : std::vector<std::string>{});
        resident.reset();
    }
}

// A new layout gets the current picture made again, with no deal; the same layout gets nothing.
TEST_F(Resident, ADisplayChangeMakesTheCurrentWallpaperAgainWithoutADeal) {
    Start(60, false);
    Command(IDM_RES_NEXT);
    const std::string deckKey = "Software\\Kelbrant\\Mosalux\\Randomizer";
    const std::optional<std::string> deck = Sandbox::Value(deckKey, "Wallpaper");
    const auto fileSize = [&] {
        const std::string file = sandbox->ReadFile(sandbox->programDir + "@MX!BACK.BMP");
        int32_t size[2] = {};
        if (file.size() >= 26) std::memcpy(size, file.data() + 18, sizeof size);
        return std::to_string(size[0]) + " x " + std::to_string(std::abs(size[1]));
    };
    EXPECT_EQ(fileSize(), "40 x 30");  // Centred on one monitor: the picture itself
    const auto madeAgain = [&] {
        return std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.find("Display change") != l.npos; });
    };
    Send(WM_DPICHANGED);
    EXPECT_FALSE(PumpUntil([&] { return madeAgain() > 0; }, 300)) << "the same monitors";
    env.layout = MonitorLayout{{{0, 0, 1024, 768}, {1024, 0, 800, 600}}};
    Send(WM_DISPLAYCHANGE);
    Send(WM_DISPLAYCHANGE);
    ASSERT_TRUE(PumpUntil([&] { return madeAgain() > 0; }));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(madeAgain(), 1) << "one settled change";
    EXPECT_EQ(fileSize(), "1824 x 768");
    EXPECT_EQ(env.wallpapers.size(), 2u);
    EXPECT_EQ(Sandbox::Value(deckKey, "Wallpaper"), deck);
    EXPECT_EQ(Shown().size() + Changes().size(), 2u) << "no deal";

    // A wallpaper the selector set is the desktop's now: a display change leaves it to the system.
    Request(ResidentRequest::WallpaperReplaced);
    env.layout = MonitorLayout{{{0, 0, 1024, 768}}};
    Send(WM_DISPLAYCHANGE);
    EXPECT_FALSE(PumpUntil([&] { return madeAgain() > 1; }, 300));
    EXPECT_EQ(fileSize(), "1824 x 768");
}

TEST_F(Resident, ASecondStartHandsItsRequestOver) {
    Start(60, false);
    EXPECT_EQ(RunRandomizer(env, {"--next"}), 0);
    EXPECT_EQ(RunRandomizer(env, {"--resident"}), 0);
    ASSERT_EQ(Changes(), (std::vector<std::string>{"Change asked for: the next wallpaper"}));
    EXPECT_EQ(resident->Tip(), "Mosalux\n" + Shown()[0]);
    EXPECT_EQ(RunRandomizer(env, {}), 0);
    EXPECT_EQ(Changes().back(), "Change at log-on");
    EXPECT_EQ(Shown().size(), 2u);

    // From another process, the program itself: the window answers while the test waits for it.
    const std::string program = sandbox->programDir + "MXRandom.exe";
    ASSERT_TRUE(::CopyFileA(WindowsPath(MX_RANDOMIZER_EXE).c_str(), program.c_str(), FALSE));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = "\"" + program + "\" --next";
    ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    EXPECT_TRUE(PumpUntil([&] { return ::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }));
    DWORD code = 99;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(Changes().back(), "Change asked for: the next wallpaper");
    EXPECT_EQ(Shown().size(), 3u);

    EXPECT_EQ(RunRandomizer(env, {"--exit"}), 0);
    EXPECT_FALSE(Running());
    EXPECT_EQ(RunRandomizer(env, {"--exit"}), 1) << "none runs any more";
}

// Every change deals from the one deck, whatever made it: each round shows every entry once, and no
// entry comes twice in a row, across log-on runs of their own, the timer, unlock and --next.
TEST_F(Resident, TheDecksPromiseHoldsOverEveryKindOfChange) {
    for (int i = 0; i < 30; ++i) {
        const int kind = i % 6;
        if (kind == 0) {
            resident.reset();
            Keep(0, false);
            EXPECT_EQ(RunRandomizer(env, {}, [this](const std::string& line) { lines.push_back(line); }), 0);
            Start(60, true);
            continue;
        }
        if (kind == 1) {
            clock.slept += 61 * 60000;
            Send(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
        }
        if (kind == 2) Send(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK);
        if (kind == 3) RunRandomizer(env, {"--next"});
        if (kind == 4) Icon(WM_LBUTTONDBLCLK);
        if (kind == 5) resident->Change(ChangeTrigger::Timer);
    }
    const std::vector<std::string> shown = Shown();
    ASSERT_EQ(shown.size(), 30u);
    for (size_t round = 0; round < 6; ++round) {
        std::set<std::string> once(shown.begin() + round * 5, shown.begin() + round * 5 + 5);
        EXPECT_EQ(once.size(), 5u) << "round " << round;
    }
    for (size_t i = 1; i < shown.size(); ++i) EXPECT_NE(shown[i], shown[i - 1]) << i;
}

// The selector's side: its menu keeps the settings, starts, tells or ends the randomizer, and the
// uninstall ends it first.
class ResidentFromSelector : public MainWindowTest {
protected:
    void StartResident() {
        Sandbox::SetValue(kSelector, kChangeIntervalValue, "60");
        residentEnv.moduleFileName = sandbox->programDir + "MXRandom.exe";
        residentEnv.windowsDirectory = sandbox->windowsDir;
        resident = std::make_unique<ResidentRandomizer>(residentEnv, clock);
        ASSERT_TRUE(resident->Create());
    }
    void TearDown() override {
        resident.reset();
        MainWindowTest::TearDown();
    }
    bool Checked(int id) const { return ::GetMenuState(::GetMenu(form->Handle()), UINT(id), MF_BYCOMMAND) & MF_CHECKED; }

    TestEnvironment residentEnv;
    ResidentClock clock;
    std::unique_ptr<ResidentRandomizer> resident;
};

TEST_F(ResidentFromSelector, TheOptionsMenuKeepsTheSettingsAndStartsOrTellsTheRandomizer) {
    StartProgram();
    EXPECT_TRUE(Checked(IDM_CHANGE_LOGON));
    Menu(IDM_NEXTWALLPAPER);
    Menu(IDM_CHANGE_HOUR);
    EXPECT_EQ(Sandbox::Value(kSelector, kChangeIntervalValue), "60");
    EXPECT_TRUE(Checked(IDM_CHANGE_HOUR) && !Checked(IDM_CHANGE_LOGON));
    Menu(IDM_CHANGE_UNLOCKED);
    EXPECT_EQ(Sandbox::Value(kSelector, kChangeWhenUnlockedValue), "1");
    ASSERT_EQ(env.started.size(), 3u);
    const std::string randomizer = sandbox->programDir + "MXRandom.exe";
    EXPECT_EQ(env.started[0].path + " " + env.started[0].arguments, randomizer + " --next");
    EXPECT_EQ(env.started[1].path + " " + env.started[1].arguments, randomizer + " --resident");

    // With one running, it is told instead; its icon menu's choice shows in the selector's menu.
    StartResident();
    Menu(IDM_CHANGE_15MINUTES);
    EXPECT_EQ(env.started.size(), 3u);
    Sandbox::SetValue(kSelector, kChangeIntervalValue, "360");
    ::SendMessageA(form->Handle(), WM_INITMENUPOPUP, WPARAM(::GetSubMenu(::GetMenu(form->Handle()), 1)), 1);
    EXPECT_TRUE(Checked(IDM_CHANGE_6HOURS) && !Checked(IDM_CHANGE_15MINUTES));

    // Not started at log-on, nothing stays running.
    Menu(IDM_RUNRANDOMIZER);
    EXPECT_FALSE(resident->Handle());
    Menu(IDM_CHANGE_DAY);
    EXPECT_EQ(env.started.size(), 3u);
    env.failStarts = ERROR_FILE_NOT_FOUND;
    env.ExpectBox(BoxKind::Error,
                  "The randomizer cannot be started:\n\r" + randomizer + ": " + SystemErrorText(ERROR_FILE_NOT_FOUND));
    Menu(IDM_NEXTWALLPAPER);
}

TEST_F(ResidentFromSelector, TheUninstallEndsItBeforeItRestores) {
    struct Case { std::vector<std::string> arguments; int answer; bool ended; } cases[] = {
        {{}, IDNO, false}, {{}, IDYES, true}, {{"/u"}, IDYES, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "from the menu" : "/u");
        StartResident();
        env.ExpectBox(BoxKind::Warning, kUninstallQuestion, c.answer);
        if (c.answer == IDYES)
            env.ExpectBox(BoxKind::Information, "MXSR was uninstalled succesfully.\n\r\n\rYou can now safely remove the "
                                                "remaning \n\rMXSR files and direcotries.");
        if (c.arguments.empty()) {
            StartProgram();
            Menu(IDM_UNINSTALL);
            // The Options menu shows the settings without making their key again.
            ::SendMessageA(form->Handle(), WM_INITMENUPOPUP, WPARAM(::GetSubMenu(::GetMenu(form->Handle()), 1)), 1);
            EXPECT_EQ(Sandbox::KeyExists("Software\\Kelbrant\\Mosalux"), c.answer != IDYES);
        } else {
            StartProgram(c.arguments);
        }
        EXPECT_EQ(!resident->Handle(), c.ended);
        resident.reset();
        form.reset();
    }
}

}  // namespace
}  // namespace mx::test
