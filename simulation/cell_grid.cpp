// Cell lists of the registered objects and the area queries over them.
#include "simulation/game.h"
#include "simulation/game_object.h"
#include "infra/errors.h"
#include "simulation/map_units.h"

namespace orbitfall {

void TRegisteredObject::UpdateCell() {
    const std::int32_t cx = FloorToInt(static_cast<double>(X) / Game->CellSize);
    const std::int32_t cy = FloorToInt(static_cast<double>(Y) / Game->CellSize);
    if (Linked && cx == CellX && cy == CellY) return;
    UnlinkCell();
    CellX = cx;
    CellY = cy;
    LinkCell();
}

void TRegisteredObject::LinkCell() {
    TRegisteredObject*& head = Game->PlayerAt(Owner).Grid(CellX, CellY);
    NextInCell = head;
    if (head) head->PrevInCell = this;
    PrevInCell = nullptr;
    head = this;
    Linked = true;
    Game->cellPlayers_[static_cast<std::size_t>(CellY) * Game->CellCols + CellX] |=
        static_cast<TPlayerMask>(1u << Owner);
}

void TRegisteredObject::UnlinkCell() {
    if (PrevInCell) PrevInCell->NextInCell = NextInCell;
    if (NextInCell) NextInCell->PrevInCell = PrevInCell;
    if (Linked) {
        TRegisteredObject*& head = Game->PlayerAt(Owner).Grid(CellX, CellY);
        if (head == this) {
            head = NextInCell;
            if (head == nullptr)
                Game->cellPlayers_[static_cast<std::size_t>(CellY) * Game->CellCols + CellX] &=
                    static_cast<TPlayerMask>(~(1u << Owner));
        }
    }
    NextInCell = nullptr;
    PrevInCell = nullptr;
    Linked = false;
}

// The cell scan shared by the queries: the head of the first non-empty cell
// at or after (player, col, row) in query order, or nullptr. A caller
// continuing after an object passes that object's owner and the cell after
// its own, exactly as a fresh scan from the cursor would.
TRegisteredObject* TGame::FirstHeadFrom(std::int32_t player, std::int32_t col, std::int32_t row,
                                        std::int32_t left, std::int32_t top, std::int32_t right,
                                        std::int32_t bottom, TPlayerMask mask) const {
    if (left < 0 || top < 0 || right >= CellCols || bottom >= CellRows) throw ERangeError();
    if (left > right || top > bottom) return nullptr;
    const std::int32_t lastPlayer = PlayerCount < 15 ? PlayerCount : 15;
    for (; player <= lastPlayer; ++player, col = left, row = top) {
        if ((mask & (1u << player)) == 0) continue;
        const TPlayer& p = *Players[player];
        for (; row <= bottom; ++row, col = left) {
            for (; col <= right; ++col) {
                if (TRegisteredObject* head = p.GridHead(col, row)) return head;
            }
        }
    }
    return nullptr;
}

bool TGame::FindNextInCells(TRegisteredObject*& cursor, std::int32_t left, std::int32_t top,
                            std::int32_t right, std::int32_t bottom, TPlayerMask mask) const {
    if (cursor == nullptr) {
        cursor = FirstHeadFrom(0, left, top, left, top, right, bottom, mask);
    } else if (cursor->NextInCell) {
        cursor = cursor->NextInCell;
    } else {
        cursor = FirstHeadFrom(cursor->Owner, cursor->CellX + 1, cursor->CellY, left, top, right, bottom, mask);
    }
    return cursor != nullptr;
}

// The circle and box queries walk the candidates themselves instead of
// calling FindNextInCells once per candidate: within one call the centre,
// and so the cell rectangle, is fixed, and the candidates are visited in
// exactly the order FindNextInCells would hand them out. After a cell's list
// the walk goes on with the next cell itself instead of re-deriving the
// place from the list's last object: every object in the list of player p's
// cell (col, row) has Owner p, CellX col and CellY row, because LinkCell puts
// it there by exactly those fields and only UpdateCell changes the cell,
// relinking. Only the first object inside the shape is returned, as before.
template <class Inside>
bool TGame::WalkCandidates(TRegisteredObject*& cursor, std::int32_t left, std::int32_t top,
                           std::int32_t right, std::int32_t bottom, TPlayerMask mask,
                           const Inside& inside) const {
    std::int32_t player = 0;
    std::int32_t col = left;
    std::int32_t row = top;
    if (cursor) {
        const TRegisteredObject* last = cursor;
        for (TRegisteredObject* o = cursor->NextInCell; o; o = o->NextInCell) {
            if (inside(*o)) {
                cursor = o;
                return true;
            }
            last = o;
        }
        player = last->Owner;
        col = last->CellX + 1;
        row = last->CellY;
    }
    if (left < 0 || top < 0 || right >= CellCols || bottom >= CellRows) throw ERangeError();
    if (left <= right && top <= bottom) {
        const std::int32_t lastPlayer = PlayerCount < 15 ? PlayerCount : 15;
        // Every player after the one a continuation resumes in is scanned
        // over the rectangle's cells only, so one without an object in any
        // of them would yield nothing and is passed over. The resumed
        // player starts at the cell after the cursor's, which need not lie
        // in this call's rectangle: it is scanned as before.
        std::uint32_t present = cursor ? 1u << player : 0u;
        for (std::int32_t r = top; r <= bottom; ++r) {
            const TPlayerMask* cells = &cellPlayers_[static_cast<std::size_t>(r) * CellCols];
            for (std::int32_t c = left; c <= right; ++c) present |= cells[c];
        }
        const std::uint32_t visit = mask & present;
        for (; player <= lastPlayer; ++player, col = left, row = top) {
            if ((visit >> player) == 0) break;
            if ((visit & (1u << player)) == 0) continue;
            const TPlayer& p = *Players[player];
            for (; row <= bottom; ++row, col = left) {
                for (; col <= right; ++col) {
                    for (TRegisteredObject* o = p.GridHead(col, row); o; o = o->NextInCell) {
                        if (inside(*o)) {
                            cursor = o;
                            return true;
                        }
                    }
                }
            }
        }
    }
    cursor = nullptr;
    return false;
}

bool TGame::FindNextInCircle(TRegisteredObject*& cursor, TPlayerMask mask, double x, double y,
                             double radius) const {
    // A caller walking the neighbours of a unit asks again and again with the
    // same centre (it moves only when something was pushed): the rectangle,
    // a pure function of centre, radius and grid, is kept from the last call.
    TCircleCells& c = lastCircle_;
    if (!(c.X == x && c.Y == y && c.Radius == radius && c.CellSize == CellSize && c.Cols == CellCols &&
          c.Rows == CellRows))
        CircleCells(c, x, y, radius);
    const double r2 = radius * radius;
    return WalkCandidates(cursor, c.Left, c.Top, c.Right, c.Bottom, mask, [&](const TRegisteredObject& o) {
        const double dx = o.X - x;
        const double dy = o.Y - y;
        return dx * dx + dy * dy <= r2;
    });
}

namespace {
// FloorClamped(v, low, high) for low <= 0 < cells <= high + 1: inside
// [0, cells) truncation is floor and no bound applies; elsewhere the
// general function decides.
inline std::int32_t CellIndex(double v, std::int32_t cells, std::int32_t low, std::int32_t high) {
    if (v >= 0 && v < cells) return static_cast<std::int32_t>(v);
    return FloorClamped(v, low, high);
}
}  // namespace

void TGame::CircleCells(TCircleCells& c, double x, double y, double radius) const {
    c.Left = CellIndex((x - radius) / CellSize, CellCols, 0, CellCols);
    c.Top = CellIndex((y - radius) / CellSize, CellRows, 0, CellRows);
    c.Right = CellIndex((x + radius) / CellSize, CellCols, -1, CellCols - 1);
    c.Bottom = CellIndex((y + radius) / CellSize, CellRows, -1, CellRows - 1);
    c.X = x;
    c.Y = y;
    c.Radius = radius;
    c.CellSize = CellSize;
    c.Cols = CellCols;
    c.Rows = CellRows;
}

// The calls of FindNextInCircle in one loop: the same walk with the same
// continuation from the last object found, and the rectangle recomputed
// only when the centre has moved (it is a pure function of the centre).
void TGame::ForEachInCircle(TPlayerMask mask, const TSprite& centre, double radius,
                            void (*visit)(void*, TRegisteredObject&), void* context) const {
    TCircleCells c;
    double x = centre.X;
    double y = centre.Y;
    CircleCells(c, x, y, radius);
    const double r2 = radius * radius;
    auto inside = [&](const TRegisteredObject& o) {
        const double dx = o.X - x;
        const double dy = o.Y - y;
        return dx * dx + dy * dy <= r2;
    };
    TRegisteredObject* cursor = nullptr;
    while (WalkCandidates(cursor, c.Left, c.Top, c.Right, c.Bottom, mask, inside)) {
        visit(context, *cursor);
        if (centre.X != x || centre.Y != y) {
            x = centre.X;
            y = centre.Y;
            CircleCells(c, x, y, radius);
        }
    }
}

bool TGame::FindNextInBox(TRegisteredObject*& cursor, TPlayerMask mask, double x1, double y1,
                          double x2, double y2) const {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    const std::int32_t left = FloorClamped(x1 / CellSize, 0, CellCols);
    const std::int32_t top = FloorClamped(y1 / CellSize, 0, CellRows);
    const std::int32_t right = FloorClamped(x2 / CellSize, -1, CellCols - 1);
    const std::int32_t bottom = FloorClamped(y2 / CellSize, -1, CellRows - 1);
    return WalkCandidates(cursor, left, top, right, bottom, mask, [&](const TRegisteredObject& o) {
        return x1 <= o.X && o.X <= x2 && y1 <= o.Y && o.Y <= y2;
    });
}

}  // namespace orbitfall
