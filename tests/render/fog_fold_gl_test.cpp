// The fog layer drawn without its fog texture where the texels a piece
// samples are all alike: the pixels must be the very ones the two textures
// give together.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "render/camera.h"
#include "render/fog.h"
#include "render/fog_filter.h"
#include "render/interface_layout.h"
#include "render/screenshot.h"
#include "render/texture_image.h"
#include "tests/render/fog_pattern.h"
#include "tests/support/gl_test_window.h"

using namespace orbitfall;

namespace {

class FogFold : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(surface.Ready()) << "no GL context on the test display";
        glDisable(GL_CULL_FACE);
        pattern = orbitfall::testing::DetailedFogPattern();
    }

    std::unique_ptr<TFogOfWar> Fog(const std::function<std::uint16_t(int, int)>& sightAt) {
        auto fog = CreateFogTexture(128, 128);
        std::vector<std::uint16_t> sight(128 * 128);
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x) sight[y * 128 + x] = sightAt(x, y);
        WriteFog(*fog, sight.data(), 128);
        fog->FogTexture->Upload(true);
        return fog;
    }

    // The main view of a 1024 x 768 window over a backdrop with detail, the
    // fog layer drawn by `layer`; the frame's pixels, and in `folded` how
    // many pieces went without the fog texture.
    std::vector<std::uint8_t> Draw(const std::function<int(const TViewValues&)>& layer, int& folded) {
        glClearColor(0.1f, 0.3f, 0.2f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SetupMainCamera(view, 1024, 768, 64, 64, 30, 20);
        folded = layer(view);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return ReadFramePixels(1024, 768);
    }

    orbitfall::testing::GlTestWindow surface{1024, 768};
    std::unique_ptr<TTextureImage> pattern;
    TViewValues view;
};

std::size_t Differing(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

}  // namespace

TEST_F(FogFold, PiecesOfAlikeTexelsGiveTheSamePixelsAsBothTextures) {
    const std::vector<std::function<std::uint16_t(int, int)>> fields{
        // Never seen far off, explored and watched blocks nearer, stripes
        // of all three at the right.
        [](int x, int y) -> std::uint16_t {
            if (y < 48) return 0;
            if (x < 64) return 1;
            if (x < 100) return 3;
            return static_cast<std::uint16_t>((x / 3 + y / 5) % 3);
        },
        // Explored everywhere the view reaches, a watched spot far off.
        [](int x, int y) -> std::uint16_t { return x < 4 && y < 4 ? 2 : 1; },
        // Watched everywhere: the layer adds nothing.
        [](int, int) -> std::uint16_t { return 2; },
    };
    for (std::size_t i = 0; i < fields.size(); ++i) {
        SCOPED_TRACE(i);
        auto fog = Fog(fields[i]);
        int folded = -1;
        // With mipmaps everywhere nothing is folded: the reference picture.
        const auto both = Draw([&](const TViewValues& v) { return DrawFogOverlay(*fog, v.ViewRect, pattern.get()); },
                               folded);
        EXPECT_EQ(folded, 0);
        // As the main view draws it: no depth written, so pieces over
        // watched ground only may be left out altogether.
        const auto banded = Draw(
            [&](const TViewValues& v) {
                glDepthMask(GL_FALSE);
                const int n = DrawFogOverlay(*fog, v.ViewRect, pattern.get(),
                                             TGroundSteps{MainViewport(1024, 768).Rect, GroundStepBands(v, 16), &v});
                glDepthMask(GL_TRUE);
                return n;
            },
            folded);
        EXPECT_GT(folded, 0);
        EXPECT_EQ(Differing(both, banded), 0u);
        // The fog unit is left off, as the layer always leaves it.
        glActiveTexture(GL_TEXTURE0);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    }
}

TEST_F(FogFold, WholeLayerFoldsOnlyWhenEveryTexelOfTheQuadIsAlike) {
    // One step bound for the whole view that magnifies the fog (not the
    // pattern): the layer is one piece.
    auto explored = Fog([](int, int) -> std::uint16_t { return 1; });
    int folded = -1;
    const auto both = Draw([&](const TViewValues& v) { return DrawFogOverlay(*explored, v.ViewRect, pattern.get()); },
                           folded);
    double step = 0;
    const auto whole = Draw(
        [&](const TViewValues& v) {
            step = LargestGroundStep(v);
            return DrawFogOverlay(*explored, v.ViewRect, pattern.get(), step);
        },
        folded);
    ASSERT_TRUE(MagnifiedEverywhere(step, 1.0));
    EXPECT_EQ(folded, 1);
    EXPECT_EQ(Differing(both, whole), 0u);
    // One watched texel inside the quad keeps the fog texture.
    auto spotted = Fog([](int x, int y) -> std::uint16_t { return x == 64 && y == 64 ? 2 : 1; });
    Draw([&](const TViewValues& v) { return DrawFogOverlay(*spotted, v.ViewRect, pattern.get(), step); }, folded);
    EXPECT_EQ(folded, 0);
}

TEST_F(FogFold, WatchedGroundStillWritesDepthWhereTheLayerDoes) {
    // The mini-scene draws its layer with depth writes on: a piece over
    // watched ground only is drawn there, the depth buffer needs it.
    auto watched = Fog([](int, int) -> std::uint16_t { return 2; });
    int folded = -1;
    Draw(
        [&](const TViewValues& v) {
            return DrawFogOverlay(*watched, v.ViewRect, pattern.get(), LargestGroundStep(v));
        },
        folded);
    EXPECT_EQ(folded, 1);
    float depth = 1;
    glReadPixels(512, 400, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_LT(depth, 1.0f);
}
