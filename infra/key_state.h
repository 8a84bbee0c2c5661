#pragma once
// Which keys are held down, as the game window last heard of them. The window
// feeds every key-down and key-up event in (the window framework's own held-key
// state does not follow synthetic events); the frame polls the arrow keys.
#include "infra/key_codes.h"

namespace orbitfall {

// Whether the key is down. synchronous: the state as of the event being
// processed; otherwise the latest known state. Both read the same table here,
// because every key event reaches it before anything else handles it.
bool IsKeyDown(int virtualKey, bool synchronous);

// A key-down (down true) or key-up event. Codes outside 0..255 are ignored.
void SetKeyDown(int virtualKey, bool down);
// Every key up (the window lost the keyboard, or it closed).
void ReleaseAllKeys();

}  // namespace orbitfall
