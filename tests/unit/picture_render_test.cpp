#include <gtest/gtest.h>

#include "lists/categories.h"
#include "picture/render.h"
#include "picture_samples.h"

namespace mx {
namespace {

using test::SamplePicture;

constexpr Size kScreen{1024, 768};

struct Placement {
    int left, top, width, height;
    bool operator==(const Placement&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Placement& p) {
    return os << "(" << p.left << ", " << p.top << ") " << p.width << " x " << p.height;
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

TEST(RenderCentred, PlacesThePictureOnTheWindowTruncatingTowardZero) {
    EXPECT_EQ(PlacementOf(Render(SamplePicture(800, 600, 8), "Centred")), (Placement{112, 84, 800, 600}));
    EXPECT_EQ(PlacementOf(Render(SamplePicture(1280, 1024, 8), "Centred")), (Placement{-128, -128, 1280, 1024}));
    // -1 / 2 and -255 / 2 truncate to 0 and -127: the extra column is cut off on the right.
    EXPECT_EQ(PlacementOf(Render(SamplePicture(1025, 768, 8), "Centred")), (Placement{0, 0, 1025, 768}));
    EXPECT_EQ(PlacementOf(Render(SamplePicture(1279, 769, 8), "Centred")), (Placement{-127, 0, 1279, 769}));
    // The window's client size counts, not the screen's (320 x 200 before the window is first shown).
    EXPECT_EQ(PlacementOf(Render(SamplePicture(100, 50, 8), "Centred", {320, 200})), (Placement{110, 75, 100, 50}));
}

TEST(RenderCentredStretchedFit, KeepACopyOfTheSourceAndPlaceItOnlyThroughTheArea) {
    Picture source = SamplePicture(37, 11, 4);
    for (std::string_view style : {"Centred", "Stretched", "Fit 2 Screen"}) {
        SCOPED_TRACE(style);
        Rendering r = Render(source, style);
        ExpectCopyOf(source, r.picture);
        EXPECT_EQ(r.scaled, style != "Centred");
    }
    Rendering stretched = Render(source, "Stretched", {640, 480});
    EXPECT_TRUE(stretched.area.wholeClient);
    EXPECT_EQ(stretched.area.width, 640);
    EXPECT_EQ(stretched.area.height, 480);
}

TEST(RenderFit2Screen, WiderPicturesFillTheWidthOthersTheHeight) {
    EXPECT_EQ(PlacementOf(Render(SamplePicture(300, 100, 8), "Fit 2 Screen")), (Placement{0, 213, 1024, 341}));
    // Equal ratios take the height rule.
    EXPECT_EQ(PlacementOf(Render(SamplePicture(800, 600, 8), "Fit 2 Screen")), (Placement{0, 0, 1024, 768}));
    EXPECT_EQ(PlacementOf(Render(SamplePicture(100, 300, 8), "Fit 2 Screen")), (Placement{384, 0, 256, 768}));
    // Halves round to the even neighbour: 2.5 to 2, 3.5 to 4, in either rule.
    EXPECT_EQ(PlacementOf(Render(SamplePicture(2048, 5, 8), "Fit 2 Screen")), (Placement{0, 383, 1024, 2}));
    EXPECT_EQ(PlacementOf(Render(SamplePicture(2048, 7, 8), "Fit 2 Screen")), (Placement{0, 382, 1024, 4}));
    EXPECT_EQ(PlacementOf(Render(SamplePicture(5, 1536, 8), "Fit 2 Screen")), (Placement{511, 0, 2, 768}));
    // Centred on the screen whatever the window's size.
    EXPECT_EQ(PlacementOf(Render(SamplePicture(300, 100, 8), "Fit 2 Screen", {320, 200})),
              (Placement{0, 213, 1024, 341}));
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

TEST(RenderTiledMirror, ReuseTheStorageAndMayRenderTheirOwnPicture) {
    Picture source = SamplePicture(3, 2, 32);
    Rendering r;
    RenderStyle(source, "Tiled", CategoryWall, {40, 30}, kScreen, r);
    const uint8_t* storage = r.picture.pixels.data();
    RenderStyle(source, "Mirror", CategoryWall, {40, 30}, kScreen, r);
    EXPECT_EQ(r.picture.pixels.data(), storage);
    EXPECT_TRUE(TilesAre(r.picture, {40, 30}, source, MirroredFrom(source)));

    Rendering self;
    self.picture = source;
    RenderStyle(self.picture, "Tiled", CategoryWall, {40, 30}, kScreen, self);
    EXPECT_TRUE(TilesAre(self.picture, {40, 30}, source, TiledFrom(source)));
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
    EXPECT_EQ(PlacementOf(Render(Picture{}, "Fit 2 Screen")), (Placement{512, 384, 0, 0}));
    // A zero-sized screen never reaches the ratio either.
    EXPECT_EQ(PlacementOf(Render(SamplePicture(4, 4, 8), "Fit 2 Screen", kScreen, {0, 0})), (Placement{0, 0, 0, 0}));
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
    Rendering previous = Render(source, "Fit 2 Screen");
    for (std::string_view style : {"centred", "Centred ", "", "Fit 2 screen", "Tile", "MIRROR"}) {
        SCOPED_TRACE(style);
        Rendering r = previous;
        RenderReport report = RenderStyle(SamplePicture(5, 5, 8), style, CategoryWall, kScreen, kScreen, r);
        EXPECT_FALSE(report.rendered);
        EXPECT_TRUE(report.wallpaperItemsVisible);
        ExpectCopyOf(previous.picture, r.picture);
        EXPECT_EQ(PlacementOf(r), PlacementOf(previous));
        EXPECT_TRUE(r.scaled);
    }
}

}  // namespace
}  // namespace mx
