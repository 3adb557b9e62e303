// Several monitors: the way chosen in the Options menu and kept in the settings, the selector's
// command from the main window and from the full-screen preview, and the randomizer's deal, on
// layouts the tests give the program (the pixels of every layout, way and style are checked by the
// unit tests; here, where each picture goes). Then real monitors, where the system has two: under
// Wine on a nested X server with two screens (tests/monitors/run.sh); elsewhere they are skipped.
#include <windowsx.h>

#include <cstdlib>
#include <cstring>

#include "app/resource.h"
#include "picture/bmp_reader.h"
#include "picture/bmp_writer.h"
#include "picture/form_preview.h"
#include "picture/picture_win.h"
#include "randomizer/randomizer.h"
#include "randomizer/wallpaper_step.h"
#include "sandbox.h"

namespace mx::test {
namespace {

constexpr const char* kDesktop = "Control Panel\\desktop";
constexpr const char* kSelector = "Software\\Kelbrant\\Mosalux\\Mosalux Selector";
constexpr uint32_t kRed = 0xC00000, kBlue = 0x0000C0;

// A picture of one colour, as a bitmap file's bytes.
std::string Solid(int width, int height, uint32_t colour) {
    Picture p = Picture::Make32(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) std::memcpy(p.Row(y) + 4 * x, &colour, 4);
    const std::vector<uint8_t> bytes = EncodeBmp(p);
    return std::string(bytes.begin(), bytes.end());
}

MonitorLayout Layout(const char* text) { return ParseLayoutText(text).value(); }

class Monitors : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        env.layout = Layout("640x480+0+0,320x400+640-40");
        dir = sandbox->root + "pics\\";
        ::CreateDirectoryA(dir.c_str(), nullptr);
        sandbox->WriteFile(dir + "red.bmp", Solid(64, 48, kRed));
        sandbox->WriteFile(dir + "blue.bmp", Solid(48, 64, kBlue));
        Sandbox::SetValue(kDesktop, "TileWallpaper", "0");
        Sandbox::SetValue(kDesktop, "WallpaperStyle", "0");
    }
    void Choose(const std::string& name) {
        form->ApplyFilePath(dir);
        ListBox_SetSel(form->FileListBox1, FALSE, -1);
        const int index = ListBox_FindStringExact(form->FileListBox1, -1, name.c_str());
        ListBox_SetSel(form->FileListBox1, TRUE, index);
        ListBox_SetCaretIndex(form->FileListBox1, index);
        ::SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(form->FileListBox1), LBN_SELCHANGE),
                       LPARAM(form->FileListBox1));
    }
    // The main window over the first monitor or over the second.
    void PutMainWindowOn(size_t monitor) {
        ::SetWindowPos(form->Handle(), nullptr, monitor == 0 ? 10 : 700, monitor == 0 ? 10 : 50, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // What the wallpaper file shows at a point of the virtual screen of `layout`.
    uint32_t Shows(const MonitorLayout& layout, int x, int y, bool tiled = false) const {
        Picture file;
        EXPECT_EQ(ReadBmpFile(sandbox->programDir + "@MX!BACK.BMP", file), kStatusOk);
        const Rect b = layout.Bounds();
        EXPECT_EQ((Size{file.width, file.height}), (Size{b.width, b.height}));
        if (file.width != b.width || file.height != b.height) return 0;
        const Rect p = tiled ? layout.monitors[0] : b;
        return file.ColorAt(((x - p.left) % b.width + b.width) % b.width, ((y - p.top) % b.height + b.height) % b.height);
    }
    std::string dir;
};

TEST_F(Monitors, TheOptionsMenuKeepsTheWayAndTheCommandCoversEveryMonitor) {
    StartProgram();
    EXPECT_TRUE(form->MenuChecked(IDM_MONITORSSAME));
    EXPECT_FALSE(Sandbox::Value(kSelector, "Wallpaper Monitors"));  // nothing is written until chosen
    Click(form->sbtnWall);
    Choose("red.bmp");
    PickStyle("Centred");
    const MonitorLayout& layout = *env.layout;
    // Probes: each monitor's centre, a corner of the first, and a point between monitors.
    const POINT first{320, 240}, second{800, 160}, corner{0, 0}, between{700, 450}, middle{480, 220};
    struct Case { int item; bool spans; uint32_t first, second, middle; } cases[] = {
        {IDM_MONITORSSAME, true, kRed, kRed, DesktopColour()},
        {IDM_MONITORSSAME, false, kRed, kRed, DesktopColour()},
        {IDM_MONITORSACROSS, true, DesktopColour(), DesktopColour(), kRed},
        {IDM_MONITORSEACH, false, kRed, kRed, DesktopColour()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.item << (c.spans ? " spanned" : " tiled"));
        env.spans = c.spans;
        Menu(c.item);
        for (int item = IDM_MONITORSSAME; item <= IDM_MONITORSACROSS; ++item) EXPECT_EQ(form->MenuChecked(item), item == c.item);
        EXPECT_EQ(Sandbox::Value(kSelector, "Wallpaper Monitors"), std::to_string(c.item - IDM_MONITORSSAME));
        Menu(IDM_INFO_SETWALLPAPER);
        EXPECT_EQ(Shows(layout, first.x, first.y, !c.spans), c.first);
        EXPECT_EQ(Shows(layout, second.x, second.y, !c.spans), c.second);
        EXPECT_EQ(Shows(layout, middle.x, middle.y, !c.spans), c.middle);
        for (POINT p : {corner, between}) EXPECT_EQ(Shows(layout, p.x, p.y, !c.spans), DesktopColour());
        EXPECT_EQ(Sandbox::Value(kDesktop, "TileWallpaper"), c.spans ? "0" : "1");
        EXPECT_EQ(Sandbox::Value(kDesktop, "WallpaperStyle"), c.spans ? "22" : "0");
        EXPECT_EQ(Sandbox::Value(kSelector, "Wallpaper Layout"),
                  std::string("640x480+0+0,320x400+640-40") + (c.spans ? " spanned" : " tiled"));
    }
    // The way chosen last is the one the next start shows.
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
    const MonitorLayout layout = *env.layout;
    auto shown = [&] { return std::pair{Shows(layout, 320, 240), Shows(layout, 800, 160)}; };
    PutMainWindowOn(0);
    Choose("red.bmp");
    Menu(IDM_INFO_SETWALLPAPER);  // no earlier file for this layout: every monitor
    EXPECT_EQ(shown(), std::pair(kRed, kRed));
    PutMainWindowOn(1);
    Choose("blue.bmp");
    Menu(IDM_INFO_SETWALLPAPER);
    EXPECT_EQ(shown(), std::pair(kRed, kBlue));

    TFormPreview& preview = form->FormPreview();
    PutMainWindowOn(0);
    form->ImgPreviewDblClick();
    EXPECT_EQ(preview.Monitor(), 0u);
    EXPECT_EQ(preview.Image().picture.width, 640);
    preview.Returntomain1Click();
    PutMainWindowOn(1);
    Choose("red.bmp");
    form->ImgPreviewDblClick();
    EXPECT_EQ(preview.Monitor(), 1u);
    EXPECT_EQ((Size{preview.Image().picture.width, preview.Image().picture.height}), (Size{320, 400}));
    ::SendMessageA(preview.Handle(), WM_COMMAND, IDM_PREV_SETWALLPAPER, 0);
    EXPECT_EQ(shown(), std::pair(kRed, kRed));
    preview.Returntomain1Click();

    // Another layout: the file is not its own, so every monitor takes the picture.
    Choose("blue.bmp");
    env.layout = Layout("640x480+0+0,320x400-320+0");
    Menu(IDM_INFO_SETWALLPAPER);
    EXPECT_EQ(Shows(*env.layout, 320, 240), kBlue);
    EXPECT_EQ(Shows(*env.layout, -160, 200), kBlue);
}

// The randomizer's lines: what monitor each picture went to, the layout first.
std::vector<std::string> Lines(TestEnvironment& env, std::vector<std::string> args) {
    std::vector<std::string> lines;
    RunRandomizer(env, args, [&](const std::string& line) { lines.push_back(line.substr(20)); });
    return lines;
}

TEST_F(Monitors, TheRandomizerDealsAnEntryForEachMonitorAndDecodesEachOnce) {
    env.moduleFileName = sandbox->programDir + "MXRandom.exe";
    env.layout = Layout("640x480+0+0,320x400+640-40,200x100-200+0");
    const std::string red = dir + "red.bmp", blue = dir + "blue.bmp";
    const std::string described = "Wallpaper: monitor 1: 640 x 480 at 0, 0 (primary); monitor 2: 320 x 400 at 640, -40; "
                                  "monitor 3: 200 x 100 at -200, 0; ";
    struct Case { const char* way; std::vector<std::string> entries; std::vector<std::string> lines; } cases[] = {
        {"0", {red, blue}, {described + "Same Picture on Every Monitor", " as Tiled (place 1 of 2) on monitors 1, 2 and 3: "}},
        {"2", {red, blue}, {described + "One Picture Across All Monitors", " as Tiled (place 1 of 2) across monitors 1, 2 and 3: "}},
        // Fewer entries than monitors: one comes again, on another monitor, from the same decode.
        {"1", {red, blue}, {described + "A Picture for Each Monitor", " as Tiled (place 1 of 2) on monitors 1 and 3: ",
                            " as Tiled (place 2 of 2) on monitor 2: "}},
        {"1", {red}, {described + "A Picture for Each Monitor", " as Tiled (place 1 of 1) on monitors 1, 2 and 3: "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "way " << c.way << ", " << c.entries.size() << " entries");
        Sandbox::SetValue(kSelector, "Wallpaper Monitors", c.way);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Kelbrant\\Mosalux\\Randomizer");  // each case from a new deck
        std::string list = "[WALLPAPER]\r\n";
        for (const std::string& e : c.entries) list += e + ", Tiled\r\n";
        sandbox->WriteFile(sandbox->programDir + "MXDATA.MXD", list);
        const std::vector<std::string> dry = Lines(env, {"--seed", "3", "--dry-run"});
        const std::vector<std::string> lines = Lines(env, {"--seed", "3"});
        ASSERT_EQ(lines.size(), c.lines.size());
        ASSERT_EQ(dry.size(), c.lines.size() + 1);
        EXPECT_EQ(lines[0], c.lines[0]);
        std::vector<std::string> pictures;
        for (size_t i = 1; i < lines.size(); ++i) {
            const size_t as = lines[i].find(" as ");
            ASSERT_NE(as, std::string::npos) << lines[i];
            pictures.push_back(lines[i].substr(11, as - 11));
            EXPECT_EQ(lines[i].substr(as, c.lines[i].size()), c.lines[i]);
            EXPECT_EQ(dry[i + 1].substr(0, dry[i + 1].find(": decoded")), lines[i].substr(0, lines[i].find(": decoded")));
        }
        EXPECT_NE(lines.back().find("set "), std::string::npos);
        EXPECT_NE(lines.back().find(" as one file of 1160 x 520, spanned"), std::string::npos) << lines.back();
        // Each monitor shows what its line says.
        auto colour = [&](const std::string& path) { return path == red ? kRed : kBlue; };
        const uint32_t onFirst = Shows(*env.layout, 0, 0);
        EXPECT_EQ(onFirst, colour(pictures[0]));
        EXPECT_EQ(Shows(*env.layout, -200, 0), onFirst);
        EXPECT_EQ(Shows(*env.layout, 640, -40), colour(pictures.back()));
    }
    // The pictures shown made again for another layout, without a deal.
    LayoutWallpaper again(Layout("320x400+0+0,640x480+320+0"), MonitorCover::Each, false, DesktopColour());
    ApplyPictures(env, again, {{"blue.bmp", dir, "Centred"}, {"red.bmp", dir, "Stretched"}}, sandbox->programDir);
    EXPECT_EQ(Shows(again.Layout(), 160, 200), kBlue);
    EXPECT_EQ(Shows(again.Layout(), 0, 0), DesktopColour());
    EXPECT_EQ(Shows(again.Layout(), 320, 0), kRed);
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
    const MonitorLayout layout = env.Monitors();
    ASSERT_EQ(layout, Layout("1920x1080+0+0,1080x1920+1920+0"));
    const bool spans = env.WallpaperSpans();
    // The test bed says which system it makes Wine be.
    if (const char* expected = std::getenv("MX_EXPECT_SPANS")) {
        EXPECT_EQ(spans, expected[0] == '1');
    }
    const std::string values[] = {spans ? "0" : "1", spans ? "22" : "0"};
    StartProgram();
    Click(form->sbtnWall);
    Choose("red.bmp");
    PickStyle("Fill");
    Menu(IDM_INFO_SETWALLPAPER);
    EXPECT_EQ(Shows(layout, 0, 0, !spans), kRed);
    EXPECT_EQ(Shows(layout, 2999, 1919, !spans), kRed);
    EXPECT_EQ(Shows(layout, 1919, 1919, !spans), DesktopColour());  // below the first monitor
    EXPECT_EQ(Sandbox::Value(kDesktop, "TileWallpaper"), values[0]);
    EXPECT_EQ(Sandbox::Value(kDesktop, "WallpaperStyle"), values[1]);

    // The full-screen preview opens on the monitor the main window is on, at its size.
    ::SetWindowPos(form->Handle(), nullptr, 2000, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    TFormPreview& preview = form->FormPreview();
    form->ImgPreviewDblClick();
    RECT window{};
    ::GetWindowRect(preview.Handle(), &window);
    EXPECT_EQ((Rect{int(window.left), int(window.top), int(window.right - window.left), int(window.bottom - window.top)}),
              (Rect{1920, 0, 1080, 1920}));
    EXPECT_EQ((Size{preview.Image().picture.width, preview.Image().picture.height}), (Size{1080, 1920}));
    Menu(IDM_MONITORSEACH);
    Choose("blue.bmp");
    preview.FormActivate();
    ::SendMessageA(preview.Handle(), WM_COMMAND, IDM_PREV_SETWALLPAPER, 0);
    preview.Returntomain1Click();
    EXPECT_EQ(Shows(layout, 100, 100, !spans), kRed);
    EXPECT_EQ(Shows(layout, 2500, 1000, !spans), kBlue);

    // The randomizer with the system's monitors and the selector's way: a line for each monitor.
    form.reset();
    env.moduleFileName = sandbox->programDir + "MXRandom.exe";
    sandbox->WriteFile(sandbox->programDir + "MXDATA.MXD",
                       "[WALLPAPER]\r\n" + dir + "red.bmp, Centred\r\n" + dir + "blue.bmp, Centred\r\n");
    std::vector<std::string> lines = Lines(env, {"--seed", "5"});
    ASSERT_EQ(lines.size(), 3u);
    const std::string described = "Wallpaper: monitor 1: 1920 x 1080 at 0, 0 (primary); monitor 2: 1080 x 1920 at 1920, 0; ";
    EXPECT_EQ(lines[0], described + "A Picture for Each Monitor");
    EXPECT_NE(Shows(layout, 960, 540, !spans), Shows(layout, 2460, 960, !spans));
    EXPECT_NE(lines[2].find(spans ? "as one file of 3000 x 1920, spanned" : "3000 x 1920, tiled from the primary monitor"),
              std::string::npos);
    // The program itself, as the system starts it, sees the same monitors.
    ASSERT_TRUE(::CopyFileA(WindowsPath(MX_RANDOMIZER_EXE).c_str(), env.moduleFileName.c_str(), FALSE));
    const Finished run = RunProgram("\"" + env.moduleFileName + "\" --dry-run");
    EXPECT_NE(run.output.find(described), std::string::npos) << run.output;
}

}  // namespace
}  // namespace mx::test
