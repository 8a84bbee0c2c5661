#pragma once
// A shown TGlWindow of a given client size with its context current, for GL
// tests under Xvfb. Without a usable display the construction fails the test
// with a message that says so (scripts/test.sh starts an Xvfb of its own).
//
//   TEST_F(GlTest, Something) { ... GL calls; Window().SwapBuffers(); }
// or, for another size:
//   GlTestWindow window(300, 200);  ASSERT_TRUE(window.Ready());
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gl_window.h"

namespace orbitfall::testing {

class GlTestWindow {
public:
    GlTestWindow(int width, int height);
    ~GlTestWindow();
    GlTestWindow(const GlTestWindow&) = delete;
    GlTestWindow& operator=(const GlTestWindow&) = delete;

    // True when the window is shown at its size and its context is current;
    // otherwise a test failure has been recorded already.
    bool Ready() const { return ready_; }
    TGlWindow& Window() { return *window_; }

    // RGBA bytes of the back buffer, rows bottom-up as GL gives them.
    std::vector<std::uint8_t> ReadBackBuffer(int x, int y, int width, int height) const;

private:
    std::unique_ptr<TGlWindow> window_;
    bool ready_ = false;
};

// Runs the FLTK loop until due events and the window's mapping are handled.
void PumpEvents(double seconds = 0.05);

// A gtest fixture with a 640 x 480 window; a suite wanting another size
// overrides WindowWidth/WindowHeight.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    virtual int WindowWidth() const { return 640; }
    virtual int WindowHeight() const { return 480; }
    TGlWindow& Window() { return window_->Window(); }
    GlTestWindow& TestWindow() { return *window_; }

private:
    std::unique_ptr<GlTestWindow> window_;
};

}  // namespace orbitfall::testing
