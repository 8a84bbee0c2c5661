// The interface layout that drawing and the mouse share: the minimap's
// mappings in both directions, the main view and the mini-scene, by the
// numbers the layout fixes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "render/fog.h"
#include "render/interface_layout.h"

using namespace orbitfall;

namespace {

TOverlayPoint MinimapPoint(int w, int h, int clientWidth, double x, double y) {
    return MapToMinimap(ProportionalMinimap(w, h, clientWidth), x, y);
}

TOverlayPoint MinimapPointStretched(int w, int h, int clientWidth, double x, double y) {
    return MapToMinimap(StretchedMinimap(w, h, clientWidth), x, y);
}

}  // namespace

TEST(MinimapMapping, SquareMapFillsTheSquare) {
    // 1024 pixels wide: the minimap covers pixels 28 to 228 from the bottom-left.
    const TOverlayPoint topLeft = MinimapPoint(300, 300, 1024, 0, 0);
    const TOverlayPoint bottomRight = MinimapPoint(300, 300, 1024, 300, 300);
    EXPECT_DOUBLE_EQ(topLeft.X, 28);
    EXPECT_DOUBLE_EQ(topLeft.Y, 228);
    EXPECT_DOUBLE_EQ(bottomRight.X, 228);
    EXPECT_DOUBLE_EQ(bottomRight.Y, 28);
    // Half as wide a window: everything at half the pixels.
    EXPECT_DOUBLE_EQ(MinimapPoint(300, 300, 512, 0, 0).X, 14);
    EXPECT_DOUBLE_EQ(MinimapPoint(300, 300, 512, 0, 0).Y, 114);
}

TEST(MinimapMapping, WideMapUsesTheMiddleHalfInHeight) {
    EXPECT_DOUBLE_EQ(MinimapPoint(200, 100, 1024, 0, 0).Y, 178);
    EXPECT_DOUBLE_EQ(MinimapPoint(200, 100, 1024, 0, 100).Y, 78);
    EXPECT_DOUBLE_EQ(MinimapPoint(200, 100, 1024, 0, 0).X, 28);
    EXPECT_DOUBLE_EQ(MinimapPoint(200, 100, 1024, 200, 0).X, 228);
    // The stretched background still fills the square.
    EXPECT_DOUBLE_EQ(MinimapPointStretched(200, 100, 1024, 0, 0).Y, 228);
    EXPECT_DOUBLE_EQ(MinimapPointStretched(200, 100, 1024, 0, 100).Y, 28);
    EXPECT_DOUBLE_EQ(MinimapPointStretched(200, 100, 1024, 200, 100).X, 228);
}

TEST(MinimapMapping, TallMapUsesTheMiddleHalfInWidth) {
    EXPECT_DOUBLE_EQ(MinimapPoint(100, 200, 1024, 0, 0).X, 78);
    EXPECT_DOUBLE_EQ(MinimapPoint(100, 200, 1024, 100, 0).X, 178);
    EXPECT_DOUBLE_EQ(MinimapPoint(100, 200, 1024, 0, 0).Y, 228);
}

TEST(MinimapMapping, TheMouseMappingIsTheInverseOfTheDrawnOne) {
    // At 1024 pixels one pixel is one interface unit: every map point that
    // lands on a whole pixel must map back to itself through the mouse's
    // mapping, for square, wide and tall maps.
    struct Map {
        int w, h;
    };
    for (const Map& map : {Map{300, 300}, Map{300, 150}, Map{100, 400}, Map{600, 600}}) {
        const int m = std::max(map.w, map.h);
        for (int step = 0; step <= 8; ++step)
            for (int row = 0; row <= 8; ++row) {
                const double x = m * step / 8.0 - std::max(0, map.h - map.w) * 0.5;
                const double y = m * row / 8.0 - std::max(0, map.w - map.h) * 0.5;
                const TOverlayPoint p = MinimapPoint(map.w, map.h, 1024, x, y);
                ASSERT_NEAR(p.X, std::round(p.X), 1e-9);
                const TInterfacePoint unit{static_cast<int>(std::lround(p.X)), static_cast<int>(std::lround(p.Y))};
                const TMapPoint back = MinimapToMap(unit, map.w, map.h);
                EXPECT_NEAR(back.X, x, 1e-9) << map.w << "x" << map.h << " at " << unit.X << "," << unit.Y;
                EXPECT_NEAR(back.Y, y, 1e-9) << map.w << "x" << map.h << " at " << unit.X << "," << unit.Y;
            }
    }
}

TEST(InterfaceLayout, MainViewLiesAboveTheStripWithoutAGapOrOverlap) {
    struct Case {
        int w, h;
        TPixelRect rect;
        int rows;
    };
    const Case cases[] = {
        {1024, 768, {0, 180, 1024, 588}, 588},
        // 696 wide: the strip is 122.34 pixels high; its partial row is the strip's.
        {696, 480, {0, 123, 696, 358}, 358},
        // Shorter than the strip: a one-pixel view, the values keep the true height.
        {1024, 100, {0, 180, 1024, 1}, -80},
    };
    for (const Case& c : cases) {
        const TMainViewport v = MainViewport(c.w, c.h);
        EXPECT_EQ(v.Rect, c.rect) << c.w << "x" << c.h;
        EXPECT_EQ(v.ViewRows, c.rows) << c.w << "x" << c.h;
    }
    EXPECT_DOUBLE_EQ(StripHeight(1024), 180);
    EXPECT_DOUBLE_EQ(StripHeight(512), 90);
}

TEST(InterfaceLayout, MinisceneViewportCoversItsSquareInTheStrip) {
    EXPECT_EQ(MinisceneViewport(1024), (TPixelRect{607, 26, 150, 150}));
    // 696 wide: corner rounded down, side rounded up, so the square is covered.
    EXPECT_EQ(MinisceneViewport(696), (TPixelRect{412, 17, 102, 102}));
    // The square the mouse hits is the one drawn.
    const TPixelRect r = MinisceneViewport(1024);
    EXPECT_TRUE(MinisceneRect.Contains({r.X, r.Y}));
    EXPECT_TRUE(MinisceneRect.Contains({r.X + r.Width - 1, r.Y + r.Height - 1}));
    EXPECT_FALSE(MinisceneRect.Contains({r.X + r.Width, r.Y}));
}

TEST(FogTexture, SizesArePowersOfTwoNotBelowTheMap) {
    struct Case {
        int n, size;
    };
    for (const Case& c : {Case{1, 1}, Case{2, 2}, Case{3, 4}, Case{255, 256}, Case{256, 256}, Case{300, 512}, Case{600, 1024}})
        EXPECT_EQ(FogSize(c.n), c.size) << c.n;
}

TEST(FogTexture, BytesOfNeverSeenExploredAndWatchedGround) {
    EXPECT_EQ(FogByte(0), 255);
    EXPECT_EQ(FogByte(1), 127);
    EXPECT_EQ(FogByte(2), 0);
    EXPECT_EQ(FogByte(40), 0);
}

namespace {

bool Overlaps(const TPixelRect& a, const TPixelRect& b) {
    return a.X < b.X + b.Width && b.X < a.X + a.Width && a.Y < b.Y + b.Height && b.Y < a.Y + a.Height;
}

}  // namespace

TEST(InterfaceLayout, StillAndMovingStripPartsCoverTheStripOnceAndKeepOutOfWhatFramesDraw) {
    struct Size {
        int w, h;
    };
    for (const Size& s : {Size{1024, 768}, Size{696, 480}, Size{800, 600}, Size{1920, 1080}, Size{333, 200},
                          Size{1024, 100}, Size{40, 30}, Size{3, 2}}) {
        const int rows = std::min(StripPictureRows(s.w), s.h);
        std::vector<int> covered(static_cast<std::size_t>(s.w) * std::max(rows, 0), 0);
        auto mark = [&](const TPixelRect& r, const char* which) {
            ASSERT_GT(r.Width, 0) << which;
            ASSERT_GT(r.Height, 0) << which;
            ASSERT_GE(r.X, 0) << which;
            ASSERT_GE(r.Y, 0) << which;
            ASSERT_LE(r.X + r.Width, s.w) << which;
            ASSERT_LE(r.Y + r.Height, rows) << which;
            for (int y = r.Y; y < r.Y + r.Height; ++y)
                for (int x = r.X; x < r.X + r.Width; ++x) ++covered[static_cast<std::size_t>(y) * s.w + x];
        };
        const TMainViewport view = MainViewport(s.w, s.h);
        for (const TPixelRect& r : StillStripRects(s.w, s.h)) {
            mark(r, "still");
            // Nothing a frame draws may lie under the still part.
            EXPECT_LE(r.Y + r.Height, view.Rect.Y) << s.w << "x" << s.h;
            EXPECT_FALSE(Overlaps(r, MinimapPixels(s.w))) << s.w << "x" << s.h;
            EXPECT_FALSE(Overlaps(r, MinisceneViewport(s.w))) << s.w << "x" << s.h;
        }
        for (const TPixelRect& r : MovingStripRects(s.w, s.h)) mark(r, "moving");
        const auto wrong = std::count_if(covered.begin(), covered.end(), [](int n) { return n != 1; });
        EXPECT_EQ(wrong, 0) << s.w << "x" << s.h;
    }
}

TEST(InterfaceLayout, MinimapPixelsHoldTheWholeSquare) {
    EXPECT_EQ(MinimapPixels(1024), (TPixelRect{28, 28, 200, 200}));
    // 696 wide: 19.03 to 154.97 pixels, rounded outwards.
    EXPECT_EQ(MinimapPixels(696), (TPixelRect{19, 19, 136, 136}));
    EXPECT_EQ(StripPictureRows(1024), 256);
    EXPECT_EQ(StripPictureRows(697), 175);
}

TEST(FogTexture, WritesNoteTheRowsThatChangedSinceTheLastUpload) {
    auto fog = CreateFogTexture(8, 6);
    std::vector<std::uint16_t> sight(8 * 6, 0);
    WriteFog(*fog, sight.data(), 8);  // all never seen: as the texture starts
    fog->Changed = false;
    WriteFog(*fog, sight.data(), 8);
    EXPECT_FALSE(fog->Changed);

    sight[2 * 8 + 3] = 2;
    WriteFog(*fog, sight.data(), 8);
    EXPECT_TRUE(fog->Changed);
    EXPECT_EQ(fog->ChangedFrom, 2);
    EXPECT_EQ(fog->ChangedTo, 3);
    // A later change before any upload widens the range; an unchanged row
    // in between stays inside it.
    sight[4 * 8 + 0] = 1;
    WriteFog(*fog, sight.data(), 8);
    EXPECT_EQ(fog->ChangedFrom, 2);
    EXPECT_EQ(fog->ChangedTo, 5);
    EXPECT_EQ(fog->FogRows[4][0], 127);
}
