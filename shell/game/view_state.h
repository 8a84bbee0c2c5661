#pragma once
// The local view of the game window: what input changes and drawing reads.
// Owned by the window; nothing of it reaches the simulation.
#include <array>
#include <cstdint>

namespace orbitfall {

struct TViewState {
    std::int32_t CameraTilt = 30;      // degrees; the wheel steps it through 0..60
    std::int32_t CameraDistance = 12;  // Home and End step it through 5..30
    // A left-button drag that will select units, in map coordinates.
    bool Selecting = false;
    std::array<double, 2> SelectStart{};
    std::array<double, 2> SelectEnd{};
};

}  // namespace orbitfall
