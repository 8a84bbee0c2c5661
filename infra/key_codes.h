#pragma once
// Every key the program speaks of, as the virtual-key codes the game uses
// throughout: the held-key table, the input handlers and their tests. The
// window framework's own codes are turned into these in one place
// (shell/game/fltk_keys.h). Letters and digits are their upper-case
// character codes ('A' = 65, '0' = 48); 0 stands for a key without a code.
namespace orbitfall {

inline constexpr int VkNone = 0;
inline constexpr int VkReturn = 13;
inline constexpr int VkShift = 16;
inline constexpr int VkControl = 17;
inline constexpr int VkEscape = 27;
inline constexpr int VkSpace = 32;
inline constexpr int VkEnd = 35;
inline constexpr int VkHome = 36;
inline constexpr int VkLeft = 37;
inline constexpr int VkUp = 38;
inline constexpr int VkRight = 39;
inline constexpr int VkDown = 40;
inline constexpr int VkAdd = 107;       // + on the keypad
inline constexpr int VkSubtract = 109;  // - on the keypad
inline constexpr int VkF1 = 112;        // F1..F12 are 112..123
inline constexpr int VkF11 = 122;
inline constexpr int VkF12 = 123;
inline constexpr int VkOemPlus = 187;   // the main block's "+" key ("=" on US layouts)
inline constexpr int VkOemMinus = 189;

// The code of a function key, F1 to F12.
constexpr int VkFunction(int n) { return VkF1 + n - 1; }

static_assert(VkFunction(11) == VkF11 && VkFunction(12) == VkF12);

}  // namespace orbitfall
