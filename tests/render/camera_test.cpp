// The cameras' published values and the pixel-to-map conversion, without GL:
// the set-ups load exactly the matrix these functions compute.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "render/camera.h"
#include "tests/render/main_view.h"

using namespace orbitfall;
using orbitfall::testing::MainView;

namespace {

// Where the main view shows a map point, by the perspective projection the
// camera uses (45 degrees over the view's height), pixels from the top-left.
std::pair<double, double> MapToPixel(const TViewValues& v, double x, double y) {
    const auto e = Transform(v.ViewMatrix, static_cast<float>(x), static_cast<float>(y), 0, 1);
    const double f = 1 / std::tan(std::numbers::pi / 8);
    const double ndcX = f / (static_cast<double>(v.ClientWidth) / v.ViewHeight) * e[0] / -e[2];
    const double ndcY = f * e[1] / -e[2];
    return {(ndcX + 1) * v.ClientWidth / 2, (1 - ndcY) * v.ViewHeight / 2};
}

}  // namespace

TEST(Camera, CentrePixelShowsTheCameraPoint) {
    struct Case {
        int w, h;
        double cx, cy;
        int tilt, distance;
    };
    for (const Case& c : {Case{1024, 768, 30, 40, 30, 12}, Case{696, 480, 150, 75, 0, 5}, Case{800, 600, -20, 310, 60, 30}}) {
        const TViewValues v = MainView(c.w, c.h, c.cx, c.cy, c.tilt, c.distance);
        double x = 0, y = 0;
        ASSERT_TRUE(ScreenToMap(v, c.w / 2, v.ViewHeight / 2, x, y));
        EXPECT_NEAR(x, c.cx, 1e-3) << c.w << "x" << c.h << " tilt " << c.tilt;
        EXPECT_NEAR(y, c.cy, 1e-3) << c.w << "x" << c.h << " tilt " << c.tilt;
    }
}

TEST(Camera, EyeSitsAboveAndBehindTheCameraPoint) {
    const TViewValues v = MainView(1024, 768, 30, 40, 30, 12);
    const auto eye = Transform(v.InverseViewMatrix, 0, 0, 0, 1);
    const double a = 30 * std::numbers::pi / 180;
    EXPECT_NEAR(eye[0], 30, 1e-4);
    EXPECT_NEAR(eye[1], 40 + 12 * std::sin(a), 1e-4);
    EXPECT_NEAR(eye[2], 12 * std::cos(a), 1e-4);
}

TEST(Camera, PixelToMapAndBackLandsOnTheSamePixel) {
    for (int tilt : {0, 30, 60}) {
        const TViewValues v = MainView(1024, 768, 100, 120, tilt, 12);
        for (int sx : {0, 1, 300, 512, 1023, 1024})
            for (int sy : {0, 17, 294, v.ViewHeight - 1, v.ViewHeight}) {
                double x = 0, y = 0;
                ASSERT_TRUE(ScreenToMap(v, sx, sy, x, y));
                const auto [px, py] = MapToPixel(v, x, y);
                EXPECT_NEAR(px, sx, 0.01) << "tilt " << tilt << " pixel " << sx << "," << sy;
                EXPECT_NEAR(py, sy, 0.01) << "tilt " << tilt << " pixel " << sx << "," << sy;
            }
    }
}

TEST(Camera, MapToPixelAndBackLandsOnTheSamePoint) {
    const TViewValues v = MainView(696, 480, 60, 60, 30, 12);
    for (double x : {55.0, 60.0, 64.5})
        for (double y : {57.0, 60.0, 62.25}) {
            const auto [px, py] = MapToPixel(v, x, y);
            double mx = 0, my = 0;
            ASSERT_TRUE(ScreenToMap(v, static_cast<int>(std::lround(px)), static_cast<int>(std::lround(py)), mx, my));
            // One pixel at distance 12 is a few hundredths of a map unit.
            EXPECT_NEAR(mx, x, 0.05);
            EXPECT_NEAR(my, y, 0.05);
        }
}

TEST(Camera, FarEdgeOfTheViewIsWiderThanTheNearEdge) {
    const TViewValues v = MainView(1024, 768, 30, 40, 30, 12);
    double tlx, tly, trx, try_, blx, bly, brx, bry;
    ScreenToMap(v, 0, 0, tlx, tly);
    ScreenToMap(v, 1024, 0, trx, try_);
    ScreenToMap(v, 0, v.ViewHeight, blx, bly);
    ScreenToMap(v, 1024, v.ViewHeight, brx, bry);
    EXPECT_GT(trx - tlx, brx - blx);
    EXPECT_LT(tly, bly);  // the top of the screen is farther up the map
    // ViewRect encloses the trapezoid.
    EXPECT_DOUBLE_EQ(v.ViewRect.Left, tlx);
    EXPECT_DOUBLE_EQ(v.ViewRect.Top, tly);
    EXPECT_DOUBLE_EQ(v.ViewRect.Right, trx);
    EXPECT_DOUBLE_EQ(v.ViewRect.Bottom, bly);
    EXPECT_LE(v.ViewRect.Left, blx);
    EXPECT_GE(v.ViewRect.Right, brx);
}

TEST(Camera, RaisingTheTiltWidensTheFarEdge) {
    auto farWidth = [](int tilt) {
        const TViewValues v = MainView(1024, 768, 30, 40, tilt, 12);
        return v.ViewRect.Right - v.ViewRect.Left;
    };
    EXPECT_LT(farWidth(0), farWidth(30));
    EXPECT_LT(farWidth(30), farWidth(50));
}

TEST(Camera, NothingBeforeTheFirstSetUp) {
    TViewValues v;
    double x = 7, y = 8;
    EXPECT_FALSE(ScreenToMap(v, 10, 10, x, y));
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);
}

TEST(Camera, InterfaceStripAndViewHeight) {
    // 1024 wide: a 180-pixel strip below a view of client height - 180.
    EXPECT_EQ(MainView(1024, 768, 0, 0, 30, 12).ViewHeight, 588);
    // 696 wide: 122.34 pixels; the view keeps the rounded-down part.
    EXPECT_EQ(MainView(696, 480, 0, 0, 30, 12).ViewHeight, 358);
}

TEST(Camera, MinisceneLooksAtTheEventWithTheMainViewsHeight) {
    TViewValues v = MainView(1024, 768, 30, 40, 30, 12);
    PublishCamera(v, CameraMatrix(200, 100, 60, 5), 60, 1024);
    EXPECT_EQ(v.ViewAngle, 60);
    EXPECT_EQ(v.ViewHeight, 588);
    double x = 0, y = 0;
    ScreenToMap(v, 512, 294, x, y);
    EXPECT_NEAR(x, 200, 1e-3);
    EXPECT_NEAR(y, 100, 1e-3);
    EXPECT_LT(v.ViewRect.Left, 200);
    EXPECT_GT(v.ViewRect.Right, 200);
}

TEST(Camera, InverseOfASingularMatrixIsTheIdentity) {
    TMatrix4f zero{};
    const TMatrix4f inv = InvertMatrix(zero);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(inv[i], (i % 5 == 0) ? 1.0f : 0.0f) << i;
}
