// The backdrop cache on a real context: a copied frame is the drawn one to
// the byte, depth is cleared either way, and every input of the picture
// (size, tilt, switches, context) draws it anew.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "render/backdrop.h"
#include "render/opengl_setup.h"
#include "tests/support/gl_test_window.h"

namespace orbitfall {
namespace {

constexpr int kWidth = 320, kHeight = 240;

// A perspective quad with a mipmapped, filtered gradient: pixels that
// depend on rasterisation details, as the star bands do.
class Scene {
public:
    Scene() {
        std::vector<std::uint8_t> texels(64 * 64 * 3);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                std::uint8_t* t = &texels[(y * 64 + x) * 3];
                t[0] = static_cast<std::uint8_t>(x * 4);
                t[1] = static_cast<std::uint8_t>(y * 4);
                t[2] = static_cast<std::uint8_t>((x ^ y) * 4);
            }
        glGenTextures(1, &texture_);
        glBindTexture(GL_TEXTURE_2D, texture_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 64, 64, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    ~Scene() { glDeleteTextures(1, &texture_); }

    void Draw() {
        ++draws;
        glClearColor(0.1f, 0.1f, 0.2f, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glFrustum(-1, 1, -0.75, 0.75, 1, 20);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture_);
        glColor3f(0.5f, 0.5f, 0.5f);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0); glVertex3f(-3, -1, -1.5f);
        glTexCoord2f(5, 0); glVertex3f(3, -1, -1.5f);
        glTexCoord2f(5, 7); glVertex3f(3, -1, -18);
        glTexCoord2f(0, 7); glVertex3f(-3, -1, -18);
        glEnd();
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
    }

    int draws = 0;

private:
    GLuint texture_ = 0;
};

std::vector<std::uint8_t> Pixels(const orbitfall::testing::GlTestWindow& window) {
    return window.ReadBackBuffer(0, 0, kWidth, kHeight);
}

float DepthAt(int x, int y) {
    float depth = -1;
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return depth;
}

// What later layers of a frame leave behind: other colours, written depth.
void Scribble() {
    glClearColor(1, 0, 0, 1);
    glClearDepth(0.25);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearDepth(1);
}

class Backdrop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.Ready());
        ASSERT_TRUE(HasFramebufferObjects()) << "the test display's driver has no framebuffer objects";
        scene = std::make_unique<Scene>();
    }
    void TearDown() override {
        backdrop.Free();
        scene.reset();
    }
    TBackdropKey Key() const { return {kWidth, kHeight, 30, true, true, nullptr, ContextGeneration()}; }
    void Present(const TBackdropKey& key) {
        backdrop.Present(key, [this] { scene->Draw(); });
    }

    orbitfall::testing::GlTestWindow window{kWidth, kHeight};
    std::unique_ptr<Scene> scene;
    TBackdrop backdrop;
};

TEST_F(Backdrop, ACopiedFrameIsTheDrawnOneByteForByteWithDepthCleared) {
    Present(Key());
    EXPECT_FALSE(backdrop.LastFromCache());
    const std::vector<std::uint8_t> drawn = Pixels(window);

    for (int frame = 0; frame < 3; ++frame) {
        Scribble();
        Present(Key());
        EXPECT_TRUE(backdrop.LastFromCache());
        EXPECT_EQ(Pixels(window), drawn) << "frame " << frame;
        EXPECT_EQ(DepthAt(kWidth / 2, kHeight / 2), 1.0f);
        EXPECT_EQ(DepthAt(0, kHeight - 1), 1.0f);
    }
    EXPECT_EQ(scene->draws, 1);
    // Not a picture of one colour: the copy must carry the filtered quad.
    std::uint8_t lowest = 255, highest = 0;
    for (std::size_t i = 0; i < drawn.size(); i += 4) {
        lowest = std::min(lowest, drawn[i]);
        highest = std::max(highest, drawn[i]);
    }
    EXPECT_GT(highest - lowest, 40);
}

TEST_F(Backdrop, EveryInputOfThePictureDrawsItAnew) {
    Present(Key());
    TBackdropKey key = Key();
    key.Tilt = 45;
    Present(key);
    EXPECT_FALSE(backdrop.LastFromCache());
    key.Background = false;
    Present(key);
    key.Miniscene = false;
    Present(key);
    key.Picture = &key;
    Present(key);
    EXPECT_EQ(scene->draws, 5);
    Present(key);
    EXPECT_TRUE(backdrop.LastFromCache());
    EXPECT_EQ(scene->draws, 5);

    // A context made since: the cached one's objects are gone with the old one.
    key.Context = ContextGeneration() + 1;
    Present(key);
    EXPECT_FALSE(backdrop.LastFromCache());
    EXPECT_EQ(scene->draws, 6);
}

TEST_F(Backdrop, AWindowWithoutPixelsIsDrawnEveryTimeAndNeverCached) {
    TBackdropKey key = Key();
    key.Width = 0;
    Present(key);
    Present(key);
    EXPECT_FALSE(backdrop.LastFromCache());
    EXPECT_EQ(scene->draws, 2);
    // The next real size is cached as usual.
    Present(Key());
    Present(Key());
    EXPECT_TRUE(backdrop.LastFromCache());
    EXPECT_EQ(scene->draws, 3);
}

}  // namespace
}  // namespace orbitfall
