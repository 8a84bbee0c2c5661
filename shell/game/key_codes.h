#pragma once
// The window framework's key codes as the virtual-key codes the game uses.
namespace orbitfall {

inline constexpr int VkEscape = 27;
inline constexpr int VkSpace = 32;
inline constexpr int VkEnd = 35;
inline constexpr int VkHome = 36;
inline constexpr int VkF1 = 112;   // F1..F12 are 112..123
inline constexpr int VkF11 = 122;
inline constexpr int VkAdd = 107;       // + on the keypad
inline constexpr int VkSubtract = 109;  // - on the keypad
inline constexpr int VkOemPlus = 187;   // the main block's "+" key ("=" on US layouts)
inline constexpr int VkOemMinus = 189;

// Letters give their upper-case code ('A' = 65), digits theirs; 0 for keys
// the game has no code for.
int VirtualKeyFromFltk(int fltkKey);

}  // namespace orbitfall
