// The system's imaging component behind the wallpaper decoder, under Wine: TIFF files that ImageMagick
// wrote (tests/data), one stored on its side with its orientation tag, one with transparency, each
// against a PNG of the same picture read by the program's own reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lists/browser_filters.h"
#include "lists/file_masks.h"
#include "picture/decoder.h"
#include "picture/reader_util.h"
#include "picture/wic_reader_win.h"

namespace mx {
namespace {

std::string Data(const char* name) { return "Z:" + std::string(MX_TEST_DATA) + "/" + name; }

::testing::AssertionResult SamePicture(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.alpha != b.alpha)
        return ::testing::AssertionFailure() << a.width << "x" << a.height << (a.alpha ? " with" : " without")
                                             << " transparency, expected " << b.width << "x" << b.height;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const bool sameAlpha = !a.alpha || a.Row(y)[4 * x + 3] == b.Row(y)[4 * x + 3];
            if (a.ColorAt(x, y) != b.ColorAt(x, y) || !sameAlpha)
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ")";
        }
    return ::testing::AssertionSuccess();
}

TEST(SystemDecoders, TiffComesThroughTheImagingComponentUpright) {
    Picture upright, transparent;
    ASSERT_EQ(DecodePictureFile(Data("wic-upright.png"), upright), kStatusOk);
    ASSERT_EQ(DecodePictureFile(Data("wic-alpha.png"), transparent), kStatusOk);
    ASSERT_EQ(upright.width, 24);
    ASSERT_TRUE(transparent.alpha);
    Picture pic;
    // Without the system's decoders (as natively) a TIFF is no picture the program reads.
    EXPECT_EQ(DecodePictureFile(Data("wic-upright.tif"), pic), kStatusOk);
    EXPECT_TRUE(pic.Empty());

    SystemImaging imaging;
    struct Case {
        const char* file;
        const Picture& expected;
    } cases[] = {
        {"wic-upright.tif", upright},
        {"wic-right-top.tif", upright},  // stored 16 x 24, tagged to be turned a quarter clockwise
        {"wic-alpha.tif", transparent},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        pic = Picture::Make32(3, 3);
        ASSERT_EQ(DecodePictureFile(Data(c.file), pic), kStatusOk);
        EXPECT_TRUE(SamePicture(pic, c.expected));
    }

    // What the component cannot read is no picture: bytes of no format, a TIFF cut short.
    std::vector<uint8_t> tiff;
    ASSERT_EQ(ReadFileBytes(Data("wic-upright.tif"), tiff), kStatusOk);
    const std::vector<std::vector<uint8_t>> unreadable = {
        {'n', 'o', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'},
        std::vector<uint8_t>(tiff.begin(), tiff.begin() + 40),
        std::vector<uint8_t>(tiff.begin(), tiff.begin() + 8),
    };
    for (const std::vector<uint8_t>& bytes : unreadable) {
        pic = Picture::Make32(3, 3);
        EXPECT_EQ(DecodePicture(bytes, pic), kStatusOk);
        EXPECT_TRUE(pic.Empty()) << bytes.size() << " bytes";
    }
}

TEST(SystemDecoders, WallpaperFilterOffersTheirExtensionsOnce) {
    const std::vector<std::string> extensions = WicFileExtensions();
    EXPECT_NE(std::find(extensions.begin(), extensions.end(), ".tif"), extensions.end());
    const std::vector<FilterItem> items = ParseFilterText(WallpaperFilter());
    ASSERT_EQ(items.size(), 4u);
    FileMask usable(items[0].mask);
    for (const std::string& e : extensions) EXPECT_TRUE(usable.Matches("picture" + e)) << e;
    EXPECT_EQ(WallpaperFilter(), WallpaperFilterText(extensions));
}

}  // namespace
}  // namespace mx
