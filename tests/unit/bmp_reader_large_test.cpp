// Bitmaps larger than the head that ReadBmpFile looks at first, whose rows it reads straight into the
// picture: every such file must give the picture and status of ReadBmp on the whole file. And
// ReadBmp's reuse of the replaced picture's storage.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "picture/bmp_reader.h"
#include "picture/bmp_writer.h"

namespace mx {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

Picture Scrambled(int width, int height, int bits, uint32_t seed) {
    Picture p;
    p.width = width;
    p.height = height;
    p.bitsPerPixel = bits;
    p.format = bits == 24 ? PixelFormat::Bits24 : bits == 8 ? PixelFormat::Bits8 : PixelFormat::Bits32;
    if (bits == 32) p.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    if (bits == 8)
        for (uint32_t i = 0; i < 256; ++i) p.palette.push_back(i * 0x010203u & 0xFFFFFF);
    p.pixels.resize(p.Stride() * size_t(height));
    for (uint8_t& b : p.pixels) {
        seed = seed * 1664525u + 1013904223u;
        b = uint8_t(seed >> 24);
    }
    // The padding at the ends of rows is zero, as the writer leaves it.
    const size_t used = (size_t(width) * size_t(bits) + 7) / 8;
    for (int y = 0; y < height; ++y) std::fill(p.Row(y) + used, p.Row(y) + p.Stride(), uint8_t(0));
    return p;
}

bool SamePicture(const Picture& a, const Picture& b) {
    return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel &&
           a.format == b.format && a.masks == b.masks && a.palette == b.palette && a.pixels == b.pixels;
}

// Turns the bottom-up rows of an encoded bitmap into top-down ones with a negative height.
Bytes TopDown(const Bytes& bottomUp, const Picture& p) {
    Bytes b = bottomUp;
    const size_t offset = b[10] | b[11] << 8 | b[12] << 16 | size_t(b[13]) << 24, stride = p.Stride();
    for (int y = 0; y < p.height; ++y)
        std::copy_n(bottomUp.begin() + long(offset + size_t(p.height - 1 - y) * stride), stride,
                    b.begin() + long(offset + size_t(y) * stride));
    Put32(b, 22, uint32_t(-p.height));
    return b;
}

// Moves the pixels further from the headers, leaving a gap of zeros.
Bytes WithGap(const Bytes& encoded, size_t gap) {
    const size_t offset = encoded[10] | encoded[11] << 8 | encoded[12] << 16 | size_t(encoded[13]) << 24;
    Bytes b(encoded.begin(), encoded.begin() + long(offset));
    b.resize(offset + gap, 0);
    b.insert(b.end(), encoded.begin() + long(offset), encoded.end());
    Put32(b, 10, uint32_t(offset + gap));
    Put32(b, 2, uint32_t(b.size()));
    return b;
}

class LargeBitmapFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("mx_large_bmp_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // ReadBmpFile on the bytes written to a file must agree with ReadBmp on the bytes themselves.
    void ExpectFileReadsAsMemory(const Bytes& bytes, const std::string& what) {
        SCOPED_TRACE(what + ", " + std::to_string(bytes.size()) + " bytes");
        const std::string path = (dir_ / "p.bmp").string();
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        }
        Picture fromMemory = Marker(), fromFile = Marker();
        const ReadResult memory = ReadBmp(bytes, fromMemory);
        EXPECT_EQ(ReadBmpFile(path, fromFile), StatusOf(memory));
        EXPECT_TRUE(SamePicture(fromFile, fromMemory));
    }

    static Picture Marker() { return Scrambled(3, 2, 32, 99); }

    fs::path dir_;
};

TEST_F(LargeBitmapFiles, WholeFilesOfEveryRowOrderAndDepthReadAsFromMemory) {
    for (int bits : {8, 24, 32}) {
        // 301 pixels: rows that need padding at 8 and 24 bits; well over the 64 KiB head.
        const Picture p = Scrambled(301, 257, bits, uint32_t(bits));
        const Bytes bottomUp = EncodeBmp(p);
        ASSERT_GT(bottomUp.size(), size_t(65536));
        Picture read;
        ASSERT_EQ(ReadBmp(bottomUp, read), ReadResult::Ok);
        EXPECT_TRUE(SamePicture(read, p));
        ExpectFileReadsAsMemory(bottomUp, std::to_string(bits) + " bits bottom-up");
        ExpectFileReadsAsMemory(TopDown(bottomUp, p), std::to_string(bits) + " bits top-down");
        Bytes trailing = bottomUp;
        trailing.resize(trailing.size() + 100000, 0xEE);
        ExpectFileReadsAsMemory(trailing, std::to_string(bits) + " bits with bytes after the pixels");
    }
}

TEST_F(LargeBitmapFiles, CutFilesFailOrLoseOnlyTheLastRowsPadding) {
    const Picture p = Scrambled(301, 257, 24, 5);
    const size_t stride = p.Stride(), used = 301 * 3;
    for (const Bytes& whole : {EncodeBmp(p), TopDown(EncodeBmp(p), p)}) {
        for (size_t cut : {size_t(1), stride - used, stride - used + 1, stride, stride + 1, 5 * stride + 17,
                           whole.size() - 65536, whole.size() - 65535, whole.size() - 60000}) {
            const Bytes part(whole.begin(), whole.end() - long(cut));
            ExpectFileReadsAsMemory(part, "cut by " + std::to_string(cut));
        }
    }
}

TEST_F(LargeBitmapFiles, PixelsBeyondTheHeadAndColourTablesReadAsFromMemory) {
    const Picture p = Scrambled(301, 257, 8, 11);
    const Bytes encoded = EncodeBmp(p);
    for (size_t gap : {size_t(1), size_t(65000), size_t(65536), size_t(70000)})
        ExpectFileReadsAsMemory(WithGap(encoded, gap), "gap of " + std::to_string(gap));
    // A colour table cut short by an early pixel offset, and one said to have 17 colours.
    Bytes early = encoded;
    Put32(early, 10, 54 + 4 * 16);
    ExpectFileReadsAsMemory(early, "pixels over the colour table");
    Bytes few = encoded;
    Put32(few, 46, 17);
    ExpectFileReadsAsMemory(few, "17 colours");
    // A header that claims to be longer than the head.
    Bytes longHeader = encoded;
    Put32(longHeader, 14, 70000);
    ExpectFileReadsAsMemory(longHeader, "header longer than the head");
}

TEST(BmpStorage, TheReplacedPicturesStorageIsReusedOnlyWhenItFitsAndIsNotTheInput) {
    const Picture p = Scrambled(301, 40, 24, 3);
    const Bytes bytes = EncodeBmp(p);
    // Storage of the same size is taken over.
    Picture target = Scrambled(301, 40, 24, 4);
    const uint8_t* storage = target.pixels.data();
    ASSERT_EQ(ReadBmp(bytes, target), ReadResult::Ok);
    EXPECT_TRUE(SamePicture(target, p));
    EXPECT_EQ(target.pixels.data(), storage);
    // Storage far larger than the picture is not kept.
    Picture big = Scrambled(2000, 100, 24, 4);
    ASSERT_EQ(ReadBmp(bytes, big), ReadResult::Ok);
    EXPECT_TRUE(SamePicture(big, p));
    EXPECT_LT(big.pixels.capacity(), size_t(2) * p.pixels.size());
    // A picture read out of its own storage is read correctly.
    Picture self = Scrambled(301, 40, 24, 4);
    self.pixels = bytes;
    self.pixels.reserve(bytes.size() + 64);
    const Bytes copy = self.pixels;
    ASSERT_EQ(ReadBmp(std::span<const uint8_t>(self.pixels.data(), copy.size()), self), ReadResult::Ok);
    EXPECT_TRUE(SamePicture(self, p));
    // A failure leaves the target as it was, storage and all.
    Picture kept = Scrambled(301, 40, 24, 8);
    const Picture before = kept;
    const Bytes cut(bytes.begin(), bytes.end() - long(p.Stride()));
    EXPECT_EQ(ReadBmp(cut, kept), ReadResult::Malformed);
    EXPECT_TRUE(SamePicture(kept, before));
}

}  // namespace
}  // namespace mx
