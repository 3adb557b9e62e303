// The picture readers against files that ImageMagick writes and decodes: every BMP header, depth
// and compression, PCX, Targa, GIF, JPEG and PNG; the statuses of LoadPictureFile; hostile headers.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "lists/categories.h"
#include "picture/bmp_reader.h"
#include "picture/decoder.h"
#include "picture/load_picture.h"
#include "picture/pcx_reader.h"

namespace mx {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
uint32_t Get32(const Bytes& b, size_t at) { return Le32(&b[at]); }

bool HaveConvert() {
    static const bool have = std::system("convert -version > /dev/null 2>&1") == 0;
    return have;
}

// A picture with a known, non-zero colour in the marker field, to see whether a call replaced it.
Picture Marker() {
    Picture p = Picture::Make32(3, 2);
    p.pixels[0] = 0x5A;
    return p;
}
bool IsMarker(const Picture& p) { return p.width == 3 && p.height == 2 && p.pixels.size() == 24 && p.pixels[0] == 0x5A; }

class PictureFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("mx_readers_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // Runs ImageMagick's convert with the arguments, the last of which may be a format prefix such
    // as "bmp3:". The source is a fixed plasma of many colours and an odd width, so that rows need
    // padding and neighbouring pixels differ.
    std::string Make(const std::string& name, const std::string& args, const std::string& size = "37x23") {
        const std::string out = Path(name);
        const std::string cmd = "convert -size " + size + " -seed 7 plasma:fractal -depth 8 " + args +
                                (!args.empty() && args.back() == ':' ? "'" : " '") + out + "' 2>/dev/null";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        return out;
    }

    // ImageMagick's decode of a file: width * height RGB triples.
    static Bytes Reference(const std::string& path) {
        const std::string cmd = "convert '" + path + "[0]' -depth 8 rgb:- 2>/dev/null";
        Bytes rgb;
        if (std::FILE* pipe = ::popen(cmd.c_str(), "r")) {
            uint8_t buffer[4096];
            size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) rgb.insert(rgb.end(), buffer, buffer + n);
            ::pclose(pipe);
        }
        return rgb;
    }

    fs::path dir_;
};

// Compares the picture with ImageMagick's decode. Channels of 16-bit pixels are compared at the
// width of their mask, since the two programs widen them to 8 bits differently.
::testing::AssertionResult SamePixels(const Picture& pic, const Bytes& rgb, int tolerance = 0) {
    if (pic.Empty()) return ::testing::AssertionFailure() << "empty picture";
    if (rgb.size() != size_t(pic.width) * size_t(pic.height) * 3)
        return ::testing::AssertionFailure() << "reference has " << rgb.size() << " bytes for " << pic.width << "x"
                                             << pic.height;
    int keep[3] = {8, 8, 8};
    if (pic.bitsPerPixel == 16)
        for (int c = 0; c < 3; ++c) keep[c] = std::min(8, std::popcount(pic.masks[c]));
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x) {
            const uint32_t ours = pic.ColorAt(x, y);
            const uint8_t* theirs = &rgb[(size_t(y) * pic.width + x) * 3];
            for (int c = 0; c < 3; ++c) {
                const int shift = 8 - keep[c];
                const int a = int((ours >> (16 - 8 * c)) & 0xFF) >> shift, b = theirs[c] >> shift;
                if (std::abs(a - b) > tolerance)
                    return ::testing::AssertionFailure()
                           << "pixel (" << x << ", " << y << ") channel " << c << ": ours " << a << ", theirs " << b;
            }
        }
    return ::testing::AssertionSuccess();
}

struct BmpVariant {
    const char* name;
    const char* args;
    int infoSize;
    int bitsPerPixel;
    PixelFormat format;
};

TEST_F(PictureFiles, EveryBmpVariantReadsAsImageMagickDecodesIt) {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    const BmpVariant variants[] = {
        {"core24", "bmp2:", 12, 24, PixelFormat::Bits24},
        {"core1", "-colors 2 -type palette bmp2:", 12, 1, PixelFormat::Bits1},
        {"core8", "-colors 60 -type palette bmp2:", 12, 8, PixelFormat::Bits8},
        {"info1", "-colors 2 -type palette bmp3:", 40, 1, PixelFormat::Bits1},
        {"info4", "-colors 12 -type palette -compress None bmp3:", 40, 4, PixelFormat::Bits4},
        {"info8", "-colors 60 -type palette -compress None bmp3:", 40, 8, PixelFormat::Bits8},
        {"rle8", "-colors 60 -type palette -compress RLE bmp3:", 40, 8, PixelFormat::Bits8},
        {"info24", "bmp3:", 40, 24, PixelFormat::Bits24},
        {"info32", "-alpha on -define bmp3:alpha=true bmp3:", 40, 32, PixelFormat::Bits32},
        {"v5rgb24", "bmp:", 124, 24, PixelFormat::Bits24},
        {"v5rgb565", "-define bmp:subtype=RGB565 bmp:", 124, 16, PixelFormat::Bits16},
        {"v5rgb555", "-define bmp:subtype=RGB555 bmp:", 124, 16, PixelFormat::Custom},
        {"v5argb4444", "-alpha on -define bmp:subtype=ARGB4444 bmp:", 124, 16, PixelFormat::Custom},
        {"v5argb1555", "-alpha on -define bmp:subtype=ARGB1555 bmp:", 124, 16, PixelFormat::Custom},
        {"v5argb8888", "-alpha on bmp:", 124, 32, PixelFormat::Custom},
    };
    for (const BmpVariant& v : variants) {
        SCOPED_TRACE(v.name);
        const std::string path = Make(std::string(v.name) + ".bmp", v.args);
        const Bytes bytes = ReadAll(path);
        ASSERT_GT(bytes.size(), 30u);
        ASSERT_EQ(int(Get32(bytes, 14)), v.infoSize) << "ImageMagick wrote another header than expected";
        Picture pic = Marker();
        ASSERT_EQ(ReadBmpFile(path, pic), kStatusOk);
        EXPECT_EQ(pic.width, 37);
        EXPECT_EQ(pic.height, 23);
        EXPECT_EQ(pic.bitsPerPixel, v.bitsPerPixel);
        EXPECT_EQ(pic.format, v.format) << PixelFormatName(pic.format);
        EXPECT_TRUE(SamePixels(pic, Reference(path)));
    }
}

// Header layouts ImageMagick does not write, made from files it did write: the pixels must equal
// ImageMagick's decode of the file they were made from (it misreads some of these layouts itself).
class HandMadeBmp : public PictureFiles {
protected:
    struct Layout {
        Bytes bytes;
        uint32_t offset, infoSize;
        int32_t width, height;
        int bits;
    };
    Layout Load(const std::string& path) {
        Layout l{ReadAll(path), 0, 0, 0, 0, 0};
        l.offset = Get32(l.bytes, 10);
        l.infoSize = Get32(l.bytes, 14);
        l.width = int32_t(Get32(l.bytes, 18));
        l.height = int32_t(Get32(l.bytes, 22));
        l.bits = l.bytes[28];
        return l;
    }
    // Replaces the information header by one of newSize bytes (cut or padded with zeros).
    static Bytes Resize(const Layout& l, uint32_t newSize) {
        Bytes out(l.bytes.begin(), l.bytes.begin() + 14);
        Bytes info(l.bytes.begin() + 14, l.bytes.begin() + 14 + std::min(l.infoSize, newSize));
        info.resize(newSize, 0);
        Put32(info, 0, newSize);
        out.insert(out.end(), info.begin(), info.end());
        out.insert(out.end(), l.bytes.begin() + 14 + l.infoSize, l.bytes.end());
        Put32(out, 10, l.offset - l.infoSize + newSize);
        Put32(out, 2, uint32_t(out.size()));
        return out;
    }
    void Check(const std::string& name, const Bytes& bytes, int bits, PixelFormat format, const Bytes& reference) {
        SCOPED_TRACE(name);
        const std::string path = Path(name + ".bmp");
        WriteAll(path, bytes);
        Picture pic;
        ASSERT_EQ(ReadBmpFile(path, pic), kStatusOk);
        EXPECT_EQ(pic.bitsPerPixel, bits);
        EXPECT_EQ(pic.format, format) << PixelFormatName(pic.format);
        EXPECT_TRUE(SamePixels(pic, reference));
    }
};

TEST_F(HandMadeBmp, TopDownRowsOs2HeadersAndMasksInsideTheHeader) {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    {
        const std::string source = Make("b24.bmp", "bmp3:");
        Layout l = Load(source);
        const size_t stride = Picture::StrideFor(l.width, 24);
        Bytes flipped(l.bytes.begin(), l.bytes.begin() + l.offset);
        for (int y = l.height - 1; y >= 0; --y)
            flipped.insert(flipped.end(), l.bytes.begin() + l.offset + y * stride,
                           l.bytes.begin() + l.offset + (y + 1) * stride);
        Put32(flipped, 22, uint32_t(-l.height));
        Check("topdown24", flipped, 24, PixelFormat::Bits24, Reference(source));
    }
    {
        const std::string source = Make("b8.bmp", "-colors 256 -type palette -compress None bmp3:");
        Layout l = Load(source);
        Check("os2v2_64", Resize(l, 64), 8, PixelFormat::Bits8, Reference(source));
        Check("os2v2_16", Resize(l, 16), 8, PixelFormat::Bits8, Reference(source));
    }
    {
        const std::string source = Make("b565.bmp", "-define bmp:subtype=RGB565 bmp:");
        const Bytes reference = Reference(source);
        Layout l = Load(source);
        Check("info52", Resize(l, 52), 16, PixelFormat::Bits16, reference);
        Check("info56", Resize(l, 56), 16, PixelFormat::Bits16, reference);
        Check("v4", Resize(l, 108), 16, PixelFormat::Bits16, reference);
        // A V5 header that says plain RGB ignores its masks: 5-5-5.
        Bytes plain = l.bytes;
        Put32(plain, 30, 0);
        const std::string path = Path("v5plain16.bmp");
        WriteAll(path, plain);
        Check("v5plain16", plain, 16, PixelFormat::Bits15, Reference(path));
    }
    {
        const std::string source = Make("b32.bmp", "-alpha on -define bmp3:alpha=true bmp3:");
        Layout l = Load(source);
        // Masks after a 40-byte header: 32 bits with bit fields are always "Custom".
        Bytes fields(l.bytes.begin(), l.bytes.begin() + 54);
        for (uint32_t m : {0x00FF0000u, 0x0000FF00u, 0x000000FFu}) {
            fields.resize(fields.size() + 4);
            Put32(fields, fields.size() - 4, m);
        }
        fields.insert(fields.end(), l.bytes.begin() + l.offset, l.bytes.end());
        Put32(fields, 10, 66);
        Put32(fields, 30, 3);
        Check("fields32", fields, 32, PixelFormat::Custom, Reference(source));
    }
}

// Writes the rows of a 4-bit file as RLE4: a repeated run, a literal run with its padding, an end
// of line each, and an end of bitmap.
TEST_F(HandMadeBmp, RunLengthFourBits) {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    const std::string source = Make("b4.bmp", "-colors 12 -type palette -compress None bmp3:", "21x9");
    Layout l = Load(source);
    ASSERT_EQ(l.bits, 4);
    const size_t stride = Picture::StrideFor(l.width, 4);
    Bytes rle;
    for (int y = 0; y < l.height; ++y) {
        const uint8_t* row = &l.bytes[l.offset + y * stride];
        auto nibble = [&](int x) { return (x & 1) ? row[x / 2] & 15 : row[x / 2] >> 4; };
        // Pixels 0 and 1 as a run of two, then the rest as a literal run.
        rle.insert(rle.end(), {2, uint8_t(nibble(0) << 4 | nibble(1))});
        const int rest = l.width - 2;
        rle.insert(rle.end(), {0, uint8_t(rest)});
        size_t bytes = 0;
        for (int x = 2; x < l.width; x += 2, ++bytes)
            rle.push_back(uint8_t(nibble(x) << 4 | (x + 1 < l.width ? nibble(x + 1) : 0)));
        if (bytes & 1) rle.push_back(0);
        rle.insert(rle.end(), {0, 0});
    }
    rle.insert(rle.end(), {0, 1});
    Bytes file(l.bytes.begin(), l.bytes.begin() + l.offset);
    file.insert(file.end(), rle.begin(), rle.end());
    Put32(file, 30, 2);
    Put32(file, 34, uint32_t(rle.size()));
    Check("rle4", file, 4, PixelFormat::Bits4, Reference(source));
}

// Runs and cursor moves that leave the picture are cut at its edges; untouched pixels are index 0.
TEST(BmpRunLength, RunsPastTheEdgesAreCutAndMovesSkipPixels) {
    Bytes file(14 + 40 + 8, 0);
    file[0] = 'B';
    file[1] = 'M';
    Put32(file, 10, 14 + 40 + 8);
    Put32(file, 14, 40);
    Put32(file, 18, 4);  // 4 x 3
    Put32(file, 22, 3);
    file[26] = 1;
    file[28] = 8;
    Put32(file, 30, 1);
    Put32(file, 46, 2);
    Put32(file, 54, 0x000000);
    Put32(file, 58, 0xFFFFFF);
    // Bottom row: a run of 9 cut to 4. Middle row: move right 2, one pixel, then a move off the
    // right edge and down, which ends the picture.
    const uint8_t rle[] = {9, 1, 0, 0, 0, 2, 2, 0, 1, 1, 0, 2, 200, 5};
    file.insert(file.end(), std::begin(rle), std::end(rle));
    Picture pic;
    ASSERT_EQ(ReadBmp(file, pic), ReadResult::Ok);
    ASSERT_EQ(pic.bitsPerPixel, 8);
    const uint8_t expected[3][4] = {{0, 0, 0, 0}, {0, 0, 1, 0}, {1, 1, 1, 1}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(pic.Row(y)[x], expected[y][x]) << x << ", " << y;

    // The same data cut inside a command is truncated.
    file.resize(file.size() - 1);
    EXPECT_EQ(ReadBmp(file, pic), ReadResult::Malformed);
}

TEST_F(PictureFiles, BootScreenFileKeepsSizeDepthAndColourTableWhateverItsName) {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    const std::string path = Make("logow.sys", "-colors 256 -type palette -compress None bmp3:", "320x400");
    const Bytes bytes = ReadAll(path);
    const uint32_t colours = Get32(bytes, 46) ? Get32(bytes, 46) : 256;
    fs::copy_file(path, Path("LOGOW.SYS"));
    for (const char* name : {"logow.sys", "LOGOW.SYS"}) {
        SCOPED_TRACE(name);
        Picture pic = Marker();
        ASSERT_EQ(LoadPictureFile(Path(name), CategoryWait, pic), kStatusOk);
        EXPECT_EQ(pic.width, 320);
        EXPECT_EQ(pic.height, 400);
        EXPECT_EQ(pic.bitsPerPixel, 8);
        EXPECT_EQ(pic.format, PixelFormat::Bits8);
        ASSERT_EQ(pic.palette.size(), colours);
        for (size_t i = 0; i < colours; ++i)
            ASSERT_EQ(pic.palette[i], Get32(bytes, 54 + 4 * i) & 0xFFFFFF) << "colour " << i;
        EXPECT_TRUE(SamePixels(pic, Reference(path)));
    }
}

TEST_F(PictureFiles, StatusesAndTheTargetLeftAsItWasOnFailure) {
    WriteAll(Path("empty.sys"), {});
    WriteAll(Path("one.sys"), {'B'});
    WriteAll(Path("notbmp.bmp"), {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0});
    fs::create_directories(Path("folder.bmp"));
    for (int category : {int(CategoryStart), int(CategoryWait), int(CategoryShut), int(CategoryWall)}) {
        SCOPED_TRACE(category);
        Picture pic = Marker();
        EXPECT_EQ(LoadPictureFile(Path("missing.bmp"), category, pic), kStatusCannotOpen);
        EXPECT_EQ(LoadPictureFile(Path("folder.bmp"), category, pic), kStatusCannotOpen);
        EXPECT_TRUE(IsMarker(pic));
        EXPECT_EQ(LoadPictureFile(Path("empty.sys"), category, pic), kStatusOk);
        EXPECT_TRUE(pic.Empty());
        EXPECT_EQ(pic.width, 0);
        EXPECT_EQ(pic.height, 0);
    }
    // The bitmap reader refuses what is not a bitmap; the wallpaper decoder finds no picture in it.
    for (int category : {int(CategoryStart), int(CategoryWait), int(CategoryShut)}) {
        Picture pic = Marker();
        EXPECT_EQ(LoadPictureFile(Path("one.sys"), category, pic), kStatusFailed);
        EXPECT_EQ(LoadPictureFile(Path("notbmp.bmp"), category, pic), kStatusFailed);
        EXPECT_TRUE(IsMarker(pic));
    }
    Picture pic = Marker();
    EXPECT_EQ(LoadPictureFile(Path("notbmp.bmp"), CategoryWall, pic), kStatusOk);
    EXPECT_TRUE(pic.Empty());
}

TEST_F(PictureFiles, TruncatedBitmapsFail) {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    for (const char* args : {"-colors 60 -type palette -compress None bmp3:", "-colors 60 -type palette -compress RLE bmp3:",
                             "bmp2:", "-define bmp:subtype=RGB565 bmp:"}) {
        SCOPED_TRACE(args);
        const Bytes whole = ReadAll(Make("t.bmp", args));
        // Cut one byte short of the last row's own pixels, and at every earlier point.
        const size_t lastRowPadding = 3;
        for (size_t cut = 1; cut + lastRowPadding < whole.size(); cut += 7) {
            Picture pic = Marker();
            const Bytes part(whole.begin(), whole.end() - long(cut) - long(lastRowPadding));
            ASSERT_NE(ReadBmp(part, pic), ReadResult::Ok) << "cut at " << part.size();
            ASSERT_TRUE(IsMarker(pic));
        }
    }
}

// Builds the headers of a 40-byte bitmap of the given size and depth, with no pixels behind them.
Bytes BmpHeader(int32_t width, int32_t height, int bits, uint32_t compression = 0) {
    Bytes b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 10, 54);
    Put32(b, 14, 40);
    Put32(b, 18, uint32_t(width));
    Put32(b, 22, uint32_t(height));
    b[26] = 1;
    b[28] = uint8_t(bits);
    Put32(b, 30, compression);
    return b;
}

// Some writers set bit fields after a 40-byte header but start the pixels where the masks would be.
TEST(HostileBitmaps, BitFieldsWithoutRoomForMasksReadAsPlainRgb) {
    Bytes b = BmpHeader(2, 1, 16, 3);
    b.insert(b.end(), {0x00, 0x7C, 0x1F, 0x00});
    Picture pic;
    ASSERT_EQ(ReadBmp(b, pic), ReadResult::Ok);
    EXPECT_EQ(pic.format, PixelFormat::Bits15);
    EXPECT_EQ(pic.ColorAt(0, 0), 0xFF0000u);
    EXPECT_EQ(pic.ColorAt(1, 0), 0x0000FFu);
}

TEST(HostileBitmaps, OversizedPicturesAreRefusedBeforeAllocation) {
    Picture pic = Marker();
    EXPECT_EQ(ReadBmp(BmpHeader(32768, 1, 24), pic), ReadResult::TooLarge);
    EXPECT_EQ(ReadBmp(BmpHeader(1, -32768, 24), pic), ReadResult::TooLarge);
    EXPECT_EQ(ReadBmp(BmpHeader(1, int32_t(0x80000000u), 24), pic), ReadResult::TooLarge);
    EXPECT_EQ(ReadBmp(BmpHeader(32767, 32767, 8, 1), pic), ReadResult::TooLarge);  // 1 GiB of RLE8 rows
    EXPECT_EQ(ReadBmp(BmpHeader(30000, 30000, 32), pic), ReadResult::TooLarge);
    EXPECT_TRUE(IsMarker(pic));
    // The decoder refuses them as well rather than showing nothing.
    EXPECT_EQ(DecodePicture(BmpHeader(40000, 2, 24), pic), kStatusFailed);
    const uint8_t hugeTarga[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0x7F, 0xFF, 0x7F, 24, 0};
    EXPECT_EQ(DecodePicture(hugeTarga, pic), kStatusFailed);
    EXPECT_TRUE(IsMarker(pic));
}

TEST(HostileBitmaps, FieldsThatDisagreeWithTheFileFail) {
    Picture pic = Marker();
    // Within the size limit, but with no pixels behind the header.
    EXPECT_EQ(ReadBmp(BmpHeader(20000, 20000, 8), pic), ReadResult::Malformed);
    EXPECT_EQ(ReadBmp(BmpHeader(0, 5, 24), pic), ReadResult::Malformed);
    EXPECT_EQ(ReadBmp(BmpHeader(5, 0, 24), pic), ReadResult::Malformed);
    EXPECT_EQ(ReadBmp(BmpHeader(2, 2, 7), pic), ReadResult::Malformed);
    EXPECT_EQ(ReadBmp(BmpHeader(2, 2, 24, 1), pic), ReadResult::Malformed);   // RLE8 needs 8 bits
    EXPECT_EQ(ReadBmp(BmpHeader(2, -2, 8, 1), pic), ReadResult::Malformed);   // RLE rows are bottom-up
    EXPECT_EQ(ReadBmp(BmpHeader(2, 2, 24, 3), pic), ReadResult::Malformed);   // masks need 16 or 32 bits

    Bytes b = BmpHeader(2, 2, 24);
    b.resize(54 + 16, 0x11);
    Put32(b, 14, 0x7FFFFFF0);  // header larger than the file
    EXPECT_EQ(ReadBmp(b, pic), ReadResult::Malformed);
    Put32(b, 14, 40);
    Put32(b, 10, 0xFFFFFF00);  // pixels beyond the end
    EXPECT_EQ(ReadBmp(b, pic), ReadResult::Malformed);
    Put32(b, 10, 20);  // pixels inside the header
    EXPECT_EQ(ReadBmp(b, pic), ReadResult::Malformed);
    EXPECT_TRUE(IsMarker(pic));

    // A colour count beyond what the depth holds reads the depth's own table and no further.
    Bytes p = BmpHeader(2, 1, 1);
    Put32(p, 46, 0xFFFFFFFF);
    p.insert(p.end(), {0, 0, 0, 0, 255, 255, 255, 0, 0x40, 0, 0, 0});
    Put32(p, 10, 62);
    ASSERT_EQ(ReadBmp(p, pic), ReadResult::Ok);
    EXPECT_EQ(pic.palette.size(), 2u);
    EXPECT_EQ(pic.ColorAt(0, 0), 0x000000u);
    EXPECT_EQ(pic.ColorAt(1, 0), 0xFFFFFFu);
}

// PCX files of every depth and plane count, written by ImageMagick (8 bits, 24 bits) or by hand
// (fewer bits, planar), each compared with ImageMagick's decode.
class PcxFiles : public PictureFiles {
protected:
    static Bytes Pcx(int bits, int planes, int width, int height, uint32_t (*index)(int, int), bool endPalette) {
        Bytes out(128, 0);
        out[0] = 0x0A;
        out[1] = 5;
        out[2] = 1;
        out[3] = uint8_t(bits);
        out[8] = uint8_t(width - 1);
        out[10] = uint8_t(height - 1);
        for (int i = 0; i < 16; ++i) {  // a header palette of 16 distinct colours
            out[16 + 3 * i] = uint8_t(i * 16);
            out[17 + 3 * i] = uint8_t(255 - i * 15);
            out[18 + 3 * i] = uint8_t((i * 77) & 0xFF);
        }
        out[65] = uint8_t(planes);
        const int bytesPerLine = ((width * bits + 7) / 8 + 1) & ~1;
        out[66] = uint8_t(bytesPerLine);
        out[68] = 1;
        for (int y = 0; y < height; ++y) {
            Bytes line(size_t(bytesPerLine) * planes, 0);
            for (int p = 0; p < planes; ++p)
                for (int x = 0; x < width; ++x) {
                    const uint32_t v = (index(x, y) >> (p * bits)) & ((1u << bits) - 1);
                    const int perByte = 8 / bits;
                    line[p * bytesPerLine + x / perByte] |= uint8_t(v << (8 - bits * (x % perByte + 1)));
                }
            for (size_t i = 0; i < line.size();) {
                size_t j = i;
                while (j < line.size() && line[j] == line[i] && j - i < 63) ++j;
                if (j - i > 1 || line[i] >= 0xC0) {
                    out.insert(out.end(), {uint8_t(0xC0 | (j - i)), line[i]});
                    i = j;
                } else {
                    out.push_back(line[i++]);
                }
            }
        }
        if (endPalette) {
            out.push_back(0x0C);
            for (int i = 0; i < 256; ++i) out.insert(out.end(), {uint8_t(i), uint8_t(i * 3), uint8_t(255 - i)});
        }
        return out;
    }
    void Check(const std::string& name, const std::string& path, int bits, int width, int height) {
        SCOPED_TRACE(name);
        Picture pic = Marker();
        ASSERT_EQ(ReadPcx(ReadAll(path), pic), ReadResult::Ok);
        EXPECT_EQ(pic.width, width);
        EXPECT_EQ(pic.height, height);
        EXPECT_EQ(pic.bitsPerPixel, bits);
        EXPECT_TRUE(SamePixels(pic, Reference(path)));
        Picture decoded;
        ASSERT_EQ(DecodePictureFile(path, decoded), kStatusOk);
        EXPECT_EQ(decoded.pixels, pic.pixels);
    }
};

TEST_F(PcxFiles, EveryDepthAndPlaneCountReadsAsImageMagickDecodesIt) {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    Check("256 colours", Make("p8.pcx", "-colors 200"), 8, 37, 23);
    Check("24 bits", Make("p24.pcx", ""), 24, 37, 23);
    struct Hand {
        const char* name;
        int bits, planes;
        uint32_t (*index)(int, int);
        bool endPalette;
    } hands[] = {
        {"ega 1x4", 1, 4, [](int x, int y) { return uint32_t(x + 3 * y) % 16; }, false},
        {"1x3", 1, 3, [](int x, int y) { return uint32_t(x * y) % 8; }, false},
        {"cga 2x1", 2, 1, [](int x, int y) { return uint32_t(x + y) % 4; }, false},
        {"4x1", 4, 1, [](int x, int y) { return uint32_t(x ^ y) % 16; }, false},
        {"8x1 end palette", 8, 1, [](int x, int y) { return uint32_t(x * 7 + y * 31) % 256; }, true},
    };
    for (const Hand& h : hands) {
        const std::string path = Path(std::string(h.name) + ".pcx");
        WriteAll(path, Pcx(h.bits, h.planes, 19, 7, h.index, h.endPalette));
        Check(h.name, path, 8, 19, 7);
    }
}

TEST_F(PcxFiles, MonochromeIsBlackAndWhite) {
    const Bytes file = Pcx(1, 1, 10, 2, [](int x, int) { return uint32_t(x & 1); }, false);
    Picture pic;
    ASSERT_EQ(ReadPcx(file, pic), ReadResult::Ok);
    EXPECT_EQ(pic.ColorAt(0, 0), 0x000000u);
    EXPECT_EQ(pic.ColorAt(1, 1), 0xFFFFFFu);
}

TEST_F(PcxFiles, TruncatedAndImpossibleHeadersFail) {
    const Bytes whole = Pcx(4, 1, 19, 7, [](int x, int y) { return uint32_t(x + y) % 16; }, false);
    Picture pic = Marker();
    for (size_t size = 0; size < whole.size(); ++size)
        ASSERT_EQ(ReadPcx(Bytes(whole.begin(), whole.begin() + long(size)), pic), ReadResult::Malformed) << size;
    Bytes b = whole;
    b[8] = 0;
    b[9] = 0;
    b[4] = 5;  // right edge left of the left one
    EXPECT_EQ(ReadPcx(b, pic), ReadResult::Malformed);
    b = whole;
    b[66] = 1;  // lines shorter than the width
    EXPECT_EQ(ReadPcx(b, pic), ReadResult::Malformed);
    b = whole;
    b[65] = 3;  // 12 bits per pixel
    EXPECT_EQ(ReadPcx(b, pic), ReadResult::Malformed);
    b = whole;
    b[8] = 0xFF;
    b[9] = 0xFF;  // 65536 wide
    EXPECT_EQ(ReadPcx(b, pic), ReadResult::TooLarge);
    EXPECT_TRUE(IsMarker(pic));
}

TEST_F(PictureFiles, DecoderReadsOtherFormatsByContentNotName) {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    struct Case {
        const char* name;
        const char* args;
        int tolerance;
    } cases[] = {
        {"a.png", "", 0},
        {"a.gif", "-colors 64", 0},
        // ImageMagick writes its rows top-down whatever the header says unless told the origin.
        {"a.tga", "-orient TopLeft -compress None", 0},
        {"rle.tga", "-orient TopLeft -compress RLE", 0},
        {"a.jpg", "-quality 92 -sampling-factor 1x1", 3},
        {"progressive.jpg", "-quality 92 -sampling-factor 1x1 -interlace Plane", 3},
        {"a.bmp", "-colors 60 -type palette -compress RLE bmp3:", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string made = Make(c.name, c.args);
        const Bytes reference = Reference(made);
        // The same file under a misleading name decodes the same.
        const std::string renamed = Path(std::string("x") + c.name + ".pcx");
        fs::copy_file(made, renamed);
        for (const std::string& path : {made, renamed}) {
            Picture pic = Marker();
            ASSERT_EQ(LoadPictureFile(path, CategoryWall, pic), kStatusOk);
            EXPECT_EQ(pic.width, 37);
            EXPECT_EQ(pic.height, 23);
            EXPECT_TRUE(SamePixels(pic, reference, c.tolerance));
        }
        // The boot-screen categories read bitmaps only.
        if (std::string(c.name) != "a.bmp") {
            Picture pic = Marker();
            EXPECT_EQ(LoadPictureFile(made, CategoryStart, pic), kStatusFailed);
            EXPECT_TRUE(IsMarker(pic));
        }
    }
}

TEST(Decoder, UndecodableBytesGiveAnEmptyPicture) {
    const Bytes garbage = {'G', 'I', 'F', '8', '9', 'a', 1, 2, 3};
    const Bytes damaged = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0, 0};
    for (const Bytes& b : {garbage, damaged, Bytes{}}) {
        Picture pic = Marker();
        EXPECT_EQ(DecodePicture(b, pic), kStatusOk);
        EXPECT_TRUE(pic.Empty());
    }
}

}  // namespace
}  // namespace mx
