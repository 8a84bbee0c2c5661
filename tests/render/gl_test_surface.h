#pragma once
// A shown GL window whose context is current, for drawing tests.
#include <FL/Fl.H>

#include "platform/gl_window.h"

namespace orbitfall::testing {

class GlTestSurface {
public:
    GlTestSurface(int w, int h) : window_(0, 0, w, h, "test") {
        window_.show();
        Fl::check();
        ready_ = window_.MakeCurrent();
    }
    bool Ready() const { return ready_; }
    TGlWindow& Surface() { return window_; }

private:
    class TDrawlessWindow : public TGlWindow {
    public:
        using TGlWindow::TGlWindow;
        void draw() override {}
    };
    TDrawlessWindow window_;
    bool ready_ = false;
};

}  // namespace orbitfall::testing
