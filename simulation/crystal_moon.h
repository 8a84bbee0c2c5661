#pragma once
// A spinning crystal moon placed at the start. It has an Id but is not in
// any cell grid, so no query finds it; it pushes every unit out of the
// 1.5-unit circle around its centre.
#include <cstdint>

#include "simulation/game_object.h"

namespace orbitfall {

class TCrystalMoon : public TIdentifiedObject {
public:
    static constexpr double PushRadius = 1.5;

    // Owner 0; StartUnits places it.
    explicit TCrystalMoon(TGame& game);

    void DoDraw() override;
    void DoAlphaDraw() override;
    void DoMove() override;
    bool NeedsAlphaDraw() override { return true; }
    void Init() override;
    bool IsVisibleFor(std::uint8_t player) override;
};

}  // namespace orbitfall
