// Several monitors, on layouts the tests give the program: the way chosen in the Options menu and
// kept in the settings, the selector's command from the main window and the full-screen preview, the
// randomizer's deal (the pixels of every layout, way and style are the unit tests'; here, where each
// picture goes). Then real monitors, where the system has two: Wine on a nested X server with two
// screens (tests/monitors/run.sh); elsewhere they are skipped.
#include <cstdlib>
#include <cstring>

#include "app/resource.h"
#include "picture/bmp_reader.h"
#include "picture/bmp_writer.h"
#include "picture/form_preview.h"
#include "picture/picture_win.h"
#include "randomizer/wallpaper_step.h"
#include "sandbox.h"

namespace mx::test {
namespace {

constexpr const char* kDesktop = "Control Panel\\desktop";
constexpr const char* kSelector = "Software\\Kelbrant\\Mosalux\\Mosalux Selector";
constexpr uint32_t kRed = 0xC00000, kBlue = 0x0000C0;

MonitorLayout Layout(const char* text) { return ParseLayoutText(text).value(); }

class Monitors : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        env.layout = Layout("640x480+0+0,320x400+640-40");
        dir = sandbox->root + "pics\\";
        ::CreateDirectoryA(dir.c_str(), nullptr);
        for (auto [name, colour] : {std::pair{"red.bmp", kRed}, {"blue.bmp", kBlue}}) {
            Picture p = Picture::Make32(64, 48);
            for (size_t i = 0; i < p.pixels.size(); i += 4) std::memcpy(&p.pixels[i], &colour, 4);
            ASSERT_TRUE(WriteBmp(p, dir + name));
        }
        Sandbox::SetValue(kDesktop, "TileWallpaper", "0");
        Sandbox::SetValue(kDesktop, "WallpaperStyle", "0");
    }
    void Choose(const std::string& name) { MainWindowTest::Choose(dir, {name}); }
    void MoveMainWindow(int x, int y) { ::SetWindowPos(form->Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER); }
    // What the wallpaper file shows at a point of the virtual screen, spanned or tiled.
    uint32_t Shows(int x, int y, bool tiled = false) {
        const MonitorLayout layout = env.layout ? *env.layout : env.Monitors();
        Picture file;
        EXPECT_EQ(ReadBmpFile(sandbox->programDir + "@MX!BACK.BMP", file), kStatusOk);
        const Rect b = layout.Bounds(), p = tiled ? layout.monitors[0] : b;
        if (file.width != b.width || file.height != b.height) return 1;
        return file.ColorAt(((x - p.left) % b.width + b.width) % b.width, ((y - p.top) % b.height + b.height) % b.height);
    }
    std::string dir;
};

TEST_F(Monitors, TheOptionsMenuKeepsTheWayAndTheCommandCoversEveryMonitor) {
    StartProgram();
    EXPECT_TRUE(form->MenuChecked(IDM_MONITORSSAME));  // read as the default
    EXPECT_FALSE(Sandbox::Value(kSelector, "Wallpaper Monitors"));  // nothing is written until chosen
    Click(form->sbtnWall);
    Choose("red.bmp");
    PickStyle("Centred");
    // What the centre of each monitor, the middle of the virtual screen and a point on no monitor show.
    const uint32_t D = DesktopColour();
    struct Case { int item; bool spans; std::vector<uint32_t> shown; } cases[] = {
        {IDM_MONITORSSAME, true, {kRed, kRed, D, D}},
        {IDM_MONITORSSAME, false, {kRed, kRed, D, D}},
        {IDM_MONITORSACROSS, true, {D, D, kRed, D}},
        {IDM_MONITORSEACH, false, {kRed, kRed, D, D}},  // the file is not this layout's as tiled: all of it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.item << (c.spans ? " spanned" : " tiled"));
        env.spans = c.spans;
        Menu(c.item);
        for (int item = IDM_MONITORSSAME; item <= IDM_MONITORSACROSS; ++item) EXPECT_EQ(form->MenuChecked(item), item == c.item);
        EXPECT_EQ(Sandbox::Value(kSelector, "Wallpaper Monitors"), std::to_string(c.item - IDM_MONITORSSAME));
        Menu(IDM_INFO_SETWALLPAPER);
        const bool tiled = !c.spans;
        EXPECT_EQ((std::vector{Shows(320, 240, tiled), Shows(800, 160, tiled), Shows(480, 220, tiled), Shows(700, 450, tiled)}),
                  c.shown);
        EXPECT_EQ(Sandbox::Value(kDesktop, "TileWallpaper"), c.spans ? "0" : "1");
        EXPECT_EQ(Sandbox::Value(kDesktop, "WallpaperStyle"), c.spans ? "22" : "0");
        EXPECT_EQ(Sandbox::Value(kSelector, "Wallpaper Layout"),
                  std::string("640x480+0+0,320x400+640-40") + (c.spans ? " spanned" : " tiled"));
    }
    form.reset();
    StartProgram();
    EXPECT_TRUE(form->MenuChecked(IDM_MONITORSEACH));
    EXPECT_FALSE(form->MenuChecked(IDM_MONITORSSAME));
}

// In "A Picture for Each Monitor" the command sets the monitor the main window or the full-screen
// preview is on, which opens there at that monitor's size; the other monitors keep what the file
// showed, while it is the file made for this layout.
TEST_F(Monitors, EachMonitorGetsItsPictureFromTheWindowOnIt) {
    StartProgram();
    Click(form->sbtnWall);
    Menu(IDM_MONITORSEACH);
    PickStyle("Tiled");
    auto shown = [&] { return std::pair{Shows(320, 240), Shows(800, 160)}; };
    TFormPreview& preview = form->FormPreview();
    struct Step { const char* file; int x; bool fromPreview; std::pair<uint32_t, uint32_t> shown; } steps[] = {
        {"red.bmp", 10, false, {kRed, kRed}},  // no earlier file for this layout: every monitor
        {"blue.bmp", 700, false, {kRed, kBlue}},
        {"blue.bmp", 10, true, {kBlue, kBlue}},
        {"red.bmp", 700, true, {kBlue, kRed}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << s.file << " at " << s.x);
        MoveMainWindow(s.x, 10);
        Choose(s.file);
        if (s.fromPreview) {
            form->ImgPreviewDblClick();
            EXPECT_EQ(preview.Monitor(), s.x == 10 ? 0u : 1u);
            EXPECT_EQ(preview.Image().picture.height, s.x == 10 ? 480 : 400);
            ::SendMessageA(preview.Handle(), WM_COMMAND, IDM_PREV_SETWALLPAPER, 0);
            preview.Returntomain1Click();
        } else {
            Menu(IDM_INFO_SETWALLPAPER);
        }
        EXPECT_EQ(shown(), s.shown);
    }
    // Another layout: the file is not its own, so every monitor takes the picture.
    env.layout = Layout("640x480+0+0,320x400-320+0");
    Menu(IDM_INFO_SETWALLPAPER);
    EXPECT_EQ(Shows(-160, 200), kRed);
    // A monitor as wide as the desktop on top: its picture covers the file's first rows whole, and the
    // earlier file is still let go before its successor takes its place.
    env.layout = Layout("640x480+0+0,320x200+0+480");
    struct Stacked { const char* file; int y; std::pair<uint32_t, uint32_t> shown; } stacked[] = {
        {"blue.bmp", 500, {kBlue, kBlue}}, {"red.bmp", 10, {kRed, kBlue}}, {"red.bmp", 500, {kRed, kRed}}};
    for (const Stacked& s : stacked) {
        SCOPED_TRACE(testing::Message() << s.file << " at y " << s.y);
        ::SetWindowPos(form->Handle(), nullptr, 10, s.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        Choose(s.file);
        Menu(IDM_INFO_SETWALLPAPER);
        EXPECT_EQ((std::pair{Shows(320, 240), Shows(160, 580)}), s.shown);
    }
}

// The randomizer's lines, without their time, after the line of the log-on.
std::vector<std::string> Lines(TestEnvironment& env, const std::vector<std::string>& args) {
    std::vector<std::string> lines = RandomizerLines(env, args);
    for (std::string& line : lines) line.erase(0, 20);
    EXPECT_EQ(lines.empty() ? "" : lines[0], "Change at log-on");
    if (!lines.empty()) lines.erase(lines.begin());
    return lines;
}

TEST_F(Monitors, TheRandomizerDealsAnEntryForEachMonitorAndDecodesEachOnce) {
    env.moduleFileName = sandbox->programDir + "MXRandom.exe";
    env.layout = Layout("640x480+0+0,320x400+640-40,200x100-200+0");
    const std::string described = "Wallpaper: monitor 1: 640 x 480 at 0, 0 (primary); monitor 2: 320 x 400 at 640, -40; "
                                  "monitor 3: 200 x 100 at -200, 0; ";
    // After each way and list: what each picture's line says from its style on.
    struct Case { const char* way; int entries; std::vector<std::string> lines; } cases[] = {
        {"0", 2, {"Same Picture on Every Monitor", " as Tiled (place 1 of 2) on monitors 1, 2 and 3: "}},
        {"2", 2, {"One Picture Across All Monitors", " as Tiled (place 1 of 2) across monitors 1, 2 and 3: "}},
        // Fewer entries than monitors: one comes again, on another monitor, from the same decode.
        {"1", 2, {"A Picture for Each Monitor", " as Tiled (place 1 of 2) on monitors 1 and 3: ",
                  " as Tiled (place 2 of 2) on monitor 2: "}},
        {"1", 1, {"A Picture for Each Monitor", " as Tiled (place 1 of 1) on monitors 1, 2 and 3: "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "way " << c.way << ", " << c.entries << " entries");
        Sandbox::SetValue(kSelector, "Wallpaper Monitors", c.way);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Kelbrant\\Mosalux\\Randomizer");  // each case from a new deck
        sandbox->WriteFile(DataFile(), "[WALLPAPER]\r\n" + dir + "red.bmp, Tiled\r\n" +
                                           (c.entries > 1 ? dir + "blue.bmp, Tiled\r\n" : std::string()));
        const std::vector<std::string> dry = Lines(env, {"--seed", "3", "--dry-run"}), lines = Lines(env, {"--seed", "3"});
        ASSERT_EQ(lines.size(), c.lines.size());
        ASSERT_EQ(dry.size(), c.lines.size() + 1);
        EXPECT_EQ(lines[0], described + c.lines[0]);
        std::vector<uint32_t> colours;
        for (size_t i = 1; i < lines.size(); ++i) {
            const size_t as = lines[i].find(" as ");
            EXPECT_EQ(lines[i].substr(as, c.lines[i].size()), c.lines[i]);
            EXPECT_EQ(dry[i + 1].substr(0, dry[i + 1].find(": decoded")), lines[i].substr(0, lines[i].find(": decoded")));
            colours.push_back(lines[i].substr(11, as - 11) == dir + "red.bmp" ? kRed : kBlue);
        }
        EXPECT_NE(lines.back().find(" as one file of 1160 x 520, spanned"), std::string::npos) << lines.back();
        // Each monitor shows what its line says.
        EXPECT_EQ((std::vector{Shows(0, 0), Shows(-200, 0)}), std::vector(2, colours[0]));
        EXPECT_EQ(Shows(640, -40), colours.back());
    }
    // The pictures shown made again for another layout, without a deal.
    LayoutWallpaper again(Layout("320x400+0+0,640x480+320+0"), MonitorCover::Each, false, DesktopColour());
    env.layout = again.Layout();
    ApplyPictures(env, again, {{"blue.bmp", dir, "Centred"}, {"red.bmp", dir, "Stretched"}}, sandbox->programDir);
    EXPECT_EQ((std::vector{Shows(160, 200), Shows(0, 0), Shows(320, 0)}), (std::vector{kBlue, DesktopColour(), kRed}));
}

// Real monitors: Wine's own, as the nested X server's two screens give them.
class RealMonitors : public Monitors {
protected:
    void SetUp() override {
        Monitors::SetUp();
        env.layout.reset();
        env.systemMonitors = true;
        env.screen = SIZE{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        if (env.Monitors().Single()) {
            GTEST_SKIP() << "one monitor; tests/monitors/run.sh runs these on two";
        }
    }
};

TEST_F(RealMonitors, TheSystemsLayoutTheSelectorsCommandAndTheRandomizer) {
    ASSERT_EQ(env.Monitors(), Layout("1920x1080+0+0,1080x1920+1920+0"));
    const bool spans = env.WallpaperSpans(), tiled = !spans;
    // The test bed says which system it makes Wine be.
    if (const char* expected = std::getenv("MX_EXPECT_SPANS")) {
        EXPECT_EQ(spans, expected[0] == '1');
    }
    StartProgram();
    Click(form->sbtnWall);
    Choose("red.bmp");
    PickStyle("Fill");
    Menu(IDM_INFO_SETWALLPAPER);
    // Both monitors covered, nothing below the first.
    EXPECT_EQ((std::vector{Shows(0, 0, tiled), Shows(2999, 1919, tiled), Shows(1919, 1919, tiled)}),
              (std::vector{kRed, kRed, DesktopColour()}));
    EXPECT_EQ(Sandbox::Value(kDesktop, "TileWallpaper"), spans ? "0" : "1");
    EXPECT_EQ(Sandbox::Value(kDesktop, "WallpaperStyle"), spans ? "22" : "0");

    // The full-screen preview opens on the monitor the main window is on, at its size.
    MoveMainWindow(2000, 500);
    TFormPreview& preview = form->FormPreview();
    Menu(IDM_MONITORSEACH);
    Choose("blue.bmp");
    form->ImgPreviewDblClick();
    RECT window{};
    ::GetWindowRect(preview.Handle(), &window);
    EXPECT_EQ((std::vector<LONG>{window.left, window.top, window.right, window.bottom}), (std::vector<LONG>{1920, 0, 3000, 1920}));
    EXPECT_EQ((Size{preview.Image().picture.width, preview.Image().picture.height}), (Size{1080, 1920}));
    ::SendMessageA(preview.Handle(), WM_COMMAND, IDM_PREV_SETWALLPAPER, 0);
    preview.Returntomain1Click();
    EXPECT_EQ((std::vector{Shows(100, 100, tiled), Shows(2500, 1000, tiled)}), (std::vector{kRed, kBlue}));

    // The randomizer with the system's monitors and the selector's way: a line for each monitor; and
    // the program itself, as the system starts it, sees the same monitors.
    form.reset();
    env.moduleFileName = sandbox->programDir + "MXRandom.exe";
    sandbox->WriteFile(DataFile(), "[WALLPAPER]\r\n" + dir + "red.bmp, Centred\r\n" + dir + "blue.bmp, Centred\r\n");
    const std::vector<std::string> lines = Lines(env, {"--seed", "5"});
    const std::string described = "Wallpaper: monitor 1: 1920 x 1080 at 0, 0 (primary); monitor 2: 1080 x 1920 at 1920, 0; ";
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], described + "A Picture for Each Monitor");
    EXPECT_NE(lines[2].find(spans ? "3000 x 1920, spanned" : "3000 x 1920, tiled from the primary monitor"), std::string::npos);
    EXPECT_NE(Shows(960, 540, tiled), Shows(2460, 960, tiled));
    ASSERT_TRUE(::CopyFileA(WindowsPath(MX_RANDOMIZER_EXE).c_str(), env.moduleFileName.c_str(), FALSE));
    const Finished run = RunProgram("\"" + env.moduleFileName + "\" --dry-run");
    EXPECT_NE(run.output.find(described), std::string::npos) << run.output;
}

}  // namespace
}  // namespace mx::test
