#pragma once
// A unit of a catalogue type: accepts move orders, steers, keeps its distance
// from others and fires.
#include <cstdint>

#include "simulation/unit.h"

namespace orbitfall {

class TUnitTypeDescriptor;

class TControlledUnit : public Tunit {
public:
    TControlledUnit(TGame& game, std::uint8_t owner, TUnitTypeDescriptor* unitType);

    bool Ordered = false;
    float Bank = 0;
    double TargetX = 0;
    double TargetY = 0;
    std::int32_t Cooldown = 0;
    TUnitTypeDescriptor* UnitType = nullptr;  // owned by the game

    void DoDraw() override;
    void DoMove() override;
    void Init() override;

private:
    void Steer(double targetAngle);
    void Separate();
};

}  // namespace orbitfall
