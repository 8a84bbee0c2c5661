#include "platform/gl_window.h"

#include <GL/glx.h>

#include "platform/desktop_display.h"

namespace orbitfall {

TGlWindow::TGlWindow(int width, int height, const char* title) : Fl_Gl_Window(width, height, title) {
    mode(kGlMode);
}

TGlWindow::TGlWindow(int x, int y, int width, int height, const char* title)
    : Fl_Gl_Window(x, y, width, height, title) {
    mode(kGlMode);
}

TGlWindow::~TGlWindow() = default;

bool TGlWindow::MakeCurrent() {
    if (!OpenDesktopDisplay()) return false;
    // Without a visual of this mode show() would only print an error and
    // leave the window unshown.
    if (!can_do()) return false;
    if (!shown()) {
        show();
        if (!shown()) return false;
    }
    make_current();
    return context() != nullptr && glXGetCurrentContext() != nullptr;
}

void TGlWindow::DestroyContext() {
    if (context() != nullptr) context(nullptr, 1);
}

void TGlWindow::SwapBuffers() {
    if (shown() && context() != nullptr) swap_buffers();
}

int TGlWindow::ClientWidth() const { return w(); }

int TGlWindow::ClientHeight() const { return h(); }

void TGlWindow::EnterFullscreen(int, int) {
    // Without a window manager FLTK re-creates the X window to drop its
    // border; a context bound to the old one would be left dangling.
    DestroyContext();
    fullscreen();
}

std::string TGlWindow::DisplayName() const { return DesktopDisplayName(); }

void TGlWindow::draw() {}

}  // namespace orbitfall
