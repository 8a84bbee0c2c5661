#include "shell/game/key_codes.h"

#include <FL/Enumerations.H>

#include "infra/key_state.h"

namespace orbitfall {

int VirtualKeyFromFltk(int k) {
    if (k >= 'a' && k <= 'z') return k - 'a' + 'A';
    if (k >= 'A' && k <= 'Z') return k;
    if (k >= '0' && k <= '9') return k;
    if (k > FL_F && k <= FL_F + 12) return VkF1 + (k - FL_F - 1);
    switch (k) {
        case FL_Left: return VkLeft;
        case FL_Up: return VkUp;
        case FL_Right: return VkRight;
        case FL_Down: return VkDown;
        case FL_Home: return VkHome;
        case FL_End: return VkEnd;
        case FL_Escape: return VkEscape;
        case ' ': return VkSpace;
        // The key itself, unshifted: "+" is Shift and "=" on US layouts, a
        // key of its own on others.
        case '+': case '=': return VkOemPlus;
        case '-': return VkOemMinus;
        case FL_KP + '+': return VkAdd;
        case FL_KP + '-': return VkSubtract;
        case FL_Enter: return 13;
        case FL_Shift_L: case FL_Shift_R: return 16;
        case FL_Control_L: case FL_Control_R: return 17;
        default: return 0;
    }
}

}  // namespace orbitfall
