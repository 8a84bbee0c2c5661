#pragma once
// FLTK's key codes as the game's virtual-key codes (infra/key_codes.h).
#include "infra/key_codes.h"

namespace orbitfall {

// Letters give their upper-case code ('A' = 65), digits theirs; VkNone for
// keys the game has no code for.
int VirtualKeyFromFltk(int fltkKey);

}  // namespace orbitfall
