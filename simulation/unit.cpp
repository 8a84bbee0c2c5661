#include "simulation/unit.h"

#include "simulation/explosion.h"
#include "simulation/game.h"

namespace orbitfall {

void Tunit::Init() {
    HitPoints = 10.0f;
    Alive = true;
}

void Tunit::DoMove() {
    TRegisteredObject::DoMove();
    if (Alive) {
        UpdateSight();
    } else if (DeathDelay == 0) {
        MarkDead();
    } else {
        --DeathDelay;
    }
}

void Tunit::Die() {
    // Two hits in one step, or a shot arriving at a dying unit, destroy it once.
    if (!Alive || IsDead) return;
    Game->PlayerAt(Owner).ReportEvent(3, 10, X, Y);
    StampSight(-1);
    NewGameObject<TExplosion>(*Game, X, Y, Radius);
    Alive = false;
    DeathDelay = 2;
}

void Tunit::Damage(float damage, float /*power*/) {
    HitPoints = HitPoints - damage;
    if (HitPoints <= 0) Die();
}

}  // namespace orbitfall
