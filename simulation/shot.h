#pragma once
// A homing shot: flies at its target's current position and takes hit points
// off it on arrival. It names its target by Id, so a target freed while the
// shot is under way is simply gone.
#include <cstdint>

#include "simulation/game_object.h"
#include "simulation/unit_type.h"

namespace orbitfall {

class TControlledUnit;
class Tunit;

class TShot : public TGameObject {
public:
    // Starts at the shooter's position, for the shooter's owner. Construct
    // through NewGameObject: the shot first moves in the step after this one.
    TShot(TControlledUnit& shooter, Tunit& target, float speed, const TDamageDesc& damage);

    TDamageDesc DamageInfo;
    std::int32_t TargetId = 0;

    void DoDraw() override;
    void DoMove() override;
};

}  // namespace orbitfall
