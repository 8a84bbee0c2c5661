#pragma once
// The root of one running game: the sprite engine with every game object,
// the players, the unit-type catalogue and the map size; the step, the
// commands, the checksum and the area queries.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "simulation/player.h"
#include "simulation/sprite.h"
#include "simulation/unit_type.h"

namespace orbitfall {

class TIdentifiedObject;
class TRegisteredObject;
class TUnitCatalogueCache;
struct TCommand;

// Player masks of the area queries: bit i stands for player i.
using TPlayerMask = std::uint16_t;
inline constexpr TPlayerMask AllPlayers = 0xFFFF;

class TGame {
public:
    // Loads "Units\Units.ofu" and "maps\" + mapName + ".ofm" through the data
    // folders, the units through catalogues when given. Draws from the shared
    // generator (nebula colours); every machine seeds it identically before.
    TGame(const std::string& mapName, std::uint8_t playerCount, std::uint8_t localIndex,
          TUnitCatalogueCache* catalogues = nullptr);
    ~TGame();
    TGame(const TGame&) = delete;
    TGame& operator=(const TGame&) = delete;

    // Declared before Engine on purpose: members are destroyed in reverse
    // order, and dying objects still unlink from the players' grids and clear
    // their ObjectTable entries, also when construction fails half-way.
    TUnitTypeList UnitTypes;
    std::vector<std::unique_ptr<TPlayer>> Players;  // 0 is neutral
    std::vector<TIdentifiedObject*> ObjectTable;   // by Id; entry 0 stays empty
    std::unique_ptr<TSpriteEngine> Engine;
    std::uint8_t CellSize = 10;
    std::uint8_t LocalPlayerIndex = 0;
    std::uint8_t PlayerCount = 0;
    TPlayer* LocalPlayer = nullptr;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t CellCols = 0;
    std::int32_t CellRows = 0;
    std::int32_t Frame = 0;

    void ExecuteCommand(const TCommand& command);
    // Whether ExecuteCommand would take the command rather than stop the
    // game with a range error (a host checks what its clients send).
    bool AcceptsCommand(const TCommand& command) const;
    void Move();
    void Dead();
    std::uint32_t Checksum() const;

    // Object by Id, nullptr for a freed one; ERangeError for an Id never given.
    TIdentifiedObject* ObjectById(std::int32_t id) const;
    // Player by index; ERangeError outside 0..PlayerCount.
    TPlayer& PlayerAt(std::int32_t index) const;

    // Area queries. Start with cursor nullptr and call again with the cursor
    // as left: true with the next object in the cursor, or false with nullptr.
    // Order: players ascending, cells top to bottom and left to right, within
    // a cell the most recently linked first. It decides which enemy is shot
    // at and in which order overlapping units are pushed apart.
    bool FindNextInCells(TRegisteredObject*& cursor, std::int32_t left, std::int32_t top,
                         std::int32_t right, std::int32_t bottom, TPlayerMask mask) const;
    bool FindNextInCircle(TRegisteredObject*& cursor, TPlayerMask mask, double x, double y,
                          double radius) const;
    bool FindNextInBox(TRegisteredObject*& cursor, TPlayerMask mask, double x1, double y1,
                       double x2, double y2) const;
    // visit(object) for each object of the walk FindNextInCircle gives from
    // a nil cursor when every call passes centre's current position (visit
    // may move centre and the objects found; it must not relink any).
    template <class Visit>
    void ForEachInCircle(TPlayerMask mask, const TSprite& centre, double radius, Visit&& visit) const {
        using V = std::remove_reference_t<Visit>;
        ForEachInCircle(mask, centre, radius,
                        [](void* v, TRegisteredObject& o) { (*static_cast<V*>(v))(o); }, &visit);
    }
    void ForEachInCircle(TPlayerMask mask, const TSprite& centre, double radius,
                         void (*visit)(void*, TRegisteredObject&), void* context) const;

    // Players with an object linked in cell (col, row), bit i for player i.
    // LinkCell and UnlinkCell keep it, so that a query passes over the
    // players absent from its rectangle without reading their cells.
    TPlayerMask PlayersInCell(std::int32_t col, std::int32_t row) const {
        return cellPlayers_[static_cast<std::size_t>(row) * CellCols + col];
    }

    // Half-widths of the sight disc of range r by row offset 0..floor(r):
    // every unit of a type shares one table.
    const std::vector<std::int32_t>& DiscHalfWidths(float r) const;

    // The spots a sight stamp of range r > 0 changes when it moves by one
    // map unit or less in each direction, far from the map's edges: per
    // move (index (dy + 1) * 3 + dx + 1), runs of columns relative to the
    // old centre, in the order the stamp update visits them.
    struct TStampRun {
        std::int32_t Dy, First, Last, Delta;
    };
    using TStampMoves = std::vector<std::vector<TStampRun>>;
    const TStampMoves& StampMoveRuns(float r) const;

private:
    friend class TRegisteredObject;
    // CellCols x (CellRows + 1), row-major, as the players' grids.
    std::vector<TPlayerMask> cellPlayers_;
    TRegisteredObject* FirstHeadFrom(std::int32_t player, std::int32_t col, std::int32_t row,
                                     std::int32_t left, std::int32_t top, std::int32_t right,
                                     std::int32_t bottom, TPlayerMask mask) const;
    template <class Inside>
    bool WalkCandidates(TRegisteredObject*& cursor, std::int32_t left, std::int32_t top,
                        std::int32_t right, std::int32_t bottom, TPlayerMask mask,
                        const Inside& inside) const;
    // The cell rectangle of the latest circle query and what it was made from.
    struct TCircleCells {
        double X = 0, Y = 0, Radius = -1;
        std::int32_t CellSize = -1, Cols = -1, Rows = -1;
        std::int32_t Left = 0, Top = 0, Right = -1, Bottom = -1;
    };
    mutable TCircleCells lastCircle_;
    void CircleCells(TCircleCells& c, double x, double y, double radius) const;
    // Scratch marks by Id for the selection commands; all zero between calls.
    std::uint8_t& Mark(std::int32_t id);
    std::vector<std::uint8_t> selectionMarks_;
    // A deque: tables handed out stay in place when another range is added.
    mutable std::deque<std::pair<float, std::vector<std::int32_t>>> discHalfWidths_;
    mutable std::deque<std::pair<float, TStampMoves>> stampMoves_;
    // file names the map in load errors.
    void LoadMapFile(TXMLItem& root, const std::string& file);
};

// Places every player's initial ships and the two crystal moons; run once,
// after the game exists and before the first frame.
void StartUnits(TGame& game);

}  // namespace orbitfall
