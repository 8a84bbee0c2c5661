#pragma once
// The FLTK window that carries the game's one GL context. Subclasses (the game
// window) override handle() and draw() as FLTK allows; this class only owns
// the context: created on first MakeCurrent, dropped by DestroyContext or
// hide(), one buffer swap per SwapBuffers.
#include <string>

#include <FL/Fl_Gl_Window.H>

#include "platform/gl_surface.h"

namespace orbitfall {

class TGlWindow : public Fl_Gl_Window, public TGlSurface {
public:
    // Double-buffered RGBA, 8 bits a channel, with depth buffer.
    static constexpr int kGlMode = FL_RGB8 | FL_ALPHA | FL_DOUBLE | FL_DEPTH;

    TGlWindow(int width, int height, const char* title = nullptr);
    TGlWindow(int x, int y, int width, int height, const char* title = nullptr);
    ~TGlWindow() override;

    // Shows the window first if it is not shown yet. False, with nothing
    // shown and nothing printed, when no display or no GL context could be had.
    bool MakeCurrent() override;
    void DestroyContext() override;
    void SwapBuffers() override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    // Final: the context's owner switches through these, and a subclass's
    // method of the same name would be called in their place.
    void EnterFullscreen(int width, int height) final;
    void LeaveFullscreen() final;
    bool Fullscreen() const final;
    std::string DisplayName() const override;

    // FLTK's own flush path calls this when the window is exposed; the game
    // draws its frames from its timer, so nothing is drawn here by default.
    void draw() override;
};

}  // namespace orbitfall
