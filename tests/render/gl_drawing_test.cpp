// The world layers and the interface drawn on the test display, checked by
// the pixels the geometry fixes (pictures of known colours stand in for the
// shipped ones).
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "render/camera.h"
#include "render/fog.h"
#include "render/fog_filter.h"
#include "render/interface_overlay.h"
#include "render/screenshot.h"
#include "render/texture_image.h"
#include "render/world_layers.h"
#include "tests/render/fog_pattern.h"
#include "tests/support/gl_test_window.h"

using namespace orbitfall;

namespace {

struct Rgb {
    int r, g, b;
};

// Pixel counted from the bottom-left corner, as GL counts.
Rgb ReadPixel(int x, int y) {
    std::uint8_t px[4] = {};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    return {px[0], px[1], px[2]};
}

::testing::AssertionResult Near(Rgb actual, Rgb expected, int tolerance = 2) {
    if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << actual.r << "," << actual.g << "," << actual.b
                                         << ") expected (" << expected.r << "," << expected.g << "," << expected.b
                                         << ")";
}

std::unique_ptr<TTextureImage> SolidPicture(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    auto image = std::make_unique<TTextureImage>(8, 8, TPixelFormat::Bgr8);
    image->FillWithColor(r, g, b, 255);
    image->Upload(true);
    return image;
}

// Map units straight onto the viewport: x right, y down, 10 pixels a unit.
void MapOrtho(int mapWidth, int mapHeight) {
    glViewport(0, 0, mapWidth * 10, mapHeight * 10);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, mapWidth, mapHeight, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

class GlDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(surface.Ready()) << "no GL context on the test display";
        glClearColor(0, 0, 0, 0);
        glDisable(GL_CULL_FACE);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    orbitfall::testing::GlTestWindow surface{1024, 768};
};

// A 40 x 20 map: columns 0..12 never seen, 13..26 explored, 27..39 watched.
std::unique_ptr<TFogOfWar> ThreeBandFog() {
    auto fog = CreateFogTexture(40, 20);
    std::vector<std::uint16_t> sight(41 * 21, 0);
    for (int y = 0; y <= 20; ++y)
        for (int x = 0; x <= 40; ++x) sight[y * 41 + x] = x < 13 ? 0 : x < 27 ? 1 : 3;
    WriteFog(*fog, sight.data(), 41);
    fog->FogTexture->Upload(true);
    return fog;
}

}  // namespace

TEST_F(GlDrawing, CameraMatrixIsTheGlTransformChain) {
    for (int tilt : {0, 30, 60}) {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        const double a = tilt * M_PI / 180, d = 12, cx = 30, cy = 40;
        glScalef(1, -1, 1);
        glRotatef(static_cast<float>(tilt), 1, 0, 0);
        glTranslated(-cx, -cy - std::sin(a) * d, -d * std::cos(a));
        float gl[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, gl);
        const TMatrix4f ours = CameraMatrix(cx, cy, tilt, d);
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(ours[i], gl[i], 1e-4) << "tilt " << tilt << " element " << i;
    }
}

TEST_F(GlDrawing, ScreenToMapAgreesWithTheGlProjection) {
    TViewValues view;
    SetupMainCamera(view, 1024, 768, 30, 40, 30, 12);
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[1], 180);
    EXPECT_EQ(viewport[3], 588);
    for (int sx : {0, 256, 512, 1000})
        for (int sy : {0, 100, 294, 588}) {
            double x = 0, y = 0;
            ASSERT_TRUE(ScreenToMap(view, sx, sy, x, y));
            GLdouble wx, wy, wz;
            gluProject(x, y, 0, model, projection, viewport, &wx, &wy, &wz);
            EXPECT_NEAR(wx, sx, 0.05) << sx << "," << sy;
            EXPECT_NEAR(wy, viewport[1] + viewport[3] - sy, 0.05) << sx << "," << sy;
        }
}

TEST_F(GlDrawing, WorldFogOverNeverSeenExploredAndWatchedGround) {
    auto fog = ThreeBandFog();
    const auto pattern = SolidPicture(255, 255, 255);
    MapOrtho(40, 20);
    DrawFogOverlay(*fog, TViewRect{0, 0, 40, 20}, pattern.get());
    // Over black: three quarters of the white pattern, times the fog byte.
    EXPECT_TRUE(Near(ReadPixel(55, 100), {191, 191, 191}));
    EXPECT_TRUE(Near(ReadPixel(205, 100), {95, 95, 95}));
    EXPECT_TRUE(Near(ReadPixel(335, 100), {0, 0, 0}));
}

TEST_F(GlDrawing, FogQuadStartsAtTheMapEdgeWhenTheViewReachesBeyondIt) {
    auto fog = ThreeBandFog();
    const auto pattern = SolidPicture(255, 255, 255);
    glViewport(0, 0, 600, 400);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-10, 50, 30, -10, -1, 1);  // 10 pixels a unit, the map from pixel (100, 100)
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    DrawFogOverlay(*fog, TViewRect{-10, -10, 50, 30}, pattern.get());
    EXPECT_TRUE(Near(ReadPixel(105, 395 - 105), {191, 191, 191})) << "inside the map";
    EXPECT_TRUE(Near(ReadPixel(95, 395 - 105), {0, 0, 0})) << "left of the map";
    EXPECT_TRUE(Near(ReadPixel(105, 399 - 95), {0, 0, 0})) << "above the map";
}

TEST_F(GlDrawing, MinimapFogIsAPlainVeilOnTheMapsPartOfTheSquare) {
    auto fog = ThreeBandFog();
    const auto background = SolidPicture(100, 100, 100);
    SetupOverlay(1024, 768);
    DrawMinimap(*fog, background.get(), 1024);
    const Rgb plain{70, 70, 70};  // the background at 0.7
    // The 40 x 20 map uses the middle half of the square in height (78..178).
    EXPECT_TRUE(Near(ReadPixel(40, 128), {209, 209, 209})) << "never seen";
    EXPECT_TRUE(Near(ReadPixel(128, 128), {139, 139, 139})) << "explored";
    EXPECT_TRUE(Near(ReadPixel(215, 128), plain)) << "watched";
    EXPECT_TRUE(Near(ReadPixel(40, 200), plain)) << "above the map, inside the square";
    EXPECT_TRUE(Near(ReadPixel(40, 50), plain)) << "below the map, inside the square";
    EXPECT_TRUE(Near(ReadPixel(40, 230), {0, 0, 0})) << "above the square";
    EXPECT_TRUE(Near(ReadPixel(26, 128), {0, 0, 0})) << "left of the square";
}

TEST_F(GlDrawing, InterfaceStripIsAQuarterOfTheWidthHigh) {
    const auto picture = SolidPicture(40, 80, 120);
    for (int width : {1024, 512}) {
        glClear(GL_COLOR_BUFFER_BIT);
        SetupOverlay(width, 768);
        DrawInterfaceStrip(picture.get(), width);
        EXPECT_TRUE(Near(ReadPixel(width - 1, 0), {40, 80, 120})) << width;
        EXPECT_TRUE(Near(ReadPixel(width / 2, width / 4 - 1), {40, 80, 120})) << width;
        EXPECT_TRUE(Near(ReadPixel(width / 2, width / 4), {0, 0, 0})) << width;
    }
}

namespace {

// A strip picture with stripes of colour and black (see-through) holes, so
// that filtering at odd widths gives edges of partial cover.
std::unique_ptr<TTextureImage> HoledStrip() {
    auto image = std::make_unique<TTextureImage>(64, 16, TPixelFormat::Bgra8);
    for (int y = 0; y < 16; ++y) {
        std::uint8_t* row = image->Row(y);
        for (int x = 0; x < 64; ++x) {
            const bool hole = (x / 5 + y / 3) % 3 == 0;
            row[4 * x + 0] = static_cast<std::uint8_t>(40 + 3 * x);
            row[4 * x + 1] = static_cast<std::uint8_t>(90 + 9 * y);
            row[4 * x + 2] = static_cast<std::uint8_t>(200 - 2 * x);
            row[4 * x + 3] = hole ? 0 : 255;
        }
    }
    image->Upload(true);
    return image;
}

// What a frame draws where the interface is not still: the main view's
// rows and the mini-scene's square, in colours of their own.
void DrawFrameContent(int width, int height) {
    glEnable(GL_SCISSOR_TEST);
    const TMainViewport view = MainViewport(width, height);
    glScissor(0, view.Rect.Y, width, height - view.Rect.Y);
    glClearColor(0.2f, 0.6f, 0.3f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const TPixelRect scene = MinisceneViewport(width);
    glScissor(scene.X, scene.Y, scene.Width, scene.Height);
    glClearColor(0.9f, 0.1f, 0.4f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.1f, 0.1f, 0.2f, 0);
}

// The minimap and the mini-scene shrink the same textures after the fog
// layer: it must leave their mipmapped min filter in place.
void ExpectMipmapsUsedAgain(std::initializer_list<TTextureImage*> images) {
    for (TTextureImage* image : images) {
        glBindTexture(GL_TEXTURE_2D, image->TextureObject());
        GLint filter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
        EXPECT_EQ(filter, GL_LINEAR_MIPMAP_LINEAR);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace

TEST_F(GlDrawing, StillAndMovingInterfaceGiveTheSamePixelsAsTheWholeInterface) {
    auto fog = ThreeBandFog();
    const auto background = SolidPicture(100, 150, 200);
    const auto strip = HoledStrip();
    for (const auto& [width, height] : {std::pair{1024, 768}, std::pair{696, 480}, std::pair{1000, 700}}) {
        // In one go, as a frame without the cache draws it.
        glClearColor(0.1f, 0.1f, 0.2f, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        DrawFrameContent(width, height);
        SetupOverlay(width, height);
        DrawMinimap(*fog, background.get(), width);
        DrawInterfaceStrip(strip.get(), width);
        const std::vector<std::uint8_t> whole = ReadFramePixels(width, height);

        // Split: the still part after the clear, the frame, the moving part.
        glClear(GL_COLOR_BUFFER_BIT);
        DrawStillInterface(fog->MapWidth, fog->MapHeight, background.get(), strip.get(), width, height);
        DrawFrameContent(width, height);
        SetupOverlay(width, height);
        DrawMovingInterface(*fog, background.get(), strip.get(), width, height);
        const std::vector<std::uint8_t> split = ReadFramePixels(width, height);

        ASSERT_EQ(whole.size(), split.size());
        std::size_t differing = 0;
        for (std::size_t i = 0; i < whole.size(); ++i) differing += whole[i] != split[i];
        EXPECT_EQ(differing, 0u) << width << "x" << height;
        EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));

        // The strip really is in both: without it, a large part differs.
        glClear(GL_COLOR_BUFFER_BIT);
        DrawFrameContent(width, height);
        SetupOverlay(width, height);
        DrawMinimap(*fog, background.get(), width);
        const std::vector<std::uint8_t> bare = ReadFramePixels(width, height);
        std::size_t stripPixels = 0;
        for (std::size_t i = 0; i + 3 < whole.size(); i += 4)
            stripPixels += whole[i] != bare[i] || whole[i + 1] != bare[i + 1] || whole[i + 2] != bare[i + 2];
        EXPECT_GT(stripPixels, static_cast<std::size_t>(width) * width / 8) << width;
    }
}

TEST_F(GlDrawing, SelectionRectangleOutlinedAndFilledWhenTranslucent) {
    for (bool translucent : {true, false}) {
        glClear(GL_COLOR_BUFFER_BIT);
        MapOrtho(40, 40);
        // A drag from (10, 20) to (4, 25) spans (4, 20)..(10, 25).
        DrawSelectionRect(TSelectionDrag{true, 10, 20, 4, 25}, translucent);
        const int top = 399 - 200, bottom = 399 - 250;
        EXPECT_TRUE(Near(ReadPixel(70, (top + bottom) / 2), translucent ? Rgb{0, 0, 64} : Rgb{0, 0, 0}))
            << "inside, translucent " << translucent;
        int outline = 0;
        for (int x = 38; x <= 42; ++x) outline += Near(ReadPixel(x, (top + bottom) / 2), {0, 128, 255}, 1) ? 1 : 0;
        EXPECT_GE(outline, 1) << "left edge near x = 4";
        EXPECT_TRUE(Near(ReadPixel(30, (top + bottom) / 2), {0, 0, 0})) << "outside";
    }
    glClear(GL_COLOR_BUFFER_BIT);
    DrawSelectionRect(TSelectionDrag{false, 10, 20, 4, 25}, true);
    EXPECT_TRUE(Near(ReadPixel(70, 399 - 225), {0, 0, 0})) << "nothing while not dragging";
}

TEST_F(GlDrawing, LayersLeaveTheStateTheySay) {
    auto fog = ThreeBandFog();
    const auto picture = SolidPicture(255, 255, 255);
    TViewValues view;
    SetupMainCamera(view, 1024, 768, 20, 10, 30, 12);
    auto enabledOnUnit = [](GLenum unit) {
        glActiveTexture(unit);
        const bool on = glIsEnabled(GL_TEXTURE_2D);
        glActiveTexture(GL_TEXTURE0);
        return on;
    };

    DrawBackground(picture.get(), view.ViewAngle);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    DrawFogOverlay(*fog, view.ViewRect, picture.get());
    EXPECT_FALSE(enabledOnUnit(GL_TEXTURE0));
    EXPECT_FALSE(enabledOnUnit(GL_TEXTURE1));
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));

    DrawSelectionRect(TSelectionDrag{true, 1, 2, 3, 4}, true);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));

    DrawFixedBeam(view.ViewMatrix, picture.get());
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    float texture[16];
    glGetFloatv(GL_TEXTURE_MATRIX, texture);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(texture[i], (i % 5 == 0) ? 1.0f : 0.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlDrawing, UnchangedFogKeepsItsTextureAndAChangeUploadsAgain) {
    auto fog = CreateFogTexture(40, 20);
    std::vector<std::uint16_t> sight(41 * 21, 0);
    WriteFog(*fog, sight.data(), 41);
    EXPECT_TRUE(fog->Changed) << "never uploaded";
    fog->Changed = false;
    WriteFog(*fog, sight.data(), 41);
    EXPECT_FALSE(fog->Changed) << "all 255 as created";
    sight[5 * 41 + 7] = 2;
    WriteFog(*fog, sight.data(), 41);
    EXPECT_TRUE(fog->Changed);
    EXPECT_EQ(fog->FogRows[5][7], 0);
    EXPECT_EQ(fog->FogRows[5][6], 255);
    fog->Changed = false;
    sight[5 * 41 + 7] = 1;
    WriteFog(*fog, sight.data(), 41);
    EXPECT_TRUE(fog->Changed);
    EXPECT_EQ(fog->FogRows[5][7], 127);
    // The column beyond the map (x = 40) is never read.
    fog->Changed = false;
    sight[5 * 41 + 40] = 3;
    WriteFog(*fog, sight.data(), 41);
    EXPECT_FALSE(fog->Changed);
}

TEST_F(GlDrawing, FogWithoutMipmapsWhereMagnifiedGivesTheSamePixelsAndKeepsTheFilters) {
    auto fog = ThreeBandFog();
    // A pattern with detail, so that filtering differences would show.
    auto pattern = std::make_unique<TTextureImage>(16, 16, TPixelFormat::Bgra8);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            std::uint8_t* p = pattern->Row(y) + x * 4;
            p[0] = static_cast<std::uint8_t>(x * 16), p[1] = static_cast<std::uint8_t>(y * 16);
            p[2] = static_cast<std::uint8_t>((x ^ y) * 16), p[3] = static_cast<std::uint8_t>(128 + x * 8);
        }
    pattern->Upload(true);
    TViewValues view;
    auto draw = [&](double groundStep) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SetupMainCamera(view, 1024, 768, 20, 10, 30, 12);
        DrawFogOverlay(*fog, view.ViewRect, pattern.get(), groundStep);
        return ReadFramePixels(1024, 768);
    };
    const auto mipmapped = draw(std::numeric_limits<double>::infinity());
    const double step = LargestGroundStep(view);
    ASSERT_TRUE(MagnifiedEverywhere(step, 1.0));
    ASSERT_TRUE(MagnifiedEverywhere(step, 1.6));  // the 16-texel pattern
    const auto plain = draw(step);
    EXPECT_TRUE(mipmapped == plain);
    ExpectMipmapsUsedAgain({fog->FogTexture.get(), pattern.get()});
    // Pixels the fog covers are not all alike: the comparison saw the layer.
    EXPECT_NE(std::count(plain.begin(), plain.end(), plain[4 * (300 * 1024 + 512)]), static_cast<long>(plain.size()));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlDrawing, FogDrawnBandByBandGivesTheSamePixelsAsTheWholeLayer) {
    // A map large enough to fill the view from afar, seen and unseen cells
    // in stripes.
    auto fog = CreateFogTexture(128, 128);
    std::vector<std::uint16_t> sight(128 * 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) sight[y * 128 + x] = static_cast<std::uint16_t>((x / 5 + y / 7) % 3);
    WriteFog(*fog, sight.data(), 128);
    fog->FogTexture->Upload(true);
    const auto pattern = orbitfall::testing::DetailedFogPattern();
    TViewValues view;
    auto draw = [&](bool banded) {
        glClearColor(0.1f, 0.1f, 0.2f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        // The main view lies above the strip: its scissor boxes start there.
        // From this distance the far rows shrink the pattern for the
        // renderer too, so a wrong choice of filter would show.
        SetupMainCamera(view, 1024, 768, 64, 64, 30, 20);
        if (banded) {
            // With the view: the far bands are cut into sides and middle.
            DrawFogOverlay(*fog, view.ViewRect, pattern.get(),
                           TGroundSteps{MainViewport(1024, 768).Rect, GroundStepBands(view, 16), &view});
        } else {
            DrawFogOverlay(*fog, view.ViewRect, pattern.get());
        }
        return ReadFramePixels(1024, 768);
    };
    const auto whole = draw(false);
    const auto bands = GroundStepBands(view, 16);
    ASSERT_FALSE(MagnifiedEverywhere(bands.front().Step, 25.6));
    ASSERT_TRUE(MagnifiedEverywhere(bands.back().Step, 25.6));
    // Some band is cut into sides and middle.
    const bool cut = std::any_of(bands.begin(), bands.end(), [&](const TGroundBand& band) {
        const int half = MagnifiedHalfWidth(view, band.FirstRow, band.EndRow, 25.6);
        return half > 0 && half < 512;
    });
    ASSERT_TRUE(cut);
    const auto banded = draw(true);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < whole.size(); ++i) differing += whole[i] != banded[i];
    EXPECT_EQ(differing, 0u);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    ExpectMipmapsUsedAgain({fog->FogTexture.get(), pattern.get()});
    // The layer reached both the far (top) and the near rows of the view:
    // the comparison saw what each band drew.
    const std::uint8_t* cleared = &whole[4 * (767 * 1024 + 5)];  // a strip pixel, below the view
    auto drawnInRows = [&](int first, int end) {
        int drawn = 0;
        for (int y = first; y < end; ++y)
            for (int x = 0; x < 1024; x += 8) drawn += !std::equal(cleared, cleared + 3, &banded[4 * (y * 1024 + x)]);
        return drawn;
    };
    EXPECT_GT(drawnInRows(0, bands.front().EndRow), 0);
    EXPECT_GT(drawnInRows(bands.back().FirstRow, bands.back().EndRow), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlDrawing, FogBandsThatMissRowsCountAsOneBand) {
    auto fog = ThreeBandFog();
    const auto pattern = SolidPicture(255, 255, 255);
    TViewValues view;
    SetupMainCamera(view, 1024, 768, 20, 10, 30, 12);
    auto bands = GroundStepBands(view, 16);
    bands.pop_back();  // the last rows left out: no scissor may hide them
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawFogOverlay(*fog, view.ViewRect, pattern.get(), TGroundSteps{MainViewport(1024, 768).Rect, bands});
    const auto partial = ReadFramePixels(1024, 768);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawFogOverlay(*fog, view.ViewRect, pattern.get());
    EXPECT_TRUE(partial == ReadFramePixels(1024, 768));
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}
