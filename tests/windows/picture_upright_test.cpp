// The main window with pictures as cameras and the web make them: a JPEG stored on its side with its
// orientation tag shows upright with its upright size, and a PNG's transparent pixels become the
// desktop colour in the converted wallpaper.
#include <windowsx.h>

#include "app/layout.h"
#include "app/resource.h"
#include "picture/bmp_reader.h"
#include "picture/picture_win.h"
#include "sandbox.h"

namespace mx::test {
namespace {

class UprightPictures : public MainWindowTest {
protected:
    // Copies a file of tests/data into the sandbox and chooses it in the browser as a click does.
    void Choose(const char* name) {
        const std::string dir = sandbox->root + "pics";
        ::CreateDirectoryA(dir.c_str(), nullptr);
        std::string data = "Z:" + std::string(MX_TEST_DATA) + "/" + name;
        for (char& c : data) c = c == '/' ? '\\' : c;
        ASSERT_TRUE(::CopyFileA(data.c_str(), (dir + "\\" + name).c_str(), FALSE));
        form->ApplyFilePath(dir);
        Refresh();
        ListBox_SetSel(form->FileListBox1, FALSE, -1);
        const int index = ListBox_FindStringExact(form->FileListBox1, -1, name);
        ASSERT_GE(index, 0);
        ListBox_SetSel(form->FileListBox1, TRUE, index);
        ListBox_SetCaretIndex(form->FileListBox1, index);
        ::SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(ID_FileListBox1, LBN_SELCHANGE), LPARAM(form->FileListBox1));
    }
    void Refresh() { ::SendMessageA(form->Handle(), WM_COMMAND, IDM_REFRESH, 0); }
};

TEST_F(UprightPictures, SizeAndWallpaperSeeTheUprightPictureOverTheDesktop) {
    StartProgram();
    Click(form->sbtnWall);
    Choose("portrait-6.jpg");  // stored 40 x 24, to be turned a quarter clockwise
    EXPECT_EQ(form->PreviewPicture.width, 24);
    EXPECT_EQ(form->PreviewPicture.height, 40);
    EXPECT_EQ(form->SizeHint, "Size : 24 X 40");

    Choose("clear.png");  // its left half transparent red, its right half opaque blue
    PickStyle("Centred");
    Menu(IDM_INFO_SETWALLPAPER);
    Picture written;
    ASSERT_EQ(ReadBmpFile(sandbox->programDir + "@MX!BACK.BMP", written), 0u);
    ASSERT_EQ(written.width, 16);
    EXPECT_EQ(written.ColorAt(3, 4), SystemColour(COLOR_DESKTOP));
    EXPECT_EQ(written.ColorAt(12, 4), 0x0000FFu);
}

}  // namespace
}  // namespace mx::test
