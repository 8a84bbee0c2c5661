#pragma once
// The 14-frame animation left by a destroyed unit.
#include <cstdint>

#include "simulation/game_object.h"

namespace orbitfall {

class TExplosion : public TGameObject {
public:
    // Owner 0, at the destroyed unit's place and size.
    TExplosion(TGame& game, float x, float y, float radius);

    static constexpr std::int32_t FrameCount = 14;

    std::int32_t FrameIndex = 0;

    void DoAlphaDraw() override;
    void DoMove() override;
    bool NeedsAlphaDraw() override { return true; }
    void Init() override;
};

}  // namespace orbitfall
