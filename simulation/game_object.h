#pragma once
// The first levels of the game-object hierarchy: an object of a game and a
// player (TGameObject), one with an identifier that is the same on every
// machine (TIdentifiedObject), and one linked into its owner's cell grid so
// that area queries find it (TRegisteredObject).
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "simulation/sprite.h"

namespace orbitfall {

class TGame;

class TGameObject : public TSprite {
public:
    // Construct through NewGameObject, which attaches the object to the
    // game's engine and runs Init.
    TGameObject(TGame& game, std::uint8_t owner);

    TGame* Game = nullptr;
    std::uint8_t Owner = 0;
    float Radius = 0;

    bool InDrawArea() override;
    float GetAlphaZPos() override;
    // Per-class set-up at the end of construction, most derived class last.
    virtual void Init() {}
    // The spot under the object is watched by one of player's units now
    // (what a player's screen and minimap show).
    virtual bool IsVisibleFor(std::uint8_t player);

    // Appends object as the engine's last child and runs its Init; an Init
    // that raises takes the object down again before the error passes on.
    static void Attach(std::unique_ptr<TGameObject> object);

protected:
    // The sight counter of player at the object's map unit, or at the
    // nearest one of the map when the object stands beyond its edge. For
    // drawing only.
    std::uint16_t SightHere(std::uint8_t player) const;
};

// Creates a game object of class T from args (T's constructor takes the game
// or an object of it), hands it to the game's engine and runs its Init.
template <class T, class... Args>
T& NewGameObject(Args&&... args) {
    auto owned = std::make_unique<T>(std::forward<Args>(args)...);
    T& object = *owned;
    TGameObject::Attach(std::move(owned));
    return object;
}

class TIdentifiedObject : public TGameObject {
public:
    // Takes the next identifier of the game's ObjectTable.
    TIdentifiedObject(TGame& game, std::uint8_t owner);
    ~TIdentifiedObject() override;

    std::int32_t Id = 0;
    bool Selected = false;

    void DoAlphaDraw() override;  // the selection ring
    void DoMove() override;
    bool NeedsAlphaDraw() override { return Selected; }
    std::string GetName() const override;
};

// Aligned to a cache line so that what the area queries read of every
// candidate (X, Y, Owner, Radius, the cell links and cell) shares the
// object's second line; the layout test pins it.
class alignas(64) TRegisteredObject : public TIdentifiedObject {
public:
    using TIdentifiedObject::TIdentifiedObject;
    ~TRegisteredObject() override;

    TRegisteredObject* NextInCell = nullptr;
    TRegisteredObject* PrevInCell = nullptr;
    std::int32_t CellX = 0;
    std::int32_t CellY = 0;
    bool Linked = false;

    void DoMove() override;

    void UpdateCell();
    void LinkCell();
    void UnlinkCell();
};

}  // namespace orbitfall
