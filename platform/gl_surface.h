#pragma once
// The window a GL context lives on, as the renderer sees it: no window
// framework types cross this line.
#include <string>

namespace orbitfall {

class TGlSurface {
public:
    virtual ~TGlSurface() = default;
    // Makes the window's context current on this thread, creating it on first
    // use (double-buffered RGBA, 8 bits a channel, 24 depth bits or more).
    // Returns false when no display or no GL context could be had.
    virtual bool MakeCurrent() = 0;
    // Drops the context (the next MakeCurrent creates a new one).
    virtual void DestroyContext() = 0;
    virtual void SwapBuffers() = 0;
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;
    // Maximised, borderless, covering the screen. May drop the context (the
    // window can be re-created): make it current again afterwards.
    virtual void EnterFullscreen(int width, int height) = 0;
    // Back to the bordered window at the place and size it had before
    // EnterFullscreen; nothing when not in full screen. Drops the context
    // like EnterFullscreen.
    virtual void LeaveFullscreen() = 0;
    virtual bool Fullscreen() const = 0;
    // The display the surface is shown on, for error messages ("" if unknown).
    virtual std::string DisplayName() const { return {}; }
};

}  // namespace orbitfall
