// The randomizer run in-process in a sandbox: its program directory, Windows directory and registry
// are the sandbox's, and the set-wallpaper call is recorded.
#include <cstdio>
#include <functional>
#include <set>
#include <thread>

#include "picture/bmp_reader.h"
#include "picture/bmp_writer.h"
#include "randomizer/randomizer.h"
#include "sandbox.h"
#include "system/boot_screens.h"

namespace mx::test {
namespace {

constexpr const char* kDesktop = "Control Panel\\desktop";
constexpr const char* kSettings = "Software\\Kelbrant\\Mosalux";

std::string Bitmap(int width, int height, int bits, uint8_t shade) {
    Picture p;
    p.width = width;
    p.height = height;
    p.bitsPerPixel = bits;
    p.format = bits == 8 ? PixelFormat::Bits8 : PixelFormat::Bits24;
    if (bits == 8) p.palette.assign(256, 0x102030u * shade);
    p.pixels.assign(p.Stride() * size_t(height), shade);
    std::vector<uint8_t> bytes = EncodeBmp(p);
    return std::string(bytes.begin(), bytes.end());
}

// Entries of the lists: a name in the program directory and its bytes, or nothing for a file that
// is not there; a path with a backslash is taken as it is.
struct Entry {
    std::string name;
    std::optional<std::string> bytes;
    bool usable;
};
using Lists = std::vector<std::vector<Entry>>;  // start-up, waiting, shut-down, wallpaper

const std::string kBoot1 = Bitmap(320, 400, 8, 1), kBoot2 = Bitmap(320, 400, 8, 2);
const Entry kValid1{"one.bmp", kBoot1, true}, kValid2{"two.bmp", kBoot2, true};
const Entry kUnusable[] = {
    {"wide.bmp", Bitmap(321, 400, 8, 3), false},   {"deep.bmp", Bitmap(320, 400, 24, 4), false},
    {"cut.bmp", kBoot1.substr(0, 2000), false},    {"huge.bmp", "BM" + std::string(60, '\x7f'), false},
    {"text.bmp", "not a picture", false},          {"gone.bmp", std::nullopt, false},
    {"Q:\\pics\\far.bmp", std::nullopt, false},    {"bad.jpg", "\xFF\xD8\xFF\xDB\x00\x43junk", false},
};
// The first two are pictures all the same, which only a wallpaper can be.
const std::vector<Entry> kUndecodable(std::begin(kUnusable) + 2, std::end(kUnusable));

// What a run chose, line by line: "<list>: <path>", from what it set or would set.
std::vector<std::string> Chosen(const std::vector<std::string>& lines) {
    std::vector<std::string> chosen;
    for (const std::string& line : lines) {
        size_t place = line.find(" (place ");
        if (place == std::string::npos || line.find("passed over") != std::string::npos) continue;
        std::string what = line.substr(20, place - 20);  // after the time stamp
        chosen.push_back(what.substr(0, what.find(" as ")));
    }
    return chosen;
}

class Randomizer : public ::testing::Test {
protected:
    void SetUp() override {
        sandbox = std::make_unique<Sandbox>();
        env.moduleFileName = sandbox->programDir + "MXRandom.exe";
        env.windowsDirectory = sandbox->windowsDir;
        Sandbox::SetValue(kDesktop, "TileWallpaper", "0");
        Sandbox::SetValue(kDesktop, "WallpaperStyle", "0");
    }
    std::string Path(const Entry& e) const {
        return e.name.find('\\') != std::string::npos ? e.name : sandbox->programDir + e.name;
    }
    // Writes the entries' files and MXDATA.MXD with the four lists.
    void WriteLists(const Lists& lists, const std::string& style = "Tiled") {
        std::string text;
        const char* headers[] = {"[START]", "[WAIT]", "[SHUT]", "[WALLPAPER]"};
        for (size_t s = 0; s < 4; ++s) {
            text += std::string(headers[s]) + "\r\n";
            for (const Entry& e : s < lists.size() ? lists[s] : std::vector<Entry>{}) {
                if (e.bytes) sandbox->WriteFile(Path(e), *e.bytes);
                text += Path(e) + (s == 3 ? ", " + style : "") + "\r\n";
            }
        }
        sandbox->WriteFile(sandbox->programDir + "MXDATA.MXD", text);
    }
    std::vector<std::string> Run(std::vector<std::string> args) {
        std::vector<std::string> lines;
        RunRandomizer(env, args, [&](const std::string& line) { lines.push_back(line); });
        // A run's first line says what made it: here the log-on.
        EXPECT_EQ(lines.empty() ? "" : lines[0].substr(20), "Change at log-on");
        if (!lines.empty()) lines.erase(lines.begin());
        return lines;
    }
    std::string Screen(int category) const { return sandbox->ReadFile(BootScreenPathOf(sandbox->windowsDir, category)); }
    // Everything the randomizer may change on the machine (files by their hashes).
    std::vector<std::string> Machine() const {
        std::vector<std::string> state{std::to_string(env.wallpapers.size())};
        for (const std::string& file : {BootScreenPathOf(sandbox->windowsDir, 10), BootScreenPathOf(sandbox->windowsDir, 20),
                                        BootScreenPathOf(sandbox->windowsDir, 30), sandbox->programDir + "@MX!BACK.BMP"})
            state.push_back(std::to_string(std::hash<std::string>()(sandbox->ReadFile(file))));
        for (const char* name : {"Wallpaper", "TileWallpaper", "WallpaperStyle"})
            state.push_back(Sandbox::Value(kDesktop, name).value_or("<none>"));
        return state;
    }
    void PutOriginalScreens() {
        for (int category : {10, 20, 30}) sandbox->WriteFile(BootScreenPathOf(sandbox->windowsDir, category), "original");
    }

    std::unique_ptr<Sandbox> sandbox;
    TestEnvironment env;
};

TEST_F(Randomizer, ScreensTakeOnlyUsableEntriesAndStayWhenNoneIs) {
    std::vector<Entry> unusable(std::begin(kUnusable), std::end(kUnusable));
    std::vector<Entry> mixed = unusable;
    mixed.insert(mixed.begin() + 3, kValid1);
    mixed.push_back(kValid2);
    WriteLists({mixed, {kValid2}, unusable, {}});
    PutOriginalScreens();
    std::set<std::string> installed;
    std::string log;
    for (int run = 1; run <= 12; ++run) {
        for (const std::string& line : Run({"--seed", std::to_string(run)})) log += line + "\n";
        EXPECT_TRUE(Screen(10) == kBoot1 || Screen(10) == kBoot2);
        installed.insert(Screen(10));
        EXPECT_EQ(Screen(20), kBoot2);
        EXPECT_EQ(Screen(30), "original");
    }
    EXPECT_EQ(installed.size(), 2u);
    for (const char* why : {"321 x 400 at 8 bits per pixel", "320 x 400 at 24", "cut.bmp (place", "huge.bmp (place",
                            "text.bmp (place", "gone.bmp (place", "Q:\\ is not there",
                            "Shut-down screen: no entry can be used (8 tried); left as it is", "bad.jpg (place"})
        EXPECT_NE(log.find(why), std::string::npos) << why;
    EXPECT_NE(sandbox->ReadFile(sandbox->programDir + "MXRandom.log").find("Start-up screen: "), std::string::npos);
}

TEST_F(Randomizer, WholeRunsDealEveryEntryOncePerRoundAcrossAnEdit) {
    std::vector<Entry> list;
    for (uint8_t i = 1; i <= 5; ++i) list.push_back({"w" + std::to_string(i) + ".bmp", Bitmap(320, 400, 8, i), true});
    WriteLists({{}, list, {}, {}});
    std::set<std::string> round;
    std::string previous;
    for (int run = 1; run <= 40; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        if (run == 18) {  // one entry removed mid-round, two added
            round.erase(*list[1].bytes);
            list.erase(list.begin() + 1);
            list.push_back({"w6.bmp", Bitmap(320, 400, 8, 6), true});
            list.push_back({"w7.bmp", Bitmap(320, 400, 8, 7), true});
            WriteLists({{}, list, {}, {}});
        }
        std::vector<std::string> lines = Run({"--seed", std::to_string(run)});
        ASSERT_EQ(lines.size(), 1u);
        unsigned place = 0, size = 0;
        ASSERT_EQ(std::sscanf(lines[0].c_str() + lines[0].find("(place "), "(place %u of %u)", &place, &size), 2);
        EXPECT_EQ(size, list.size());
        std::string shown = Screen(20);
        EXPECT_NE(shown, previous);
        if (place == 1) {
            EXPECT_TRUE(run == 1 || round.size() == list.size() || run == 18);
            round.clear();
        }
        EXPECT_TRUE(round.insert(shown).second);
        previous = shown;
    }
}

TEST_F(Randomizer, WallpaperIsAppliedInItsEntrysStyle) {
    struct Case {
        const char* style;
        const char* tile;
        const char* wallpaperStyle;
        int width, height;  // of the converted file
    } cases[] = {{"Tiled", "1", "0", 1024, 768},
                 {"Mirror", "0", "0", 1024, 768},
                 {"Centred", "0", "0", 40, 30},
                 {"Stretched", "0", "2", 1024, 768}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        WriteLists({{}, {}, {}, {{"wall.bmp", Bitmap(40, 30, 24, 9), true}, kUnusable[4], kUnusable[6]}}, c.style);
        for (int run = 1; run <= 3; ++run) Run({"--seed", std::to_string(run)});
        ASSERT_EQ(env.wallpapers.size(), 3u);
        std::string converted = sandbox->programDir + "@MX!BACK.BMP";
        EXPECT_EQ(env.wallpapers.back(), converted);
        EXPECT_EQ(Sandbox::Value(kDesktop, "Wallpaper"), converted);
        EXPECT_EQ(Sandbox::Value(kDesktop, "TileWallpaper"), c.tile);
        EXPECT_EQ(Sandbox::Value(kDesktop, "WallpaperStyle"), c.wallpaperStyle);
        Picture written;
        ASSERT_EQ(ReadBmpFile(converted, written), kStatusOk);
        EXPECT_EQ(written.width, c.width);
        EXPECT_EQ(written.height, c.height);
        EXPECT_EQ(written.bitsPerPixel, 32);
        env.wallpapers.clear();
    }
}

// Arguments it does not know (`says` tells which) give its usage instead of a run.
TEST_F(Randomizer, RunsThatChangeNothing) {
    std::vector<Entry> unusable(std::begin(kUnusable), std::end(kUnusable));
    const Lists usable{{kValid1}, {kValid2}, {}, {{"wall.bmp", Bitmap(40, 30, 24, 9), true}}};
    struct Case {
        const char* name;
        std::optional<std::string> file;  // MXDATA.MXD, when not made from lists
        Lists lists;
        std::vector<std::string> args;
        bool deckKept;
        const char* says = nullptr;
        bool held = false;  // the selection file is held open by another program
        const char* logs = nullptr;
    } cases[] = {
        {"no selection file", std::nullopt, {}, {}, false, nullptr, false, "No selection file"},
        {"held selection file", std::nullopt, usable, {}, false, nullptr, true, "MXDATA.MXD cannot be opened: error 32"},
        {"empty selection file", "", {}, {}, false},
        {"headers only", "[START]\r\n[WAIT]\r\n[SHUT]\r\n[WALLPAPER]\r\n", {}, {}, false},
        {"garbage", std::string("\x01[START\r\n\xff\xfe\0\r\n]]\x1a[WAIT]\r\nx", 24), {}, {}, false},
        {"no usable entry", std::nullopt, {unusable, unusable, unusable, kUndecodable}, {}, true},
        {"dry run", std::nullopt, {{kValid1}, {kValid2}, {kValid1}, {{"wall.bmp", Bitmap(40, 30, 24, 9), true}}},
         {"--dry-run"}, false},
        {"--help", std::nullopt, usable, {"--help"}, false, ""},
        {"/?", std::nullopt, usable, {"/?"}, false, ""},
        {"unknown after a known one", std::nullopt, usable, {"--dry-run", "-x"}, false, "Unknown argument: -x"},
        {"seed that is no number", std::nullopt, usable, {"--seed", "many"}, false, "Unknown argument: --seed many"},
        {"the selector's uninstall switch", std::nullopt, usable, {"/u"}, false, "Unknown argument: /u"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sandbox.reset();
        SetUp();
        WriteLists(c.lists);
        if (c.file) sandbox->WriteFile(sandbox->programDir + "MXDATA.MXD", *c.file);
        else if (c.lists.empty()) ::DeleteFileA((sandbox->programDir + "MXDATA.MXD").c_str());
        PutOriginalScreens();
        HANDLE held = c.held ? ::CreateFileA((sandbox->programDir + "MXDATA.MXD").c_str(), GENERIC_READ, 0, nullptr,
                                             OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;
        std::vector<std::string> before = Machine(), lines;
        const int code = RunRandomizer(env, c.args, [&](const std::string& line) { lines.push_back(line); });
        if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(lines.back().find(c.logs ? c.logs : ""), std::string::npos) << lines.back();
        EXPECT_EQ(Machine(), before);
        EXPECT_EQ(Sandbox::KeyExists(kSettings), c.deckKept);
        if (!c.says) continue;
        EXPECT_EQ(code, 2);
        const std::string log = sandbox->programDir + "MXRandom.log";
        std::string said;
        for (const std::string& line : lines) said += line + "\n";
        for (const std::string& part : {std::string(c.says), std::string("--dry-run"), std::string("--seed N"), log})
            EXPECT_NE(said.find(part), std::string::npos) << part << " in\n" << said;
        EXPECT_FALSE(sandbox->FileExists(log));
    }
    // The program itself says it on the output it was started with.
    Finished run = RunProgram("\"" + WindowsPath(MX_RANDOMIZER_EXE) + "\" /?");
    EXPECT_EQ(run.code, 2u);
    EXPECT_NE(run.output.find("--dry-run"), std::string::npos) << run.output;
}

TEST_F(Randomizer, AProgramDirectoryItCannotWriteToStillGetsTheScreens) {
    WriteLists({{kValid1}, {}, {}, {{"wall.bmp", Bitmap(40, 30, 24, 9), true}}});
    for (const char* name : {"MXRandom.log", "@MX!BACK.BMP"})
        ::CreateDirectoryA((sandbox->programDir + name).c_str(), nullptr);
    std::vector<std::string> lines = Run({});
    EXPECT_EQ(Screen(10), kBoot1);
    EXPECT_TRUE(env.wallpapers.empty());
    EXPECT_EQ(Sandbox::Value(kDesktop, "TileWallpaper"), "0");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("not set, the wallpaper is left as it is: Cannot create file"), std::string::npos);
}

TEST_F(Randomizer, ADryRunNamesWhatTheNextRunSetsAcrossRoundsAndEdits) {
    std::vector<Entry> screens, walls;
    for (uint8_t i = 1; i <= 3; ++i) {
        screens.push_back({"s" + std::to_string(i) + ".bmp", Bitmap(320, 400, 8, i), true});
        walls.push_back({"w" + std::to_string(i) + ".bmp", Bitmap(40, 30, 24, i), true});
    }
    for (int run = 1; run <= 12; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        if (run == 5) {
            screens.push_back({"s4.bmp", Bitmap(320, 400, 8, 4), true});
            walls.erase(walls.begin());
        }
        if (run == 9) screens.erase(screens.begin() + 1);
        WriteLists({{}, screens, {}, walls});
        std::vector<std::string> dry = Chosen(Run({"--dry-run"}));
        std::vector<std::string> real = Chosen(Run({}));
        EXPECT_EQ(dry.size(), 2u);
        EXPECT_EQ(dry, real);
    }
}

TEST_F(Randomizer, TwoRunsAtOnceBothSetTheirPicturesAndBothAreLogged) {
    WriteLists({{kValid1, kValid2}, {}, {}, {{"w1.bmp", Bitmap(40, 30, 24, 1), true}, {"w2.bmp", Bitmap(40, 30, 24, 2), true}}});
    for (int pair = 1; pair <= 5; ++pair) {
        SCOPED_TRACE("pair " + std::to_string(pair));
        TestEnvironment other;
        other.moduleFileName = env.moduleFileName;
        other.windowsDirectory = env.windowsDirectory;
        env.wallpapers.clear();
        std::thread second([&] { RunRandomizer(other, {}); });
        RunRandomizer(env, {});
        second.join();
        EXPECT_EQ(env.wallpapers.size(), 1u);
        EXPECT_EQ(other.wallpapers.size(), 1u);
    }
    std::string log = sandbox->ReadFile(sandbox->programDir + "MXRandom.log");
    size_t set = 0;
    for (size_t at = 0; (at = log.find("Wallpaper: ", at)) != std::string::npos; ++at) ++set;
    EXPECT_EQ(set, 10u) << log;
}

// The randomizer's environment with a step of the run to break into.
struct HookedEnvironment : TestEnvironment {
    explicit HookedEnvironment(const TestEnvironment& base) : TestEnvironment(base) {}
    std::function<void()> onScreenSize, onWallpaper;
    SIZE ScreenSize() override {
        if (auto hook = std::exchange(onScreenSize, nullptr)) hook();
        return TestEnvironment::ScreenSize();
    }
    bool SetDesktopWallpaper(const std::string& path) override {
        if (onWallpaper) onWallpaper();
        return TestEnvironment::SetDesktopWallpaper(path);
    }
};

// When the picture is set, the deal is kept and the lines before are in the log: a run that breaks
// off there (here an error; a crash or a kill alike) never deals the same entry again.
TEST_F(Randomizer, TheDealIsKeptAndTheLogWrittenBeforeThePictureIsSet) {
    WriteLists({{kValid1}, {}, {}, {{"w1.bmp", Bitmap(40, 30, 24, 1), true}, {"w2.bmp", Bitmap(40, 30, 24, 2), true}}});
    const std::vector<std::string> first = Chosen(Run({"--dry-run"}));
    ASSERT_EQ(first.size(), 2u);
    HookedEnvironment hooked(env);
    std::string logThen;
    hooked.onWallpaper = [&] {
        logThen = sandbox->ReadFile(sandbox->programDir + "MXRandom.log");
        throw std::runtime_error("broken off");
    };
    RunRandomizer(hooked, {});
    EXPECT_NE(logThen.find(first[0]), std::string::npos) << logThen;
    EXPECT_NE(sandbox->ReadFile(sandbox->programDir + "MXRandom.log").find("Stopped: broken off"), std::string::npos);
    const std::vector<std::string> next = Chosen(Run({"--dry-run"}));
    ASSERT_EQ(next.size(), 2u);
    EXPECT_NE(next[1], first[1]);
}

// A run stopped past its turn while two newer runs set the wallpaper leaves their choice and deck.
TEST_F(Randomizer, ARunOvertakenByNewerRunsLeavesTheirWallpaperAndDeck) {
    std::vector<Entry> walls;
    for (uint8_t i = 1; i <= 3; ++i) walls.push_back({"w" + std::to_string(i) + ".bmp", Bitmap(40, 30, 24, i), true});
    WriteLists({{}, {}, {}, walls});
    HookedEnvironment stale(env);
    std::string wallpaper, deck;
    stale.onScreenSize = [&] {
        Run({});
        Run({});
        wallpaper = sandbox->ReadFile(sandbox->programDir + "@MX!BACK.BMP");
        deck = Sandbox::Value(std::string(kSettings) + "\\Randomizer", "Wallpaper").value_or("");
    };
    std::vector<std::string> lines;
    RunRandomizer(stale, {}, [&](const std::string& line) { lines.push_back(line); });
    EXPECT_TRUE(stale.wallpapers.empty());
    EXPECT_EQ(sandbox->ReadFile(sandbox->programDir + "@MX!BACK.BMP"), wallpaper);
    EXPECT_EQ(Sandbox::Value(std::string(kSettings) + "\\Randomizer", "Wallpaper"), deck);
    ASSERT_EQ(lines.size(), 2u);  // the log-on's line, and
    EXPECT_NE(lines[1].find("Wallpaper: another run has dealt from this list meanwhile"), std::string::npos) << lines[1];
}

// Twenty shares that never answer, listed before a share that does and a picture on a local drive,
// cost the run its one wait at most: the share is asked in time, and the local picture is set.
TEST_F(Randomizer, SilentSharesNeverKeepOtherRootsFromBeingAsked) {
    auto release = std::shared_ptr<void>(::CreateEventA(nullptr, TRUE, FALSE, nullptr), ::CloseHandle);
    env.folderQuestion = [release](const std::string& folder) -> DWORD {
        if (folder == "\\\\live\\share\\") return FILE_ATTRIBUTE_DIRECTORY;
        if (folder.rfind("\\\\silent", 0) != 0) return ::GetFileAttributesA(folder.c_str());
        ::WaitForSingleObject(release.get(), 60000);
        return INVALID_FILE_ATTRIBUTES;
    };
    std::vector<Entry> shares;
    for (int i = 0; i < 20; ++i) shares.push_back({"\\\\silent" + std::to_string(i) + "\\share\\a.bmp", std::nullopt, false});
    shares.push_back({"\\\\live\\share\\a.bmp", std::nullopt, false});
    WriteLists({shares, {kValid1}, {}, {}});
    const ULONGLONG start = ::GetTickCount64();
    std::string log;
    for (const std::string& line : Run({})) log += line + "\n";
    const ULONGLONG took = ::GetTickCount64() - start;
    ::SetEvent(release.get());
    EXPECT_EQ(Screen(20), kBoot1);
    EXPECT_NE(log.find("\\\\silent19\\share\\ does not answer"), std::string::npos) << log;
    EXPECT_NE(log.find("\\\\live\\share\\a.bmp (place"), std::string::npos) << log;
    EXPECT_EQ(log.find("\\\\live\\share\\ does not answer"), std::string::npos) << log;
    EXPECT_LT(took, 8000u) << "each share waited for in turn";
}

// Sets a folder's times an hour back, as if it had not changed for that long.
void AgeFolder(const std::string& folder) {
    HANDLE dir = ::CreateFileA(folder.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(dir, INVALID_HANDLE_VALUE) << folder;
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= 3600ull * 10000000;
    const FILETIME hourAgo{t.LowPart, t.HighPart};
    EXPECT_TRUE(::SetFileTime(dir, nullptr, nullptr, &hourAgo));
    ::CloseHandle(dir);
}

// A folder entry's pictures are found again at each run (the dealing itself is the unit tests'); a
// folder unchanged for a while is not listed again.
TEST_F(Randomizer, FolderEntriesAreListedAtEachRunOrTakenFromTheCache) {
    const std::string pics = sandbox->programDir + "pics\\";
    ASSERT_TRUE(::CreateDirectoryA(pics.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((pics + "sub").c_str(), nullptr));
    sandbox->WriteFile(pics + "f1.bmp", kBoot2);
    sandbox->WriteFile(pics + "sub\\wide.bmp", Bitmap(640, 480, 8, 20));
    sandbox->WriteFile(pics + "notes.txt", "not a picture");
    WriteLists({{}, {{pics + "**", std::nullopt, true}}, {}, {}});
    std::vector<std::string> lines = Run({});
    EXPECT_EQ(Screen(20), kBoot2);
    EXPECT_NE(lines.at(0).find("Waiting screen: folder " + pics + "** gave 2 pictures from 2 folders, listed"),
              std::string::npos) << lines.at(0);
    sandbox->WriteFile(pics + "sub\\new.bmp", kBoot1);
    for (int run = 0; run < 3 && Screen(20) != kBoot1; ++run) lines = Run({});
    EXPECT_EQ(Screen(20), kBoot1);
    EXPECT_NE(lines.at(0).find("gave 3 pictures"), std::string::npos) << lines.at(0);
    AgeFolder(pics);
    AgeFolder(pics + "sub");
    Run({});
    EXPECT_NE(Run({}).at(0).find("gave 3 pictures from 2 folders, every listing from the cache"), std::string::npos);
}

// Folder entries that give nothing to deal, or whose pictures sit out the run, leave the run to the
// list's other entries.
TEST_F(Randomizer, FolderEntriesThatCannotBeReadAreLoggedAndPassedOver) {
    const std::string links = WindowsPath(MX_LINK_LOOP) + "\\";
    const DWORD up = ::GetFileAttributesA((links + "sub\\up").c_str());
    const bool haveLinks = up != INVALID_FILE_ATTRIBUTES && (up & FILE_ATTRIBUTE_REPARSE_POINT);
    struct Case {
        const char* name;
        std::string folder;  // the entry; "%" stands for the program directory
        std::string cache;   // MXRandom.cache before the run
        std::string logs;
        size_t held = 0;     // pictures sitting out the run
    } cases[] = {
        {"a share that is not there, last seen holding two pictures", "\\\\absent\\share\\pics\\*",
         "Mosalux folder listings 1\r\n1 2 2 0 \\\\absent\\share\\pics\r\na.bmp\r\nb.jpg\r\n",
         "\\\\absent\\share\\pics\\*: \\\\absent\\share\\ is not there; 2 pictures last seen there sit out this run", 2},
        {"a share that is not there, never seen", "\\\\absent\\share\\pics\\**", "",
         "\\\\absent\\share\\pics\\**: \\\\absent\\share\\ is not there; none of its pictures is known"},
        {"a folder that is a file", "%one.bmp\\*", "", "one.bmp\\* is a file, not a folder"},
        {"a folder that is not there", "%gone\\**", "", "gone\\** is not there"},
        {"an empty folder", "%empty\\**", "", "empty\\** gave 0 pictures from 1 folder, listed"},
        {"a loop of links", haveLinks ? links + "**" : "%empty\\**", "",
         haveLinks ? "link-loop\\** gave 0 pictures from 2 folders, listed" : "empty\\** gave 0 pictures"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sandbox.reset();
        SetUp();
        env.wallpapers.clear();
        ::CreateDirectoryA((sandbox->programDir + "empty").c_str(), nullptr);
        sandbox->WriteFile(sandbox->programDir + "one.bmp", kBoot1);
        const std::string folder = c.folder[0] == '%' ? sandbox->programDir + c.folder.substr(1) : c.folder;
        if (!c.cache.empty()) sandbox->WriteFile(sandbox->programDir + "MXRandom.cache", c.cache);
        WriteLists({{}, {}, {}, {{folder, std::nullopt, false}, {"wall.bmp", Bitmap(40, 30, 24, 9), true}}});
        std::string log;
        for (const std::string& line : Run({})) log += line + "\n";
        EXPECT_NE(log.find("Wallpaper: folder "), std::string::npos) << log;
        EXPECT_NE(log.find(c.logs), std::string::npos) << log;
        EXPECT_EQ(env.wallpapers.size(), 1u) << log;
        EXPECT_NE(log.find("wall.bmp as Tiled (place 1 of " + std::to_string(c.held + 1) + ")"), std::string::npos)
            << log;
        // The listing of a folder that did not answer is kept for when it does.
        if (c.held) {
            EXPECT_EQ(sandbox->ReadFile(sandbox->programDir + "MXRandom.cache"), c.cache);
        }
    }
}

// The selector's start-up switch names the randomizer beside it; that command line, started as the
// system starts it, does the job. The build puts MXRandom.exe beside MXSelect.exe.
using RandomizerAtStartUp = MainWindowTest;

TEST_F(RandomizerAtStartUp, StartsFromTheRunValueTheSelectorWrites) {
    const std::string built = WindowsPath(MX_RANDOMIZER_EXE), selector = WindowsPath(MX_SELECTOR_EXE);
    ASSERT_EQ(built.substr(0, built.rfind('\\')), selector.substr(0, selector.rfind('\\')));
    StartProgram();
    Click(form->chkbStartUpRun);
    Click(form->chkbStartUpRun);
    auto command = Sandbox::Value("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Mosalux");
    ASSERT_EQ(command, "\"" + sandbox->programDir + "MXRandom.exe\"");
    ASSERT_TRUE(::CopyFileA(built.c_str(), (sandbox->programDir + "MXRandom.exe").c_str(), FALSE));
    // Started by itself, the randomizer uses the machine's own Windows directory and registry: the
    // start-up screen there is put back afterwards, and the deck it keeps is removed.
    char windows[MAX_PATH];
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string target = BootScreenPathOf(windows, 10);
    const std::string saved = sandbox->ReadFile(target);
    sandbox->WriteFile(DataFile(), "[START]\r\n" + sandbox->programDir + "one.bmp\r\n");
    sandbox->WriteFile(sandbox->programDir + "one.bmp", kBoot1);

    EXPECT_EQ(RunProgram(*command).code, 0u);
    EXPECT_EQ(sandbox->ReadFile(target), kBoot1);
    EXPECT_NE(sandbox->ReadFile(sandbox->programDir + "MXRandom.log").find("Start-up screen: "), std::string::npos);
    if (saved == "<missing>") ::DeleteFileA(target.c_str());
    else sandbox->WriteFile(target, saved);
    form.reset();
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    EXPECT_EQ(::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Kelbrant\\Mosalux\\Randomizer"), ERROR_SUCCESS);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Kelbrant\\Mosalux");  // only when nothing else is kept there
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Kelbrant");
}

}  // namespace
}  // namespace mx::test
