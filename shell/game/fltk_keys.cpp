#include "shell/game/fltk_keys.h"

#include <FL/Enumerations.H>

namespace orbitfall {

int VirtualKeyFromFltk(int k) {
    if (k >= 'a' && k <= 'z') return k - 'a' + 'A';
    if (k >= 'A' && k <= 'Z') return k;
    if (k >= '0' && k <= '9') return k;
    if (k > FL_F && k <= FL_F + 12) return VkFunction(k - FL_F);
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
        case FL_Enter: return VkReturn;
        case FL_Shift_L: case FL_Shift_R: return VkShift;
        case FL_Control_L: case FL_Control_R: return VkControl;
        default: return VkNone;
    }
}

}  // namespace orbitfall
