// The converted wallpaper file is what the desktop shows, made by the selector and the randomizer
// alike; a picture that cannot be read is never applied. Pictures as cameras and the web make them:
// TIFF files that ImageMagick wrote (tests/data) through the system's imaging component, against PNGs
// of the same pictures read by the program's own reader; the wallpaper filter with the component's
// extensions; a JPEG stored on its side shown upright, a PNG's transparent pixels over the desktop.
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "app/resource.h"
#include "lists/browser_filters.h"
#include "lists/categories.h"
#include "lists/file_masks.h"
#include "picture/bmp_reader.h"
#include "picture/bmp_writer.h"
#include "picture/decoder.h"
#include "picture/form_preview.h"
#include "picture/picture_win.h"
#include "picture/wic_reader_win.h"
#include "randomizer/randomizer.h"
#include "sandbox.h"

namespace mx::test {
namespace {

constexpr const char* kDesktop = "Control Panel\\desktop";

// Pixel (x, y) has red 2y, green 2x and blue 0x40: every pixel of a picture up to 128 x 128 differs.
uint32_t ColourAt(int x, int y) { return uint32_t(2 * y) << 16 | uint32_t(2 * x) << 8 | 0x40; }

class WallpaperFile : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        dir = sandbox->root + "pics";
        ::CreateDirectoryA(dir.c_str(), nullptr);
        Picture p = Picture::Make32(90, 30), q = Picture::Make32(30, 90);
        for (Picture* pic : {&p, &q})
            for (int y = 0; y < pic->height; ++y)
                for (int x = 0; x < pic->width; ++x) {
                    const uint32_t colour = ColourAt(x, y);
                    std::memcpy(pic->Row(y) + 4 * x, &colour, 4);
                }
        WriteBmp(p, dir + "\\wide.bmp");
        WriteBmp(q, dir + "\\tall.bmp");
        for (const char* name : {"rose.jpg", "plasma400.jpg", "portrait-6.jpg", "clear.png", "clear.webp"})
            ASSERT_TRUE(::CopyFileA(TestData(name).c_str(), (dir + "\\" + name).c_str(), FALSE));
        Sandbox::SetValue(kDesktop, "TileWallpaper", "0");
        Sandbox::SetValue(kDesktop, "WallpaperStyle", "0");
    }
    void Choose(const std::string& name) { MainWindowTest::Choose(dir, {name}); }
    // The converted file, by its hash.
    size_t Converted() const { return std::hash<std::string>()(sandbox->ReadFile(sandbox->programDir + "@MX!BACK.BMP")); }
    // The randomizer beside the selector, with the one wallpaper entry.
    void RunRandomizer(const std::string& name, const std::string& style) {
        sandbox->WriteFile(DataFile(), "[WALLPAPER]\r\n" + dir + "\\" + name + ", " + style + "\r\n");
        TestEnvironment randomizerEnv = RandomizerEnvironment();
        randomizerEnv.screen = env.screen;
        mx::RunRandomizer(randomizerEnv, {}, [](const std::string&) {});
        ASSERT_EQ(randomizerEnv.wallpapers.size(), 1u);
    }
    std::string dir;
};

// A pixel of the converted file: the source's pixel (sourceX, sourceY), or the desktop's colour (-1).
struct Probe { int x, y, sourceX, sourceY; };

TEST_F(WallpaperFile, IsWhatTheScreenShowsInEveryStyleFromBothPrograms) {
    const Size small{200, 150}, large{40, 20};
    struct Case { const char* file; Size screen; const char* style; int width, height; std::vector<Probe> probes; } cases[] = {
        // Pictures smaller than the screen.
        {"wide.bmp", small, "Centred", 90, 30, {{0, 0, 0, 0}, {89, 29, 89, 29}}},
        {"wide.bmp", small, "Stretched", 200, 150, {{0, 0, 0, 0}, {199, 149, 89, 29}, {100, 75, 45, 15}}},
        // 90 x 30 fills the width: 200 x 67 at (0, 41), bands above and below.
        {"wide.bmp", small, "Fit 2 Screen", 200, 150,
         {{0, 40, -1, -1}, {0, 41, 0, 0}, {199, 107, 89, 29}, {199, 108, -1, -1}, {199, 149, -1, -1}}},
        {"tall.bmp", small, "Fit 2 Screen", 200, 150,
         {{74, 0, -1, -1}, {75, 0, 0, 0}, {124, 149, 29, 89}, {125, 149, -1, -1}}},
        {"wide.bmp", small, "Tiled", 200, 150, {{0, 0, 0, 0}, {199, 149, 19, 29}}},
        {"tall.bmp", small, "Mirror", 200, 150, {{0, 0, 0, 0}, {40, 100, 19, 79}, {199, 149, 19, 30}}},
        // Larger than the screen in both directions, or in one.
        {"wide.bmp", large, "Centred", 40, 20, {{0, 0, 25, 5}, {39, 19, 64, 24}}},
        {"tall.bmp", large, "Centred", 30, 20, {{0, 0, 0, 35}, {29, 19, 29, 54}}},
        {"wide.bmp", large, "Stretched", 40, 20, {{0, 0, 0, 0}, {39, 19, 87, 28}}},
        {"tall.bmp", large, "Fit 2 Screen", 40, 20, {{15, 0, -1, -1}, {16, 0, 0, 0}, {22, 19, 25, 85}, {23, 19, -1, -1}}},
        {"wide.bmp", large, "Tiled", 40, 20, {{0, 0, 0, 0}, {39, 19, 39, 19}}},
        {"tall.bmp", large, "Mirror", 40, 20, {{0, 0, 0, 0}, {39, 0, 20, 0}, {29, 19, 29, 19}}},
        // A JPEG, decoded in part (Centred) or reduced (Stretched at half its size, Fit 2 Screen).
        {"rose.jpg", {32, 20}, "Centred", 32, 20, {{0, 0, 19, 13}, {31, 19, 50, 32}}},
        {"rose.jpg", {32, 20}, "Stretched", 32, 20, {}},
        {"rose.jpg", {32, 20}, "Fit 2 Screen", 32, 20, {{0, 0, -1, -1}, {31, 19, -1, -1}}},
        {"rose.jpg", {200, 150}, "Centred", 70, 46, {{0, 0, 0, 0}, {69, 45, 69, 45}}},
    };
    Picture rose;
    ASSERT_EQ(DecodePictureFile(dir + "\\rose.jpg", rose), kStatusOk);
    StartProgram();
    Click(form->sbtnWall);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " " << c.style << " on " << c.screen.width << " x " << c.screen.height);
        env.screen = SIZE{c.screen.width, c.screen.height};
        Choose(c.file);
        PickStyle(c.style);
        ::DeleteFileA((sandbox->programDir + "@MX!BACK.BMP").c_str());
        Menu(IDM_INFO_SETWALLPAPER);
        const size_t fromSelector = Converted();
        RunRandomizer(c.file, c.style);
        EXPECT_EQ(Converted(), fromSelector) << "the two programs wrote different files";

        Picture written;
        ASSERT_EQ(ReadBmpFile(sandbox->programDir + "@MX!BACK.BMP", written), kStatusOk);
        EXPECT_EQ(written.width, c.width);
        EXPECT_EQ(written.height, c.height);
        for (const Probe& p : c.probes) {
            const bool jpeg = c.file[0] == 'r';
            const uint32_t expected = p.sourceX < 0 ? DesktopColour()
                                      : jpeg        ? rose.ColorAt(p.sourceX, p.sourceY)
                                                    : ColourAt(p.sourceX, p.sourceY);
            EXPECT_EQ(written.ColorAt(p.x, p.y), expected) << "at " << p.x << ", " << p.y;
        }
    }
}

// The pane decodes a 400 x 300 JPEG only as far as its 160 x 100 thumbnail needs; what the program
// reports is the file's own size, and the full-screen window decodes the file again for itself.
TEST_F(WallpaperFile, APaneThumbnailIsNeverBlownUp) {
    Picture whole;
    ASSERT_EQ(DecodePictureFile(dir + "\\plasma400.jpg", whole), kStatusOk);
    StartProgram();
    Click(form->sbtnWall);
    Choose("plasma400.jpg");
    EXPECT_EQ(form->PreviewPicture.picture.width, 160);
    EXPECT_EQ(form->SizeHint, "Size : 400 X 300");
    env.ExpectBox(BoxKind::Information, "Size : 400 X 300\n\rBits per pixel : 24\n\r");
    form->SizeClick();
    struct Case { const char* style; int width, height; Probe probe; } cases[] = {
        {"Centred", 400, 300, {399, 299, 399, 299}}, {"Tiled", 1024, 768, {401, 300, 1, 0}},
        {"Stretched", 1024, 768, {1023, 767, 399, 299}}};
    TFormPreview& preview = form->FormPreview();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        PickStyle(c.style);
        form->ImgPreviewDblClick();
        const Picture& shown = preview.Image().picture;
        EXPECT_EQ(shown.width, c.width);
        EXPECT_EQ(shown.height, c.height);
        EXPECT_EQ(shown.ColorAt(c.probe.x, c.probe.y), whole.ColorAt(c.probe.sourceX, c.probe.sourceY));
        preview.Returntomain1Click();
    }
    EXPECT_EQ(form->PreviewPicture.picture.width, 160);
}

// Nothing is changed, and the box says why, whichever window's command it is.
TEST_F(WallpaperFile, AnUnreadablePictureIsNeverApplied) {
    sandbox->WriteFile(dir + "\\text.jpg", "\xFF\xD8 not a picture");
    sandbox->WriteFile(dir + "\\empty.gif", "");
    sandbox->WriteFile(dir + "\\cut.jpg", sandbox->ReadFile(dir + "\\rose.jpg").substr(0, 20));
    // The command from the main window or from the preview window; the last file is deleted after
    // the pane showed it.
    const struct { const char* file; bool fromPreviewWindow; } cases[] = {
        {"text.jpg", false}, {"text.jpg", true}, {"empty.gif", false}, {"cut.jpg", true}, {"rose.jpg", false}};
    StartProgram();
    Click(form->sbtnWall);
    PickStyle("Centred");
    Choose("wide.bmp");
    Menu(IDM_INFO_SETWALLPAPER);
    const size_t wallpaper = Converted();
    const auto values = [] {
        return std::vector{Sandbox::Value(kDesktop, "Wallpaper"), Sandbox::Value(kDesktop, "TileWallpaper"),
                           Sandbox::Value(kDesktop, "WallpaperStyle")};
    };
    const auto before = values();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << (c.fromPreviewWindow ? ", preview window" : ", main window"));
        TFormPreview& preview = form->FormPreview();
        if (c.fromPreviewWindow) {
            Choose("wide.bmp");
            form->ImgPreviewDblClick();
        }
        Choose(c.file);
        if (c.file == std::string("rose.jpg")) {
            EXPECT_TRUE(Visible(form->ImgPreview));
            ::DeleteFileA((dir + "\\" + c.file).c_str());
        } else {
            // The pane shows no picture, only the file's name.
            EXPECT_FALSE(Visible(form->ImgPreview));
            EXPECT_EQ(Text(form->PnlPreviewName), dir + "\\" + c.file);
            EXPECT_EQ(form->SizeHint, "");
        }
        env.ExpectBox(BoxKind::Error, "The picture cannot be read, so the wallpaper was not changed.");
        if (c.fromPreviewWindow) {
            preview.FormActivate();
            ::SendMessageA(preview.Handle(), WM_COMMAND, IDM_PREV_SETWALLPAPER, 0);
            preview.Returntomain1Click();
        } else {
            Menu(IDM_INFO_SETWALLPAPER);
        }
        EXPECT_TRUE(env.AllBoxesShown());
        EXPECT_EQ(Converted(), wallpaper);
        EXPECT_EQ(values(), before);
        EXPECT_EQ(env.wallpapers.size(), 1u);
    }
}

TEST_F(WallpaperFile, UprightPictureAndTransparencyOverTheDesktop) {
    StartProgram();
    Click(form->sbtnWall);
    Choose("portrait-6.jpg");  // stored 40 x 24, to be turned a quarter clockwise
    EXPECT_EQ(form->SizeHint, "Size : 24 X 40");
    // Left half transparent (red beneath in the PNG, black in the WebP), right half opaque blue: the
    // desktop shows through in every style, from both programs.
    env.screen = SIZE{64, 48};
    for (const char* file : {"clear.png", "clear.webp"})
        for (std::string_view style : kStyleNames) {
            SCOPED_TRACE(testing::Message() << file << " " << style);
            Choose(file);
            PickStyle(std::string(style));
            Menu(IDM_INFO_SETWALLPAPER);
            const size_t fromSelector = Converted();
            RunRandomizer(file, std::string(style));
            EXPECT_EQ(Converted(), fromSelector) << "the two programs wrote different files";
            Picture written;
            ASSERT_EQ(ReadBmpFile(sandbox->programDir + "@MX!BACK.BMP", written), 0u);
            std::set<uint32_t> colours;
            for (int y = 0; y < written.height; ++y)
                for (int x = 0; x < written.width; ++x) colours.insert(written.ColorAt(x, y));
            EXPECT_EQ(colours, (std::set<uint32_t>{SystemColour(COLOR_DESKTOP), 0x0000FFu}));
        }
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
    ASSERT_EQ(DecodePictureFile(TestData("wic-upright.png"), upright), kStatusOk);
    ASSERT_EQ(DecodePictureFile(TestData("wic-alpha.png"), transparent), kStatusOk);
    ASSERT_TRUE(transparent.alpha);
    // Without the system's decoders (as natively) a TIFF is no picture the program reads.
    EXPECT_EQ(DecodePictureFile(TestData("wic-upright.tif"), pic), kStatusOk);
    EXPECT_TRUE(pic.Empty());

    SystemImaging imaging;
    const std::pair<const char*, const Picture*> cases[] = {
        {"wic-upright.tif", &upright},
        {"wic-right-top.tif", &upright},  // stored 16 x 24, tagged to be turned a quarter clockwise
        {"wic-alpha.tif", &transparent},
    };
    for (auto [file, expected] : cases) {
        pic = Picture::Make32(3, 3);
        EXPECT_EQ(DecodePictureFile(TestData(file), pic), kStatusOk);
        EXPECT_TRUE(SamePicture(pic, *expected)) << file;
    }
    // What the component cannot read is no picture: bytes of no format, a TIFF cut short.
    std::vector<uint8_t> tiff;
    ASSERT_EQ(ReadFileBytes(TestData("wic-upright.tif"), tiff), kStatusOk);
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

}  // namespace
}  // namespace mx::test
