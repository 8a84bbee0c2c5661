#pragma once
// A unit: hit points, sight and the death sequence (destroyed, two more
// steps in the world, then marked dead).
#include <cstdint>

#include "simulation/game_object.h"

namespace orbitfall {

class Tunit : public TRegisteredObject {
public:
    using TRegisteredObject::TRegisteredObject;

    // The flags first: they fill the registered object's last bytes, and a
    // controlled unit then ends on a cache-line boundary (three lines).
    bool StampDetector = false;
    std::uint8_t StampOwner = 0;
    bool Alive = false;
    bool Detector = false;

    // What the unit's stamp has added to its owner's maps (with the two
    // flags above).
    float StampRange = 0;
    std::int32_t StampX = 0;
    std::int32_t StampY = 0;

    float HitPoints = 0;
    std::int32_t DeathDelay = 0;
    float SightRange = 0;

    void DoMove() override;
    void Die() override;
    void Init() override;
    using TRegisteredObject::AsUnit;
    Tunit* AsUnit() override { return this; }

    // A hit; power plays no part.
    void Damage(float damage, float power);

    void StampSight(int delta);
    void UpdateSight();
};

}  // namespace orbitfall
