#include "platform/gl_window.h"

#include <FL/Fl.H>
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
    if (fullscreen_active()) return;
    int sx = 0, sy = 0, sw = 0, sh = 0;
    Fl::screen_xywh(sx, sy, sw, sh, Fl::screen_num(x(), y(), w(), h()));
    // Without a window manager FLTK re-creates the X window to drop its
    // border; a context bound to the old one would be left dangling.
    DestroyContext();
    fullscreen();
    // The new X window covers the screen at once, but FLTK would learn its
    // size only from the server's next event: the context made next, and
    // the frame drawn next, would still see the old size.
    if (w() != sw || h() != sh) resize(sx, sy, sw, sh);
}

void TGlWindow::LeaveFullscreen() {
    if (!fullscreen_active()) return;
    DestroyContext();
    // FLTK kept the place and size from before full screen.
    fullscreen_off();
}

bool TGlWindow::Fullscreen() const { return fullscreen_active() != 0; }

std::string TGlWindow::DisplayName() const { return DesktopDisplayName(); }

void TGlWindow::draw() {}

}  // namespace orbitfall
