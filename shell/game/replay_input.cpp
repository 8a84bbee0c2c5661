#include "shell/game/replay_input.h"

#include "control/playback_speed.h"
#include "infra/key_codes.h"

namespace orbitfall {

void TReplayInput::KeyDown(int key, bool ctrl, bool shift) {
    if (key == VkSpace) speed_.TogglePause();
    else if (key == VkOemPlus || key == VkAdd) speed_.Faster();
    else if (key == VkOemMinus || key == VkSubtract) speed_.Slower();
    else {
        gameInput_.KeyDown(key, ctrl, shift);
        return;
    }
    if (changed_) changed_();
}

}  // namespace orbitfall
