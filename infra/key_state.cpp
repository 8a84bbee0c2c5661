#include "infra/key_state.h"

#include <array>

namespace orbitfall {

namespace {
std::array<bool, 256> keysDown{};

bool InTable(int virtualKey) { return virtualKey >= 0 && virtualKey < static_cast<int>(keysDown.size()); }
}  // namespace

bool IsKeyDown(int virtualKey, bool /*synchronous*/) { return InTable(virtualKey) && keysDown[virtualKey]; }

void SetKeyDown(int virtualKey, bool down) {
    if (InTable(virtualKey)) keysDown[virtualKey] = down;
}

void ReleaseAllKeys() { keysDown.fill(false); }

}  // namespace orbitfall
