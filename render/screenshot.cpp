#include "render/screenshot.h"

#include <GL/gl.h>

#include <cstring>

namespace orbitfall {

std::vector<std::uint8_t> ReadFramePixels(int w, int h) {
    std::vector<std::uint8_t> bottomUp(static_cast<std::size_t>(w) * h * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<std::uint8_t> topDown(bottomUp.size());
    const std::size_t stride = static_cast<std::size_t>(w) * 4;
    for (int y = 0; y < h; ++y)
        std::memcpy(&topDown[y * stride], &bottomUp[static_cast<std::size_t>(h - 1 - y) * stride], stride);
    return topDown;
}

}  // namespace orbitfall
