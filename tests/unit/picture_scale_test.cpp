#include <gtest/gtest.h>

#include <vector>

#include "picture/scale.h"
#include "picture_samples.h"

namespace mx {
namespace {

using test::SamplePicture;

std::vector<uint32_t> Words(const std::vector<uint8_t>& bytes) {
    std::vector<uint32_t> words(bytes.size() / 4);
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = uint32_t(bytes[4 * i]) | uint32_t(bytes[4 * i + 1]) << 8 | uint32_t(bytes[4 * i + 2]) << 16 |
                   uint32_t(bytes[4 * i + 3]) << 24;
    return words;
}

TEST(PixelReader, ReadsEveryDepthAsColorAtDoes) {
    struct Case {
        int bits;
        std::array<uint32_t, 3> masks;
    };
    const Case cases[] = {{1, {}},
                          {4, {}},
                          {8, {}},
                          {16, {0x7C00, 0x03E0, 0x001F}},
                          {16, {0xF800, 0x07E0, 0x001F}},
                          {16, {0x0F00, 0x00F0, 0x000F}},  // 4-4-4
                          {16, {0xF000, 0x0FF0, 0x0001}},  // one-bit and 8-bit fields
                          {24, {}},
                          {32, {0xFF0000, 0xFF00, 0xFF}},
                          {32, {0x3FF00000, 0x000FFC00, 0x000003FF}},  // 10-10-10
                          {32, {0xFF, 0xFF00, 0xF0F00000}},            // a mask with a gap
                          {32, {0, 0xFF00, 0xFF}}};
    for (const Case& c : cases) {
        Picture p = SamplePicture(13, 3, c.bits, c.masks);
        if (c.bits == 8) p.palette.resize(200);  // indexes past the table read as black
        SCOPED_TRACE(testing::Message() << c.bits << " bits, masks " << std::hex << c.masks[0] << " " << c.masks[1]
                                        << " " << c.masks[2]);
        PixelReader reader(p);
        const int columns[] = {12, 0, 5, 5, 1};
        for (int y = 0; y < p.height; ++y) {
            std::vector<uint8_t> row(4 * 13), sampled(4 * 5);
            reader.Convert(y, 13, row.data());
            reader.Sample(y, columns, 5, sampled.data());
            std::vector<uint32_t> expected, expectedSampled;
            for (int x = 0; x < 13; ++x) expected.push_back(p.ColorAt(x, y));
            for (int x : columns) expectedSampled.push_back(p.ColorAt(x, y));
            EXPECT_EQ(Words(row), expected) << "row " << y;
            EXPECT_EQ(Words(sampled), expectedSampled) << "row " << y;
        }
    }
}

TEST(PixelReader, PicturesWithoutTheirPixelsReadAsEmpty) {
    Picture shortStorage = SamplePicture(10, 10, 24);
    shortStorage.pixels.resize(shortStorage.pixels.size() - 1);
    Picture oddDepth = SamplePicture(10, 10, 24);
    oddDepth.bitsPerPixel = 12;
    for (const Picture& p : {shortStorage, oddDepth}) {
        EXPECT_FALSE(HasPixels(p));
        Picture out;
        ScaleNearest(p, 20, 20, out);
        EXPECT_TRUE(out.Empty());
        EXPECT_TRUE(out.pixels.empty());
    }
    EXPECT_TRUE(HasPixels(SamplePicture(10, 10, 24)));
}

TEST(ScaleNearest, TakesTheSourcePixelAtTheFloorOfTheScaledPosition) {
    EXPECT_EQ(NearestSource(0, 2, 5), 0);
    EXPECT_EQ(NearestSource(2, 2, 5), 0);  // 4/5
    EXPECT_EQ(NearestSource(3, 2, 5), 1);  // 6/5
    EXPECT_EQ(NearestSource(1, 5, 2), 2);  // 5/2: downscaling drops columns 1, 3 and 4
    EXPECT_EQ(NearestSource(1079, 3000, 1080), 2997);
    EXPECT_EQ(NearestSource(30000, 32767, 32767), 30000);  // no overflow in the product

    const uint32_t A = 0xA, B = 0xB, C = 0xC, D = 0xD, E = 0xE, F = 0xF;
    Picture source = test::PictureOf<3, 2>({{{A, B, C}, {D, E, F}}});
    Picture out;
    ScaleNearest(source, 7, 5, out);
    ASSERT_EQ(out.width, 7);
    ASSERT_EQ(out.height, 5);
    const uint32_t up[5][7] = {{A, A, A, B, B, C, C}, {A, A, A, B, B, C, C}, {A, A, A, B, B, C, C},
                               {D, D, D, E, E, F, F}, {D, D, D, E, E, F, F}};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(out.ColorAt(x, y), up[y][x]) << x << ", " << y;

    ScaleNearest(source, 2, 1, out);
    EXPECT_EQ(out.ColorAt(0, 0), A);
    EXPECT_EQ(out.ColorAt(1, 0), B);  // floor(3/2)
}

TEST(ScaleNearest, ScalesAnyDepthAndSizeLikeTheMappingSays) {
    Picture source = SamplePicture(31, 17, 8);
    Picture out;
    for (auto [w, h] : {std::pair{31, 17}, {64, 9}, {5, 40}, {1, 1}}) {
        ScaleNearest(source, w, h, out);
        ASSERT_EQ(out.width, w);
        ASSERT_EQ(out.bitsPerPixel, 32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(out.ColorAt(x, y), source.ColorAt(x * 31 / w, y * 17 / h)) << w << "x" << h << " " << x
                                                                                       << ", " << y;
    }
    ScaleNearest(source, 0, 10, out);
    EXPECT_TRUE(out.Empty());
    ScaleNearest(Picture{}, 10, 10, out);
    EXPECT_TRUE(out.Empty());
}

}  // namespace
}  // namespace mx
