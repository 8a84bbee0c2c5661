// Cell lists of the registered objects and the area queries over them.
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "simulation/game.h"
#include "simulation/game_object.h"
#include "infra/errors.h"
#include "simulation/map_units.h"

namespace orbitfall {

namespace {

// The highest index below end whose position lies in the circle of squared
// radius r2 around (x, y), or -1. The test is (ox - x)^2 + (oy - y)^2 <= r2
// in double from the single positions, the same operations in the same
// order whether done one candidate at a time or two at once in SSE2 lanes
// (no fused multiply-add there), so both give the same answer bit for bit.
inline std::int32_t LastInCircle(const TCellEntries& list, std::int32_t end, double x, double y, double r2) {
    std::int32_t i = end - 1;
    const float* xs = list.X.data();
    const float* ys = list.Y.data();
#if defined(__SSE2__)
    const __m128d cx = _mm_set1_pd(x);
    const __m128d cy = _mm_set1_pd(y);
    const __m128d limit = _mm_set1_pd(r2);
    for (; i >= 1; i -= 2) {
        // Lanes: low = candidate i - 1, high = candidate i.
        const __m128 px = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(xs + i - 1)));
        const __m128 py = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(ys + i - 1)));
        const __m128d dx = _mm_sub_pd(_mm_cvtps_pd(px), cx);
        const __m128d dy = _mm_sub_pd(_mm_cvtps_pd(py), cy);
        const __m128d q = _mm_add_pd(_mm_mul_pd(dx, dx), _mm_mul_pd(dy, dy));
        const int inside = _mm_movemask_pd(_mm_cmple_pd(q, limit));
        if (inside & 2) return i;
        if (inside & 1) return i - 1;
    }
#endif
    for (; i >= 0; --i) {
        const double dx = xs[i] - x;
        const double dy = ys[i] - y;
        if (dx * dx + dy * dy <= r2) return i;
    }
    return -1;
}

}  // namespace

void TRegisteredObject::UpdateCell() {
    const std::int32_t cx = FloorToInt(static_cast<double>(X) / Game->CellSize);
    const std::int32_t cy = FloorToInt(static_cast<double>(Y) / Game->CellSize);
    if (Linked && cx == CellX && cy == CellY) {
        PositionChanged();
        return;
    }
    UnlinkCell();
    CellX = cx;
    CellY = cy;
    LinkCell();
}

void TRegisteredObject::LinkCell() {
    TPlayer& player = Game->PlayerAt(Owner);
    TRegisteredObject*& head = player.Grid(CellX, CellY);
    // An object linked twice without unlinking would appear twice in the
    // list's mirror but once in the list.
    if (CellList) UnlinkEntry();
    NextInCell = head;
    if (head) head->PrevInCell = this;
    PrevInCell = nullptr;
    head = this;
    Linked = true;
    // The list grows at its head, the entries at their end: the entries
    // stay the list reversed.
    CellList = &player.CellEntries(CellX, CellY);
    CellSlot = static_cast<std::int32_t>(CellList->Size());
    CellList->PushBack(X, Y, this);
    ++player.LinkedCount;
}

void TRegisteredObject::UnlinkEntry() {
    TCellEntries& list = *CellList;
    // Erasing in place keeps the order of the others, as unlinking does.
    list.Erase(static_cast<std::size_t>(CellSlot));
    for (std::size_t i = static_cast<std::size_t>(CellSlot); i < list.Size(); ++i)
        list.Objects[i]->CellSlot = static_cast<std::int32_t>(i);
    CellList = nullptr;
    CellSlot = -1;
    --Game->PlayerAt(Owner).LinkedCount;
}

void TRegisteredObject::UnlinkCell() {
    if (PrevInCell) PrevInCell->NextInCell = NextInCell;
    if (NextInCell) NextInCell->PrevInCell = PrevInCell;
    if (Linked) {
        TRegisteredObject*& head = Game->PlayerAt(Owner).Grid(CellX, CellY);
        if (head == this) head = NextInCell;
    }
    if (CellList) UnlinkEntry();
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
//
// A cell's list is read from its entries, back to front: they hold the same
// objects in reverse order (LinkCell and UnlinkCell change both alike), with
// positions that are the objects' own at every query (PositionChanged and
// TGame::CellEntriesCurrent), so the shape tests give the same answers.
template <class Inside>
bool TGame::WalkCandidates(TRegisteredObject*& cursor, std::int32_t left, std::int32_t top,
                           std::int32_t right, std::int32_t bottom, TPlayerMask mask,
                           const Inside& lastInside) const {
    std::int32_t player = 0;
    std::int32_t col = left;
    std::int32_t row = top;
    if (cursor) {
        if (const TCellEntries* list = cursor->CellList) {
            const std::int32_t i = lastInside(*list, cursor->CellSlot);
            if (i >= 0) {
                cursor = list->Objects[static_cast<std::size_t>(i)];
                return true;
            }
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
            if (p.LinkedCount == 0) continue;
            for (; row <= bottom; ++row, col = left) {
                for (; col <= right; ++col) {
                    const TCellEntries& list = p.CellEntries(col, row);
                    const std::int32_t i = lastInside(list, static_cast<std::int32_t>(list.Size()));
                    if (i >= 0) {
                        cursor = list.Objects[static_cast<std::size_t>(i)];
                        return true;
                    }
                }
            }
        }
    }
    cursor = nullptr;
    return false;
}

void TGame::CellEntriesCurrent() const {
    if (inStep_) return;
    for (const auto& p : Players) p->RefreshCellEntries();
}

bool TGame::FindNextInCircle(TRegisteredObject*& cursor, TPlayerMask mask, double x, double y,
                             double radius) const {
    // A caller walking the neighbours of a unit asks again and again with the
    // same centre (it moves only when something was pushed): the rectangle,
    // a pure function of centre, radius and grid, is kept from the last call.
    TCircleCells& c = lastCircle_;
    if (!(c.X == x && c.Y == y && c.Radius == radius && c.CellSize == CellSize && c.Cols == CellCols &&
          c.Rows == CellRows)) {
        c.Left = FloorClamped((x - radius) / CellSize, 0, CellCols);
        c.Top = FloorClamped((y - radius) / CellSize, 0, CellRows);
        c.Right = FloorClamped((x + radius) / CellSize, -1, CellCols - 1);
        c.Bottom = FloorClamped((y + radius) / CellSize, -1, CellRows - 1);
        c.X = x;
        c.Y = y;
        c.Radius = radius;
        c.CellSize = CellSize;
        c.Cols = CellCols;
        c.Rows = CellRows;
    }
    CellEntriesCurrent();
    const double r2 = radius * radius;
    return WalkCandidates(cursor, c.Left, c.Top, c.Right, c.Bottom, mask,
                          [&](const TCellEntries& list, std::int32_t end) {
                              return LastInCircle(list, end, x, y, r2);
                          });
}

bool TGame::FindNextInBox(TRegisteredObject*& cursor, TPlayerMask mask, double x1, double y1,
                          double x2, double y2) const {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    const std::int32_t left = FloorClamped(x1 / CellSize, 0, CellCols);
    const std::int32_t top = FloorClamped(y1 / CellSize, 0, CellRows);
    const std::int32_t right = FloorClamped(x2 / CellSize, -1, CellCols - 1);
    const std::int32_t bottom = FloorClamped(y2 / CellSize, -1, CellRows - 1);
    CellEntriesCurrent();
    return WalkCandidates(cursor, left, top, right, bottom, mask,
                          [&](const TCellEntries& list, std::int32_t end) {
                              for (std::int32_t i = end - 1; i >= 0; --i) {
                                  const float ox = list.X[static_cast<std::size_t>(i)];
                                  const float oy = list.Y[static_cast<std::size_t>(i)];
                                  if (x1 <= ox && ox <= x2 && y1 <= oy && oy <= y2) return i;
                              }
                              return std::int32_t{-1};
                          });
}

}  // namespace orbitfall
