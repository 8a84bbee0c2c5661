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
}

void TRegisteredObject::UnlinkCell() {
    if (PrevInCell) PrevInCell->NextInCell = NextInCell;
    if (NextInCell) NextInCell->PrevInCell = PrevInCell;
    if (Linked) {
        TRegisteredObject*& head = Game->PlayerAt(Owner).Grid(CellX, CellY);
        if (head == this) head = NextInCell;
    }
    NextInCell = nullptr;
    PrevInCell = nullptr;
    Linked = false;
}

bool TGame::FindNextInCells(TRegisteredObject*& cursor, std::int32_t left, std::int32_t top,
                            std::int32_t right, std::int32_t bottom, TPlayerMask mask) const {
    std::int32_t player = 0;
    std::int32_t col = left;
    std::int32_t row = top;
    if (cursor) {
        if (cursor->NextInCell) {
            cursor = cursor->NextInCell;
            return true;
        }
        player = cursor->Owner;
        col = cursor->CellX + 1;
        row = cursor->CellY;
    }
    if (left < 0 || top < 0 || right >= CellCols || bottom >= CellRows) throw ERangeError();
    if (left <= right && top <= bottom) {
        const std::int32_t lastPlayer = PlayerCount < 15 ? PlayerCount : 15;
        for (; player <= lastPlayer; ++player, col = left, row = top) {
            if ((mask & (1u << player)) == 0) continue;
            const TPlayer& p = *Players[player];
            for (; row <= bottom; ++row, col = left) {
                for (; col <= right; ++col) {
                    if (TRegisteredObject* head = p.GridHead(col, row)) {
                        cursor = head;
                        return true;
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
    const std::int32_t left = FloorClamped((x - radius) / CellSize, 0, CellCols);
    const std::int32_t top = FloorClamped((y - radius) / CellSize, 0, CellRows);
    const std::int32_t right = FloorClamped((x + radius) / CellSize, -1, CellCols - 1);
    const std::int32_t bottom = FloorClamped((y + radius) / CellSize, -1, CellRows - 1);
    const double r2 = radius * radius;
    while (FindNextInCells(cursor, left, top, right, bottom, mask)) {
        const double dx = cursor->X - x;
        const double dy = cursor->Y - y;
        if (dx * dx + dy * dy <= r2) return true;
    }
    return false;
}

bool TGame::FindNextInBox(TRegisteredObject*& cursor, TPlayerMask mask, double x1, double y1,
                          double x2, double y2) const {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    const std::int32_t left = FloorClamped(x1 / CellSize, 0, CellCols);
    const std::int32_t top = FloorClamped(y1 / CellSize, 0, CellRows);
    const std::int32_t right = FloorClamped(x2 / CellSize, -1, CellCols - 1);
    const std::int32_t bottom = FloorClamped(y2 / CellSize, -1, CellRows - 1);
    while (FindNextInCells(cursor, left, top, right, bottom, mask)) {
        if (x1 <= cursor->X && cursor->X <= x2 && y1 <= cursor->Y && cursor->Y <= y2) return true;
    }
    return false;
}

}  // namespace orbitfall
