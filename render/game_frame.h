#pragma once
// What one frame draws, in its fixed order: the fog texture, the star bands
// (through the backdrop cache), the mini-scene, the main view with its
// objects, fog, selection and beam, then the interface. Presenting the
// picture is the caller's (a screenshot is read between the two).
#include <cstdint>
#include <string>

#include "render/world_layers.h"

namespace orbitfall {

class TGame;
struct TFogOfWar;
class TBackdrop;
struct TSettings;

// The view state of the window that drawing reads.
struct TFrameDrawState {
    std::int32_t CameraTilt = 30;
    std::int32_t CameraDistance = 12;
    TSelectionDrag Drag;
};

// Sets the Selected flag of the local player's selected objects (the one
// thing drawing writes into the world) and draws everything but the swap.
void DrawGameFrame(TGame& game, TFogOfWar& fog, TBackdrop& backdrop, const TSettings& settings, const TFrameDrawState& state,
                   int clientWidth, int clientHeight);

// The graphics library's text for the pending error code (which it clears).
std::string PendingGlErrorText();

}  // namespace orbitfall
