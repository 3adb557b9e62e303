// The wallpaper decoder's PNG path against files of every colour type, depth and interlacing that
// ImageMagick writes, compared with ImageMagick's decode; a palette too short for its pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "picture/decoder.h"
#include "picture/reader_util.h"
#include "picture_samples.h"
#include "png_files.h"

namespace mx {
namespace {

using Bytes = std::vector<uint8_t>;

// Red, green, blue and opacity of every pixel (255 where the picture has no opacity).
Bytes Rgba(const Picture& pic) {
    Bytes out;
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x) {
            const uint32_t c = pic.ColorAt(x, y);
            out.insert(out.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), pic.alpha ? pic.Row(y)[4 * x + 3] : uint8_t(255)});
        }
    return out;
}

// ImageMagick's 16-bit samples keep the file's 16-bit ones and widen 8-bit ones by repeating them, so
// their high byte is what the reader keeps of either (as the reader before, stb_image, did).
TEST(Png, EveryKindDecodesAsImageMagickDoes) {
    if (std::system("convert -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick is not installed";
    const std::string file = ::testing::TempDir() + "mx_png_" + std::to_string(::getpid()) + ".png";
    const std::string plasma = "convert -size 37x23 -seed 7 plasma:fractal -depth 8 ", deep = plasma + "-depth 16 ";
    const std::string mask = " \\( -size 37x23 gradient:white-black \\) -alpha off -compose CopyOpacity -composite ";
    const std::string key = " -fill black -draw 'rectangle 0,0 5,5' -transparent black ";
    auto type = [](int colourType, int depth) {
        return " -define png:color-type=" + std::to_string(colourType) + " -define png:bit-depth=" + std::to_string(depth) +
               " -define png:exclude-chunk=bKGD ";
    };
    const std::string palette = "+dither -type palette";
    const struct { const char* name; std::string command; bool alpha; } cases[] = {
        {"grey, 1 bit", plasma + "-colorspace Gray" + type(0, 1), false},
        {"grey, 4 bits", plasma + "-colorspace Gray" + type(0, 4), false},
        {"grey, 16 bits", deep + "-colorspace Gray" + type(0, 16), false},
        {"grey with a transparent grey, 2 bits", plasma + "-colorspace Gray" + key + type(0, 2), true},
        {"grey with a transparent grey, 16 bits", deep + "-colorspace Gray" + key + type(0, 16), true},
        {"grey and alpha, 16 bits", deep + "-colorspace Gray" + mask + type(4, 16), true},
        {"colour, 16 bits", deep + type(2, 16), false},
        {"colour with a transparent colour, 16 bits", deep + key + type(2, 16), true},
        {"colour and alpha, 8 bits", plasma + mask + type(6, 8), true},
        {"colour and alpha, 16 bits", deep + mask + type(6, 16), true},
        {"colour and alpha, all opaque", plasma + type(6, 8), false},
        {"palette, 1 bit", plasma + "-colors 2 " + palette + type(3, 1), false},
        {"palette, 2 bits", plasma + "-colors 4 " + palette + type(3, 2), false},
        {"palette with transparent and half-transparent entries", plasma + "-colors 100 -alpha set -channel A -fx 'i<8?0:(j<4?0.5:1)' +channel png8:", true},
        {"interlaced, colour and alpha", plasma + mask + "-interlace PNG" + type(6, 8), true},
        {"interlaced, grey, 1 bit", plasma + "-colorspace Gray -interlace PNG" + type(0, 1), false},
        {"interlaced, palette, 4 bits", plasma + "-interlace PNG -colors 16 " + palette + type(3, 4), false},
        {"interlaced, 3 x 2, passes without rows", "convert -size 3x2 -seed 7 plasma:fractal -depth 8 -interlace PNG" + type(2, 8), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A command may end in a format prefix ("png8:") that the file name follows directly.
        ASSERT_EQ(std::system((c.command + (c.command.back() == ':' ? "'" : " '") + file + "' 2>/dev/null").c_str()), 0);
        Bytes bytes, theirs = test::Output("convert '" + file + "' -depth 16 rgba:-");
        ASSERT_EQ(ReadFileBytes(file, bytes), kStatusOk);
        Picture pic;
        ASSERT_EQ(DecodePicture(bytes, pic), kStatusOk);
        EXPECT_EQ(pic.alpha, c.alpha);
        EXPECT_EQ(pic.bitsPerPixel, c.alpha ? 32 : 24);
        for (size_t i = 0; i < theirs.size() / 2; ++i) theirs[i] = theirs[2 * i + 1];
        theirs.resize(theirs.size() / 2);
        EXPECT_TRUE(Rgba(pic) == theirs);
    }
    std::remove(file.c_str());
}

// libpng calls such a file erroneous but reads it, with every index past the palette black; the
// reader before took those colours from memory it had never filled.
TEST(Png, IndicesPastAShortPaletteComeOutBlack) {
    Bytes row = {0};  // filter byte, then the indices 0 to 15
    for (uint8_t i = 0; i < 16; ++i) row.push_back(i);
    Bytes chunks = test::PngChunk("PLTE", {0x3A, 0x6E, 0xA5});
    for (bool halfClear : {false, true}) {
        if (halfClear) for (uint8_t b : test::PngChunk("tRNS", {0x80})) chunks.push_back(b);
        Picture pic;
        ASSERT_EQ(DecodePicture(test::PngFile(16, 1, 8, 3, test::Deflated(row), chunks), pic), kStatusOk);
        Bytes expected = {0x3A, 0x6E, 0xA5, uint8_t(halfClear ? 0x80 : 0xFF)};
        for (int x = 1; x < 16; ++x) expected.insert(expected.end(), {0, 0, 0, 255});
        EXPECT_TRUE(Rgba(pic) == expected) << halfClear;
    }
}

}  // namespace
}  // namespace mx
