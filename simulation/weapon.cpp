#include "simulation/weapon.h"

#include "simulation/controlled_unit.h"
#include "simulation/game.h"
#include "simulation/shot.h"
#include "simulation/unit_type.h"

namespace orbitfall {

void WeaponStep(TControlledUnit& u) {
    if (u.Cooldown > 0) --u.Cooldown;
    if (u.Cooldown != 0) return;

    TUnitTypeDescriptor& type = *u.UnitType;
    if (type.Weapons.empty() || type.Weapons[0].Shots.empty()) return;
    TWeaponDesc& weapon = type.Weapons[0];
    TShotDesc& shot = weapon.Shots[0];

    // Only the first object of the query counts: which one that is follows
    // the query's fixed order (lowest player first), the same on every machine.
    const TPlayerMask enemies = static_cast<TPlayerMask>(AllPlayers & ~(1u << u.Owner));
    TRegisteredObject* found = nullptr;
    if (!u.Game->FindNextInCircle(found, enemies, u.X, u.Y, weapon.Range)) return;
    auto* target = found->AsUnit();
    // A dying unit found first blocks firing for this step.
    if (target == nullptr || !target->Alive) return;

    u.Game->PlayerAt(u.Owner).ReportEvent(2, 10, u.X + (static_cast<double>(target->X) - u.X) * 0.5,
                                          u.Y + (static_cast<double>(target->Y) - u.Y) * 0.5);
    u.Cooldown = weapon.CoolDown;
    // Whatever the units file says, every shot fired takes 1.0 off its target.
    shot.Damage.Armor.Damage = 1.0f;
    NewGameObject<TShot>(u, *target, 1.0f, shot.Damage);
}

}  // namespace orbitfall
