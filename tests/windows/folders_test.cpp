// Folder entries in the selector: adding the browser's directory, its row, the pane and "View".
#include <set>

#include "app/resource.h"
#include "lists/list_view.h"
#include "picture/bmp_writer.h"
#include "picture/form_preview.h"
#include "randomizer/randomizer.h"
#include "sandbox.h"

namespace mx::test {
namespace {

class Folders : public MainWindowTest {
protected:
    // pics holds a bitmap, a boot-screen file, a JPEG, a PNG and a text file; pics\sub a bitmap and a
    // JPEG; pics\sub\deep a GIF. The files are empty but for the bitmaps: only names are counted.
    void SetUp() override {
        MainWindowTest::SetUp();
        dir = sandbox->root + "pics";
        for (const std::string& folder : {dir, dir + "\\sub", dir + "\\sub\\deep"})
            ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
        for (const char* name : {"b.sys", "c.jpg", "d.png", "notes.txt", "sub\\f.jpg", "sub\\deep\\g.gif"})
            sandbox->WriteFile(dir + "\\" + name, "");
        MakeBmp("a.bmp", 320, 400, 1), MakeBmp("sub\\e.bmp", 320, 400, 2);
    }
    void MakeBmp(const std::string& name, int width, int height, uint8_t shade) {
        Picture p;
        p.width = width, p.height = height, p.bitsPerPixel = 8, p.format = PixelFormat::Bits8;
        p.palette.assign(256, 0x010101u * shade);
        p.pixels.assign(p.Stride() * size_t(height), shade);
        EXPECT_TRUE(WriteBmp(p, dir + "\\" + name));
    }
    std::string Question(size_t withSubfolders, size_t alone) const {
        auto pictures = [](size_t n) { return std::to_string(n) + (n == 1 ? " picture" : " pictures"); };
        return "Add the folder " + dir + " to the list?\n\rYes: with its subfolders, " + pictures(withSubfolders) +
               ".\n\rNo: the folder alone, " + pictures(alone) + ".";
    }
    // The name panel's text on one line.
    std::string Pane() const {
        std::string text = Text(form->PnlPreviewName);
        std::erase(text, '\r');
        std::erase(text, '\n');
        return text;
    }
    std::string dir;
};

TEST_F(Folders, AddFolderInEachCategoryAsksWithTheCountsAndTheRowIsSaved) {
    struct Case {
        HWND TFormSelect::*button, TFormSelect::*list;
        size_t withSubfolders, alone;  // pictures of the category's kinds
        int answer;
        bool fromMenu;
        const char* line;  // as saved, after the folder's path; none when nothing is added
    } cases[] = {
        {&TFormSelect::sbtnStart, &TFormSelect::ListStart, 3, 2, IDYES, false, "\\**"},
        {&TFormSelect::sbtnWait, &TFormSelect::ListWait, 3, 2, IDNO, true, "\\*"},
        {&TFormSelect::sbtnShut, &TFormSelect::ListShut, 3, 2, IDCANCEL, false, nullptr},
        {&TFormSelect::sbtnWall, &TFormSelect::ListWall, 7, 4, IDYES, true, "\\**, Tiled"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line ? c.line : "cancelled");
        sandbox->WriteFile(DataFile(), "");
        StartProgram();
        Click(form.get()->*c.button);
        if (c.button == &TFormSelect::sbtnWall) PickStyle("Tiled");
        ASSERT_TRUE(form->ApplyFilePath(dir));
        env.ExpectBox(BoxKind::Confirmation, Question(c.withSubfolders, c.alone), c.answer);
        if (c.fromMenu) Menu(IDM_FILE_ADDFOLDER);
        else Click(form->BtnAddFolder);
        HWND list = form.get()->*c.list;
        EXPECT_EQ(form->UnsavedChanges, c.line != nullptr);
        ASSERT_EQ(ItemCount(list), c.line ? 1 : 0);
        if (!c.line) continue;
        EXPECT_EQ(ItemText(list, 0, ColumnFilename), c.answer == IDYES ? "\\**" : "\\*");
        EXPECT_EQ(ItemText(list, 0, ColumnPath), dir);
        Menu(IDM_SAVE);
        EXPECT_NE(sandbox->ReadFile(DataFile()).find(dir + c.line + "\r\n"), std::string::npos);
    }
}

TEST_F(Folders, TheNameShowsTheFolderAndItsPicturesAndViewTheNextDeal) {
    MakeBmp("sub\\wide.bmp", 640, 480, 3);  // counted, but no boot screen: View passes it over
    sandbox->WriteFile(DataFile(), "[WAIT]\r\n" + dir + "\\**\r\n" + sandbox->root + "gone\\*\r\n");
    StartProgram();
    Click(form->sbtnWait);
    ASSERT_EQ(Captions(form->ListWait), (std::vector<std::string>{"\\*", "\\**"}));
    SelectRow(form->ListWait, 0);
    EXPECT_EQ(Pane(), sandbox->root + "gone\\*not there");
    SelectRow(form->ListWait, 0, false);
    SelectRow(form->ListWait, 1);
    EXPECT_EQ(Pane(), dir + "\\**4 pictures");
    EXPECT_FALSE(Visible(form->ImgPreview));
    EXPECT_EQ(form->SizeHint, "");

    // "View" shows what the randomizer's next run sets, before the first run and after each.
    TestEnvironment randomizer = RandomizerEnvironment();
    std::set<std::string> shown;
    for (int run = 0; run < 4; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        std::string next;
        RunRandomizer(randomizer, {"--dry-run"}, [&](const std::string& line) {
            const size_t at = line.find("Waiting screen: "), place = line.find(" (place ");
            if (at != std::string::npos && place != std::string::npos && line.find("passed over") == std::string::npos)
                next = line.substr(at + 16, place - at - 16);
        });
        Menu(IDM_SEL_VIEW);
        EXPECT_EQ(Text(form->PnlPreviewName), next);
        EXPECT_TRUE(Visible(form->FormPreview().Handle()));
        ::SendMessageA(form->FormPreview().Handle(), WM_COMMAND, IDM_PREV_RETURN, 0);
        shown.insert(next);
        RunRandomizer(randomizer, {});
    }
    EXPECT_EQ(shown, (std::set<std::string>{dir + "\\a.bmp", dir + "\\sub\\e.bmp"}));
    // A folder with nothing to show says so.
    SelectRow(form->ListWait, 1, false);
    SelectRow(form->ListWait, 0);
    env.ExpectBox(BoxKind::Information, "The folder " + sandbox->root + "gone\\* holds no picture that can be shown.");
    Menu(IDM_SEL_VIEW);
    EXPECT_TRUE(env.AllBoxesShown());
}

}  // namespace
}  // namespace mx::test
