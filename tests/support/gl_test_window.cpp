#include "tests/support/gl_test_window.h"

#include <chrono>
#include <cstdlib>

#include <FL/Fl.H>
#include <GL/gl.h>

namespace orbitfall::testing {

void PumpEvents(double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        Fl::wait(0.005);
    } while (std::chrono::steady_clock::now() < end);
}

GlTestWindow::GlTestWindow(int width, int height)
    : window_(std::make_unique<TGlWindow>(0, 0, width, height, "gl test")) {
    if (!window_->MakeCurrent()) {
        const char* display = std::getenv("DISPLAY");
        ADD_FAILURE() << "no GL window could be had on display \"" << (display ? display : "(DISPLAY unset)")
                      << "\": GL tests need an X server (scripts/test.sh starts Xvfb)";
        return;
    }
    // Let the server map the window before anything is drawn or read.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!window_->visible() && std::chrono::steady_clock::now() < end) Fl::wait(0.01);
    if (!window_->visible()) {
        ADD_FAILURE() << "the GL test window was not mapped within 5 s";
        return;
    }
    if (!window_->MakeCurrent()) {
        ADD_FAILURE() << "the GL context was lost after mapping the window";
        return;
    }
    if (window_->ClientWidth() != width || window_->ClientHeight() != height) {
        ADD_FAILURE() << "asked for " << width << "x" << height << ", got " << window_->ClientWidth() << "x"
                      << window_->ClientHeight();
        return;
    }
    glViewport(0, 0, width, height);
    ready_ = true;
}

GlTestWindow::~GlTestWindow() {
    window_->DestroyContext();
    window_->hide();
    Fl::check();
}

std::vector<std::uint8_t> GlTestWindow::ReadBackBuffer(int x, int y, int width, int height) const {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void GlTest::SetUp() {
    window_ = std::make_unique<GlTestWindow>(WindowWidth(), WindowHeight());
    ASSERT_TRUE(window_->Ready());
}

void GlTest::TearDown() { window_.reset(); }

}  // namespace orbitfall::testing
