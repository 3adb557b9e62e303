// Pictures as cameras and the web make them, under Wine: TIFF files that ImageMagick wrote
// (tests/data) through the system's imaging component, against PNGs of the same pictures read by the
// program's own reader; the wallpaper filter with the component's extensions; and the main window
// showing a JPEG stored on its side upright, and a PNG's transparent pixels over the desktop colour.
#include <windowsx.h>

#include <algorithm>

#include "app/layout.h"
#include "app/resource.h"
#include "lists/browser_filters.h"
#include "lists/file_masks.h"
#include "picture/bmp_reader.h"
#include "picture/decoder.h"
#include "picture/picture_win.h"
#include "picture/wic_reader_win.h"
#include "sandbox.h"

namespace mx::test {
namespace {

std::string Data(const char* name) {
    std::string path = "Z:" + std::string(MX_TEST_DATA) + "/" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool SamePicture(const Picture& a, const Picture& b) {
    bool same = a.width == b.width && a.height == b.height && a.alpha == b.alpha;
    for (int y = 0; same && y < a.height; ++y)
        for (int x = 0; same && x < a.width; ++x)
            same = a.ColorAt(x, y) == b.ColorAt(x, y) && (!a.alpha || a.Row(y)[4 * x + 3] == b.Row(y)[4 * x + 3]);
    return same;
}

TEST(SystemDecoders, TiffComesThroughTheImagingComponentUpright) {
    Picture upright, transparent, pic;
    ASSERT_EQ(DecodePictureFile(Data("wic-upright.png"), upright), kStatusOk);
    ASSERT_EQ(DecodePictureFile(Data("wic-alpha.png"), transparent), kStatusOk);
    ASSERT_TRUE(transparent.alpha);
    // Without the system's decoders (as natively) a TIFF is no picture the program reads.
    EXPECT_EQ(DecodePictureFile(Data("wic-upright.tif"), pic), kStatusOk);
    EXPECT_TRUE(pic.Empty());

    SystemImaging imaging;
    const std::pair<const char*, const Picture*> cases[] = {
        {"wic-upright.tif", &upright},
        {"wic-right-top.tif", &upright},  // stored 16 x 24, tagged to be turned a quarter clockwise
        {"wic-alpha.tif", &transparent},
    };
    for (auto [file, expected] : cases) {
        pic = Picture::Make32(3, 3);
        EXPECT_EQ(DecodePictureFile(Data(file), pic), kStatusOk);
        EXPECT_TRUE(SamePicture(pic, *expected)) << file;
    }
    // What the component cannot read is no picture: bytes of no format, a TIFF cut short.
    std::vector<uint8_t> tiff;
    ASSERT_EQ(ReadFileBytes(Data("wic-upright.tif"), tiff), kStatusOk);
    for (const std::vector<uint8_t>& bytes : {std::vector<uint8_t>(50, 'x'), std::vector<uint8_t>(tiff.begin(), tiff.begin() + 8),
                                              std::vector<uint8_t>(tiff.begin(), tiff.begin() + 40)}) {
        pic = Picture::Make32(3, 3);
        EXPECT_EQ(DecodePicture(bytes, pic), kStatusOk);
        EXPECT_TRUE(pic.Empty()) << bytes.size() << " bytes";
    }
    // The wallpaper filter offers every extension of the component's decoders.
    const std::vector<std::string> extensions = WicFileExtensions();
    EXPECT_NE(std::find(extensions.begin(), extensions.end(), ".tif"), extensions.end());
    EXPECT_EQ(WallpaperFilter(), WallpaperFilterText(extensions));
    FileMask usable(ParseFilterText(WallpaperFilter())[0].mask);
    for (const std::string& e : extensions) EXPECT_TRUE(usable.Matches("picture" + e)) << e;
}

TEST_F(MainWindowTest, UprightPictureAndTransparencyOverTheDesktopInTheWindow) {
    const std::string dir = sandbox->root + "pics";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    for (const char* name : {"portrait-6.jpg", "clear.png"}) ASSERT_TRUE(::CopyFileA(Data(name).c_str(), (dir + "\\" + name).c_str(), FALSE));
    StartProgram();
    Click(form->sbtnWall);
    form->ApplyFilePath(dir);
    auto choose = [&](const char* name) {  // as a click on the file does
        ListBox_SetSel(form->FileListBox1, FALSE, -1);
        const int index = ListBox_FindStringExact(form->FileListBox1, -1, name);
        ListBox_SetSel(form->FileListBox1, TRUE, index);
        ListBox_SetCaretIndex(form->FileListBox1, index);
        ::SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(ID_FileListBox1, LBN_SELCHANGE), LPARAM(form->FileListBox1));
    };
    choose("portrait-6.jpg");  // stored 40 x 24, to be turned a quarter clockwise
    EXPECT_EQ(form->SizeHint, "Size : 24 X 40");
    choose("clear.png");  // its left half transparent red, its right half opaque blue
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
