#include "app/resource.h"
#include "lists/list_view.h"
#include "sandbox.h"

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
    std::string TemporaryFile() const { return sandbox->programDir + "~MXDATA.MXD"; }
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
    EXPECT_FALSE(sandbox->FileExists(TemporaryFile()));
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
    EXPECT_FALSE(sandbox->FileExists(TemporaryFile()));
    EXPECT_TRUE(form->UnsavedChanges);
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
