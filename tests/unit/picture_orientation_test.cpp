// Pictures as cameras and the web make them: the EXIF orientation of JPEG and WebP files (written by
// exiftool, turned by ImageMagick), malformed EXIF data, and turning pictures of every depth.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "picture/decoder.h"
#include "picture/exif_orientation.h"
#include "picture/orient.h"
#include "picture/reader_util.h"
#include "picture_samples.h"

namespace mx {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Output(const std::string& command) {
    Bytes out;
    if (std::FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        uint8_t buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.insert(out.end(), buffer, buffer + n);
        ::pclose(pipe);
    }
    return out;
}

bool HaveTools() {
    static const bool have = std::system("convert -version >/dev/null 2>&1 && command -v exiftool cwebp >/dev/null") == 0;
    return have;
}

std::string Scratch(const std::string& name) { return ::testing::TempDir() + "mx_orient_" + std::to_string(::getpid()) + name; }

::testing::AssertionResult SamePixels(const Picture& pic, const Bytes& rgb, int width, int height, int tolerance) {
    if (pic.width != width || pic.height != height || rgb.size() != size_t(width) * size_t(height) * 3)
        return ::testing::AssertionFailure() << pic.width << "x" << pic.height << ", reference " << rgb.size() << " bytes";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                const int ours = int(pic.ColorAt(x, y) >> (16 - 8 * c) & 0xFF), theirs = rgb[(size_t(y) * width + x) * 3 + c];
                if (std::abs(ours - theirs) > tolerance)
                    return ::testing::AssertionFailure() << "(" << x << ", " << y << ") channel " << c << ": " << ours << " vs " << theirs;
            }
    return ::testing::AssertionSuccess();
}

// One upright picture, 40 x 24, stored in each of the eight ways with the tag that turns it back:
// the JPEG must come out as ImageMagick's -auto-orient shows it, the lossless WebP as the upright
// picture itself. Odd orientations are tagged little-endian, even ones big-endian.
TEST(Orientation, EightOrientationsOfAJpegAndAWebpComeOutUpright) {
    if (!HaveTools()) GTEST_SKIP() << "ImageMagick, exiftool or cwebp is not installed";
    const std::string upright = Scratch("upright.png");
    ASSERT_EQ(std::system(("convert -size 40x24 -seed 5 plasma:fractal -depth 8 " + upright).c_str()), 0);
    const Bytes uprightRgb = Output("convert " + upright + " -depth 8 rgb:-");
    // How each orientation's stored picture is made from the upright one.
    const char* store[] = {"", "", "-flop", "-rotate 180", "-flip", "-transpose", "-rotate 270", "-transverse", "-rotate 90"};
    for (int k = 1; k <= 8; ++k) {
        SCOPED_TRACE("orientation " + std::to_string(k));
        const std::string jpeg = Scratch("stored.jpg"), webp = Scratch("stored.webp"), png = Scratch("stored.png");
        const std::string tag = std::string(" -ExifByteOrder=") + (k % 2 ? "Little-endian" : "Big-endian") +
                                " -Orientation#=" + std::to_string(k) + " ";
        ASSERT_EQ(std::system(("convert " + upright + " " + store[k] + " " + png + " && convert " + png +
                               " -quality 95 -sampling-factor 1x1 " + jpeg + " && cwebp -quiet -lossless " + png +
                               " -o " + webp + " && exiftool -q -overwrite_original" + tag + jpeg + " " + webp)
                                  .c_str()),
                  0);
        // Stored on its side for 5 to 8, the picture comes out 40 x 24 all the same.
        const Bytes stored = Output("identify -format '%w x %h' " + jpeg);
        EXPECT_EQ(std::string(stored.begin(), stored.end()), SwapsSides(k) ? "24 x 40" : "40 x 24");
        Bytes bytes;
        Picture pic;
        ASSERT_EQ(ReadFileBytes(jpeg, bytes), kStatusOk);
        EXPECT_EQ(PictureOrientation(bytes), k);
        ASSERT_EQ(DecodePicture(bytes, pic), kStatusOk);
        EXPECT_TRUE(SamePixels(pic, Output("convert " + jpeg + " -auto-orient -depth 8 rgb:-"), 40, 24, 2));
        ASSERT_EQ(ReadFileBytes(webp, bytes), kStatusOk);
        EXPECT_EQ(PictureOrientation(bytes), k);
        ASSERT_EQ(DecodePicture(bytes, pic), kStatusOk);
        EXPECT_TRUE(SamePixels(pic, uprightRgb, 40, 24, 0));
        for (const std::string& f : {jpeg, webp, png}) std::remove(f.c_str());
    }
    std::remove(upright.c_str());
}

// TIFF data of one directory holding the orientation tag, in either byte order, with parts to spoil.
struct Tiff {
    bool big = false;
    uint32_t directory = 8;
    uint16_t entries = 2;
    uint16_t type = 3;
    uint32_t count = 1;
    uint16_t value = 6;
    uint32_t next = 0;  // the next directory's offset
    size_t cut = 0;     // bytes taken off the end

    Bytes Make() const {
        Bytes b;
        auto put16 = [&](uint32_t v) { big ? b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)}) : b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); };
        auto put32 = [&](uint32_t v) { big ? (put16(v >> 16), put16(v)) : (put16(v), put16(v >> 16)); };
        b.insert(b.end(), {uint8_t(big ? 'M' : 'I'), uint8_t(big ? 'M' : 'I')});
        put16(42);
        put32(directory);
        put16(entries);
        put16(0x0100), put16(4), put32(1), put32(640);  // ImageWidth, before the tag as writers sort them
        put16(274), put16(type), put32(count), put16(value), put16(0);
        put32(next);
        b.resize(b.size() - std::min(cut, b.size()));
        return b;
    }
};

Bytes JpegWith(const Bytes& app1Body, const Bytes& before = {}) {
    Bytes jpeg = {0xFF, 0xD8};
    jpeg.insert(jpeg.end(), before.begin(), before.end());
    const size_t length = app1Body.size() + 2;
    jpeg.insert(jpeg.end(), {0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length)});
    jpeg.insert(jpeg.end(), app1Body.begin(), app1Body.end());
    jpeg.insert(jpeg.end(), {0xFF, 0xDA, 0, 2, 0xFF, 0xD9});
    return jpeg;
}

Bytes Exif(const Bytes& tiff) {
    Bytes b = {'E', 'x', 'i', 'f', 0, 0};
    b.insert(b.end(), tiff.begin(), tiff.end());
    return b;
}

Bytes Chunk(const char* type, const Bytes& body, bool bigEndianLength) {
    Bytes b;
    const uint32_t n = uint32_t(body.size());
    if (bigEndianLength) b = {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
    b.insert(bigEndianLength ? b.end() : b.begin(), type, type + 4);
    if (!bigEndianLength) b.insert(b.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)});
    b.insert(b.end(), body.begin(), body.end());
    if (bigEndianLength) b.insert(b.end(), 4, 0);  // the checksum, not looked at
    else if (n % 2) b.push_back(0);
    return b;
}

Bytes WebpWith(const Bytes& chunks) {
    Bytes b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'};
    b.insert(b.end(), chunks.begin(), chunks.end());
    const uint32_t n = uint32_t(b.size() - 8);
    b[4] = uint8_t(n), b[5] = uint8_t(n >> 8), b[6] = uint8_t(n >> 16), b[7] = uint8_t(n >> 24);
    return b;
}

TEST(Orientation, MalformedExifMeansAsStored) {
    auto tiff = [](auto change) {
        Tiff t;
        change(t);
        return t.Make();
    };
    const Bytes good = Tiff{}.Make();
    Bytes loop = tiff([](Tiff& t) { t.value = 0, t.entries = 1, t.next = 8; });  // the tag missing, the chain looping
    const Bytes xmp = {0xFF, 0xE1, 0, 9, 'h', 't', 't', 'p', ':', '/', '/'};
    Bytes oversized = JpegWith(Exif(good));
    oversized[4] = 0xFF;  // the block claims more than the file holds
    struct Case {
        const char* name;
        Bytes file;
        int orientation;
    } cases[] = {
        {"little-endian", JpegWith(Exif(good)), 6},
        {"big-endian", JpegWith(Exif(tiff([](Tiff& t) { t.big = true, t.value = 8; }))), 8},
        {"after an XMP block and fill bytes", JpegWith(Exif(good), [&] { Bytes b = xmp; b.insert(b.end(), {0xFF, 0xFF}); return b; }()), 6},
        {"value 0", JpegWith(Exif(tiff([](Tiff& t) { t.value = 0; }))), 1},
        {"value 9", JpegWith(Exif(tiff([](Tiff& t) { t.value = 9; }))), 1},
        {"value 0x0600 in the other byte order", JpegWith(Exif(tiff([](Tiff& t) { t.value = 0x0600; }))), 1},
        {"a long instead of a short", JpegWith(Exif(tiff([](Tiff& t) { t.type = 4; }))), 1},
        {"two values", JpegWith(Exif(tiff([](Tiff& t) { t.count = 2; }))), 1},
        {"directory beyond the end", JpegWith(Exif(tiff([](Tiff& t) { t.directory = 4000; }))), 1},
        {"directory offset 0xFFFFFFFF", JpegWith(Exif(tiff([](Tiff& t) { t.directory = 0xFFFFFFFF; }))), 1},
        {"directory inside the header", JpegWith(Exif(tiff([](Tiff& t) { t.directory = 2; }))), 1},
        {"more entries than there are", JpegWith(Exif(tiff([](Tiff& t) { t.entries = 0xFFFF; }))), 6},
        {"cut inside the tag's entry", JpegWith(Exif(tiff([](Tiff& t) { t.cut = 10; }))), 1},
        {"cut inside the header", JpegWith(Exif(tiff([](Tiff& t) { t.cut = 28; }))), 1},
        {"directories in a loop", JpegWith(Exif(loop)), 1},
        {"not TIFF data", JpegWith(Exif({'I', 'I', 0x2A})), 1},
        {"block longer than the file", oversized, 6},
        {"after the scan", [&] { Bytes b = {0xFF, 0xD8, 0xFF, 0xDA, 0, 2}; Bytes e = JpegWith(Exif(good)); b.insert(b.end(), e.begin() + 2, e.end()); return b; }(), 1},
        {"file ending in the marker", Bytes{0xFF, 0xD8, 0xFF, 0xE1, 0}, 1},
        {"webp", WebpWith(Chunk("VP8X", Bytes(10, 0), false) + Chunk("EXIF", good, false)), 6},
        {"webp with JPEG's header", WebpWith(Chunk("VP8X", Bytes(10, 0), false) + Chunk("EXIF", Exif(good), false)), 6},
        {"webp after an odd chunk", WebpWith(Chunk("ICCP", Bytes(3, 1), false) + Chunk("EXIF", good, false)), 6},
        {"webp chunk longer than the file", [&] { Bytes b = WebpWith(Chunk("ICCP", Bytes(3, 1), false) + Chunk("EXIF", good, false)); b[16] = 0xFF; return b; }(), 1},
        {"png", [&] { Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}; return b + Chunk("IHDR", Bytes(13, 0), true) + Chunk("eXIf", good, true); }(), 6},
        {"png ended before it", [&] { Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}; return b + Chunk("IEND", {}, true) + Chunk("eXIf", good, true); }(), 1},
        {"tiff file itself (not a file the decoder turns)", good, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PictureOrientation(c.file), c.orientation);
    }
    EXPECT_EQ(TiffOrientation(good), 6);
    EXPECT_EQ(TiffOrientation(loop), 1);
}

// Turning is checked by what the turns are: a quarter turn one way undoes one the other way, the
// mirrors and the half turn undo themselves, and two quarter turns make a half turn; on every depth
// a reader makes, small and large enough for the quick 24-bit paths.
TEST(Orientation, TurnsUndoEachOtherOnEveryDepth) {
    const std::pair<int, int> pairs[] = {{2, 2}, {3, 3}, {4, 4}, {5, 5}, {7, 7}, {6, 8}, {8, 6}};
    for (int bits : {8, 16, 24, 32})
        for (auto [w, h] : {std::pair{7, 5}, std::pair{1, 9}, std::pair{33, 2}, std::pair{200, 13}, std::pair{131, 70}}) {
            const Picture original = test::SamplePicture(w, h, bits);
            for (auto [first, second] : pairs) {
                SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(w) + " x " + std::to_string(h) + ", " +
                             std::to_string(first) + " then " + std::to_string(second));
                Picture p = original;
                TurnUpright(p, first);
                ASSERT_EQ(p.width, SwapsSides(first) ? h : w);
                ASSERT_EQ(p.pixels.size(), p.Stride() * size_t(p.height));
                TurnUpright(p, second);
                ASSERT_EQ(p.width, w);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) ASSERT_EQ(p.ColorAt(x, y), original.ColorAt(x, y)) << x << ", " << y;
            }
            Picture twice = original, half = original;
            TurnUpright(twice, 6);
            TurnUpright(twice, 6);
            TurnUpright(half, 3);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) ASSERT_EQ(twice.ColorAt(x, y), half.ColorAt(x, y));
            // The pixel that a quarter turn clockwise puts at the top-left corner is the stored bottom-left one.
            Picture quarter = original;
            TurnUpright(quarter, 6);
            EXPECT_EQ(quarter.ColorAt(0, 0), original.ColorAt(0, h - 1));
            for (int value : {0, 1, 9, -3}) {
                Picture same = original;
                TurnUpright(same, value);
                EXPECT_EQ(same.pixels, original.pixels);
            }
        }
}

}  // namespace
}  // namespace mx
