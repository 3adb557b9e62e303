// The wallpaper decoder's JPEG and GIF paths against files that ImageMagick, libjpeg-turbo's tools
// and giflib write, each compared with ImageMagick's decode; truncated files; hostile headers and
// decompression bombs of JPEG, GIF and PNG.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include <gif_lib.h>

#include "allocation_meter.h"
#include "lists/categories.h"
#include "picture/decoder.h"
#include "picture/jpeg_reader.h"
#include "picture/reader_util.h"
#include "picture/render.h"
#include "picture/system_decoder.h"
#include "picture_samples.h"
#include "png_files.h"

namespace mx {
namespace {

using Bytes = std::vector<uint8_t>;

using test::Matches;
using test::Output;

bool HaveTools() {
    static const bool have = std::system("convert -version >/dev/null 2>&1 && command -v jpegtran cjpeg >/dev/null") == 0;
    return have;
}

// ImageMagick's decode of the file's first frame as RGB triples.
Bytes Reference(const Bytes& file) {
    const std::string path = ::testing::TempDir() + "mx_jpeg_gif_" + std::to_string(::getpid());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    Bytes rgb = Output("convert '" + path + "[0]' -depth 8 rgb:-");
    std::remove(path.c_str());
    return rgb;
}

// The frame marker's offset (SOFn) and the Adobe marker's colour transform (-1 without one).
size_t SkipFill(const Bytes& b, size_t i) {
    while (i + 1 < b.size() && b[i + 1] == 0xFF) ++i;
    return i;
}
size_t NextMarker(const Bytes& b, size_t i) { return SkipFill(b, i + 2 + size_t(b[i + 2] << 8 | b[i + 3])); }
size_t FrameMarker(const Bytes& b) {
    for (size_t i = SkipFill(b, 2); i + 9 < b.size() && b[i + 1] != 0xDA; i = NextMarker(b, i))
        if (b[i + 1] >= 0xC0 && b[i + 1] <= 0xCF && b[i + 1] != 0xC4 && b[i + 1] != 0xC8 && b[i + 1] != 0xCC) return i;
    return 0;
}
int AdobeTransform(const Bytes& b) {
    for (size_t i = SkipFill(b, 2); i + 15 < b.size() && b[i + 1] != 0xDA; i = NextMarker(b, i))
        if (b[i + 1] == 0xEE && b[i + 4] == 'A') return b[i + 15];
    return -1;
}

TEST(JpegGif, EveryJpegKindDecodesAsImageMagickDoes) {
    if (!HaveTools()) GTEST_SKIP() << "ImageMagick or libjpeg-turbo-progs is not installed";
    const std::string plasma = "convert -size 61x37 -seed 7 plasma:fractal -depth 8 ";
    struct Case {
        const char* name;
        std::string command;
        uint8_t frame;  // SOFn
        int components, adobeTransform;
        std::function<void(Bytes&)> edit;
    } cases[] = {
        {"grey", plasma + "-colorspace Gray jpg:-", 0xC0, 1, -1, {}},
        {"ycbcr 4:2:0", plasma + "-sampling-factor 2x2 jpg:-", 0xC0, 3, -1, {}},
        {"ycbcr 4:4:4", plasma + "-sampling-factor 1x1 jpg:-", 0xC0, 3, -1, {}},
        {"rgb", plasma + "ppm:- | cjpeg -rgb", 0xC0, 3, 0, {}},
        // ImageMagick writes CMYK as YCCK; the same file told to be plain CMYK decodes to other
        // colours, but to the same ones in both decoders.
        {"cmyk", plasma + "-colorspace CMYK jpg:-", 0xC0, 4, 0, [](Bytes& b) { b[2 + 4 + 11] = 0; }},
        {"ycck", plasma + "-colorspace CMYK jpg:-", 0xC0, 4, 2, {}},
        {"progressive", plasma + "-interlace Plane jpg:-", 0xC2, 3, -1, {}},
        {"progressive grey", plasma + "-colorspace Gray -interlace Plane jpg:-", 0xC2, 1, -1, {}},
        {"arithmetic", plasma + "jpg:- | jpegtran -arithmetic", 0xC9, 3, -1, {}},
        {"arithmetic progressive ycck", plasma + "-colorspace CMYK jpg:- | jpegtran -arithmetic -progressive", 0xCA, 4, 2, {}},
        {"restart every block", plasma + "jpg:- | jpegtran -restart 1B", 0xC0, 3, -1, {}},
        {"restart every row, progressive", plasma + "jpg:- | jpegtran -restart 1 -progressive", 0xC2, 3, -1, {}},
        // Files stb_image refused: an EXIF block that is not TIFF data, fill bytes before markers.
        {"malformed exif", plasma + "jpg:-", 0xC0, 3, -1,
         [](Bytes& b) { b.insert(b.begin() + 2, {0xFF, 0xE1, 0, 12, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 0x2A, 0xFF}); }},
        {"fill bytes in the header", plasma + "jpg:-", 0xC0, 3, -1,
         [](Bytes& b) {
             for (size_t i = 2; i + 1 < b.size() && b[i + 1] != 0xDA; i += 5 + size_t(b[i + 5] << 8 | b[i + 6]))
                 b.insert(b.begin() + long(i), {0xFF, 0xFF, 0xFF});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = Output(c.command);
        ASSERT_GT(bytes.size(), 100u);
        if (c.edit) c.edit(bytes);
        const size_t sof = FrameMarker(bytes);
        ASSERT_GT(sof, 0u);
        ASSERT_EQ(bytes[sof + 1], c.frame) << "the tools wrote another kind of file than expected";
        ASSERT_EQ(bytes[sof + 9], c.components);
        ASSERT_EQ(AdobeTransform(bytes), c.adobeTransform);
        Picture pic;
        ASSERT_EQ(DecodePicture(bytes, pic), kStatusOk);
        EXPECT_TRUE(Matches(pic, Reference(bytes), 61, 37, 2));
    }
}

DecodedPicture Decode(const Bytes& bytes, ShowRequest request) {
    DecodedPicture decoded;
    EXPECT_EQ(DecodePicture(bytes, request, decoded), kStatusOk);
    return decoded;
}

// Every JPEG kind the decoder reads, at a size that is no multiple of any block size, decoded for
// what a caller shows. Only the part shown is decoded, rows skipped to and columns cropped, and its
// pixels are exactly those of the whole picture decoded at the size it is shown at (Fill's, reduced
// or at its own size where enlarged, rendering as that does), at every offset from the blocks'
// edges. The whole picture shown at half its size or less goes through the transform's reduction,
// the smallest that covers the size shown, then nearest-pixel scaling to that size; reduced, it is
// within a few levels of the whole decode averaged over the square each pixel stands for.
TEST(JpegParts, PartsAreTheWholeDecodesAndReductionsWithinAFewLevels) {
    if (!HaveTools()) GTEST_SKIP() << "ImageMagick or libjpeg-turbo-progs is not installed";
    using Kind = ShowRequest::Kind;
    const int w = 301, h = 203;
    const std::string plasma = "convert -size 301x203 -seed 5 plasma:fractal -blur 0x1 -depth 8 ";
    const std::pair<const char*, std::string> kinds[] = {
        {"grey", plasma + "-colorspace Gray jpg:-"},
        {"ycbcr 4:2:0", plasma + "-sampling-factor 2x2 jpg:-"},
        {"ycbcr 4:2:2", plasma + "-sampling-factor 2x1 jpg:-"},
        {"ycbcr 4:4:4", plasma + "-sampling-factor 1x1 jpg:-"},
        {"cmyk", plasma + "-colorspace CMYK jpg:-"},
        {"progressive 4:2:0", plasma + "-sampling-factor 2x2 -interlace Plane jpg:-"},
        {"arithmetic", plasma + "-sampling-factor 2x2 jpg:- | jpegtran -arithmetic"},
        {"restart every row", plasma + "-sampling-factor 2x2 jpg:- | jpegtran -restart 1"},
        {"restart every block, progressive", plasma + "jpg:- | jpegtran -restart 1B -progressive"},
    };
    std::vector<ShowRequest> requests{{Kind::TopLeft, {50, 60}}, {Kind::TopLeft, {300, 1}}, {Kind::TopLeft, {16, 400}},
                                      {Kind::Centred, {300, 202}}, {Kind::Centred, {40, 500}}, {Kind::Centred, {1, 1}}};
    for (int a = 2; a < 40; a += 3) requests.push_back({Kind::Centred, {301 - 2 * a, 203 - 2 * (a / 2) - 1}});
    // Fill cutting rows or columns at 1/2 and 1/8, columns at full size, exactly the screen, enlarged.
    for (Size screen : {Size{100, 40}, {40, 60}, {37, 13}, {20, 25}, {200, 200}, {30, 20}, {500, 300}})
        requests.push_back({Kind::Filled, screen});
    for (const auto& [name, command] : kinds) {
        SCOPED_TRACE(name);
        const Bytes bytes = Output(command);
        const DecodedPicture whole = Decode(bytes, {});
        ASSERT_EQ(whole.picture.width, w);
        for (const ShowRequest& request : requests) {
            SCOPED_TRACE(testing::Message() << int(request.kind) << ": " << request.area.width << " x "
                                            << request.area.height);
            const ShownPart shown = PartShown(request, {w, h});
            const DecodedPicture part = Decode(bytes, request);
            ASSERT_EQ(part.region, shown.region);
            EXPECT_EQ(part.Full(), (Size{w, h}));
            const bool reduced = shown.scaled.width <= w;
            const Rect from = reduced ? shown.window : shown.region;
            const DecodedPicture scaled = reduced ? Decode(bytes, {Kind::Scaled, shown.scaled}) : whole;
            ASSERT_EQ((Size{part.picture.width, part.picture.height}), (Size{from.width, from.height}));
            for (int y = 0; y < from.height; ++y)
                ASSERT_EQ(0, std::memcmp(part.picture.Row(y), scaled.picture.Row(from.top + y) + 3 * from.left,
                                         3 * size_t(from.width)))
                    << "row " << y;
            if (request.kind != Kind::Filled) continue;
            Rendering fromPart, fromScaled;
            RenderStyle(part, "Fill", CategoryWall, request.area, request.area, 0, fromPart);
            RenderStyle(scaled, "Fill", CategoryWall, request.area, request.area, 0, fromScaled);
            EXPECT_TRUE(test::SamePixels(fromPart.picture, fromScaled.picture));
        }
        // Two decoders sharing the rows give the pixels one gives, for every kind of request.
        std::vector<ShowRequest> shared = requests;
        shared.insert(shared.end(), {{}, {Kind::Scaled, {150, 101}}, {Kind::Scaled, {40, 30}}, {Kind::Fitted, {90, 90}}});
        for (const ShowRequest& request : shared) {
            DecodedPicture one, two;
            ASSERT_EQ(ReadJpeg(bytes, request, one, 1, JpegThreads::One), ReadResult::Ok);
            ASSERT_EQ(ReadJpeg(bytes, request, two, 1, JpegThreads::Two), ReadResult::Ok);
            EXPECT_TRUE(test::SamePixels(one.picture, two.picture)) << int(request.kind) << ": " << request.area.width;
        }
        for (int d : {2, 4, 8}) {
            SCOPED_TRACE(d);
            const Size reduced{(w + d - 1) / d, (h + d - 1) / d};
            const DecodedPicture scaled = Decode(bytes, {Kind::Scaled, reduced});
            EXPECT_EQ(scaled.width, w);
            EXPECT_EQ(scaled.region, (Rect{0, 0, w, h}));
            ASSERT_EQ((Size{scaled.picture.width, scaled.picture.height}), reduced);
            double total = 0;
            int worst = 0;
            for (int y = 0; y < reduced.height; ++y)
                for (int x = 0; x < reduced.width; ++x)
                    for (int c = 0; c < 3; ++c) {
                        int sum = 0, n = 0;
                        for (int yy = y * d; yy < std::min(h, y * d + d); ++yy)
                            for (int xx = x * d; xx < std::min(w, x * d + d); ++xx, ++n)
                                sum += int(whole.picture.ColorAt(xx, yy) >> (8 * c) & 0xFF);
                        const int error = std::abs(int(scaled.picture.ColorAt(x, y) >> (8 * c) & 0xFF) - (sum + n / 2) / n);
                        total += error;
                        worst = std::max(worst, error);
                    }
            // 4:2:2 at 1/8 is the farthest: its chroma is one sample for every two pixels, spread by
            // the library's smooth upsampling (3.4 levels on average, 21 at a sharp colour edge).
            EXPECT_LE(total / (3.0 * reduced.width * reduced.height), 4.0);
            EXPECT_LE(worst, 24);
            // A size one pixel wider than a reduction gives takes the next larger one, scaled down to
            // that size by nearest pixel; a size over half the picture's is decoded whole and scaled.
            const Size wider{reduced.width + 1, reduced.height};
            const int half = d / 2;
            const DecodedPicture larger = Decode(bytes, {Kind::Scaled, {(w + half - 1) / half, (h + half - 1) / half}});
            const DecodedPicture sampled = Decode(bytes, {Kind::Scaled, wider});
            ASSERT_EQ((Size{sampled.picture.width, sampled.picture.height}), wider);
            for (int y = 0; y < wider.height; ++y)
                for (int x = 0; x < wider.width; ++x)
                    ASSERT_EQ(sampled.picture.ColorAt(x, y), larger.picture.ColorAt(x * larger.picture.width / wider.width,
                                                                                      y * larger.picture.height / wider.height))
                        << x << ", " << y;
        }
    }
}

// A photograph large enough that the second of two decoders skips in several parts, at each
// reduction and for Fill's part: the pixels of one decoder.
TEST(JpegParts, TwoDecodersGiveThePixelsOfOne) {
    if (!HaveTools()) GTEST_SKIP() << "ImageMagick or libjpeg-turbo-progs is not installed";
    using Kind = ShowRequest::Kind;
    for (const char* sampling : {"2x2", "2x1"}) {
        SCOPED_TRACE(sampling);
        const Bytes bytes = Output(std::string("convert -size 1600x1600 -seed 7 plasma:fractal -attenuate 0.3 +noise Gaussian ") +
                                   "-sampling-factor " + sampling + " jpg:-");
        for (const ShowRequest& request : {ShowRequest{}, {Kind::Scaled, {1000, 900}}, {Kind::Scaled, {800, 700}},
                                           {Kind::Scaled, {400, 400}}, {Kind::Filled, {700, 500}}, {Kind::TopLeft, {900, 1300}}}) {
            DecodedPicture one, two;
            ASSERT_EQ(ReadJpeg(bytes, request, one, 1, JpegThreads::One), ReadResult::Ok);
            ASSERT_EQ(ReadJpeg(bytes, request, two, 1, JpegThreads::Two), ReadResult::Ok);
            EXPECT_TRUE(test::SamePixels(one.picture, two.picture)) << int(request.kind) << ": " << request.area.width;
        }
    }
}

// Fit 2 Screen decoded in its place on the screen's picture renders as the fitted picture does:
// taken with its bands as the screen's rendering, or drawn for a screen of another size, with one
// decoder or two. A file turned upright by its orientation is fitted as before.
TEST(JpegParts, FittedInPlaceRendersAsTheFittedPicture) {
    if (!HaveTools()) GTEST_SKIP() << "ImageMagick or libjpeg-turbo-progs is not installed";
    using Kind = ShowRequest::Kind;
    const Bytes bytes = Output("convert -size 1600x1000 -seed 7 plasma:fractal -attenuate 0.3 +noise Gaussian "
                               "-sampling-factor 2x2 jpg:-");
    const uint32_t desktop = 0x336699;
    // Bands above and below at 1/2, beside at full size, none (rows straight from the library), portrait.
    struct Case { Size screen, other; int orientation; } cases[] = {
        {{700, 500}, {350, 250}, 1}, {{1200, 600}, {300, 300}, 1}, {{800, 500}, {640, 480}, 1},
        {{500, 700}, {700, 500}, 1}, {{700, 500}, {350, 250}, 3}, {{700, 500}, {350, 250}, 6},
    };
    for (const Case& c : cases) {
        for (JpegThreads threads : {JpegThreads::One, JpegThreads::Two}) {
            SCOPED_TRACE(testing::Message() << c.screen.width << " x " << c.screen.height << ", orientation "
                                            << c.orientation << (threads == JpegThreads::One ? ", one" : ", two"));
            DecodedPicture fitted, placed;
            ASSERT_EQ(ReadJpeg(bytes, {Kind::Fitted, c.screen}, fitted, c.orientation, threads), ReadResult::Ok);
            ASSERT_EQ(ReadJpeg(bytes, {Kind::Fitted, c.screen, true}, placed, c.orientation, threads), ReadResult::Ok);
            const bool inPlace = c.orientation == 1;
            EXPECT_EQ(placed.placed, inPlace ? FittedArea(fitted.Full(), c.screen) : Rect{});
            Rendering expected, got;
            RenderStyle(fitted, "Fit 2 Screen", CategoryWall, c.other, c.other, desktop, expected);
            RenderStyle(placed, "Fit 2 Screen", CategoryWall, c.other, c.other, desktop, got);
            EXPECT_TRUE(test::SamePixels(expected.picture, got.picture));
            const uint8_t* storage = placed.picture.pixels.data();
            RenderStyle(std::move(fitted), "Fit 2 Screen", CategoryWall, c.screen, c.screen, desktop, expected);
            RenderStyle(std::move(placed), "Fit 2 Screen", CategoryWall, c.screen, c.screen, desktop, got);
            EXPECT_TRUE(test::SamePixels(expected.picture, got.picture));
            if (inPlace) {
                EXPECT_EQ(got.picture.pixels.data(), storage);
            }
        }
    }
}

TEST(JpegGif, TruncatedJpegShowsItsUpperPartAndNoScanShowsNothing) {
    if (!HaveTools()) GTEST_SKIP() << "ImageMagick or libjpeg-turbo-progs is not installed";
    const Bytes whole = Output("convert -size 64x256 -seed 3 plasma:fractal -depth 8 -quality 95 jpg:-");
    Picture full, cut;
    ASSERT_EQ(DecodePicture(whole, full), kStatusOk);
    ASSERT_TRUE(Matches(full, Reference(whole), 64, 256, 2));
    ASSERT_EQ(DecodePicture(Bytes(whole.begin(), whole.begin() + long(whole.size() / 2)), cut), kStatusOk);
    ASSERT_EQ(cut.width, 64);
    ASSERT_EQ(cut.height, 256);
    for (int y = 0; y < 32; ++y) ASSERT_EQ(0, std::memcmp(cut.Row(y), full.Row(y), 64 * 3)) << "row " << y;
    EXPECT_EQ(cut.ColorAt(63, 255), 0x808080u);
    DecodedPicture one, two;
    const Bytes half(whole.begin(), whole.begin() + long(whole.size() / 2));
    for (size_t end : {whole.size() / 2, whole.size() / 5}) {
        ASSERT_EQ(ReadJpeg({half.data(), end}, {}, one, 1, JpegThreads::One), ReadResult::Ok);
        ASSERT_EQ(ReadJpeg({half.data(), end}, {}, two, 1, JpegThreads::Two), ReadResult::Ok);
        EXPECT_TRUE(test::SamePixels(one.picture, two.picture)) << "cut at " << end;
    }
    // Cut inside the headers, and right after the first scan's header: no picture.
    size_t sos = 2;
    while (whole[sos + 1] != 0xDA) sos += 2 + size_t(whole[sos + 2] << 8 | whole[sos + 3]);
    for (size_t end : {size_t(2), size_t(20), sos, sos + 2 + size_t(whole[sos + 2] << 8 | whole[sos + 3])}) {
        Picture pic = Picture::Make32(2, 2);
        EXPECT_EQ(DecodePicture(Bytes(whole.begin(), whole.begin() + long(end)), pic), kStatusOk);
        EXPECT_TRUE(pic.Empty()) << "cut at " << end;
    }
}

// A GIF written by giflib: the screen, an optional global table, a graphic control extension
// naming a transparent index, then frames of indices (x * 7 + y * 3) % colours, any after the first
// ended by a block of garbage.
struct Frame {
    int left, top, width, height;
    bool interlaced;
    std::vector<uint32_t> table;
};
Bytes MakeGif(int width, int height, const std::vector<uint32_t>& global, int background, const std::vector<Frame>& frames,
              int transparent, int colours) {
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, [](GifFileType* g, const GifByteType* p, int n) {
        static_cast<Bytes*>(g->UserData)->insert(static_cast<Bytes*>(g->UserData)->end(), p, p + n);
        return n;
    }, &error);
    auto map = [](const std::vector<uint32_t>& t) -> ColorMapObject* {
        if (t.empty()) return nullptr;
        std::vector<GifColorType> c;
        for (uint32_t v : t) c.push_back({GifByteType(v >> 16), GifByteType(v >> 8), GifByteType(v)});
        return GifMakeMapObject(int(c.size()), c.data());
    };
    EGifSetGifVersion(gif, true);
    ColorMapObject* g = map(global);
    EGifPutScreenDesc(gif, width, height, 8, background, g);
    const GifByteType control[4] = {1, 0, 0, GifByteType(transparent)};
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
    for (const Frame& f : frames) {
        ColorMapObject* local = map(f.table);
        EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, local);
        const int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < (f.interlaced ? 4 : 1); ++pass)
            for (int y = f.interlaced ? starts[pass] : 0; y < f.height; y += f.interlaced ? steps[pass] : 1) {
                std::vector<GifPixelType> row;
                for (int x = 0; x < f.width; ++x) row.push_back(GifPixelType((x * 7 + y * 3) % colours));
                EGifPutLine(gif, row.data(), f.width);
            }
        GifFreeMapObject(local);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(g);
    if (frames.size() > 1) out.insert(out.end() - 1, {0x21, 0x99, 0x00, 0x2C, 0xFF, 0x01});
    return out;
}

std::vector<uint32_t> Table(int n, uint32_t seed) {
    std::vector<uint32_t> t;
    for (int i = 0; i < n; ++i) t.push_back((uint32_t(i) * 0x2F1B3Du + seed) & 0xFFFFFF);
    return t;
}

TEST(JpegGif, EveryGifCaseDecodesAsImageMagickDoes) {
    if (!HaveTools()) GTEST_SKIP() << "ImageMagick is not installed";
    const Frame whole{0, 0, 29, 19, false, {}};
    Frame interlaced = whole, local = whole;
    interlaced.interlaced = true;
    local.table = Table(16, 99);
    struct Case {
        const char* name;
        Bytes gif;
    } cases[] = {
        {"global table", MakeGif(29, 19, Table(32, 1), 0, {whole}, 5, 32)},
        {"local table only", MakeGif(29, 19, {}, 0, {local}, 200, 16)},
        {"local table over the global one", MakeGif(29, 19, Table(16, 5), 0, {local}, 3, 16)},
        {"interlaced", MakeGif(29, 19, Table(64, 7), 0, {interlaced}, 60, 64)},
        {"animated, later frames odd", MakeGif(29, 19, Table(8, 3), 0, {whole, {40, 40, 5000, 3, false, {}}}, 1, 8)},
        {"written by ImageMagick", Output("convert -size 29x19 -seed 7 plasma:fractal -colors 64 gif:-")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Picture pic;
        ASSERT_EQ(DecodePicture(c.gif, pic), kStatusOk);
        EXPECT_TRUE(Matches(pic, Reference(c.gif), 29, 19, 0));
    }
}

// What ImageMagick shows differently: the screen around a smaller frame (it crops to the frame)
// and a file without any colour table (it shows black).
TEST(GifScreen, FrameOnTheScreenAndGreyRampWithoutTables) {
    const Bytes offset = MakeGif(12, 9, Table(8, 3), 2, {{4, 3, 20, 5, false, {}}}, 0, 8);
    Picture pic;
    ASSERT_EQ(DecodePicture(offset, pic), kStatusOk);
    ASSERT_EQ(pic.width, 12);
    ASSERT_EQ(pic.height, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inFrame = x >= 4 && y >= 3 && y < 8;
            ASSERT_EQ(pic.ColorAt(x, y), Table(8, 3)[inFrame ? size_t(((x - 4) * 7 + (y - 3) * 3) % 8) : 2]) << x << ", " << y;
        }
    // giflib writes no file without a table: the global one is taken out of the file again.
    Bytes bare = MakeGif(0, 0, Table(256, 1), 0, {{2, 1, 30, 4, true, {}}}, 0, 256);
    bare[10] &= 0x7F;
    bare.erase(bare.begin() + 13, bare.begin() + 13 + 768);
    ASSERT_EQ(DecodePicture(bare, pic), kStatusOk);
    ASSERT_EQ(pic.width, 32);
    ASSERT_EQ(pic.height, 5);
    EXPECT_EQ(pic.ColorAt(0, 0), 0u);
    EXPECT_EQ(pic.ColorAt(2 + 10, 1 + 3), uint32_t((10 * 7 + 3 * 3) % 256) * 0x010101u);
}

int systemDecoderCalls = 0;

// Each file is refused, or decoded, holding at most 16 MB at any moment (counted where the tests
// run under AddressSanitizer), and none is handed to the system's decoders: those would do the work
// the readers refused.
TEST(HostileHeaders, SizesAreRefusedFromTheHeadersAndTinyFilesClaimingHugePictures) {
    // A 1 x 1 baseline JPEG whose frame header says otherwise, arithmetic-coded ones, and GIF screens.
    const Bytes jpeg = Output("convert -size 1x1 xc:gray jpg:-");
    const Bytes arithmetic = Output("convert -size 1x1 xc:gray ppm:- | cjpeg -arithmetic -progressive");
    const Bytes plainArithmetic = Output("convert -size 2048x2048 xc:'#3A6EA5' ppm:- | cjpeg -arithmetic");
    auto sized = [&](const Bytes& file, int width, int height) {
        Bytes b = file;
        const size_t sof = FrameMarker(file);
        b[sof + 5] = uint8_t(height >> 8), b[sof + 6] = uint8_t(height);
        b[sof + 7] = uint8_t(width >> 8), b[sof + 8] = uint8_t(width);
        return b;
    };
    auto screen = [](int width, int height) { return MakeGif(width, height, Table(2, 1), 0, {{0, 0, 1, 1, false, {}}}, 0, 2); };
    // PNG: one grey row at 1 bit with its filter byte, given any size in the header.
    const Bytes oneRow = test::Deflated(Bytes(1 + 2500, 0));
    const Bytes blank = test::Deflated(Bytes(size_t(2048) * (1 + 2048 / 8), 0));
    struct Case {
        const char* name;
        Bytes bytes;
        unsigned status;
        int decodedWidth = 0;
    } cases[] = {
        {"jpeg 32768 wide", sized(jpeg, 32768, 8), kStatusFailed},
        {"jpeg 40000 high", sized(jpeg, 8, 40000), kStatusFailed},
        {"jpeg of 2.7 GB", sized(jpeg, 30000, 30000), kStatusFailed},
        {"jpeg 8000 x 8000 in a few hundred bytes", sized(jpeg, 8000, 8000), kStatusOk},
        // libjpeg would hold every coefficient of the picture before its first scan.
        {"jpeg, progressive and arithmetic-coded, 16000 x 11000 in a few hundred bytes", sized(arithmetic, 16000, 11000), kStatusOk},
        {"jpeg, arithmetic-coded, one colour, 2048 x 2048 in a few hundred bytes", plainArithmetic, kStatusOk, 2048},
        {"gif 40000 wide", screen(40000, 2), kStatusFailed},
        {"gif of 1.2 GB", screen(20000, 20000), kStatusFailed},
        {"gif 32767 x 100 in a few dozen bytes", screen(32767, 100), kStatusOk},
        {"png 40000 wide", test::PngFile(40000, 1, 1, 0, oneRow), kStatusFailed},
        {"png 12000 x 12000 in a few dozen bytes", test::PngFile(12000, 12000, 1, 0, oneRow), kStatusOk},
        {"png 1 x 1 whose image data inflate to 2 GB", test::PngBomb(2048), kStatusOk},
        {"png 2048 x 2048 of one colour, compressed as far as deflate goes", test::PngFile(2048, 2048, 1, 0, blank), kStatusOk, 2048},
    };
    if (arithmetic.empty() || plainArithmetic.empty()) GTEST_SKIP() << "ImageMagick or cjpeg is not installed";
    const SystemDecoder before = SetSystemDecoder([](std::span<const uint8_t>, Picture&) {
        ++systemDecoderCalls;
        return ReadResult::Malformed;
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Picture pic = Picture::Make32(3, 2);
        unsigned status = kStatusOk;
        EXPECT_LE(test::MostBytesHeld([&] { status = DecodePicture(c.bytes, pic); }), 16ll << 20);
        EXPECT_EQ(status, c.status);
        // Refused: the picture is left as it was; no picture in the file: it is emptied.
        EXPECT_EQ(pic.width, c.status == kStatusFailed ? 3 : c.decodedWidth);
    }
    EXPECT_EQ(systemDecoderCalls, 0);
    SetSystemDecoder(before);
}

}  // namespace
}  // namespace mx
