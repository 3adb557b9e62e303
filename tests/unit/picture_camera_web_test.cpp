// Pictures as cameras and the web make them: EXIF orientation written by exiftool against
// ImageMagick's -auto-orient, malformed EXIF data, turns on every depth; WebP files written by cwebp,
// img2webp and webpmux against dwebp; transparency against ImageMagick's -flatten.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "allocation_meter.h"
#include "picture/bmp_reader.h"
#include "picture/bmp_writer.h"
#include "picture/decoder.h"
#include "picture/exif_orientation.h"
#include "picture/orient.h"
#include "picture/reader_util.h"
#include "picture/transparency.h"
#include "picture_samples.h"

namespace mx {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

using test::Matches;
using test::Output;
using test::SamePixels;

bool HaveTools() {
    static const bool have = std::system("convert -version >/dev/null 2>&1 && command -v exiftool cwebp dwebp img2webp "
                                         "webpmux >/dev/null") == 0;
    return have;
}

std::string Scratch(const std::string& name) { return ::testing::TempDir() + "mx_camera_" + std::to_string(::getpid()) + name; }

Bytes Decoded(const std::string& path, Picture& pic) {
    Bytes bytes;
    EXPECT_EQ(ReadFileBytes(path, bytes), kStatusOk);
    EXPECT_EQ(DecodePicture(bytes, pic), kStatusOk);
    return bytes;
}

// One upright 40 x 24 picture stored in each of the eight ways, with the tag that turns it back
// (odd values little-endian, even ones big-endian): the JPEG comes out as ImageMagick's -auto-orient
// shows it, the lossless WebP as the upright picture itself, both 40 x 24 however they are stored.
TEST(Orientation, EightOrientationsOfAJpegAndAWebpComeOutUpright) {
    if (!HaveTools()) GTEST_SKIP() << "ImageMagick, exiftool or the webp tools are not installed";
    const std::string upright = Scratch("upright.png"), png = Scratch("s.png"), jpeg = Scratch("s.jpg"), webp = Scratch("s.webp");
    ASSERT_EQ(std::system(("convert -size 40x24 -seed 5 plasma:fractal -depth 8 " + upright).c_str()), 0);
    const Bytes uprightRgb = Output("convert " + upright + " -depth 8 rgb:-");
    const char* store[] = {"", "", "-flop", "-rotate 180", "-flip", "-transpose", "-rotate 270", "-transverse", "-rotate 90"};
    for (int k = 1; k <= 8; ++k) {
        SCOPED_TRACE("orientation " + std::to_string(k));
        const std::string tag = std::string(" -ExifByteOrder=") + (k % 2 ? "Little" : "Big") + "-endian -Orientation#=" + std::to_string(k);
        ASSERT_EQ(std::system(("convert " + upright + " " + store[k] + " " + png + " && convert " + png + " -quality 95 -sampling-factor 1x1 " +
                               jpeg + " && cwebp -quiet -lossless " + png + " -o " + webp + " && exiftool -q -overwrite_original" + tag +
                               " " + jpeg + " " + webp).c_str()), 0);
        const Bytes stored = Output("identify -format '%w x %h' " + jpeg);
        EXPECT_EQ(std::string(stored.begin(), stored.end()), SwapsSides(k) ? "24 x 40" : "40 x 24");
        Picture pic;
        const Bytes jpegBytes = Decoded(jpeg, pic);
        EXPECT_EQ(PictureOrientation(jpegBytes), k);
        EXPECT_TRUE(Matches(pic, Output("convert " + jpeg + " -auto-orient -depth 8 rgb:-"), 40, 24, 2));
        // A request shows the upright picture: its part is decoded as stored and turned, pixel for
        // pixel the part of the whole picture decoded at the upright size it is shown at (its own,
        // or Fill's middle of a reduction); a reduction comes out at the upright size shown.
        using Kind = ShowRequest::Kind;
        for (ShowRequest request : {ShowRequest{Kind::Centred, {29, 17}}, {Kind::TopLeft, {25, 15}},
                                    {Kind::Scaled, {10, 6}}, {Kind::Filled, {10, 10}}, {Kind::Filled, {16, 5}}}) {
            DecodedPicture part, scaled;
            ASSERT_EQ(DecodePicture(jpegBytes, request, part), kStatusOk);
            const ShownPart shown = PartShown(request, {40, 24});
            ASSERT_EQ(DecodePicture(jpegBytes, {Kind::Scaled, shown.scaled}, scaled), kStatusOk);
            EXPECT_EQ(part.Full(), (Size{40, 24}));
            EXPECT_EQ(part.region, shown.region);
            ASSERT_EQ((Size{part.picture.width, part.picture.height}), shown.shown);
            for (int y = 0; y < shown.shown.height; ++y)
                for (int x = 0; x < shown.shown.width; ++x)
                    ASSERT_EQ(part.picture.ColorAt(x, y),
                              scaled.picture.ColorAt(shown.window.left + x, shown.window.top + y));
        }
        EXPECT_EQ(PictureOrientation(Decoded(webp, pic)), k);
        EXPECT_TRUE(Matches(pic, uprightRgb, 40, 24, 0));
    }
    for (const std::string& f : {upright, png, jpeg, webp}) std::remove(f.c_str());
}

// TIFF data of one directory (a width, then the orientation tag) in either byte order, with parts
// to spoil.
struct Tiff {
    bool big = false;
    uint32_t directory = 8, count = 1, next = 0;
    uint16_t entries = 2, type = 3, value = 6;
    size_t cut = 0;  // bytes taken off the end
    Bytes Make() const {
        Bytes b = {uint8_t(big ? 'M' : 'I'), uint8_t(big ? 'M' : 'I')};
        auto put16 = [&](uint32_t v) { b.insert(b.end(), {uint8_t(big ? v >> 8 : v), uint8_t(big ? v : v >> 8)}); };
        auto put32 = [&](uint32_t v) { big ? (put16(v >> 16), put16(v)) : (put16(v), put16(v >> 16)); };
        put16(42), put32(directory), put16(entries);
        put16(0x0100), put16(4), put32(1), put32(640);
        put16(274), put16(type), put32(count), put16(value), put16(0), put32(next);
        b.resize(b.size() - std::min(cut, b.size()));
        return b;
    }
};
Bytes Spoilt(void (*change)(Tiff&)) {
    Tiff t;
    change(t);
    return t.Make();
}
Bytes Exif(const Bytes& tiff) { return Bytes{'E', 'x', 'i', 'f', 0, 0} + tiff; }
Bytes Jpeg(const Bytes& app1, const Bytes& before = {}) {
    const size_t n = app1.size() + 2;
    return Bytes{0xFF, 0xD8} + before + Bytes{0xFF, 0xE1, uint8_t(n >> 8), uint8_t(n)} + app1 + Bytes{0xFF, 0xDA, 0, 2, 0xFF, 0xD9};
}
// A WebP chunk (little-endian length, padded) or a PNG chunk (big-endian length, checksum after).
Bytes Chunk(const char* type, const Bytes& body, bool png) {
    const uint32_t n = uint32_t(body.size());
    const Bytes length = png ? Bytes{uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)}
                             : Bytes{uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
    const Bytes name(type, type + 4);
    return png ? length + name + body + Bytes(4, 0) : name + length + body + Bytes(n % 2, 0);
}
Bytes Webp(const Bytes& chunks) {
    const uint32_t n = uint32_t(chunks.size() + 4);
    return Bytes{'R', 'I', 'F', 'F', uint8_t(n), uint8_t(n >> 8), 0, 0, 'W', 'E', 'B', 'P'} + chunks;
}
const Bytes kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

TEST(Orientation, MalformedExifMeansAsStored) {
    const Bytes good = Tiff{}.Make();
    const Bytes loop = Spoilt([](Tiff& t) { t.value = 0, t.entries = 1, t.next = 8; });  // no tag, directories in a loop
    Bytes oversized = Jpeg(Exif(good)), longChunk = Webp(Chunk("ICCP", {1, 1, 1}, false) + Chunk("EXIF", good, false));
    oversized[4] = 0xFF;   // the block claims more than the file holds
    longChunk[16] = 0xFF;  // so does the chunk before the EXIF chunk
    const struct { const char* name; Bytes file; int orientation; } cases[] = {
        {"little-endian", Jpeg(Exif(good)), 6},
        {"big-endian", Jpeg(Exif(Spoilt([](Tiff& t) { t.big = true, t.value = 8; }))), 8},
        {"after an XMP block and fill bytes", Jpeg(Exif(good), {0xFF, 0xE1, 0, 4, 'h', 't', 0xFF, 0xFF}), 6},
        {"value 0", Jpeg(Exif(Spoilt([](Tiff& t) { t.value = 0; }))), 1},
        {"value 9", Jpeg(Exif(Spoilt([](Tiff& t) { t.value = 9; }))), 1},
        {"a long instead of a short", Jpeg(Exif(Spoilt([](Tiff& t) { t.type = 4; }))), 1},
        {"two values", Jpeg(Exif(Spoilt([](Tiff& t) { t.count = 2; }))), 1},
        {"directory beyond the end", Jpeg(Exif(Spoilt([](Tiff& t) { t.directory = 0xFFFFFFFF; }))), 1},
        {"directory inside the header", Jpeg(Exif(Spoilt([](Tiff& t) { t.directory = 2; }))), 1},
        {"more entries than there are", Jpeg(Exif(Spoilt([](Tiff& t) { t.entries = 0xFFFF; }))), 6},
        {"cut inside the tag's entry", Jpeg(Exif(Spoilt([](Tiff& t) { t.cut = 10; }))), 1},
        {"cut inside the header", Jpeg(Exif(Spoilt([](Tiff& t) { t.cut = 28; }))), 1},
        {"directories in a loop", Jpeg(Exif(loop)), 1},
        {"block longer than the file", oversized, 6},
        {"block after the scan", Bytes{0xFF, 0xD8, 0xFF, 0xDA, 0, 2} + Jpeg(Exif(good)), 1},
        {"file ending in the marker", Bytes{0xFF, 0xD8, 0xFF, 0xE1, 0}, 1},
        {"webp, after an odd chunk", Webp(Chunk("ICCP", {1, 1, 1}, false) + Chunk("EXIF", good, false)), 6},
        {"webp, with JPEG's header", Webp(Chunk("EXIF", Exif(good), false)), 6},
        {"webp, a chunk longer than the file", longChunk, 1},
        {"png", kPngSignature + Chunk("IHDR", Bytes(13, 0), true) + Chunk("eXIf", good, true), 6},
        {"png, after its end", kPngSignature + Chunk("IEND", {}, true) + Chunk("eXIf", good, true), 1},
    };
    for (const auto& c : cases) EXPECT_EQ(PictureOrientation(c.file), c.orientation) << c.name;
    EXPECT_EQ(TiffOrientation(loop), 1);
}

// The turns checked by what they are: a quarter turn one way undoes one the other way, mirrors and
// the half turn undo themselves, two quarter turns make a half turn; on every depth a reader makes,
// at sizes small and large enough for the quick 24-bit paths.
TEST(Orientation, TurnsUndoEachOtherOnEveryDepth) {
    const std::pair<int, int> undo[] = {{2, 2}, {3, 3}, {4, 4}, {5, 5}, {7, 7}, {6, 8}, {8, 6}};
    for (int bits : {8, 16, 24, 32})
        for (auto [w, h] : {std::pair{7, 5}, {1, 9}, {33, 2}, {200, 13}, {131, 70}}) {
            SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(w) + " x " + std::to_string(h));
            const Picture original = test::SamplePicture(w, h, bits);
            auto turned = [&](std::initializer_list<int> values) {
                Picture p = original;
                for (int value : values) TurnUpright(p, value);
                return p;
            };
            for (auto [first, second] : undo) {
                const Picture p = turned({first});
                ASSERT_EQ(p.width, SwapsSides(first) ? h : w);
                ASSERT_EQ(p.pixels.size(), p.Stride() * size_t(p.height));
                ASSERT_TRUE(SamePixels(turned({first, second}), original));
            }
            EXPECT_TRUE(SamePixels(turned({6, 6}), turned({3})));
            // The stored bottom-left pixel goes to the top-left corner.
            EXPECT_EQ(turned({6}).ColorAt(0, 0), original.ColorAt(0, h - 1));
            for (int value : {0, 1, 9, -3}) EXPECT_EQ(turned({value}).pixels, original.pixels);
        }
}

// dwebp's decode as RGBA (its PAM output); none when it cannot decode the file.
struct Rgba { int width = 0, height = 0; Bytes pixels; };
Rgba Dwebp(const std::string& path) {
    const Bytes pam = Output("dwebp -quiet -pam " + path + " -o -");
    const std::string text(pam.begin(), pam.end());
    Rgba out;
    if (const size_t end = text.find("ENDHDR\n"); end != std::string::npos) {
        std::sscanf(text.c_str(), "P7\nWIDTH %d\nHEIGHT %d", &out.width, &out.height);
        out.pixels.assign(pam.begin() + long(end + 7), pam.end());
    }
    return out;
}

// The picture against dwebp's pixels placed at (left, top); the rest must be fully transparent.
::testing::AssertionResult MatchesDwebp(const Picture& pic, const Rgba& ref, int left, int top) {
    if (ref.width == 0 || ref.pixels.size() != size_t(ref.width) * size_t(ref.height) * 4)
        return ::testing::AssertionFailure() << "dwebp gave no picture";
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x) {
            const int rx = x - left, ry = y - top;
            const uint8_t* r = rx >= 0 && ry >= 0 && rx < ref.width && ry < ref.height ? &ref.pixels[(size_t(ry) * ref.width + rx) * 4] : nullptr;
            const int alpha = pic.alpha ? pic.Row(y)[4 * x + 3] : 255, expectedAlpha = r ? r[3] : 0;
            if (alpha != expectedAlpha || (alpha != 0 && pic.ColorAt(x, y) != (uint32_t(r[0]) << 16 | uint32_t(r[1]) << 8 | r[2])))
                return ::testing::AssertionFailure() << "(" << x << ", " << y << ")";
        }
    return ::testing::AssertionSuccess();
}

TEST(Webp, EveryKindDecodesAsDwebpDoes) {
    if (!HaveTools()) GTEST_SKIP() << "ImageMagick, exiftool or the webp tools are not installed";
    const std::string opaque = Scratch("opaque.png"), clear = Scratch("clear.png"), small = Scratch("small.png");
    const std::string file = Scratch("case.webp"), frame = Scratch("frame.webp");
    ASSERT_EQ(std::system(("convert -size 61x37 -seed 7 plasma:fractal -depth 8 " + opaque + " && convert " + opaque +
                           " \\( -size 61x37 radial-gradient:white-black \\) -alpha off -compose CopyOpacity -composite " + clear +
                           " && convert -size 20x10 -seed 3 plasma:fractal " + small).c_str()), 0);
    // Each command writes `file`; the first frame of an animation is at (left, top) on its canvas.
    const struct { const char* name; std::string make; bool alpha, animated; int left, top; } cases[] = {
        {"lossy", "cwebp -quiet -q 80 " + opaque + " -o " + file, false, false, 0, 0},
        {"lossless", "cwebp -quiet -lossless " + opaque + " -o " + file, false, false, 0, 0},
        {"lossy with alpha", "cwebp -quiet -q 80 " + clear + " -o " + file, true, false, 0, 0},
        {"lossy, alpha filtered and quantised", "cwebp -quiet -q 50 -alpha_q 30 -alpha_filter best " + clear + " -o " + file, true, false, 0, 0},
        {"lossless with alpha", "cwebp -quiet -lossless -exact " + clear + " -o " + file, true, false, 0, 0},
        {"animated", "img2webp -lossy " + clear + " " + opaque + " -o " + file, true, true, 0, 0},
        {"animated, first frame smaller than the canvas", "cwebp -quiet -lossless " + small + " -o " + file + ".1 && cwebp -quiet " +
         opaque + " -o " + file + ".2 && webpmux -frame " + file + ".1 +100+10+6 -frame " + file + ".2 +100 -o " + file, true, true, 10, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(std::system((c.make + " >/dev/null 2>&1").c_str()), 0);
        Picture pic;
        Decoded(file, pic);
        EXPECT_EQ(pic.width, 61);
        EXPECT_EQ(pic.alpha, c.alpha);
        // dwebp reads no animation: its first frame is taken out with webpmux.
        if (c.animated) { ASSERT_EQ(std::system(("webpmux -get frame 1 " + file + " -o " + frame + " >/dev/null 2>&1").c_str()), 0); }
        EXPECT_TRUE(MatchesDwebp(pic, Dwebp(c.animated ? frame : file), c.left, c.top));
    }

    // Cut short, or with headers that claim more than the file holds or the program takes (dwebp
    // decodes none of them either). Refused, the picture is left as it was; otherwise emptied. No
    // file holds more than 16 MB at any moment (counted where the tests run under AddressSanitizer)
    // but where libwebp sets aside its own rows for a lossless frame.
    ASSERT_EQ(std::system(("cwebp -quiet -q 80 " + opaque + " -o " + file).c_str()), 0);
    const Bytes lossy = Output("cat " + file);
    ASSERT_EQ(std::system(("cwebp -quiet -lossless " + opaque + " -o " + file).c_str()), 0);
    const Bytes lossless = Output("cat " + file);
    const Bytes tinyLossy = Output("convert -size 1x1 xc:gray png:- | cwebp -quiet -o - -- -");
    const Bytes plainLossless = Output("convert -size 1024x1024 xc:'#3A6EA5' png:- | cwebp -quiet -lossless -o - -- -");
    ASSERT_EQ(std::system(("cwebp -quiet -lossless " + small + " -o " + frame + " && webpmux -frame " + frame +
                           " +100+10998+10998 -frame " + frame + " +100 -o " + file + " >/dev/null 2>&1").c_str()), 0);
    const Bytes wideCanvas = Output("cat " + file);
    auto sized = [](Bytes b, int w, int h) {  // the lossy frame header's 14-bit sizes
        b[26] = uint8_t(w), b[27] = uint8_t(w >> 8), b[28] = uint8_t(h), b[29] = uint8_t(h >> 8);
        return b;
    };
    auto losslessSized = [&](int w, int h) {  // the lossless header's 14-bit sizes less one
        Bytes b = lossless;
        const uint32_t bits = (Le32(&b[21]) & 0xF0000000u) | uint32_t(w - 1) | uint32_t(h - 1) << 14;
        for (int i = 0; i < 4; ++i) b[21 + size_t(i)] = uint8_t(bits >> (8 * i));
        return b;
    };
    auto canvas = [](int w, int h, bool animated) {
        Bytes vp8x = {uint8_t(animated ? 2 : 0), 0, 0, 0};
        for (int v : {w - 1, h - 1}) vp8x = vp8x + Bytes{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16)};
        return Webp(Chunk("VP8X", vp8x, false) + (animated ? Chunk("ANIM", Bytes(6, 0), false) : Bytes{}));
    };
    const struct { const char* name; Bytes bytes; unsigned status; int decodedWidth = 0; long long most = 16ll << 20; } hostile[] = {
        {"lossy cut in half", Bytes(lossy.begin(), lossy.begin() + long(lossy.size() / 2)), kStatusOk},
        {"lossless cut in half", Bytes(lossless.begin(), lossless.begin() + long(lossless.size() / 2)), kStatusOk},
        {"cut after the RIFF header", Bytes(lossy.begin(), lossy.begin() + 12), kStatusOk},
        {"lossy 16383 x 16383 in its header", sized(lossy, 16383, 16383), kStatusFailed},
        {"lossy 3000 x 2000 in a few hundred bytes", sized(lossy, 3000, 2000), kStatusOk},
        {"lossy 16383 x 10800 in a few dozen bytes", sized(tinyLossy, 16383, 10800), kStatusOk},
        {"lossless, one colour, 1024 x 1024 in a few dozen bytes", plainLossless, kStatusOk, 1024},
        {"lossless 11000 x 11000 with the data of a 61 x 37 picture", losslessSized(11000, 11000), kStatusOk, 0, 11000ll * 11000 * 4 + (1 << 20)},
        {"animation, a 20 x 10 frame on a canvas of 11018 x 11008", wideCanvas, kStatusOk},
        {"animation canvas of 16384 x 16384 without frames", canvas(16384, 16384, true), kStatusFailed},
        {"animation canvas without frames", canvas(64, 64, true), kStatusOk},
        {"extended header without a picture", canvas(64, 64, false), kStatusOk},
    };
    for (const auto& h : hostile) {
        SCOPED_TRACE(h.name);
        Picture pic = Picture::Make32(3, 2);
        unsigned status = kStatusOk;
        EXPECT_LE(test::MostBytesHeld([&] { status = DecodePicture(h.bytes, pic); }), h.most);
        EXPECT_EQ(status, h.status);
        EXPECT_EQ(pic.width, h.status == kStatusFailed ? 3 : h.decodedWidth);
    }
    for (const std::string& f : {opaque, clear, small, file, frame, file + ".1", file + ".2"}) std::remove(f.c_str());
}

// Shown over a colour on the screen (ComposeOver) and written over it as the converted wallpaper,
// row by row without a copy of the picture.
TEST(Transparency, PngAndWebpShowOverAColourAsImageMagickFlattensThem) {
    if (!HaveTools()) GTEST_SKIP() << "ImageMagick, exiftool or the webp tools are not installed";
    const std::string plasma = "convert -size 29x19 -seed 9 plasma:fractal -depth 8 ";
    const std::string mask = " \\( -size 29x19 gradient:white-black \\) -alpha off -compose CopyOpacity -composite ";
    const std::string file = Scratch("flat"), png = Scratch("a.png"), bmp = Scratch("flat.bmp");
    const struct { const char* name; std::string command; bool alpha; } cases[] = {  // each command writes `file`
        {"png with an alpha channel", plasma + mask + "png32:" + file, true},
        {"png, grey with alpha", plasma + "-colorspace Gray" + mask + "png:" + file, true},
        {"png, palette with a transparent entry", plasma + "-colors 16 -alpha set -channel A -fx 'i<8?0:1' +channel png8:" + file, true},
        {"png, opaque", plasma + "png24:" + file, false},
        {"webp, lossless with alpha", plasma + mask + "png32:" + png + " && cwebp -quiet -lossless -exact " + png + " -o " + file, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(std::system(c.command.c_str()), 0);
        const Bytes flat = Output("convert " + file + " -colorspace sRGB -background '#3A6EA5' -flatten -depth 8 rgb:-");
        Picture pic, written;
        Decoded(file, pic);
        ASSERT_EQ(pic.alpha, c.alpha);
        ASSERT_TRUE(WriteBmpAtDepth(pic, 24, bmp, 0x3A6EA5));
        ASSERT_EQ(ReadBmpFile(bmp, written), kStatusOk);
        ComposeOver(pic, 0x3A6EA5);
        EXPECT_FALSE(pic.alpha);
        EXPECT_TRUE(Matches(pic, flat, 29, 19, 1));
        EXPECT_TRUE(SamePixels(written, pic));
    }
    for (const std::string& f : {file, png, bmp}) std::remove(f.c_str());
}

}  // namespace
}  // namespace mx
