#include "simulation/controlled_unit.h"

#include <algorithm>
#include <cmath>

#include "infra/angles.h"
#include "infra/errors.h"
#include "simulation/draw_interface.h"
#include "simulation/game.h"
#include "simulation/unit_type.h"
#include "simulation/weapon.h"

namespace orbitfall {

namespace {
constexpr double DegreesPerRadian = 57.295779513082320877;
constexpr double MaxTurnPerStep = 0.2;
constexpr double SeparationRadius = 2.0;
}  // namespace

TControlledUnit::TControlledUnit(TGame& game, std::uint8_t owner, TUnitTypeDescriptor* unitType)
    : Tunit(game, owner) {
    UnitType = unitType;
}

void TControlledUnit::Init() {
    Tunit::Init();
    if (UnitType == nullptr) throw Exception("ControlledUnit create without TypeDescriptor");
    SightRange = UnitType->SightRange;
    Radius = UnitType->Radius;
}

void TControlledUnit::DoDraw() {
    TDrawContext& dc = Engine->DrawContext();
    dc.PushMatrix();
    dc.Translate(X, Y, Z);
    dc.Rotate(Angle * DegreesPerRadian, 0, 0, 1);
    dc.Rotate(-Bank * DegreesPerRadian, 1, 0, 0);
    dc.DrawUnitModel();
    dc.PopMatrix();
}

void TControlledUnit::DoMove() {
    if (!Alive) {
        Tunit::DoMove();
        return;
    }
    const TUnitTypeDescriptor& t = *UnitType;
    // Both from the position before anything moves. Only a unit with an
    // order reads them, and both are pure functions of the position, so a
    // unit without one (most of a battle's units once they arrived) skips
    // the arc tangent.
    double a = 0;
    double dist = 0;
    if (Ordered) {
        a = AngleTo(TargetX, TargetY);
        const double ex = TargetX - X;
        const double ey = TargetY - Y;
        dist = std::sqrt(ex * ex + ey * ey);
    }

    if (Ordered) {
        Speed = Speed + t.Acc;
        if (Speed > t.MaxSpeed) Speed = t.MaxSpeed;
        // The braking curve: never faster than the unit can stop within dist.
        Speed = static_cast<float>(std::min<double>(Speed, std::sqrt(2 * dist * t.DeAcc)));
        if (dist <= Speed) {
            Ordered = false;
            Speed = 0;
            X = static_cast<float>(TargetX);
            Y = static_cast<float>(TargetY);
            Game->PlayerAt(Owner).ReportEvent(1, 5, X, Y);
        }
    }
    if (Ordered) Steer(a);
    Separate();
    WeaponStep(*this);
    Tunit::DoMove();
}

void TControlledUnit::Steer(double targetAngle) {
    const TUnitTypeDescriptor& t = *UnitType;
    RotateTowards(targetAngle, MaxTurnPerStep);
    const double d = NormalizeAngle(targetAngle - Angle);
    double bankTarget;
    if (std::fabs(d) < 0.0001)
        bankTarget = 0;
    else if (d > 0)
        bankTarget = t.BankLimit;
    else
        bankTarget = -t.BankLimit;
    Bank = static_cast<float>(TurnTowards(Bank, bankTarget, 0.1 * t.BankLimit));
    // Along the new heading, not straight at the target: units fly curves.
    MoveForward(Speed);
}

void TControlledUnit::Separate() {
    // The centre is re-read after every neighbour: this unit moves as it is
    // pushed.
    Game->ForEachInCircle(AllPlayers, *this, SeparationRadius, [this](TRegisteredObject& other) {
        TRegisteredObject* o = &other;
        if (o == this) return;
        const double ox = o->X - static_cast<double>(X);
        const double oy = o->Y - static_cast<double>(Y);
        const double q = ox * ox + oy * oy;
        const double s = static_cast<double>(Radius) + o->Radius;
        // Most neighbours in the circle are too far apart to touch. Beyond
        // s + 0.001 by the squared distance, sqrt(q) + 0.0001 exceeds s
        // whatever the last bits of either rounding, so the pair would be
        // passed over below: the square root is not needed to know it.
        if (q > (s + 0.001) * (s + 0.001)) return;
        const double d = std::sqrt(q) + 0.0001;
        if (s < d) return;
        const double k = (s - d) / 2;
        // The small offsets part two units on the same spot diagonally.
        const double dx = (ox + 0.00001) / d * k;
        const double dy = (oy + 0.00001) / d * k;
        X = static_cast<float>(X - dx);
        Y = static_cast<float>(Y - dy);
        o->X = static_cast<float>(o->X + dx);
        o->Y = static_cast<float>(o->Y + dy);
    });
}

}  // namespace orbitfall
