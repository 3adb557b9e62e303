#include <gtest/gtest.h>

#include "lists/categories.h"
#include "picture/render.h"
#include "picture_samples.h"

namespace mx {
namespace {

using test::SamplePicture;

constexpr Size kScreen{1024, 768};
constexpr uint32_t kDesktop = 0x3A6EA5;

struct Placement {
    int left, top, width, height;
    bool operator==(const Placement&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Placement& p) {
    return os << "(" << p.left << ", " << p.top << ") " << p.width << " x " << p.height;
}

// A whole picture in a style, over the desktop's colour.
RenderReport RenderStyle(const Picture& source, std::string_view style, int category, Size screen, Size client, Rendering& out) {
    return mx::RenderStyle(DecodedPicture::Whole(source), style, category, screen, client, kDesktop, out);
}

Rendering Render(const Picture& source, std::string_view style, Size client = kScreen, Size screen = kScreen) {
    Rendering out;
    RenderReport report = RenderStyle(source, style, CategoryWall, screen, client, out);
    EXPECT_TRUE(report.rendered) << style;
    EXPECT_TRUE(report.wallpaperItemsVisible) << style;
    return out;
}

Placement PlacementOf(const Rendering& r) {
    EXPECT_FALSE(r.area.wholeClient);
    return {r.area.left, r.area.top, r.area.width, r.area.height};
}

void ExpectCopyOf(const Picture& source, const Picture& p) {
    EXPECT_EQ(p.width, source.width);
    EXPECT_EQ(p.height, source.height);
    EXPECT_EQ(p.bitsPerPixel, source.bitsPerPixel);
    EXPECT_EQ(p.format, source.format);
    EXPECT_EQ(p.palette, source.palette);
    EXPECT_EQ(p.pixels, source.pixels);
}

// P must be the screen-sized picture whose pixel (x, y) is the source's pixel expect(x, y).
template <typename SourceOf>
::testing::AssertionResult TilesAre(const Picture& p, Size screen, const Picture& source, SourceOf sourceOf) {
    if (p.width != screen.width || p.height != screen.height || p.bitsPerPixel != 32)
        return ::testing::AssertionFailure() << "P is " << p.width << " x " << p.height << " at " << p.bitsPerPixel;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            auto [sx, sy] = sourceOf(x, y);
            if (p.ColorAt(x, y) != source.ColorAt(sx, sy) || p.Row(y)[4 * x + 3] != 0)
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is not source pixel (" << sx << ", " << sy << ")";
        }
    return ::testing::AssertionSuccess();
}

auto TiledFrom(const Picture& s) {
    return [w = s.width, h = s.height](int x, int y) { return std::pair{x % w, y % h}; };
}

auto MirroredFrom(const Picture& s) {
    return [w = s.width, h = s.height](int x, int y) {
        int sx = x % w, sy = y % h;
        if ((x / w) % 2) sx = w - 1 - sx;
        if ((y / h) % 2) sy = h - 1 - sy;
        return std::pair{sx, sy};
    };
}

// P is the part of the picture the screen shows, placed where the picture centred on the window
// puts that part.
TEST(RenderCentred, PlacesThePictureOnTheWindowTruncatingTowardZero) {
    // firstColumn and firstRow: the picture's pixel at P's top-left corner.
    struct Case { int width, height; Size client; Placement placement; int firstColumn, firstRow; } cases[] = {
        {800, 600, kScreen, {112, 84, 800, 600}, 0, 0},
        {1280, 1024, kScreen, {0, 0, 1024, 768}, 128, 128},
        // -1 / 2 and -255 / 2 truncate to 0 and -127: the extra column is cut off on the right.
        {1025, 768, kScreen, {0, 0, 1024, 768}, 0, 0},
        {1279, 769, kScreen, {0, 0, 1024, 768}, 127, 0},
        {3000, 20, kScreen, {0, 374, 1024, 20}, 988, 0},
        // The window's client size counts for the placement (320 x 200 before the window is first
        // shown), the screen's for the part.
        {100, 50, {320, 200}, {110, 75, 100, 50}, 0, 0},
        {1280, 1024, {320, 200}, {-352, -284, 1024, 768}, 128, 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        Picture source = SamplePicture(c.width, c.height, 8);
        Rendering r = Render(source, "Centred", c.client);
        EXPECT_EQ(PlacementOf(r), c.placement);
        EXPECT_EQ(r.picture.width, c.placement.width);
        EXPECT_EQ(r.picture.height, c.placement.height);
        const int w = c.placement.width - 1, h = c.placement.height - 1;
        EXPECT_EQ(r.picture.ColorAt(0, 0), source.ColorAt(c.firstColumn, c.firstRow));
        EXPECT_EQ(r.picture.ColorAt(w, h), source.ColorAt(c.firstColumn + w, c.firstRow + h));
    }
}

// Centred keeps a picture that fits as it is; Stretched and Fit 2 Screen make what the screen shows,
// which the window shows scaled to its client area.
TEST(RenderCentredStretchedFit, CentredKeepsACopyTheOthersAreScreenSized) {
    Picture source = SamplePicture(37, 11, 4);
    ExpectCopyOf(source, Render(source, "Centred").picture);
    EXPECT_FALSE(Render(source, "Centred").scaled);

    Rendering stretched = Render(source, "Stretched", {640, 480});
    EXPECT_TRUE(stretched.area.wholeClient);
    EXPECT_EQ(stretched.area.width, 640);
    EXPECT_EQ(stretched.area.height, 480);
    EXPECT_TRUE(stretched.scaled);
    EXPECT_TRUE(TilesAre(stretched.picture, kScreen, source, [](int x, int y) {
        return std::pair{x * 37 / 1024, y * 11 / 768};
    }));

    // 37 x 11 fills the width: 1024 x 304 at (0, 232), the desktop's colour above and below.
    Rendering fitted = Render(source, "Fit 2 Screen", {320, 200});
    EXPECT_TRUE(fitted.area.wholeClient);
    EXPECT_TRUE(fitted.scaled);
    const Picture& p = fitted.picture;
    ASSERT_EQ(p.width, 1024);
    ASSERT_EQ(p.height, 768);
    for (auto [x, y] : {std::pair{0, 0}, {1023, 231}, {0, 536}, {1023, 767}}) EXPECT_EQ(p.ColorAt(x, y), kDesktop);
    for (auto [x, y] : {std::pair{0, 232}, {1023, 232}, {500, 400}, {1023, 535}})
        EXPECT_EQ(p.ColorAt(x, y), source.ColorAt(x * 37 / 1024, (y - 232) * 11 / 304)) << x << ", " << y;
}

TEST(RenderFit2Screen, WiderPicturesFillTheWidthOthersTheHeight) {
    EXPECT_EQ(FittedArea({300, 100}, kScreen), (Rect{0, 213, 1024, 341}));
    // Equal ratios take the height rule.
    EXPECT_EQ(FittedArea({800, 600}, kScreen), (Rect{0, 0, 1024, 768}));
    EXPECT_EQ(FittedArea({100, 300}, kScreen), (Rect{384, 0, 256, 768}));
    // Halves round to the even neighbour: 2.5 to 2, 3.5 to 4, in either rule.
    EXPECT_EQ(FittedArea({2048, 5}, kScreen), (Rect{0, 383, 1024, 2}));
    EXPECT_EQ(FittedArea({2048, 7}, kScreen), (Rect{0, 382, 1024, 4}));
    EXPECT_EQ(FittedArea({5, 1536}, kScreen), (Rect{511, 0, 2, 768}));
    // Centred on the screen whatever the window's size: the rendering is the screen's.
    Picture p = Render(SamplePicture(300, 100, 8), "Fit 2 Screen", {320, 200}).picture;
    EXPECT_EQ(p.width, 1024);
    EXPECT_EQ(p.ColorAt(0, 212), kDesktop);
    EXPECT_NE(p.ColorAt(0, 213), kDesktop);
    EXPECT_NE(p.ColorAt(1023, 553), kDesktop);
    EXPECT_EQ(p.ColorAt(1023, 554), kDesktop);
}

// Fill covers the screen with the picture at its proportions, the overflow cut off evenly on both
// sides; decoded for it, the part of the picture under the screen is asked for at the screen's size
// (for screens of several shapes, the whole picture at the size that covers them).
TEST(RenderFill, CoversTheScreenCuttingTheOverflowEvenly) {
    struct Case { Size picture; Rect filled, shown; } cases[] = {
        {{300, 100}, {-640, 0, 2304, 768}, {83, 0, 134, 100}},    // wider than the screen: the height fills
        {{100, 300}, {0, -1152, 1024, 3072}, {0, 112, 100, 76}},  // taller: the width fills
        {{800, 600}, {0, 0, 1024, 768}, {0, 0, 800, 600}},         // the screen's ratio: exactly the screen
        // Halves round to the even neighbour: 768.5 to 768, 769.5 to 770.
        {{2048, 1537}, {0, 0, 1024, 768}, {0, 0, 2048, 1537}},
        {{2048, 1539}, {0, -1, 1024, 770}, {0, 1, 2048, 1537}},
        {{1, 1}, {0, -128, 1024, 1024}, {0, 0, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.width << " x " << c.picture.height);
        const Rect filled = FilledArea(c.picture, kScreen);
        EXPECT_EQ(filled, c.filled);
        const ShownPart part = PartShown({ShowRequest::Kind::Filled, kScreen}, c.picture);
        EXPECT_EQ(part.region, c.shown);
        EXPECT_EQ(part.shown, kScreen);
        const ShownPart covering = PartShown({ShowRequest::Kind::Covering, kScreen}, c.picture);
        EXPECT_EQ(covering.region, (Rect{0, 0, c.picture.width, c.picture.height}));
        EXPECT_EQ(covering.shown, (Size{filled.width, filled.height}));
        if (c.picture.width > 800) continue;
        const Picture source = SamplePicture(c.picture.width, c.picture.height, 24);
        Rendering r = Render(source, "Fill", {320, 200});
        EXPECT_TRUE(r.area.wholeClient);
        EXPECT_TRUE(r.scaled);
        EXPECT_TRUE(TilesAre(r.picture, kScreen, source, [&](int x, int y) {
            return std::pair{int(int64_t(x - filled.left) * c.picture.width / filled.width),
                             int(int64_t(y - filled.top) * c.picture.height / filled.height)};
        }));
    }
    // A picture decoded at exactly the covering size is cut down where it lies, to the same pixels.
    const Picture covering = SamplePicture(2304, 768, 24);
    DecodedPicture decoded = DecodedPicture::Whole(covering);
    decoded.width = 300;
    decoded.height = 100;
    decoded.region = {0, 0, 300, 100};
    Rendering drawn, cut;
    RenderStyle(decoded, "Fill", CategoryWall, kScreen, kScreen, kDesktop, drawn);
    RenderStyle(std::move(decoded), "Fill", CategoryWall, kScreen, kScreen, kDesktop, cut);
    EXPECT_EQ(cut.picture.bitsPerPixel, 24);
    EXPECT_TRUE(test::SamePixels(cut.picture, drawn.picture));
    EXPECT_EQ(cut.picture.ColorAt(0, 0), covering.ColorAt(640, 0));
}

TEST(RenderFit2Screen, RoundsHalvesToEven) {
    for (auto [x, rounded] : {std::pair{2.5L, 2.0L}, {3.5L, 4.0L}, {-2.5L, -2.0L}, {0.5L, 0.0L}, {341.3333L, 341.0L},
                              {2.5000000001L, 3.0L}, {7.0L, 7.0L}})
        EXPECT_EQ(RoundHalfEven(x), rounded) << double(x);
}

TEST(RenderTiled, CoversTheScreenWithClippedTilesFromTheTopLeft) {
    for (auto [w, h] : {std::pair{300, 200}, {256, 256}, {1, 1}, {7, 5}}) {
        Picture source = SamplePicture(w, h, 24, {}, uint32_t(w));
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        Rendering r = Render(source, "Tiled");
        EXPECT_TRUE(r.area.wholeClient);
        EXPECT_FALSE(r.scaled);
        EXPECT_TRUE(TilesAre(r.picture, kScreen, source, TiledFrom(source)));
    }
    // The seams of the 300 x 200 tiling, where the last tile column is cut off at x = 1024.
    Picture source = SamplePicture(300, 200, 24);
    Picture p = Render(source, "Tiled").picture;
    EXPECT_EQ(p.ColorAt(299, 199), source.ColorAt(299, 199));
    EXPECT_EQ(p.ColorAt(300, 200), source.ColorAt(0, 0));
    EXPECT_EQ(p.ColorAt(1023, 767), source.ColorAt(123, 167));
}

TEST(RenderMirror, FlipsOddTileColumnsAndRowsSoThatEdgesMatch) {
    const uint32_t A = 0xA0A0A0, B = 0x0B0B0B, C = 0xC0C0C0, D = 0x0D0D0D;
    Picture ab = test::PictureOf<2, 1>({{{A, B}}});
    Picture p = Render(ab, "Mirror", kScreen, {8, 2}).picture;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(p.ColorAt(x, y), (x % 4 == 0 || x % 4 == 3) ? A : B) << x << ", " << y;

    Picture abcd = test::PictureOf<2, 2>({{{A, B}, {C, D}}});
    p = Render(abcd, "Mirror", kScreen, {5, 5}).picture;
    const uint32_t expected[5][5] = {
        {A, B, B, A, A}, {C, D, D, C, C}, {C, D, D, C, C}, {A, B, B, A, A}, {A, B, B, A, A}};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(p.ColorAt(x, y), expected[y][x]) << x << ", " << y;

    for (auto [w, h] : {std::pair{300, 200}, {7, 5}, {1, 3}, {1023, 1}, {1100, 3}, {256, 1000}}) {
        Picture source = SamplePicture(w, h, 8, {}, uint32_t(h));
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        EXPECT_TRUE(TilesAre(Render(source, "Mirror").picture, kScreen, source, MirroredFrom(source)));
    }
}

TEST(RenderTiledMirror, PictureLargerThanTheScreenGivesOneUnmirroredTile) {
    Picture source = SamplePicture(100, 80, 16, {0xF800, 0x07E0, 0x001F});
    for (std::string_view style : {"Tiled", "Mirror"}) {
        SCOPED_TRACE(style);
        EXPECT_TRUE(TilesAre(Render(source, style, kScreen, {64, 48}).picture, {64, 48}, source, TiledFrom(source)));
    }
}

TEST(RenderTiledMirror, ReuseTheStorageAndTakeAPictureThatIsTheRendering) {
    Picture source = SamplePicture(3, 2, 32);
    Rendering r;
    RenderStyle(source, "Tiled", CategoryWall, {40, 30}, kScreen, r);
    const uint8_t* storage = r.picture.pixels.data();
    RenderStyle(source, "Mirror", CategoryWall, {40, 30}, kScreen, r);
    EXPECT_EQ(r.picture.pixels.data(), storage);
    EXPECT_TRUE(TilesAre(r.picture, {40, 30}, source, MirroredFrom(source)));

    // A picture decoded as exactly what the screen shows is taken as it is, not copied.
    DecodedPicture screenSized = DecodedPicture::Whole(SamplePicture(40, 30, 24));
    for (std::string_view style : {"Tiled", "Mirror", "Centred", "Stretched"}) {
        SCOPED_TRACE(style);
        DecodedPicture moved = screenSized;
        const uint8_t* pixels = moved.picture.pixels.data();
        RenderStyle(std::move(moved), style, CategoryWall, {40, 30}, kScreen, kDesktop, r);
        EXPECT_EQ(r.picture.pixels.data(), pixels);
        ExpectCopyOf(screenSized.picture, r.picture);
    }
}

// What the randomizer hands over is taken as the rendering: a fitted picture with room for the
// screen in its storage gets its bands in place, a reduction to the screen's size is P itself.
TEST(RenderDecodedParts, ReductionsForTheScreenBecomeTheRendering) {
    DecodedPicture fitted = DecodedPicture::Whole(SamplePicture(1024, 341, 24));
    fitted.width = 3000, fitted.height = 1000, fitted.region = {0, 0, 3000, 1000};
    Rendering copied, inPlace;
    RenderStyle(fitted, "Fit 2 Screen", CategoryWall, kScreen, kScreen, kDesktop, copied);
    fitted.picture.pixels.reserve(Picture::StrideFor(1024, 24) * 768);
    const uint8_t* storage = fitted.picture.pixels.data();
    RenderStyle(std::move(fitted), "Fit 2 Screen", CategoryWall, kScreen, kScreen, kDesktop, inPlace);
    EXPECT_EQ(inPlace.picture.pixels.data(), storage);
    EXPECT_TRUE(TilesAre(copied.picture, kScreen, inPlace.picture, TiledFrom(inPlace.picture)));

    DecodedPicture reduced = DecodedPicture::Whole(SamplePicture(1024, 768, 24));
    reduced.width = 4096, reduced.height = 3072, reduced.region = {0, 0, 4096, 3072};
    Rendering r;
    RenderStyle(reduced, "Stretched", CategoryWall, kScreen, kScreen, kDesktop, r);
    ExpectCopyOf(reduced.picture, r.picture);
}

TEST(RenderEmptyPicture, EveryStyleShowsOnlyTheBackground) {
    for (Picture empty : {Picture{}, SamplePicture(0, 10, 24), SamplePicture(10, 0, 24)}) {
        for (std::string_view style : kStyleNames) {
            SCOPED_TRACE(testing::Message() << style << " " << empty.width << " x " << empty.height);
            Rendering r = Render(empty, style);
            EXPECT_TRUE(r.picture.Empty());
            bool placed = !r.area.wholeClient && (r.area.width == 0 || r.area.height == 0);
            EXPECT_TRUE(r.area.wholeClient || placed);
        }
    }
    EXPECT_EQ(PlacementOf(Render(Picture{}, "Centred")), (Placement{512, 384, 0, 0}));
    // A zero-sized screen never reaches the ratio either.
    EXPECT_TRUE(Render(SamplePicture(4, 4, 8), "Fit 2 Screen", kScreen, {0, 0}).picture.Empty());
    EXPECT_EQ(FittedArea({4, 4}, {0, 0}), (Rect{0, 0, 0, 0}));
}

TEST(RenderBootScreens, StretchACopyOverTheWholeWindowWhateverTheStyle) {
    Picture source = SamplePicture(320, 400, 8);
    for (int category : {CategoryStart, CategoryWait, CategoryShut}) {
        for (std::string_view style : {"Tiled", "Mirror", "Centred", "", "centred"}) {
            SCOPED_TRACE(testing::Message() << category << " " << style);
            Rendering r;
            RenderReport report = RenderStyle(source, style, category, kScreen, {800, 600}, r);
            EXPECT_TRUE(report.rendered);
            EXPECT_FALSE(report.wallpaperItemsVisible);
            ExpectCopyOf(source, r.picture);
            EXPECT_TRUE(r.area.wholeClient);
            EXPECT_EQ(r.area.width, 800);
            EXPECT_TRUE(r.scaled);
        }
    }
}

TEST(RenderWallpaper, StyleTextThatIsNoExactNameKeepsThePreviousRendering) {
    Picture source = SamplePicture(30, 20, 24);
    Rendering previous = Render(source, "Centred");
    for (std::string_view style : {"centred", "Centred ", "", "Fit 2 screen", "Tile", "MIRROR"}) {
        SCOPED_TRACE(style);
        Rendering r = previous;
        RenderReport report = RenderStyle(SamplePicture(5, 5, 8), style, CategoryWall, kScreen, kScreen, r);
        EXPECT_FALSE(report.rendered);
        EXPECT_TRUE(report.wallpaperItemsVisible);
        ExpectCopyOf(previous.picture, r.picture);
        EXPECT_EQ(PlacementOf(r), PlacementOf(previous));
        EXPECT_FALSE(r.scaled);
    }
}

}  // namespace
}  // namespace mx
