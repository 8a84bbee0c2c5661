#pragma once
// The weapon part of a controlled unit's step: cool-down, choice of target
// and firing. Only the first weapon of the unit's type and its first shot are
// used.
namespace orbitfall {

class TControlledUnit;

void WeaponStep(TControlledUnit& u);

}  // namespace orbitfall
