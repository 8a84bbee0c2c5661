#include "simulation/crystal_moon.h"

#include <cmath>

#include "simulation/draw_interface.h"
#include "simulation/game.h"

namespace orbitfall {

namespace {
constexpr double DegreesPerRadian = 57.295779513082320877;
// Sight counter of a spot explored earlier but watched by no unit now.
constexpr std::uint16_t ExploredOnly = 1;
}  // namespace

TCrystalMoon::TCrystalMoon(TGame& game) : TIdentifiedObject(game, 0) {}

void TCrystalMoon::Init() { Radius = 1.0f; }

void TCrystalMoon::DoMove() {
    TIdentifiedObject::DoMove();
    Angle = static_cast<float>(Angle - 0.01);

    TRegisteredObject* o = nullptr;
    while (Game->FindNextInCircle(o, AllPlayers, X, Y, PushRadius)) {
        const double dx = static_cast<double>(o->X) - X;
        const double dy = static_cast<double>(o->Y) - Y;
        const double distance = std::sqrt(dx * dx + dy * dy);
        // An object exactly at the centre has no direction to be pushed in.
        if (distance == 0) continue;
        const double f = PushRadius / distance;
        o->X = static_cast<float>(X + dx * f);
        o->Y = static_cast<float>(Y + dy * f);
    }
}

bool TCrystalMoon::IsVisibleFor(std::uint8_t player) { return SightHere(player) > 0; }

void TCrystalMoon::DoDraw() {
    TDrawContext& dc = Engine->DrawContext();
    const bool dimmed = SightHere(Game->LocalPlayerIndex) == ExploredOnly;
    dc.PushMatrix();
    dc.Translate(X, Y, 0);
    dc.Rotate(Angle * DegreesPerRadian, 0, 0, 1);
    if (Radius != 1) dc.Scale(Radius, Radius, Radius);
    dc.BindTexture(TSharedTexture::Moon);
    if (dimmed)
        dc.SetColor(0.5f, 0.5f, 0.5f, 1);
    else
        dc.SetColor(1, 1, 1, 1);
    dc.DrawSphere();
    dc.UnbindTexture(TSharedTexture::Moon);
    dc.PopMatrix();
}

void TCrystalMoon::DoAlphaDraw() {
    TDrawContext& dc = Engine->DrawContext();
    const bool dimmed = SightHere(Game->LocalPlayerIndex) == ExploredOnly;
    dc.BindTexture(TSharedTexture::Aura);
    dc.EnableBlending();
    if (dimmed)
        dc.SetColor(0.1f, 0.05f, 0.5f, 0.7f);
    else
        dc.SetColor(0.2f, 0.1f, 1.0f, 0.7f);
    dc.DrawHalo(X, Y, 0, 1.6 * Radius);
}

}  // namespace orbitfall
