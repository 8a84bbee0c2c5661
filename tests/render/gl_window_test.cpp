// The GL window of the platform layer on a real context (Mesa under Xvfb).
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <GL/gl.h>
#include <GL/glx.h>

#include <cstdint>
#include <vector>

#include "tests/support/gl_test_window.h"

namespace orbitfall {
namespace {

using testing::GlTest;
using testing::GlTestWindow;
using testing::PumpEvents;

TEST_F(GlTest, ContextHasTheRequiredFormat) {
    GLint red = 0, green = 0, blue = 0, alpha = 0, depth = 0;
    GLboolean doubleBuffer = GL_FALSE;
    glGetIntegerv(GL_RED_BITS, &red);
    glGetIntegerv(GL_GREEN_BITS, &green);
    glGetIntegerv(GL_BLUE_BITS, &blue);
    glGetIntegerv(GL_ALPHA_BITS, &alpha);
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffer);
    EXPECT_EQ(red, 8);
    EXPECT_EQ(green, 8);
    EXPECT_EQ(blue, 8);
    EXPECT_EQ(alpha, 8);
    EXPECT_GE(depth, 24);
    EXPECT_EQ(doubleBuffer, GL_TRUE);
}

struct ClearCase {
    float r, g, b, a;
    std::uint8_t expected[4];
};

TEST_F(GlTest, ClearReadsBackEveryPixel) {
    // The game's clear colour, a half-transparent one (the alpha channel is
    // real) and the extremes.
    const ClearCase cases[] = {
        {0.1f, 0.1f, 0.2f, 0.0f, {26, 26, 51, 0}},
        {1.0f, 0.0f, 0.0f, 0.5f, {255, 0, 0, 128}},
        {0.0f, 1.0f, 1.0f, 1.0f, {0, 255, 255, 255}},
        {0.0f, 0.0f, 0.0f, 0.0f, {0, 0, 0, 0}},
    };
    for (const ClearCase& c : cases) {
        glClearColor(c.r, c.g, c.b, c.a);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const std::vector<std::uint8_t> pixels = TestWindow().ReadBackBuffer(0, 0, 640, 480);
        std::size_t wrong = 0;
        for (std::size_t i = 0; i < pixels.size(); i += 4) {
            for (int k = 0; k < 4; ++k) {
                if (pixels[i + k] != c.expected[k]) {
                    ++wrong;
                    break;
                }
            }
        }
        EXPECT_EQ(wrong, 0u) << "clear " << c.r << " " << c.g << " " << c.b << " " << c.a << ": first pixel "
                             << int(pixels[0]) << " " << int(pixels[1]) << " " << int(pixels[2]) << " "
                             << int(pixels[3]);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(GlTest, DestroyContextLeavesNoneCurrentAndTheNextIsFresh) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    ASSERT_EQ(glIsTexture(texture), GL_TRUE);

    Window().DestroyContext();
    EXPECT_EQ(glXGetCurrentContext(), nullptr);
    Window().DestroyContext();   // twice is harmless

    ASSERT_TRUE(Window().MakeCurrent());
    EXPECT_NE(glXGetCurrentContext(), nullptr);
    // Names of the old context mean nothing in the new one.
    EXPECT_EQ(glIsTexture(texture), GL_FALSE);
}

TEST_F(GlTest, SwapWithoutContextDoesNothing) {
    Window().DestroyContext();
    Window().SwapBuffers();
    EXPECT_EQ(glXGetCurrentContext(), nullptr);
}

TEST(GlWindow, TwoSizesGiveTheirClientAreas) {
    for (const auto& [w, h] : {std::pair{320, 200}, std::pair{1024, 768}}) {
        GlTestWindow window(w, h);
        ASSERT_TRUE(window.Ready());
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], w);
        EXPECT_EQ(viewport[3], h);
        // The far corner pixel exists and reads back the clear.
        glClearColor(0, 1, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        const auto corner = window.ReadBackBuffer(w - 1, h - 1, 1, 1);
        EXPECT_EQ(corner, (std::vector<std::uint8_t>{0, 255, 0, 255}));
    }
}

TEST_F(GlTest, FullscreenCoversTheScreenAndTakesANewContext) {
    Window().EnterFullscreen(1024, 768);
    PumpEvents();
    ASSERT_TRUE(Window().MakeCurrent());
    EXPECT_EQ(Window().ClientWidth(), Fl::w());
    EXPECT_EQ(Window().ClientHeight(), Fl::h());
    EXPECT_NE(Window().fullscreen_active(), 0u);
    EXPECT_EQ(Window().x(), 0);
    EXPECT_EQ(Window().y(), 0);

    glViewport(0, 0, Window().ClientWidth(), Window().ClientHeight());
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const auto corner = TestWindow().ReadBackBuffer(Fl::w() - 1, Fl::h() - 1, 1, 1);
    EXPECT_EQ(corner, (std::vector<std::uint8_t>{255, 255, 255, 255}));
}

// The game window derives from TGlWindow and draws in draw(), where FLTK has
// the context current; a screenshot is read from the back buffer there.
class TDrawingWindow : public TGlWindow {
public:
    using TGlWindow::TGlWindow;
    void draw() override {
        ++draws;
        contextCurrent = glXGetCurrentContext() != nullptr;
        glViewport(0, 0, w(), h());
        glClearColor(0, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        pixel.resize(4);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(w() / 2, h() / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
    }
    int handle(int event) override {
        if (event == FL_KEYDOWN) {
            ++keys;
            return 1;
        }
        return TGlWindow::handle(event);
    }
    int draws = 0;
    int keys = 0;
    bool contextCurrent = false;
    std::vector<std::uint8_t> pixel;
};

TEST(GlWindow, SubclassDrawsWithItsContextCurrentAndGetsEvents) {
    TDrawingWindow window(0, 0, 200, 100, "draw test");
    ASSERT_TRUE(window.MakeCurrent()) << "GL tests need an X display (scripts/test.sh starts Xvfb)";
    window.redraw();
    for (int i = 0; i < 100 && window.draws == 0; ++i) PumpEvents(0.01);
    ASSERT_GT(window.draws, 0);
    EXPECT_TRUE(window.contextCurrent);
    EXPECT_EQ(window.pixel, (std::vector<std::uint8_t>{0, 0, 255, 255}));

    Fl::focus(&window);
    EXPECT_EQ(Fl::handle(FL_KEYDOWN, &window), 1);
    EXPECT_EQ(window.keys, 1);
    window.DestroyContext();
    window.hide();
}

}  // namespace
}  // namespace orbitfall
