// Monitor layouts the system can have but Wine cannot make (negative origins, three monitors, gaps,
// mixed sizes and shapes) and the one wallpaper file composed for them, checked pixel by pixel
// against a model: each pixel of the file lies at one place of the virtual screen, which shows what
// its monitor's screen shows there, or the desktop's colour between monitors.
#include <gtest/gtest.h>

#include <cstring>

#include "lists/categories.h"
#include "picture/layout_wallpaper.h"
#include "picture/transparency.h"
#include "picture_samples.h"

namespace mx {
namespace {

using test::SamplePicture;

constexpr uint32_t kDesktop = 0x3A6EA5;

MonitorLayout Layout(const char* text) {
    std::optional<MonitorLayout> layout = ParseLayoutText(text);
    EXPECT_TRUE(layout) << text;
    return layout.value_or(MonitorLayout{});
}

TEST(MonitorLayout, TextBoundsAndTheMonitorAWindowIsOn) {
    const MonitorLayout two = Layout("1920x1080+0+0,1080x1920+1920+0"), left = Layout("1280x1024,1600x900-1600-200");
    EXPECT_EQ(two.monitors, (std::vector<Rect>{{0, 0, 1920, 1080}, {1920, 0, 1080, 1920}}));
    EXPECT_EQ(two.Bounds(), (Rect{0, 0, 3000, 1920}));
    EXPECT_EQ(left.Bounds(), (Rect{-1600, -200, 2880, 1224}));
    EXPECT_EQ(LayoutText(left), "1280x1024+0+0,1600x900-1600-200");
    // The monitor a window is on: the one it overlaps most, else the nearest; the primary for none.
    for (auto [window, monitor] : {std::pair{Rect{1500, 100, 800, 600}, 0u}, {Rect{1800, 100, 800, 600}, 1u},
                                   {Rect{3500, 1500, 10, 10}, 1u}, {Rect{-500, -500, 10, 10}, 0u}})
        EXPECT_EQ(two.MonitorOf(window), monitor) << window.left;
    EXPECT_EQ(MonitorLayout{}.MonitorOf({0, 0, 1, 1}), 0u);
    for (const char* bad : {"", "1920x", "0x1080", "1920x1080+0", "1920x1080+0+0,", "1920x1080+0+0,100x100+50+50",
                            "30000x10+0+0,30000x10+30000+0"})
        EXPECT_FALSE(ParseLayoutText(bad)) << bad;
}

// A screen's picture at (x, y): its rendering where its area puts it, the desktop's colour elsewhere;
// transparent pixels over the desktop.
uint32_t ScreenShows(const Rendering& r, int x, int y) {
    if (!r.area.wholeClient) {
        x -= r.area.left;
        y -= r.area.top;
    }
    if (x < 0 || y < 0 || x >= r.picture.width || y >= r.picture.height) return kDesktop;
    if (!r.picture.alpha) return r.picture.ColorAt(x, y);
    uint8_t pixel[4];
    std::memcpy(pixel, r.picture.Row(y) + 4 * x, 4);
    BlendRow(pixel, 1, kDesktop);
    return uint32_t(pixel[2]) << 16 | uint32_t(pixel[1]) << 8 | pixel[0];
}

Rendering RenderFor(const Picture& source, std::string_view style, Size screen) {
    Rendering r;
    RenderStyle(DecodedPicture::Whole(source), style, CategoryWall, screen, screen, kDesktop, r);
    return r;
}

// Every pixel of the file against the model; `sources` holds the picture of each monitor.
::testing::AssertionResult FileShowsTheScreens(const LayoutWallpaper& wallpaper, const std::vector<Picture>& sources,
                                               std::string_view style) {
    const MonitorLayout& layout = wallpaper.Layout();
    const Rect bounds = layout.Bounds(), primary = layout.monitors[0];
    const bool across = wallpaper.Cover() == MonitorCover::Across;
    if (wallpaper.FileSize() != Size{bounds.width, bounds.height})
        return ::testing::AssertionFailure() << "the file is " << wallpaper.FileSize().width << " x "
                                             << wallpaper.FileSize().height;
    // Each monitor's screen, or across them one screen of the virtual screen's size.
    std::vector<Rendering> screens;
    for (size_t i = 0; i < (across ? 1 : layout.monitors.size()); ++i) {
        const Rect& screen = across ? bounds : layout.monitors[i];
        screens.push_back(RenderFor(sources[i], style, {screen.width, screen.height}));
    }
    std::vector<uint8_t> row(size_t(bounds.width) * 4);
    for (int fy = 0; fy < bounds.height; ++fy) {
        wallpaper.Row(fy, row.data());
        for (int fx = 0; fx < bounds.width; ++fx) {
            // Tiled from the primary monitor's corner, the file's pixel shows at that corner plus
            // whole files, once on the virtual screen.
            auto place = [](int f, int corner, int start, int size) {
                return start + ((f + corner - start) % size + size) % size;
            };
            const int vx = wallpaper.Tiled() ? place(fx, primary.left, bounds.left, bounds.width) : bounds.left + fx;
            const int vy = wallpaper.Tiled() ? place(fy, primary.top, bounds.top, bounds.height) : bounds.top + fy;
            uint32_t expected = kDesktop;
            for (size_t i = 0; i < layout.monitors.size(); ++i) {
                const Rect& m = layout.monitors[i];
                const Rect& screen = across ? bounds : m;
                if (vx >= m.left && vx < m.Right() && vy >= m.top && vy < m.Bottom())
                    expected = ScreenShows(screens[across ? 0 : i], vx - screen.left, vy - screen.top);
            }
            uint32_t got = 0;
            std::memcpy(&got, row.data() + 4 * size_t(fx), 4);
            if (got != expected)
                return ::testing::AssertionFailure() << "file pixel (" << fx << ", " << fy << ") at (" << vx << ", "
                                                     << vy << ") is " << std::hex << got << ", not " << expected;
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(LayoutWallpaper, EveryWayAndStyleOnLayoutsWineCannotMake) {
    const char* layouts[] = {
        "40x30+0+0,24x36-24-10",                  // a monitor left of and above the primary
        "30x20+0+0,30x20+30+0,20x30-20-5",        // three monitors
        "30x20+0+0,20x24+40+6",                   // a gap between them
        "48x27+0+0,16x36+48-9,20x12+6-12",        // mixed sizes and shapes, one above the primary
    };
    // Larger and smaller than the monitors, of every kind of pixel, one with transparency.
    Picture transparent = SamplePicture(19, 33, 32);
    transparent.alpha = true;
    const std::vector<Picture> each = {SamplePicture(37, 23, 24), SamplePicture(13, 9, 8, {}, 2), transparent};
    for (const char* text : layouts) {
        const MonitorLayout layout = Layout(text);
        for (MonitorCover cover : {MonitorCover::Same, MonitorCover::Each, MonitorCover::Across})
            for (std::string_view style : kStyleNames)
                for (bool tiled : {false, true}) {
                    SCOPED_TRACE(testing::Message() << text << ", " << MonitorCoverName(cover) << ", " << style
                                                    << (tiled ? ", tiled" : ", spanned"));
                    LayoutWallpaper wallpaper(layout, cover, tiled, kDesktop);
                    std::vector<Picture> sources;
                    for (size_t i = 0; i < layout.monitors.size(); ++i)
                        sources.push_back(cover == MonitorCover::Each ? each[i % each.size()] : each[0]);
                    for (const std::vector<size_t>& screens : wallpaper.ScreensPerPicture()) {
                        ASSERT_TRUE(wallpaper.RequestFor(style, screens));
                        wallpaper.Render(DecodedPicture::Whole(sources[screens[0]]), style, screens);
                    }
                    EXPECT_TRUE(wallpaper.Complete());
                    EXPECT_TRUE(FileShowsTheScreens(wallpaper, sources, style));
                }
    }
}

// Before Windows 8 the system tiles the file from the primary monitor's top-left corner: what lies
// left of or above the primary comes after it in the file.
TEST(LayoutWallpaper, TiledFromThePrimaryWhatLiesLeftOrAboveWrapsRound) {
    const uint32_t P = 0xAA0000, S = 0x0000BB;
    auto solid = [](uint32_t colour) { return test::PictureOf<1, 1>({{{colour}}}); };
    struct Case { const char* layout; bool tiled; std::vector<std::vector<uint32_t>> rows; } cases[] = {
        {"4x2+0+0,2x2-2+0", true, {{P, P, P, P, S, S}, {P, P, P, P, S, S}}},
        {"4x2+0+0,2x2-2+0", false, {{S, S, P, P, P, P}, {S, S, P, P, P, P}}},
        {"2x2+0+0,2x1+0-1", true, {{P, P}, {P, P}, {S, S}}},
        {"2x2+0+0,2x1+0-1", false, {{S, S}, {P, P}, {P, P}}},
        // Left, above and a gap: the desktop's colour where no monitor is.
        {"2x2+0+0,1x1-1-1", true, {{P, P, kDesktop}, {P, P, kDesktop}, {kDesktop, kDesktop, S}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.layout << (c.tiled ? " tiled" : " spanned"));
        LayoutWallpaper wallpaper(Layout(c.layout), MonitorCover::Each, c.tiled, kDesktop);
        wallpaper.Render(DecodedPicture::Whole(solid(P)), "Tiled", {0});
        wallpaper.Render(DecodedPicture::Whole(solid(S)), "Tiled", {1});
        ASSERT_EQ(wallpaper.FileSize(), (Size{int(c.rows[0].size()), int(c.rows.size())}));
        for (size_t y = 0; y < c.rows.size(); ++y) {
            std::vector<uint32_t> row(c.rows[y].size());
            wallpaper.Row(int(y), reinterpret_cast<uint8_t*>(row.data()));
            EXPECT_EQ(row, c.rows[y]) << "row " << y;
        }
    }
}

// One picture decoded once for several monitors asks for the largest of what they show (Fill on
// monitors of several shapes: the whole picture covering each), and the part decoded for the larger
// monitor renders the smaller one as the whole picture would.
TEST(LayoutWallpaper, OneDecodeServesTheLargestRequest) {
    const MonitorLayout two = Layout("1920x1080+0+0,1080x1920+1920+0");
    using Kind = ShowRequest::Kind;
    struct Case { MonitorCover cover; const char* style; std::vector<size_t> screens; ShowRequest request; } cases[] = {
        {MonitorCover::Same, "Centred", {0, 1}, {Kind::Centred, {1920, 1920}}},
        {MonitorCover::Same, "Fill", {0, 1}, {Kind::Covering, {1920, 1920}}},
        {MonitorCover::Same, "Fit 2 Screen", {0, 1}, {Kind::Fitted, {1920, 1920}}},
        {MonitorCover::Each, "Fit 2 Screen", {1}, {Kind::Fitted, {1080, 1920}, true}},
        {MonitorCover::Each, "Stretched", {1}, {Kind::Scaled, {1080, 1920}}},
        {MonitorCover::Each, "Fill", {1}, {Kind::Filled, {1080, 1920}}},
        {MonitorCover::Across, "Tiled", {0}, {Kind::TopLeft, {3000, 1920}}},
    };
    for (const Case& c : cases) EXPECT_EQ(LayoutWallpaper(two, c.cover, false, 0).RequestFor(c.style, c.screens), c.request);
    EXPECT_FALSE(LayoutWallpaper(two, MonitorCover::Same, false, 0).RequestFor("centred", {0, 1}));
    const LayoutWallpaper alike(Layout("1920x1080+0+0,3840x2160+1920+0"), MonitorCover::Same, false, 0);
    EXPECT_EQ(alike.RequestFor("Fill", {0, 1}), (ShowRequest{Kind::Filled, {3840, 2160}}));
    EXPECT_EQ(alike.RequestFor("Fit 2 Screen", {0, 1}), (ShowRequest{Kind::Fitted, {3840, 2160}, true}));

    // A part at its own size, as a decoder gives it (Fill's where it is enlarged), renders both.
    struct Part { const char* style; Size photo; Rect region; } parts[] = {{"Centred", {300, 200}, {118, 76, 64, 48}},
                                                                          {"Fill", {40, 20}, {6, 0, 28, 20}}};
    for (const Part& p : parts) {
        const Picture photo = SamplePicture(p.photo.width, p.photo.height, 24);
        LayoutWallpaper shared(Layout("64x48+0+0,32x24+64+0"), MonitorCover::Same, false, kDesktop);
        const ShowRequest request = *shared.RequestFor(p.style, {0, 1});
        const Rect r = PartShown(request, p.photo).region;
        ASSERT_EQ(r, p.region);
        DecodedPicture part{Picture::MakeTrueColour(r.width, r.height, false), p.photo.width, p.photo.height, r,
                            request, false};
        for (int y = 0; y < r.height; ++y)
            std::memcpy(part.picture.Row(y), photo.Row(r.top + y) + 3 * r.left, 3 * size_t(r.width));
        EXPECT_FALSE(shared.Complete());
        shared.Render(std::move(part), p.style, {0, 1});
        EXPECT_TRUE(FileShowsTheScreens(shared, {photo, photo}, p.style));
    }
}

}  // namespace
}  // namespace mx
