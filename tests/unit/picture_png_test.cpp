// The wallpaper decoder's PNG path against files of every colour type, depth and interlacing that
// ImageMagick writes, compared with ImageMagick's decode and with the reader the program had before
// (stb_image, compiled here for the comparison only); a palette too short for its pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

#include "picture/decoder.h"
#include "picture/reader_util.h"
#include "picture_samples.h"
#include "png_files.h"

namespace mx {
namespace {

using Bytes = std::vector<uint8_t>;
using test::Output;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

bool HaveConvert() {
    static const bool have = std::system("convert -version >/dev/null 2>&1") == 0;
    return have;
}

// The picture against RGBA quadruples of 8 bits (opacity 255 where the picture has none).
::testing::AssertionResult SameRgba(const Picture& pic, const Bytes& rgba, int shift, int step) {
    if (rgba.size() != size_t(pic.width) * size_t(pic.height) * 4 * size_t(step))
        return ::testing::AssertionFailure() << "reference of " << rgba.size() << " bytes for " << pic.width << "x" << pic.height;
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x) {
            const uint32_t c = pic.ColorAt(x, y);
            const int ours[4] = {int(c >> 16 & 0xFF), int(c >> 8 & 0xFF), int(c & 0xFF), pic.alpha ? pic.Row(y)[4 * x + 3] : 255};
            for (int k = 0; k < 4; ++k) {
                const size_t at = ((size_t(y) * size_t(pic.width) + size_t(x)) * 4 + size_t(k)) * size_t(step);
                const int theirs = step == 2 ? (rgba[at] | rgba[at + 1] << 8) >> shift : rgba[at];
                if (ours[k] != theirs)
                    return ::testing::AssertionFailure() << "(" << x << ", " << y << ") channel " << k << ": " << ours[k] << " vs " << theirs;
            }
        }
    return ::testing::AssertionSuccess();
}

// ImageMagick's 16-bit samples keep the file's 16-bit ones and widen 8-bit ones by repeating them, so
// their high byte is what the reader keeps of either.
TEST(Png, EveryKindDecodesAsImageMagickAndTheReaderBeforeDid) {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick is not installed";
    const std::string file = ::testing::TempDir() + "mx_png_" + std::to_string(::getpid()) + ".png";
    const std::string plasma = "convert -size 37x23 -seed 7 plasma:fractal -depth 8 ";
    const std::string deep = "convert -size 37x23 -seed 7 plasma:fractal -depth 16 ";
    const std::string mask = " \\( -size 37x23 gradient:white-black \\) -alpha off -compose CopyOpacity -composite ";
    const std::string key = " -fill black -draw 'rectangle 0,0 5,5' -transparent black ";
    auto type = [](int colourType, int depth) {
        return " -define png:color-type=" + std::to_string(colourType) + " -define png:bit-depth=" + std::to_string(depth) +
               " -define png:exclude-chunk=bKGD ";
    };
    auto palette = [&](int colours, int depth) { return "-colors " + std::to_string(colours) + " +dither -type palette" + type(3, depth); };
    const struct { const char* name; std::string command; bool alpha; } cases[] = {
        {"grey, 1 bit", plasma + "-colorspace Gray" + type(0, 1), false},
        {"grey, 2 bits", plasma + "-colorspace Gray" + type(0, 2), false},
        {"grey, 4 bits", plasma + "-colorspace Gray" + type(0, 4), false},
        {"grey, 8 bits", plasma + "-colorspace Gray" + type(0, 8), false},
        {"grey, 16 bits", deep + "-colorspace Gray" + type(0, 16), false},
        {"grey with a transparent grey, 2 bits", plasma + "-colorspace Gray" + key + type(0, 2), true},
        {"grey with a transparent grey, 16 bits", deep + "-colorspace Gray" + key + type(0, 16), true},
        {"grey and alpha, 8 bits", plasma + "-colorspace Gray" + mask + type(4, 8), true},
        {"grey and alpha, 16 bits", deep + "-colorspace Gray" + mask + type(4, 16), true},
        {"colour, 8 bits", plasma + type(2, 8), false},
        {"colour, 16 bits", deep + type(2, 16), false},
        {"colour with a transparent colour, 8 bits", plasma + key + type(2, 8), true},
        {"colour with a transparent colour, 16 bits", deep + key + type(2, 16), true},
        {"colour and alpha, 8 bits", plasma + mask + type(6, 8), true},
        {"colour and alpha, 16 bits", deep + mask + type(6, 16), true},
        {"colour and alpha, all opaque", plasma + type(6, 8), false},
        {"palette, 1 bit", plasma + palette(2, 1), false},
        {"palette, 2 bits", plasma + palette(4, 2), false},
        {"palette, 4 bits", plasma + palette(16, 4), false},
        {"palette, 8 bits", plasma + palette(200, 8), false},
        {"palette with transparent and half-transparent entries", plasma + "-colors 100 -alpha set -channel A -fx 'i<8?0:(j<4?0.5:1)' +channel png8:", true},
        {"interlaced, colour and alpha", plasma + mask + "-interlace PNG" + type(6, 8), true},
        {"interlaced, grey, 1 bit", plasma + "-colorspace Gray -interlace PNG" + type(0, 1), false},
        {"interlaced, palette, 4 bits", plasma + "-interlace PNG " + palette(16, 4), false},
        {"interlaced, 3 x 2, passes without rows", "convert -size 3x2 -seed 7 plasma:fractal -depth 8 -interlace PNG" + type(2, 8), false},
        {"interlaced, 1 x 1", "convert -size 1x1 xc:'#3A6EA5' -depth 8 -interlace PNG" + type(2, 8), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A command may end in a format prefix ("png8:") that the file name follows directly.
        const std::string space = c.command.back() == ':' ? "" : " ";
        ASSERT_EQ(std::system((c.command + space + "'" + file + "' 2>/dev/null").c_str()), 0);
        Bytes bytes;
        ASSERT_EQ(ReadFileBytes(file, bytes), kStatusOk);
        Picture pic;
        ASSERT_EQ(DecodePicture(bytes, pic), kStatusOk);
        ASSERT_FALSE(pic.Empty());
        EXPECT_EQ(pic.alpha, c.alpha);
        EXPECT_EQ(pic.bitsPerPixel, c.alpha ? 32 : 24);
        EXPECT_TRUE(SameRgba(pic, Output("convert '" + file + "' -depth 16 rgba:-"), 8, 2));
        int width = 0, height = 0, channels = 0;
        stbi_uc* before = stbi_load_from_memory(bytes.data(), int(bytes.size()), &width, &height, &channels, 4);
        ASSERT_NE(before, nullptr);
        EXPECT_TRUE(SameRgba(pic, Bytes(before, before + size_t(width) * size_t(height) * 4), 0, 1));
        stbi_image_free(before);
    }
    std::remove(file.c_str());
}

// libpng calls such a file erroneous but reads it, with every index past the palette black; the
// reader before took those colours from memory it had never filled.
TEST(Png, IndicesPastAShortPaletteComeOutBlack) {
    Bytes row = {0};  // filter byte, then the indices 0 to 15
    for (uint8_t i = 0; i < 16; ++i) row.push_back(i);
    Bytes packed = {0};  // the same at 4 bits a pixel
    for (uint8_t i = 0; i < 16; i += 2) packed.push_back(uint8_t(i << 4 | (i + 1)));
    const Bytes plte = test::PngChunk("PLTE", {0x3A, 0x6E, 0xA5});
    const struct { const char* name; Bytes file; bool alpha; } cases[] = {
        {"8 bits", test::PngFile(16, 1, 8, 3, test::Deflated(row), plte), false},
        {"4 bits", test::PngFile(16, 1, 4, 3, test::Deflated(packed), plte), false},
        {"8 bits, the one entry half transparent", test::PngFile(16, 1, 8, 3, test::Deflated(row), plte + test::PngChunk("tRNS", {0x80})), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int run = 0; run < 2; ++run) {
            Picture pic = Picture::Make32(3, 2);
            ASSERT_EQ(DecodePicture(c.file, pic), kStatusOk);
            ASSERT_EQ(pic.width, 16);
            ASSERT_EQ(pic.alpha, c.alpha);
            EXPECT_EQ(pic.ColorAt(0, 0), 0x3A6EA5u);
            if (c.alpha) {
                EXPECT_EQ(pic.Row(0)[3], 0x80);
            }
            for (int x = 1; x < 16; ++x) {
                EXPECT_EQ(pic.ColorAt(x, 0), 0u) << x;
                if (c.alpha) {
                    EXPECT_EQ(pic.Row(0)[4 * x + 3], 255) << x;
                }
            }
        }
    }
}

}  // namespace
}  // namespace mx
