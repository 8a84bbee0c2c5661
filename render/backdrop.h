#pragma once
// The part of a frame that only the window's size, the camera's tilt, the
// detail switches, the map's size and the pictures change: the cleared
// buffer with the mini-scene's and the main view's star band, and the
// interface's still part. It is drawn once into an offscreen framebuffer and
// copied into every frame after. The two bands cover nearly the whole window
// with a filtered texture; drawing them anew every frame took a third of the
// frame on a software renderer, the copy takes a small part of that.
#include <cstdint>
#include <functional>
#include <optional>

namespace orbitfall {

// Everything the backdrop's pixels depend on.
struct TBackdropKey {
    int Width = 0;
    int Height = 0;
    std::int32_t Tilt = 0;
    bool Miniscene = false;
    bool Background = false;
    const void* Picture = nullptr;
    unsigned Context = 0;  // a new context has none of the old one's objects
    // The interface's still part (the strip below the main view and the
    // minimap's picture) is kept with the bands.
    const void* Interface = nullptr;
    std::int32_t MapWidth = 0;
    std::int32_t MapHeight = 0;

    bool operator==(const TBackdropKey&) const = default;
};

class TBackdrop {
public:
    TBackdrop() = default;
    // Frees the framebuffer; the context it was made in must be current.
    ~TBackdrop();
    TBackdrop(const TBackdrop&) = delete;
    TBackdrop& operator=(const TBackdrop&) = delete;

    // Leaves the backdrop in the back buffer and the depth buffer cleared.
    // `draw` draws the backdrop, clearing included, with whatever cameras it
    // needs; it runs when the cache holds another key, and every frame where
    // the driver has no framebuffer objects.
    void Present(const TBackdropKey& key, const std::function<void()>& draw);

    // True when the last Present copied from the cache instead of drawing
    // into the frame (for tests).
    bool LastFromCache() const { return lastFromCache_; }

    // Frees the framebuffer now (before the context goes).
    void Free();

private:
    bool Allocate(int width, int height);

    unsigned framebuffer_ = 0;
    unsigned colour_ = 0;
    unsigned context_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::optional<TBackdropKey> key_;
    bool unsupported_ = false;
    bool lastFromCache_ = false;
};

// True when the current context can draw into framebuffer objects and copy
// between them.
bool HasFramebufferObjects();

}  // namespace orbitfall
