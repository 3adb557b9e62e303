#include <windowsx.h>

#include "app/layout.h"
#include "app/resource.h"
#include "lists/list_view.h"
#include "picture/bmp_reader.h"
#include "picture/bmp_writer.h"
#include "picture/form_preview.h"
#include "platform/text.h"
#include "sandbox.h"

namespace mx::test {
namespace {

constexpr const char* kDesktop = "Control Panel\\desktop";

class Preview : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        dir = sandbox->root + "pics";
        ::CreateDirectoryA(dir.c_str(), nullptr);
    }
    // A bitmap of the given size and depth in the pictures' folder; returns its full path.
    std::string MakeBmp(const std::string& name, int width, int height, int bits = 8) {
        Picture p;
        p.width = width, p.height = height, p.bitsPerPixel = bits;
        p.format = bits == 8 ? PixelFormat::Bits8 : PixelFormat::Bits24;
        if (bits == 8) p.palette.assign(256, 0x336699);
        p.pixels.assign(p.Stride() * size_t(height), 0x5A);
        std::string path = dir + "\\" + name;
        EXPECT_TRUE(WriteBmp(p, path));
        return path;
    }
    // Chooses files in the browser as a click does: the last one named has the focus.
    void Choose(std::initializer_list<std::string> names) { MainWindowTest::Choose(dir, names); }
    std::string Shown() const { return Text(form->PnlPreviewName); }
    bool Red() const {
        HDC dc = ::GetDC(form->PnlPreviewName);
        ::SendMessageA(form->Handle(), WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(form->PnlPreviewName));
        bool red = ::GetBkColor(dc) == RGB(255, 0, 0);
        ::ReleaseDC(form->PnlPreviewName, dc);
        return red;
    }
    std::vector<std::string> PreviewMenu() { return form->FormPreview().PopMPreview.VisibleCaptions(); }
    std::string dir;
};

TEST_F(Preview, ThePaneFollowsTheModeTheFileAndTheCategory) {
    std::string big = MakeBmp("big.bmp", 640, 480, 24);
    StartProgram();
    struct Case { int item; bool follows; } modes[] = {
        {IDM_PREVIEWNONE, false}, {IDM_PREVIEWSELECTED, false}, {IDM_PREVIEWCHOOSE, true}, {IDM_PREVIEWBOTH, true}};
    for (const Case& c : modes) {
        Menu(c.item);
        Choose({"big.bmp"});
        EXPECT_EQ(Shown(), c.follows ? big : "No File Selected") << c.item;
    }
    EXPECT_TRUE(Visible(form->ImgPreview));
    EXPECT_EQ(form->SizeHint, "Size : 640 X 480");
    EXPECT_TRUE(Red());  // not 320 x 400 in a boot-screen category

    MakeBmp("big.bmp", 320, 400);  // the same path again is not read again
    Choose({"big.bmp"});
    EXPECT_EQ(form->SizeHint, "Size : 640 X 480");
    Click(form->sbtnWall);  // a new filter re-reads the directory: nothing is chosen
    EXPECT_EQ(Shown(), "No File Selected");
    EXPECT_FALSE(Visible(form->ImgPreview));
    Choose({"big.bmp"});
    EXPECT_FALSE(Red());
}

TEST_F(Preview, SelectedEntriesAreShownAndSetTheStyleBox) {
    sandbox->WriteFile(DataFile(), "[WALLPAPER]\r\n" + dir + "\\a.bmp, Mirror\r\n" + dir + "\\b.bmp, Fit 2 Screen\r\n");
    MakeBmp("a.bmp", 10, 10), MakeBmp("b.bmp", 20, 20);
    StartProgram();
    Click(form->sbtnWall);
    SelectRow(form->ListWall, 0);
    SelectRow(form->ListWall, 1);
    ListView_SetItemState(form->ListWall, 1, LVIS_FOCUSED, LVIS_FOCUSED);
    EXPECT_EQ(Shown(), dir + "\\b.bmp");  // the focused entry before the first selected one
    EXPECT_EQ(Text(form->CBStyle), "Mirror");
    SelectRow(form->ListWall, 0, false);
    EXPECT_EQ(Text(form->CBStyle), "Fit 2 Screen");
    EXPECT_FALSE(form->UnsavedChanges);

    // Removing leaves the pane and the style box as they were, even showing a removed entry.
    SelectRow(form->ListWall, 0);
    Click(form->btnRemove);
    EXPECT_EQ(ItemCount(form->ListWall), 0);
    EXPECT_EQ(Shown(), dir + "\\b.bmp");
    EXPECT_EQ(Text(form->CBStyle), "Mirror");
    EXPECT_TRUE(form->UnsavedChanges);
}

TEST_F(Preview, AddingChecksEachBootScreenOnItsOwnPicture) {
    MakeBmp("a.bmp", 320, 400), MakeBmp("b.bmp", 640, 480), MakeBmp("c.bmp", 320, 400);
    MakeBmp("deep.bmp", 320, 400, 24), MakeBmp("wide.bmp", 400, 320);
    sandbox->WriteFile(dir + "\\notes.txt", "not a picture");
    StartProgram();
    auto size = [&](const char* name, int w, int h) {
        return "Size Error " + dir + "\\" + name + ",\n\rInvallid Width or Height.\n\rSize is : " + std::to_string(w) +
               " x " + std::to_string(h) + ",\n\rSize must be 320 x 400.";
    };
    env.ExpectBox(BoxKind::Error, size("b.bmp", 640, 480));
    Choose({"a.bmp", "b.bmp", "c.bmp"});
    Click(form->BtnAdd);
    EXPECT_EQ(Captions(form->ListStart), (std::vector<std::string>{"a.bmp", "c.bmp"}));
    EXPECT_EQ(ListBox_GetSelCount(form->FileListBox1), 1);  // the refused file stays chosen
    EXPECT_EQ(Shown(), dir + "\\c.bmp");                    // the pane is not the check's picture

    Click(form->sbtnWait);
    env.ExpectBox(BoxKind::Error, "Pixel Format Error " + dir +
                                      "\\deep.bmp,\n\rInvallid Pixel depth.\n\rPixel depth is : 24 bpp\n\rPixel "
                                      "depth must be 8 bpp.");
    env.ExpectBox(BoxKind::Error, size("wide.bmp", 400, 320));
    Choose({"deep.bmp", "wide.bmp"});
    Click(form->BtnAdd);
    Menu(IDM_REPORTERRORS);  // off: refused in silence
    Click(form->BtnAdd);
    EXPECT_EQ(ItemCount(form->ListWait), 0);

    Click(form->sbtnWall);
    PickStyle("Tiled");
    Choose({"deep.bmp"});
    Click(form->BtnAdd);
    EXPECT_EQ(ItemText(form->ListWall, 0, ColumnStyle), "Tiled");
    EXPECT_TRUE(form->UnsavedChanges);
}

// No list takes a file without a picture it can read: the file stays chosen, and the box says why.
TEST_F(Preview, AFileThatCannotBeReadIsRefusedInEveryList) {
    StartProgram();
    for (HWND button : {form->sbtnStart, form->sbtnWall}) {
        SCOPED_TRACE(Text(button));
        MakeBmp("a.bmp", 320, 400), MakeBmp("gone.bmp", 320, 400);
        sandbox->WriteFile(dir + "\\empty.jpg", "");
        sandbox->WriteFile(dir + "\\noise.png", std::string("\x89PNG\r\n\x1a\n\x13\x37\xee\x01", 12));
        sandbox->WriteFile(dir + "\\notes.txt", "not a picture");
        Click(button);
        int all = ComboBox_FindStringExact(form->FilterComboBox1, -1, "All files (*.*)");
        ComboBox_SetCurSel(form->FilterComboBox1, all);
        ::SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(ID_FilterComboBox1, CBN_SELCHANGE),
                       LPARAM(form->FilterComboBox1));
        Choose({"a.bmp", "empty.jpg", "gone.bmp", "noise.png", "notes.txt"});
        ::DeleteFileA((dir + "\\gone.bmp").c_str());  // gone since it was chosen
        for (const char* name : {"empty.jpg", "gone.bmp", "noise.png", "notes.txt"})
            env.ExpectBox(BoxKind::Error, "Read Error " + dir + "\\" + name + ",\n\rThe file cannot be read.");
        Click(form->BtnAdd);
        EXPECT_EQ(Captions(form->ListForCategory(form->CurrentCategory)), std::vector<std::string>{"a.bmp"});
        EXPECT_EQ(ListBox_GetSelCount(form->FileListBox1), 4);
        EXPECT_TRUE(env.AllBoxesShown());
    }
}

TEST_F(Preview, TheListsMenuFollowsTheSelectionAndFindsTheDirectory) {
    sandbox->WriteFile(DataFile(), "[START]\r\n" + dir + "\\a.bmp\r\n" + dir + "\\b.bmp\r\n");
    MakeBmp("c.bmp", 320, 400);
    StartProgram();
    struct Case { std::vector<int> rows; bool view, selectAll; } cases[] = {
        {{}, false, false}, {{0}, true, true}, {{0, 1}, true, false}};
    for (const Case& c : cases) {
        for (int row : {0, 1}) SelectRow(form->ListStart, row, false);
        for (int row : c.rows) SelectRow(form->ListStart, row);
        form->PopMSelectedPopup();
        EXPECT_EQ(form->PopMSelected.Find(IDM_SEL_VIEW)->enabled, c.view);
        EXPECT_EQ(form->PopMSelected.Find(IDM_SEL_REMOVE)->enabled, c.view);
        EXPECT_EQ(form->PopMSelected.Find(IDM_SEL_INVERT)->enabled, c.view);
        EXPECT_EQ(form->PopMSelected.Find(IDM_SEL_SELECTALL)->enabled, c.selectAll);
    }
    // An entry from the file ("...\pics\") and one added now ("...\pics") lead to the same place.
    form->ApplyFilePath(sandbox->programDir);
    Menu(IDM_SEL_FINDDIR);
    EXPECT_EQ(form->FileListDirectory(), dir);
    Choose({"c.bmp"});
    Click(form->BtnAdd);
    form->ApplyFilePath(sandbox->programDir);
    for (int row : {0, 1}) SelectRow(form->ListStart, row, false);
    SelectRow(form->ListStart, 2);
    Menu(IDM_SEL_FINDDIR);
    EXPECT_EQ(form->FileListDirectory(), dir);
}

TEST_F(Preview, InstallingAskAboutSizeAndDepthThenCopiesUnchanged) {
    const std::string sizeQuestion =
        "This screen has an invallid size\n\rSize is : 640 x 480,\n\rSize must be 320 x 400.\n\rDo you want to cancel "
        "copying?";
    const std::string depthQuestion =
        "This screens has a incorrect bitmap color depth!\n\rColor depth : 24 bits per pixel. This should be 8 "
        "bpp.\n\rDo you want to cancel copying?";
    std::string good = MakeBmp("good.bmp", 320, 400), big = MakeBmp("big.bmp", 640, 480, 24);
    std::string logo = sandbox->driveRoot + "logo.sys", logow = sandbox->windowsDir + "\\logow.sys";
    StartProgram();
    Choose({"good.bmp"});
    Menu(IDM_INFO_SETSCREEN);
    EXPECT_EQ(sandbox->ReadFile(logo), sandbox->ReadFile(good));

    Choose({"big.bmp"});
    env.ExpectBox(BoxKind::Warning, sizeQuestion, IDYES);
    Menu(IDM_INFO_SETSCREEN);
    EXPECT_EQ(sandbox->ReadFile(logo), sandbox->ReadFile(good));
    Click(form->sbtnWait);
    Choose({"big.bmp"});
    env.ExpectBox(BoxKind::Warning, sizeQuestion, IDNO);
    env.ExpectBox(BoxKind::Warning, depthQuestion, IDNO);
    form->FormPreview().SetascurrentScreen1Click();  // the preview window's command is the same
    EXPECT_EQ(sandbox->ReadFile(logow), sandbox->ReadFile(big));
}

TEST_F(Preview, TheFullScreenWindowRendersTheStylesAndReturns) {
    MakeBmp("photo.bmp", 1024, 768, 24);
    sandbox->WriteFile(DataFile(), "[WALLPAPER]\r\n" + dir + "\\photo.bmp, Centred\r\n" + dir + "\\x.bmp, Centred\r\n");
    StartProgram();
    Choose({"photo.bmp"});
    TFormPreview& preview = form->FormPreview();
    Menu(IDM_SEL_VIEW);  // opens the window, which renders as it becomes active
    EXPECT_TRUE(Visible(preview.Handle()));
    EXPECT_EQ(preview.Image().picture.width, 1024);
    EXPECT_EQ(PreviewMenu(), (std::vector<std::string>{"&Return to main", "File &info", "-", "Set as current &Screen"}));
    env.ExpectBox(BoxKind::Information, "Size : 1024 X 768\n\rBits per pixel : 24\n\r");
    ::SendMessageA(preview.Handle(), WM_COMMAND, IDM_PREV_FILEINFO, 0);

    Click(form->sbtnWall);
    SelectRow(form->ListWall, 0);
    SelectRow(form->ListWall, 1);
    Choose({"photo.bmp"});
    preview.FormActivate();
    EXPECT_EQ(PreviewMenu(), (std::vector<std::string>{"&Return to main", "File &info", "-", "&Centred", "&Stretched",
                                                       "&Tiled", "&Fit 2 Screen", "&Mirror", "Fi&ll", "-",
                                                       "Set as current &Wallpaper"}));
    ::SendMessageA(preview.Handle(), WM_COMMAND, IDM_PREV_TILED, 0);
    EXPECT_TRUE(preview.PopMPreview.Find(IDM_PREV_TILED)->checked);
    EXPECT_FALSE(preview.PopMPreview.Find(IDM_PREV_CENTRED)->checked);
    EXPECT_EQ(preview.Image().picture.width, 1024);  // tiled at the screen's size
    EXPECT_EQ(ItemText(form->ListWall, 0, ColumnStyle), "Centred");  // until the return
    EXPECT_FALSE(form->UnsavedChanges);
    ::SendMessageA(preview.Handle(), WM_COMMAND, IDM_PREV_RETURN, 0);
    EXPECT_EQ(ItemText(form->ListWall, 0, ColumnStyle), "Tiled");
    EXPECT_EQ(ItemText(form->ListWall, 1, ColumnStyle), "Tiled");
    EXPECT_TRUE(form->UnsavedChanges);
    EXPECT_FALSE(Visible(preview.Handle()));
}

TEST_F(Preview, WallpapersAreConvertedFilesNamedInTheDesktopValues) {
    std::string wallpaper = sandbox->programDir + "@MX!BACK.BMP";
    std::string jpeg = "Z:" + std::string(MX_TEST_DATA) + "/rose.jpg";
    for (char& c : jpeg) c = c == '/' ? '\\' : c;
    ::CopyFileA(jpeg.c_str(), (dir + "\\rose.jpg").c_str(), FALSE);
    MakeBmp("small.bmp", 200, 100);
    Sandbox::SetValue(kDesktop, "TileWallpaper", "0");
    StartProgram();
    Click(form->sbtnWall);
    struct Case { const char* file; const char* style; bool styleValue; int width, height; const char* tile; } cases[] = {
        {"small.bmp", "Tiled", false, 1024, 768, "1"}, {"small.bmp", "Stretched", true, 1024, 768, "0"},
        {"rose.jpg", "Mirror", true, 1024, 768, "0"}, {"rose.jpg", "Fit 2 Screen", true, 1024, 768, "0"},
        {"small.bmp", "Centred", true, 200, 100, "0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        if (c.styleValue) Sandbox::SetValue(kDesktop, "WallpaperStyle", "0");
        Choose({c.file});
        PickStyle(c.style);
        Menu(IDM_INFO_SETWALLPAPER);
        Picture written;
        ASSERT_EQ(ReadBmpFile(wallpaper, written), 0u);
        EXPECT_EQ(written.width, c.width);
        EXPECT_EQ(written.height, c.height);
        EXPECT_EQ(written.bitsPerPixel, 32);  // the display's depth, whatever the picture's
        EXPECT_EQ(Sandbox::Value(kDesktop, "Wallpaper"), wallpaper);
        EXPECT_EQ(Sandbox::Value(kDesktop, "TileWallpaper"), c.tile);
        EXPECT_EQ(Sandbox::Value(kDesktop, "WallpaperStyle"),
                  c.styleValue ? std::optional<std::string>(std::string(c.style) == "Stretched" ? "2" : "0")
                               : std::nullopt);
        EXPECT_EQ(env.wallpapers.back(), wallpaper);
    }
    // The main window's command writes what the preview window's own writes after showing the style.
    std::string fromMain = sandbox->ReadFile(wallpaper);
    form->FormPreview().FormActivate();
    form->FormPreview().SetascurrentWallpaper1Click();
    EXPECT_EQ(sandbox->ReadFile(wallpaper), fromMain);

    // A path the system cannot take is refused before anything is written.
    form->ProgramDir = sandbox->programDir + std::string(250 - sandbox->programDir.size(), 'd') + "\\";
    env.ExpectBox(BoxKind::Error, "The wallpaper cannot be set: the program's directory path is too long.");
    Menu(IDM_INFO_SETWALLPAPER);
    EXPECT_EQ(env.wallpapers.size(), std::size(cases) + 1);
}

}  // namespace
}  // namespace mx::test
