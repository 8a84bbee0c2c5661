#include "simulation/game_object.h"

#include <algorithm>

#include "infra/checked.h"
#include "simulation/draw_interface.h"
#include "simulation/game.h"
#include "simulation/map_units.h"

namespace orbitfall {

TGameObject::TGameObject(TGame& game, std::uint8_t owner) : Game(&game), Owner(owner) {}

void TGameObject::Attach(std::unique_ptr<TGameObject> object) {
    TGameObject& o = *object;
    o.Game->Engine->AddChild(std::move(object));
    try {
        o.Init();
    } catch (...) {
        o.Destroy();
        throw;
    }
}

bool TGameObject::InDrawArea() {
    const TViewRect& r = Engine->DrawContext().ViewRect();
    if (r.Left - Radius > X || r.Top - Radius > Y || r.Right + Radius < X || r.Bottom + Radius < Y)
        return false;
    return IsVisibleFor(Game->LocalPlayerIndex);
}

float TGameObject::GetAlphaZPos() {
    return static_cast<float>(ViewDepth(Engine->DrawContext(), X, Y, Z));
}

std::uint16_t TGameObject::SightHere(std::uint8_t player) const {
    // Separation can push a unit its own step had clamped a little beyond
    // the edge; what is drawn of it is decided by the nearest spot of the
    // map. The simulation never asks here, so its positions stay as they are.
    const TPlayer& maps = Game->PlayerAt(player);
    const std::int32_t x = FloorClamped(X, 0, std::max(0, Game->Width - 1));
    const std::int32_t y = FloorClamped(Y, 0, std::max(0, Game->Height - 1));
    return maps.SightMap(x, y);
}

bool TGameObject::IsVisibleFor(std::uint8_t player) { return SightHere(player) > 1; }

TIdentifiedObject::TIdentifiedObject(TGame& game, std::uint8_t owner) : TGameObject(game, owner) {
    Id = CheckedNarrow<std::int32_t>(game.ObjectTable.size());
    game.ObjectTable.push_back(this);
}

TIdentifiedObject::~TIdentifiedObject() {
    auto& table = Game->ObjectTable;
    if (static_cast<std::size_t>(Id) < table.size() && table[Id] == this) table[Id] = nullptr;
}

void TIdentifiedObject::DoAlphaDraw() {
    TDrawContext& dc = Engine->DrawContext();
    const TPlayer& owner = Game->PlayerAt(Owner);
    dc.SetColorBytes(owner.ColorR, owner.ColorG, owner.ColorB, 180);
    dc.EnableBlending();
    dc.BindTexture(TSharedTexture::Selection);
    dc.DrawBillboard(X, Y, Z, Radius);
    dc.UnbindTexture(TSharedTexture::Selection);
    dc.DisableBlending();
}

void TIdentifiedObject::DoMove() { Selected = false; }

std::string TIdentifiedObject::GetName() const {
    return "Object" + std::to_string(Id) + ":" + ClassName();
}

TRegisteredObject::~TRegisteredObject() {
    if (Linked) UnlinkCell();
}

void TRegisteredObject::DoMove() {
    // Keeps floor(X) below Width, so every map and grid index stays valid.
    if (X < 0) X = 0;
    if (Y < 0) Y = 0;
    if (X > Game->Width - 0.001) X = static_cast<float>(Game->Width - 0.001);
    if (Y > Game->Height - 0.001) Y = static_cast<float>(Game->Height - 0.001);
    UpdateCell();
    TIdentifiedObject::DoMove();
}

}  // namespace orbitfall
