// The system's decoders run in a process of their own, which a test switch makes crash or never
// answer (and a TIFF of many frames really crashes under Wine): the randomizer passes such a picture
// over and sets the next entry; the selector's pane never waits for it, a newer choice ends it, and
// the commands that need the picture wait for it with the window answering. No process, thread or
// memory of a request is left behind.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <atomic>
#include <string_view>
#include <thread>

#include "app/resource.h"
#include "picture/form_preview.h"
#include "picture/wic_reader_win.h"
#include "sandbox.h"

namespace mx::test {
namespace {

// The decoding processes this one started that still run (the system's own are not counted), and
// this one's threads.
struct Census {
    int children = 0, threads = 0;
};
Census Count() {
    Census census;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 process{};
    process.dwSize = sizeof process;
    for (BOOL more = ::Process32First(snapshot, &process); more; more = ::Process32Next(snapshot, &process)) {
        if (process.th32ProcessID == ::GetCurrentProcessId()) census.threads = int(process.cntThreads);
        census.children += process.th32ParentProcessID == ::GetCurrentProcessId() &&
                           std::string_view("window_tests.exe MXSelect.exe MXRandom.exe").find(process.szExeFile) !=
                               std::string_view::npos;
    }
    ::CloseHandle(snapshot);
    return census;
}

// The memory committed to this process alone.
size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS memory{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
    return memory.PagefileUsage;
}

class DecodingProcess : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        dir = sandbox->programDir;
        ASSERT_TRUE(::CopyFileA(TestData("wic-upright.tif").c_str(), (dir + "pic.tif").c_str(), FALSE));
        ASSERT_TRUE(::CopyFileA(TestData("rose.jpg").c_str(), (dir + "rose.jpg").c_str(), FALSE));
        // A header only the system's decoders take, and 48 MB after it that an abandoned request
        // would hold.
        sandbox->WriteFile(dir + "big.tif", "II*\0" + std::string(48 << 20, 'x'));
        sandbox->WriteFile(DataFile(), "[WALLPAPER]\r\n" + dir + "pic.tif, Centred\r\n" + dir + "rose.jpg, Centred\r\n");
    }
    void Choose(const std::string& name) { MainWindowTest::Choose(dir, {name}); }
    std::string dir;
};

TEST_F(DecodingProcess, TheRandomizerPassesOverACrashOrAHangAndSetsTheNextEntry) {
    for (const char* test : {"crash", "hang"}) {
        SCOPED_TRACE(test);
        SystemImaging imaging({"", 1000, test});
        bool passedOver = false;
        for (int run = 1; run <= 4 && !passedOver; ++run) {
            TestEnvironment randomizer = RandomizerEnvironment();
            const std::vector<std::string> lines = RandomizerLines(randomizer, {"--seed", std::to_string(run)});
            // After the line of the log-on, what it did.
            passedOver = lines.at(1).find("passed over " + dir + "pic.tif") != std::string::npos;
            if (!passedOver) continue;
            EXPECT_NE(lines[1].find("): the system's decoder failed"), std::string::npos) << lines[1];
            ASSERT_EQ(lines.size(), 3u);
            EXPECT_NE(lines[2].find(dir + "rose.jpg as Centred"), std::string::npos) << lines[2];
            EXPECT_EQ(randomizer.wallpapers.size(), 1u);
        }
        EXPECT_TRUE(passedOver);
        EXPECT_EQ(Count().children, 0);
    }
    // A TIFF of 20,000 frames, which crashes Wine's own codec (2,000 it reads): the run goes on.
    const auto le32 = [](uint32_t value) { return std::string(reinterpret_cast<const char*>(&value), 4); };
    // Tag, type and value of each frame: 1 x 1, 8-bit RGB, its pixel at 8.
    const uint32_t fields[][3] = {{256, 3, 1}, {257, 3, 1}, {258, 3, 8}, {259, 3, 1}, {262, 3, 2},
                                  {273, 4, 8}, {277, 3, 3}, {278, 3, 1}, {279, 4, 3}};
    std::string frames = std::string("II*\0\x0C\0\0\0\xFF\0\0\0", 12);
    for (uint32_t i = 0, next = 12 + 114; i < 20000; ++i, next += 114) {
        frames += std::string("\x09\0", 2);
        for (const auto& field : fields) frames += le32(field[0] | field[1] << 16) + le32(1) + le32(field[2]);
        frames += le32(i + 1 < 20000 ? next : 0);
    }
    sandbox->WriteFile(dir + "frames.tif", frames);
    sandbox->WriteFile(DataFile(), "[WALLPAPER]\r\n" + dir + "frames.tif, Centred\r\n");
    {
        SystemImaging imaging;
        EXPECT_NE(RandomizerLines(env, {}).at(1).find(dir + "frames.tif"), std::string::npos);
    }
    // The randomizer itself, started as at log-on, decodes the picture by starting itself again.
    const std::string program = dir + "MXRandom.exe";
    ASSERT_TRUE(::CopyFileA(WindowsPath(MX_RANDOMIZER_EXE).c_str(), program.c_str(), FALSE));
    sandbox->WriteFile(DataFile(), "[WALLPAPER]\r\n" + dir + "pic.tif, Centred\r\n");
    RunProgram("\"" + program + "\" --dry-run");
    EXPECT_NE(sandbox->ReadFile(dir + "MXRandom.log").find("pic.tif as Centred (place 1 of 1): decoded"), std::string::npos);
}

TEST_F(DecodingProcess, ThePaneNeverWaitsAndANewerChoiceEndsTheOlderDecode) {
    SystemImaging imaging({"", 60000, "hang"});
    StartProgram();
    Click(form->sbtnWall);
    Choose("rose.jpg");
    const Census before = Count();
    const size_t memory = PrivateBytes();
    for (int i = 0; i < 5; ++i) {
        const ULONGLONG start = ::GetTickCount64();
        Choose("big.tif");
        EXPECT_LT(::GetTickCount64() - start, 10000u) << "the click waited for the decoder";
        EXPECT_TRUE(form->PreviewDecoding());
        EXPECT_FALSE(Visible(form->ImgPreview));
        EXPECT_EQ(Text(form->PnlPreviewName), dir + "big.tif");
        for (int waited = 0; waited < 100 && Count().children == 0; ++waited) ::Sleep(50);
        EXPECT_EQ(Count().children, 1);
        Choose("rose.jpg");
        EXPECT_FALSE(form->PreviewDecoding());
        EXPECT_TRUE(Visible(form->ImgPreview));
        EXPECT_EQ(Count().children, 0);
    }
    EXPECT_LE(Count().threads, before.threads);
    EXPECT_LT(PrivateBytes(), memory + (40 << 20));
}

TEST_F(DecodingProcess, CommandsWaitForThePictureWithTheWindowAnswering) {
    struct Case {
        const char* test;
        unsigned limitMs;
        int command;
        const char* box;  // none when the picture comes
    } cases[] = {
        {"", 60000, IDM_SEL_VIEW, nullptr},
        {"", 60000, IDM_INFO_SETWALLPAPER, nullptr},
        {"crash", 60000, IDM_INFO_SETWALLPAPER, "The picture cannot be read, so the wallpaper was not changed."},
        {"hang", 1500, IDM_SEL_VIEW, "No Preview Available.\n\rSelect a file first."},
    };
    StartProgram();
    Click(form->sbtnWall);
    PickStyle("Centred");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.test << " " << c.command);
        // The selector itself as the decoding program, once.
        SystemImaging imaging({c.command == IDM_SEL_VIEW && !c.box ? WindowsPath(MX_SELECTOR_EXE) : "", c.limitMs, c.test});
        Choose("rose.jpg");
        Choose("pic.tif");
        std::atomic<bool> waiting{true}, asking{true};
        std::atomic<int> answered{0}, unanswered{0};
        std::thread other([&] {
            // A request to close while a hanging decode is waited for is refused: the command goes on.
            bool closing = c.limitMs < 60000;
            for (DWORD_PTR result = 0; waiting; ::Sleep(50)) {
                ++(::SendMessageTimeoutA(form->Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) ? answered : unanswered);
                if (closing && !::IsWindowEnabled(form->Handle())) closing = !::PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
            }
            asking = false;
        });
        if (c.box) env.ExpectBox(c.command == IDM_SEL_VIEW ? BoxKind::Information : BoxKind::Error, c.box);
        const size_t wallpapers = env.wallpapers.size();
        Menu(c.command);
        waiting = false;
        for (MSG msg; asking; ::Sleep(10)) ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // answers its last question
        other.join();
        EXPECT_EQ(unanswered, 0);
        EXPECT_TRUE(c.limitMs == 60000 || answered > 0);
        EXPECT_TRUE(::IsWindowEnabled(form->Handle()));
        EXPECT_EQ(Visible(form->ImgPreview), !c.box);
        EXPECT_EQ(form->SizeHint, c.box ? "" : "Size : 24 X 16");
        EXPECT_EQ(env.wallpapers.size(), wallpapers + (c.command == IDM_INFO_SETWALLPAPER && !c.box));
        TFormPreview& preview = form->FormPreview();
        EXPECT_EQ(::IsWindowVisible(preview.Handle()), c.command == IDM_SEL_VIEW && !c.box);
        EXPECT_EQ(preview.Image().picture.width, ::IsWindowVisible(preview.Handle()) ? 24 : preview.Image().picture.width);
        preview.Returntomain1Click();
        EXPECT_EQ(Count().children, 0);
    }
}

}  // namespace
}  // namespace mx::test
