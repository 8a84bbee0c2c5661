#pragma once
// The picture of the current frame, read from the back buffer before the swap.
#include <cstdint>
#include <vector>

namespace orbitfall {

// RGBA bytes of the client area, the top row first.
std::vector<std::uint8_t> ReadFramePixels(int clientWidth, int clientHeight);

}  // namespace orbitfall
