#include <filesystem>

#include "app/resource.h"
#include "lists/list_view.h"
#include "platform/file_reading.h"
#include "platform/user_error.h"
#include "randomizer/randomizer.h"
#include "lists/categories.h"
#include "sandbox.h"
#include "system/wallpaper.h"

namespace mx::test {
namespace {

constexpr const char* kSavePrompt = "Changes not saved!\n\rSave before exit?";
constexpr const char* kOnDisk = "[START]\r\n\r\n[WAIT]\r\n\r\n[SHUT]\r\n\r\n[WALLPAPER]\r\nC:\\P\\A.BMP, Mirror\r\n";

class Saving : public MainWindowTest {
protected:
    // Starts with one wallpaper on disk and gives it another style, as the user would.
    void StartWithAChange() {
        sandbox->WriteFile(DataFile(), kOnDisk);
        StartProgram();
        Click(form->sbtnWall);
        SelectRow(form->ListWall, 0);
        PickStyle("Tiled");
        ASSERT_TRUE(form->UnsavedChanges);
    }
    // Everything beside the program whose name starts with "~".
    std::vector<std::string> TemporaryFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(sandbox->programDir))
            if (entry.path().filename().string()[0] == '~') names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(Saving, NoFileGivesEmptyListsWithoutAMessage) {
    StartProgram();
    for (HWND list : {form->ListStart, form->ListWait, form->ListShut, form->ListWall})
        EXPECT_EQ(ItemCount(list), 0);
    EXPECT_TRUE(env.boxes.empty());
}

TEST_F(Saving, FourEmptyListsSaveAsSevenLines) {
    StartProgram();
    EXPECT_TRUE(Shortcut('S', true));
    EXPECT_EQ(sandbox->ReadFile(DataFile()), "[START]\r\n\r\n[WAIT]\r\n\r\n[SHUT]\r\n\r\n[WALLPAPER]\r\n");
    EXPECT_TRUE(TemporaryFiles().empty());
}

TEST_F(Saving, SavedListsLoadBackInTheirOrder) {
    std::string text =
        "[START]\r\nC:\\S\\b.sys\r\nC:\\S\\A.SYS\r\nC:pic.bmp\r\n\r\n[WAIT]\r\nlocal.sys\r\n\r\n[SHUT]\r\n"
        "D:\\LOGOS\\BYE.BMP\r\n\r\n[WALLPAPER]\r\nC:\\P\\SEA.JPG, Fit 2 Screen\r\nC:\\P\\FOREST.BMP,tiled\r\n";
    sandbox->WriteFile(DataFile(), text);
    StartProgram();
    Menu(IDM_SAVE);
    EXPECT_FALSE(form->UnsavedChanges);
    EXPECT_EQ(sandbox->ReadFile(DataFile()),
              "[START]\r\nC:\\S\\A.SYS\r\nC:\\S\\b.sys\r\nC:\\pic.bmp\r\n\r\n[WAIT]\r\n" + sandbox->programDir +
                  "local.sys\r\n\r\n[SHUT]\r\nD:\\LOGOS\\BYE.BMP\r\n\r\n[WALLPAPER]\r\nC:\\P\\FOREST.BMP, Tiled\r\n"
                  "C:\\P\\SEA.JPG, Fit 2 Screen\r\n");
}

// A selection file or log an earlier version wrote in the system's 8-bit code page reads to the same
// entries and lines, in both programs, and is written back in UTF-8; one that is UTF-8 is read as
// UTF-8 whatever that code page is.
TEST_F(Saving, OlderFilesInTheSystemsCodePageReadToTheSameEntries) {
    const std::string cafe = "Caf\xc3\xa9 \xc3\xa9t\xc3\xa9.jpg";
    const struct { UINT codePage; std::string onDisk, name; } cases[] = {
        {1252, "Caf\xe9 \xe9t\xe9.jpg", cafe},
        {1253, "\xc8\xdc\xeb\xe1\xf3\xf3\xe1.jpg", "\xce\x98\xce\xac\xce\xbb\xce\xb1\xcf\x83\xcf\x83\xce\xb1.jpg"},
        {1251, "\xcc\xee\xf0\xe5.jpg", "\xd0\x9c\xd0\xbe\xd1\x80\xd0\xb5.jpg"},
        // Shift-JIS, where the second byte of a character may be a backslash.
        {932, "\x93\x8c\x8b\x9e\x83\x5c.jpg", "\xe6\x9d\xb1\xe4\xba\xac\xe3\x82\xbd.jpg"},
        {1253, cafe, cafe}};
    auto file = [](const std::string& name) {
        return "[START]\r\n\r\n[WAIT]\r\n\r\n[SHUT]\r\n\r\n[WALLPAPER]\r\nC:\\P\\" + name + ", Tiled\r\n";
    };
    const std::string log = sandbox->programDir + "MXRandom.log";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codePage);
        form.reset();
        env.eightBitCodePage = c.codePage;
        sandbox->WriteFile(DataFile(), file(c.onDisk));
        sandbox->WriteFile(log, "C:\\P\\" + c.onDisk + "\r\n");
        std::string said;
        RunRandomizer(env, {"--dry-run"}, [&](const std::string& line) { said += line + "\n"; });
        EXPECT_NE(said.find("C:\\P\\" + c.name + " "), std::string::npos) << said;
        EXPECT_EQ(sandbox->ReadFile(log).substr(0, c.name.size() + 7), "C:\\P\\" + c.name + "\r\n");
        StartProgram();
        EXPECT_EQ(Captions(form->ListForCategory(CategoryWall)), std::vector<std::string>{c.name});
        form->UnsavedChanges = true;
        Menu(IDM_SAVE);
        EXPECT_EQ(sandbox->ReadFile(DataFile()), file(c.name));
    }
}

TEST_F(Saving, LargeFilesWithVeryLongLinesLoadAndSaveUnchanged) {
    std::string text = "[START]\r\n";
    for (int i = 0; i < 40; ++i) text += "C:\\" + std::string(100000, char('a' + i % 26)) + "\\" + std::to_string(i) + ".SYS\r\n";
    text += "\r\n[WAIT]\r\n\r\n[SHUT]\r\n\r\n[WALLPAPER]\r\n";
    sandbox->WriteFile(DataFile(), text);
    StartProgram();
    EXPECT_EQ(ItemCount(form->ListStart), 40);
    EXPECT_EQ(ItemText(form->ListStart, 0, ColumnPath).size(), 100004u);
    form->UnsavedChanges = true;
    Menu(IDM_SAVE);
    std::string saved = sandbox->ReadFile(DataFile());
    EXPECT_EQ(saved.size(), text.size());
}

TEST_F(Saving, AFailedWriteLeavesTheFileAsItWasAndTheChangesUnsaved) {
    StartWithAChange();
    env.failWritesAfter = 0;
    env.ExpectBox(BoxKind::Error, "Error writing to file");
    Menu(IDM_SAVE);
    EXPECT_EQ(sandbox->ReadFile(DataFile()), kOnDisk);
    EXPECT_TRUE(TemporaryFiles().empty());
    EXPECT_TRUE(form->UnsavedChanges);
}

// Whatever an earlier run left beside the program under a temporary file's name, the lists are saved
// and the wallpaper set; of what broken-off writes left, what no process holds open is removed.
TEST_F(Saving, StrayTemporaryFilesNeverBlockASaveOrTheWallpaper) {
    enum Kind { Folder, ReadOnly, Leftover, HeldOpen };
    struct Case { const char* name; Kind kind; bool stays; const char* saveError = nullptr; bool wallpaperFails = false; };
    const Case cases[] = {{"~MXDATA.MXD", Folder, true},           {"~MXDATA.MXD", ReadOnly, true},
                          {"~@MX!BACK.BMP", Folder, true},         {"~@MX!BACK.BMP", ReadOnly, true},
                          {"~MXDATA.MXD.1c-0.tmp", Leftover, false}, {"~@MX!BACK.BMP.1c-0.tmp", Leftover, false},
                          {"~MXDATA.MXD.1c-1.tmp", HeldOpen, true},  {"~@MX!BACK.BMP.1c-1.tmp", HeldOpen, true},
                          {"~MXDATA.MXD.1c-2.tmp", Folder, true},
                          {"~MXD0a1b2c", Leftover, false},          {"~@MX!B0a1b2c", HeldOpen, true},
                          {"MXDATA.MXD", Folder, true, "Error 5 creating file"},
                          {"@MX!BACK.BMP", Folder, true, nullptr, true}};
    StartProgram();
    const Picture picture = Picture::Make32(4, 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " kind " + std::to_string(c.kind));
        const std::string path = sandbox->programDir + c.name;
        HANDLE held = INVALID_HANDLE_VALUE;
        ::DeleteFileA(path.c_str());  // the lists saved by the rows before
        if (c.kind == Folder) ASSERT_TRUE(::CreateDirectoryA(path.c_str(), nullptr));
        else sandbox->WriteFile(path, "left");
        if (c.kind == ReadOnly) ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        if (c.kind == HeldOpen) held = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);

        form->UnsavedChanges = true;
        if (c.saveError) env.ExpectBox(BoxKind::Error, c.saveError);
        Menu(IDM_SAVE);
        EXPECT_EQ(form->UnsavedChanges, c.saveError != nullptr);
        std::string wallpaperError;
        try {
            ApplyWallpaper(env, picture, "Centred", sandbox->programDir);
        } catch (const UserError& e) {
            wallpaperError = e.what();
        }
        EXPECT_EQ(wallpaperError, c.wallpaperFails ? "Cannot create file \"" + sandbox->programDir + "@MX!BACK.BMP\"" : "");
        EXPECT_EQ(sandbox->FileExists(path), c.stays);
        EXPECT_EQ(TemporaryFiles(), c.stays && c.name[0] == '~' ? std::vector<std::string>{c.name} : std::vector<std::string>{});

        if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (c.kind == Folder) ::RemoveDirectoryA(path.c_str());
        else ::DeleteFileA(path.c_str());
    }
    EXPECT_TRUE(env.AllBoxesShown());
}

// The file is there at start-up but held by another program: the lists are never replaced unseen.
TEST_F(Saving, AFileThatCannotBeOpenedIsReportedAndSaveAsksBeforeReplacingIt) {
    sandbox->WriteFile(DataFile(), kOnDisk);
    HANDLE held = ::CreateFileA(DataFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    env.ExpectBox(BoxKind::Error, "Error 32 opening file\n\r" + DataFile() + ": " + SystemErrorText(32) +
                                      "\n\r\n\rThe lists are shown as far as they could be read, and Save will ask "
                                      "before it replaces the file.");
    StartProgram();
    ::CloseHandle(held);
    EXPECT_EQ(ItemCount(form->ListWall), 0);
    const std::string question =
        "The selection file could not be read at start-up:\n\r" + DataFile() + "\n\r\n\rReplace it with the lists shown here?";
    form->UnsavedChanges = true;
    env.ExpectBox(BoxKind::Confirmation, question, IDNO);
    Menu(IDM_SAVE);
    EXPECT_EQ(env.boxes.back().buttons, UINT(MB_YESNO | MB_DEFBUTTON2));
    EXPECT_EQ(sandbox->ReadFile(DataFile()), kOnDisk);
    EXPECT_TRUE(form->UnsavedChanges);
    env.ExpectBox(BoxKind::Confirmation, question, IDYES);
    Menu(IDM_SAVE);
    EXPECT_EQ(sandbox->ReadFile(DataFile()), "[START]\r\n\r\n[WAIT]\r\n\r\n[SHUT]\r\n\r\n[WALLPAPER]\r\n");
    Menu(IDM_SAVE);  // the file now holds the lists shown: no more question
    EXPECT_TRUE(env.AllBoxesShown());
}

// Near the system's path limit, the lists and the wallpaper are still written, through temporary
// files that fit wherever the files themselves fit.
TEST_F(Saving, AProgramDirectoryNearThePathLimitStillTakesTheListsAndTheWallpaper) {
    std::string dir = sandbox->root;  // as long as the wallpaper's path may make it, in folders of 100
    for (size_t left; (left = kMaxWallpaperPath - kWallpaperFile.size() - dir.size()) > 0;)
        ASSERT_TRUE(::CreateDirectoryA((dir += std::string(left > 102 ? 100 : left - 1, 'd') + "\\").c_str(), nullptr));
    env.moduleFileName = dir + "MXSelect.exe";
    StartProgram();
    form->UnsavedChanges = true;
    Menu(IDM_SAVE);
    EXPECT_FALSE(form->UnsavedChanges);
    EXPECT_NO_THROW(ApplyWallpaper(env, Picture::Make32(4, 4), "Centred", dir));
}

TEST_F(Saving, AFileThatCannotBeCreatedIsReportedWithItsErrorCode) {
    env.moduleFileName = sandbox->root + "missing\\MXSelect.exe";
    StartProgram();
    form->UnsavedChanges = true;
    env.ExpectBox(BoxKind::Error, "Error 3 creating file");  // the path was not found
    Menu(IDM_SAVE);
    EXPECT_TRUE(form->UnsavedChanges);
}

TEST_F(Saving, YesAtExitSavesAndCloses) {
    StartWithAChange();
    env.ExpectBox(BoxKind::Confirmation, kSavePrompt, IDYES);
    Menu(IDM_EXIT);
    EXPECT_FALSE(WindowOpen());
    EXPECT_EQ(sandbox->ReadFile(DataFile()),
              "[START]\r\n\r\n[WAIT]\r\n\r\n[SHUT]\r\n\r\n[WALLPAPER]\r\nC:\\P\\A.BMP, Tiled\r\n");
    ASSERT_EQ(env.boxes.size(), 1u);
    EXPECT_EQ(env.boxes[0].buttons & MB_TYPEMASK, UINT(MB_YESNOCANCEL));
}

TEST_F(Saving, YesAtExitWithAFailedSaveKeepsTheWindowOpen) {
    StartWithAChange();
    env.failWritesAfter = 0;
    env.ExpectBox(BoxKind::Confirmation, kSavePrompt, IDYES);
    env.ExpectBox(BoxKind::Error, "Error writing to file");
    RequestClose();
    EXPECT_TRUE(WindowOpen());
    EXPECT_TRUE(form->UnsavedChanges);
    EXPECT_TRUE(form->ListEventsEnabled);
    EXPECT_EQ(ItemText(form->ListWall, 0, ColumnStyle), "Tiled");
    EXPECT_EQ(sandbox->ReadFile(DataFile()), kOnDisk);
}

TEST_F(Saving, CancelKeepsTheWindowOpenAndNoClosesWithoutSaving) {
    StartWithAChange();
    env.ExpectBox(BoxKind::Confirmation, kSavePrompt, IDCANCEL);
    Menu(IDM_EXIT);
    EXPECT_TRUE(WindowOpen());
    EXPECT_TRUE(form->UnsavedChanges);
    EXPECT_TRUE(form->ListEventsEnabled);

    env.ExpectBox(BoxKind::Confirmation, kSavePrompt, IDNO);
    RequestClose();
    EXPECT_FALSE(WindowOpen());
    EXPECT_EQ(sandbox->ReadFile(DataFile()), kOnDisk);
}

TEST_F(Saving, NoPromptWithoutChanges) {
    sandbox->WriteFile(DataFile(), kOnDisk);
    StartProgram();
    RequestClose();
    EXPECT_FALSE(WindowOpen());
    EXPECT_TRUE(env.boxes.empty());
}

}  // namespace
}  // namespace mx::test
