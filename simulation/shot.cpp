#include "simulation/shot.h"

#include "simulation/controlled_unit.h"
#include "simulation/draw_interface.h"
#include "simulation/game.h"
#include "simulation/unit.h"

namespace orbitfall {

namespace {
constexpr double DegreesPerRadian = 57.295779513082320877;
}

TShot::TShot(TControlledUnit& shooter, Tunit& target, float speed, const TDamageDesc& damage)
    : TGameObject(*shooter.Game, shooter.Owner), DamageInfo(damage), TargetId(target.Id) {
    Speed = speed;
    X = shooter.X;
    Y = shooter.Y;
}

void TShot::DoMove() {
    TIdentifiedObject* object = Game->ObjectById(TargetId);
    Tunit* target = object != nullptr ? object->AsUnit() : nullptr;
    if (target == nullptr) {
        MarkDead();
        return;
    }
    const double dx = static_cast<double>(target->X) - X;
    const double dy = static_cast<double>(target->Y) - Y;
    const double step = Speed;
    if (dx * dx + dy * dy >= step * step) {
        MoveBy(step, AngleToSprite(*target));
        return;
    }
    // A target that is already dying still takes the hit; Die ignores it.
    target->Damage(DamageInfo.Armor.Damage, DamageInfo.Armor.Power);
    MarkDead();
}

void TShot::DoDraw() {
    TDrawContext& dc = Engine->DrawContext();
    const TViewRect& view = dc.ViewRect();
    if (X < view.Left || X > view.Right || Y < view.Top || Y > view.Bottom) return;
    dc.PushMatrix();
    dc.Translate(X, Y, 0);
    dc.Rotate(Angle * DegreesPerRadian, 0, 0, 1);
    dc.DrawShotModel();
    dc.PopMatrix();
}

}  // namespace orbitfall
