#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "picture/bmp_reader.h"
#include "picture/bmp_writer.h"
#include "picture_samples.h"

namespace mx {
namespace {

namespace fs = std::filesystem;
using test::SamplePicture;

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint32_t Le16(const std::vector<uint8_t>& b, size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8; }

class BmpWriterFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("mx_bmp_writer_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST(BmpWriter, WritesTheHeadersAndBottomUpRowsOfAnIndexedPicture) {
    Picture p = SamplePicture(3, 2, 8);
    p.palette.resize(4);
    std::vector<uint8_t> b = EncodeBmp(p);
    const size_t offset = 14 + 40 + 4 * 4;
    ASSERT_EQ(b.size(), offset + 2 * 4);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(Le32(b, 2), b.size());
    EXPECT_EQ(Le32(b, 10), offset);
    EXPECT_EQ(Le32(b, 14), 40u);
    EXPECT_EQ(Le32(b, 18), 3u);
    EXPECT_EQ(Le32(b, 22), 2u);  // positive height: bottom-up
    EXPECT_EQ(Le16(b, 28), 8u);
    EXPECT_EQ(Le32(b, 30), 0u);  // BI_RGB
    EXPECT_EQ(Le32(b, 46), 4u);  // colours used
    EXPECT_EQ(Le32(b, 54 + 4), p.palette[1]);
    // The bottom row comes first, and the row padding is zero.
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + offset, b.begin() + offset + 4),
              (std::vector<uint8_t>{p.Row(1)[0], p.Row(1)[1], p.Row(1)[2], 0}));
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + offset + 4, b.end()),
              (std::vector<uint8_t>{p.Row(0)[0], p.Row(0)[1], p.Row(0)[2], 0}));
}

TEST(BmpWriter, ChoosesPlainRgbOrBitFieldsByTheMasks) {
    auto compressionOf = [](const Picture& p) { return Le32(EncodeBmp(p), 30); };
    EXPECT_EQ(compressionOf(SamplePicture(2, 2, 16, {0x7C00, 0x03E0, 0x001F})), 0u);
    EXPECT_EQ(compressionOf(SamplePicture(2, 2, 32, {0xFF0000, 0xFF00, 0xFF})), 0u);
    EXPECT_EQ(compressionOf(SamplePicture(2, 2, 24)), 0u);
    std::vector<uint8_t> b = EncodeBmp(SamplePicture(2, 2, 16, {0xF800, 0x07E0, 0x001F}));
    EXPECT_EQ(Le32(b, 30), 3u);
    EXPECT_EQ(Le32(b, 10), 14u + 40 + 12);
    EXPECT_EQ(Le32(b, 54), 0xF800u);
    EXPECT_EQ(Le32(b, 58), 0x07E0u);
    EXPECT_EQ(Le32(b, 62), 0x001Fu);
}

TEST(BmpWriter, RefusesPicturesItCannotWriteFaithfully) {
    Picture noTable = SamplePicture(4, 4, 8);
    noTable.palette.clear();
    Picture longTable = SamplePicture(4, 4, 4);
    longTable.palette.resize(17);
    Picture oddDepth = SamplePicture(4, 4, 8);
    oddDepth.bitsPerPixel = 2;
    Picture shortStorage = SamplePicture(4, 4, 24);
    shortStorage.pixels.pop_back();
    for (const Picture& p : {noTable, longTable, oddDepth, shortStorage}) EXPECT_TRUE(EncodeBmp(p).empty());

    std::vector<uint8_t> empty = EncodeBmp(Picture{});
    ASSERT_EQ(empty.size(), 54u);
    EXPECT_EQ(Le32(empty, 18), 0u);
    EXPECT_EQ(Le16(empty, 28), 24u);
}

TEST_F(BmpWriterFiles, ReportsFilesThatCannotBeWritten) {
    EXPECT_FALSE(WriteBmp(SamplePicture(4, 4, 24), (dir_ / "missing" / "x.bmp").string()));
    EXPECT_FALSE(WriteBmp(SamplePicture(4, 4, 24), dir_.string()));  // a directory
    Picture noTable = SamplePicture(4, 4, 8);
    noTable.palette.clear();
    EXPECT_FALSE(WriteBmp(noTable, (dir_ / "x.bmp").string()));
    EXPECT_FALSE(fs::exists(dir_ / "x.bmp"));

    // A second write replaces the first file whole.
    const std::string path = (dir_ / "twice.bmp").string();
    ASSERT_TRUE(WriteBmp(SamplePicture(40, 40, 32), path));
    ASSERT_TRUE(WriteBmp(SamplePicture(2, 2, 8), path));
    EXPECT_EQ(fs::file_size(path), EncodeBmp(SamplePicture(2, 2, 8)).size());
}

// ImageMagick reads each depth we write to the colours the picture has.
TEST_F(BmpWriterFiles, ImageMagickReadsEveryDepthToThePicturesColours) {
    if (std::system("convert -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick's convert is missing";
    struct Case {
        int bits;
        std::array<uint32_t, 3> masks;
        const char* name;
    };
    const Case cases[] = {{1, {}, "1"},
                          {4, {}, "4"},
                          {8, {}, "8"},
                          {16, {0x7C00, 0x03E0, 0x001F}, "15"},
                          {16, {0xF800, 0x07E0, 0x001F}, "16"},
                          {24, {}, "24"},
                          {32, {0xFF0000, 0xFF00, 0xFF}, "32"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Picture p = SamplePicture(13, 7, c.bits, c.masks, uint32_t(c.bits));
        const fs::path bmp = dir_ / (std::string(c.name) + ".bmp");
        const fs::path rgb = dir_ / (std::string(c.name) + ".rgb");
        ASSERT_TRUE(WriteBmp(p, bmp.string()));
        std::string command = "convert 'BMP:" + bmp.string() + "' -depth 8 'RGB:" + rgb.string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        std::ifstream in(rgb, std::ios::binary);
        std::vector<uint8_t> got{std::istreambuf_iterator<char>(in), {}};
        ASSERT_EQ(got.size(), size_t(3 * 13 * 7));
        int wrong = 0;
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x) {
                const uint8_t* px = got.data() + 3 * (size_t(y) * 13 + size_t(x));
                uint32_t colour = uint32_t(px[0]) << 16 | uint32_t(px[1]) << 8 | px[2];
                if (colour != p.ColorAt(x, y) && wrong++ < 5)
                    ADD_FAILURE() << "(" << x << ", " << y << ") " << std::hex << colour << " != " << p.ColorAt(x, y);
            }
    }
}

// The converted wallpaper: any source depth at the display's depth, read back by our reader, with
// heights that cross the writer's blocks of rows (from three blocks on, written beside their making).
TEST_F(BmpWriterFiles, PicturesOfAnyDepthAreWrittenAtTheDisplaysDepth) {
    for (int sourceBits : {8, 24, 32})
        for (int depth : {16, 24, 32})
            for (int height : {0, 3, 997, 4000}) {
                SCOPED_TRACE(std::to_string(sourceBits) + " to " + std::to_string(depth) + ", height " +
                             std::to_string(height));
                Picture p = SamplePicture(height ? 67 : 0, height, sourceBits, {}, uint32_t(height));
                const std::string path = (dir_ / "converted.bmp").string();
                ASSERT_TRUE(WriteBmpAtDepth(p, depth, path, 0));
                if (height == 0) {  // an empty rendering: the headers alone
                    EXPECT_EQ(fs::file_size(path), depth == 16 ? 66u : 54u);
                    continue;
                }
                Picture got;
                ASSERT_EQ(ReadBmpFile(path, got), 0u);
                ASSERT_EQ(got.bitsPerPixel, depth);
                ASSERT_EQ(got.height, height);
                const uint32_t kept = depth == 16 ? 0xF8FCF8 : 0xFFFFFF;  // 5-6-5 keeps the high bits
                // Read back row by row, as the next wallpaper keeps parts of it, the same.
                WrittenBmpRows rows;
                ASSERT_TRUE(rows.Open(path, {67, height}));
                std::vector<uint8_t> row(67 * 4);
                for (int y = height - 1; y >= 0; y -= 7) {
                    ASSERT_TRUE(rows.Row(y, row.data()));
                    for (int x = 0; x < p.width; ++x) {
                        ASSERT_EQ(got.ColorAt(x, y) & kept, p.ColorAt(x, y) & kept) << x << ", " << y;
                        ASSERT_EQ(Le32(row, 4 * size_t(x)), got.ColorAt(x, y)) << x << ", " << y;
                    }
                }
                EXPECT_FALSE(rows.Row(height, row.data()));
            }
    EXPECT_FALSE(WriteBmpAtDepth(SamplePicture(2, 2, 24), 8, (dir_ / "x.bmp").string(), 0));
    EXPECT_FALSE(WriteBmpAtDepth(SamplePicture(2, 2, 24), 24, (dir_ / "no" / "x.bmp").string(), 0));
    // A write that fails, or rows that cannot be made, end the writing at once, however many blocks
    // are left.
    EXPECT_FALSE(WriteBmpRows({67, 4000}, 24, std::fopen("/dev/full", "wb"), [](int, uint8_t*) {}));
    EXPECT_THROW(WriteBmpRows({67, 4000}, 24, std::fopen((dir_ / "x.bmp").string().c_str(), "wb"),
                              [](int y, uint8_t*) {
                                  if (y == 1000) throw std::bad_alloc();
                              }),
                 std::bad_alloc);
    // Only such a file of the size asked for is read back: not one of another size or depth, nor one
    // cut short or missing.
    const std::string path = (dir_ / "other.bmp").string();
    ASSERT_TRUE(WriteBmpAtDepth(SamplePicture(5, 4, 24), 32, path, 0));
    WrittenBmpRows rows;
    EXPECT_TRUE(rows.Open(path, {5, 4}));
    EXPECT_FALSE(rows.Open(path, {4, 5}));
    EXPECT_FALSE(rows.Open((dir_ / "none.bmp").string(), {5, 4}));
    ASSERT_TRUE(WriteBmp(SamplePicture(5, 4, 8), path));
    EXPECT_FALSE(rows.Open(path, {5, 4}));
    ASSERT_TRUE(WriteBmpAtDepth(SamplePicture(5, 4, 24), 24, path, 0));
    fs::resize_file(path, fs::file_size(path) - 1);
    EXPECT_FALSE(rows.Open(path, {5, 4}));
}

}  // namespace
}  // namespace mx
