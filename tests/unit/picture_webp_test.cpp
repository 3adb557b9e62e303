// WebP files that cwebp, img2webp and webpmux write, against dwebp's decode; files cut short and
// headers that claim too much; transparency of WebP and PNG shown over a colour as ImageMagick
// flattens it, on the screen and in the converted wallpaper.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "picture/bmp_reader.h"
#include "picture/bmp_writer.h"
#include "picture/decoder.h"
#include "picture/reader_util.h"
#include "picture/transparency.h"

namespace mx {
namespace {

using Bytes = std::vector<uint8_t>;

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
    static const bool have =
        std::system("convert -version >/dev/null 2>&1 && command -v cwebp dwebp img2webp webpmux >/dev/null") == 0;
    return have;
}

std::string Scratch(const std::string& name) { return ::testing::TempDir() + "mx_webp_" + std::to_string(::getpid()) + name; }

void Write(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// dwebp's decode as RGBA (its PAM output); empty when it cannot decode the file.
struct Rgba {
    int width = 0, height = 0;
    Bytes pixels;
};
Rgba Dwebp(const std::string& path) {
    const Bytes pam = Output("dwebp -quiet -pam " + path + " -o -");
    const std::string text(pam.begin(), pam.end());
    const size_t end = text.find("ENDHDR\n");
    Rgba out;
    if (end == std::string::npos) return out;
    std::sscanf(text.c_str(), "P7\nWIDTH %d\nHEIGHT %d", &out.width, &out.height);
    out.pixels.assign(pam.begin() + long(end + 7), pam.end());
    return out;
}

// The picture against dwebp's pixels placed at (left, top); the rest of the picture must be fully
// transparent. Opacity is compared only where the picture keeps it.
::testing::AssertionResult MatchesDwebp(const Picture& pic, const Rgba& ref, int left = 0, int top = 0) {
    if (ref.pixels.size() != size_t(ref.width) * size_t(ref.height) * 4 || ref.width == 0)
        return ::testing::AssertionFailure() << "dwebp gave no picture";
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x) {
            const int rx = x - left, ry = y - top;
            const bool inside = rx >= 0 && ry >= 0 && rx < ref.width && ry < ref.height;
            const uint8_t* r = inside ? &ref.pixels[(size_t(ry) * ref.width + rx) * 4] : nullptr;
            const uint32_t expected = r ? uint32_t(r[0]) << 16 | uint32_t(r[1]) << 8 | r[2] : 0;
            const int alpha = pic.alpha ? pic.Row(y)[4 * x + 3] : 255;
            const int expectedAlpha = r ? r[3] : 0;
            if (alpha != expectedAlpha || (alpha != 0 && pic.ColorAt(x, y) != expected))
                return ::testing::AssertionFailure() << "(" << x << ", " << y << "): " << std::hex << pic.ColorAt(x, y) << "/"
                                                     << alpha << " vs " << expected << "/" << expectedAlpha;
        }
    return ::testing::AssertionSuccess();
}

TEST(Webp, EveryKindDecodesAsDwebpDoes) {
    if (!HaveTools()) GTEST_SKIP() << "ImageMagick or the webp tools are not installed";
    const std::string opaque = Scratch("opaque.png"), clear = Scratch("clear.png"), small = Scratch("small.png");
    ASSERT_EQ(std::system(("convert -size 61x37 -seed 7 plasma:fractal -depth 8 " + opaque + " && convert " + opaque +
                           " \\( -size 61x37 radial-gradient:white-black \\) -alpha off -compose CopyOpacity -composite " +
                           clear + " && convert -size 20x10 -seed 3 plasma:fractal " + small)
                              .c_str()),
              0);
    struct Case {
        const char* name;
        std::string make;  // writes the file named by $F
        bool alpha;
        int left, top;  // of the first frame on the canvas
    } cases[] = {
        {"lossy", "cwebp -quiet -q 80 " + opaque + " -o $F", false, 0, 0},
        {"lossless", "cwebp -quiet -lossless " + opaque + " -o $F", false, 0, 0},
        {"lossy with alpha", "cwebp -quiet -q 80 " + clear + " -o $F", true, 0, 0},
        {"lossy with filtered, quantised alpha", "cwebp -quiet -q 50 -alpha_q 30 -alpha_filter best " + clear + " -o $F",
         true, 0, 0},
        {"lossless with alpha", "cwebp -quiet -lossless -exact " + clear + " -o $F", true, 0, 0},
        {"animated, first frame over the canvas", "img2webp -lossy " + clear + " " + opaque + " -o $F >/dev/null 2>&1", true, 0, 0},
        {"animated, first frame smaller than the canvas",
         "cwebp -quiet -lossless " + small + " -o $F.1 && cwebp -quiet -q 70 " + opaque + " -o $F.2 && webpmux -frame $F.1 +100+10+6 -frame $F.2 +100 -o $F >/dev/null 2>&1",
         true, 10, 6},
    };
    const std::string file = Scratch("case.webp"), frame = Scratch("frame.webp");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string make = c.make;
        for (size_t at; (at = make.find("$F")) != std::string::npos;) make.replace(at, 2, file);
        ASSERT_EQ(std::system(make.c_str()), 0);
        Bytes bytes;
        ASSERT_EQ(ReadFileBytes(file, bytes), kStatusOk);
        Picture pic;
        ASSERT_EQ(DecodePicture(bytes, pic), kStatusOk);
        EXPECT_EQ(pic.width, 61);
        EXPECT_EQ(pic.height, 37);
        EXPECT_EQ(pic.alpha, c.alpha);
        // dwebp reads no animation: its first frame is taken out with webpmux.
        const bool animated = std::string(c.name).starts_with("animated");
        if (animated) {
            ASSERT_EQ(std::system(("webpmux -get frame 1 " + file + " -o " + frame + " >/dev/null 2>&1").c_str()), 0);
        }
        EXPECT_TRUE(MatchesDwebp(pic, Dwebp(animated ? frame : file), c.left, c.top));
    }

    // Cut short, or with headers that claim more than the file holds or the program takes: dwebp
    // decodes none of them either.
    ASSERT_EQ(std::system(("cwebp -quiet -q 80 " + opaque + " -o " + file).c_str()), 0);
    Bytes lossy;
    ASSERT_EQ(ReadFileBytes(file, lossy), kStatusOk);
    ASSERT_EQ(std::system(("cwebp -quiet -lossless " + opaque + " -o " + file).c_str()), 0);
    Bytes lossless;
    ASSERT_EQ(ReadFileBytes(file, lossless), kStatusOk);
    auto vp8Size = [&](int w, int h) {  // the frame header's 14-bit sizes, after the start code
        Bytes b = lossy;
        b[26] = uint8_t(w), b[27] = uint8_t(w >> 8 & 0x3F), b[28] = uint8_t(h), b[29] = uint8_t(h >> 8 & 0x3F);
        return b;
    };
    auto vp8xCanvas = [](int w, int h, bool animated) {
        Bytes b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P', 'V', 'P', '8', 'X', 10, 0, 0, 0, uint8_t(animated ? 2 : 0), 0, 0, 0};
        for (int v : {w - 1, h - 1}) b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16)});
        if (animated) b.insert(b.end(), {'A', 'N', 'I', 'M', 6, 0, 0, 0, 0, 0, 0, 0, 0, 0});
        const size_t n = b.size() - 8;
        b[4] = uint8_t(n), b[5] = uint8_t(n >> 8);
        return b;
    };
    struct Hostile {
        const char* name;
        Bytes bytes;
        unsigned status;
    } hostile[] = {
        {"lossy cut in half", Bytes(lossy.begin(), lossy.begin() + long(lossy.size() / 2)), kStatusOk},
        {"lossless cut in half", Bytes(lossless.begin(), lossless.begin() + long(lossless.size() / 2)), kStatusOk},
        {"cut after the RIFF header", Bytes(lossy.begin(), lossy.begin() + 12), kStatusOk},
        {"lossy 16383 x 16383 in its header", vp8Size(16383, 16383), kStatusFailed},
        {"lossy 3000 x 2000 in a few hundred bytes", vp8Size(3000, 2000), kStatusOk},
        {"animation canvas of 16384 x 16384 without frames", vp8xCanvas(16384, 16384, true), kStatusFailed},
        {"animation canvas without frames", vp8xCanvas(64, 64, true), kStatusOk},
        {"extended header without a picture", vp8xCanvas(64, 64, false), kStatusOk},
    };
    for (const Hostile& h : hostile) {
        SCOPED_TRACE(h.name);
        Picture pic = Picture::Make32(3, 2);
        EXPECT_EQ(DecodePicture(h.bytes, pic), h.status);
        // Refused: the picture is left as it was; no picture in the file: it is emptied.
        EXPECT_EQ(pic.width, h.status == kStatusFailed ? 3 : 0);
        Write(file, h.bytes);
        EXPECT_EQ(Dwebp(file).width, 0);
    }
    for (const std::string& f : {opaque, clear, small, file, frame, file + ".1", file + ".2"}) std::remove(f.c_str());
}

TEST(Transparency, PngAndWebpShowOverAColourAsImageMagickFlattensThem) {
    if (!HaveTools()) GTEST_SKIP() << "ImageMagick or the webp tools are not installed";
    const uint32_t desktop = 0x3A6EA5;
    const std::string plasma = "convert -size 29x19 -seed 9 plasma:fractal -depth 8 ";
    const std::string mask = " \\( -size 29x19 gradient:white-black \\) -alpha off -compose CopyOpacity -composite ";
    struct Case {
        const char* name;
        std::string command;  // writes the file to standard output
        bool alpha;
    } cases[] = {
        {"png with an alpha channel", plasma + mask + "png32:-", true},
        {"png, grey with alpha", plasma + "-colorspace Gray" + mask + "png:-", true},
        {"png, palette with a transparent entry", plasma + "-colors 16 -alpha set -channel A -fx 'i<8?0:1' +channel png8:-", true},
        {"png, opaque", plasma + "png24:-", false},
        {"webp, lossless with alpha", plasma + mask + "png32:" + Scratch("alpha.png") + " && cwebp -quiet -lossless -exact " +
                                          Scratch("alpha.png") + " -o " + Scratch("alpha.webp") + " && cat " + Scratch("alpha.webp"),
         true},
    };
    const std::string file = Scratch("flat"), bmp = Scratch("flat.bmp");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes bytes = Output(c.command);
        ASSERT_GT(bytes.size(), 50u);
        Write(file, bytes);
        const Bytes flat = Output("convert " + file + " -colorspace sRGB -background '#3A6EA5' -flatten -depth 8 rgb:-");
        ASSERT_EQ(flat.size(), 29u * 19u * 3u);
        Picture pic;
        ASSERT_EQ(DecodePicture(bytes, pic), kStatusOk);
        ASSERT_EQ(pic.alpha, c.alpha);
        // The converted wallpaper is written over the colour row by row, without a copy of the picture.
        ASSERT_TRUE(WriteBmpAtDepth(pic, 24, bmp, desktop));
        Picture written;
        ASSERT_EQ(ReadBmpFile(bmp, written), kStatusOk);
        ComposeOver(pic, desktop);
        EXPECT_FALSE(pic.alpha);
        for (int y = 0; y < 19; ++y)
            for (int x = 0; x < 29; ++x) {
                const uint8_t* f = &flat[(size_t(y) * 29 + x) * 3];
                for (int ch = 0; ch < 3; ++ch) {
                    const int shift = 16 - 8 * ch;
                    ASSERT_LE(std::abs(int(pic.ColorAt(x, y) >> shift & 0xFF) - f[ch]), 1) << x << ", " << y;
                    ASSERT_EQ(written.ColorAt(x, y), pic.ColorAt(x, y)) << x << ", " << y;
                }
            }
    }
    for (const std::string& f : {file, bmp, Scratch("alpha.png"), Scratch("alpha.webp")}) std::remove(f.c_str());
}

}  // namespace
}  // namespace mx
