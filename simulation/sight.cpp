// A unit's sight stamp: +1 over the disc it sees in its owner's maps, taken
// away again before the disc of its new place is added, so each counter holds
// the number of units watching the spot (plus one once it was ever seen).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "infra/errors.h"
#include "infra/event_log.h"
#include "simulation/game.h"
#include "simulation/map_units.h"
#include "simulation/unit.h"

namespace orbitfall {

namespace {

// The spots of one stamp: a disc of whole map units around (sx, sy) within
// the map's columns 0..Width-1 and rows 0..Height-1.
struct TDisc {
    std::int32_t sx, sy;
    std::int32_t firstRow, lastRow;
    std::int32_t width;
    const std::vector<std::int32_t>& halfWidths;

    TDisc(const TGame& game, std::int32_t x, std::int32_t y, float r)
        : sx(x), sy(y), width(game.Width), halfWidths(game.DiscHalfWidths(r)) {
        firstRow = CeilClamped(sy - static_cast<double>(r), 0, game.Height);
        lastRow = FloorClamped(sy + static_cast<double>(r), -1, game.Height - 1);
        // Only for ranges beyond any map (the table stops at 2^20 rows).
        const std::int64_t reach = static_cast<std::int64_t>(halfWidths.size()) - 1;
        firstRow = static_cast<std::int32_t>(std::max<std::int64_t>(firstRow, sy - reach));
        lastRow = static_cast<std::int32_t>(std::min<std::int64_t>(lastRow, sy + reach));
    }

    // Columns [first, last] of row y; first > last when none.
    void Span(std::int32_t y, std::int32_t& first, std::int32_t& last) const {
        first = 0;
        last = -1;
        if (y < firstRow || y > lastRow) return;
        const std::int32_t w = halfWidths[static_cast<std::size_t>(std::abs(y - sy))];
        if (w < 0) return;
        first = std::max(0, sx - w);
        last = std::min(width - 1, sx + w);
    }
};

inline void AddToCounter(std::uint16_t& counter, int delta) {
    const int value = counter + delta;
    if (value < 0 || value > 0xFFFF) throw ERangeError();
    counter = static_cast<std::uint16_t>(value);
}

// Inlined into the stamp loops: most of the spans a moving unit touches are
// one or two spots wide, and the call cost more than the counting.
[[gnu::always_inline]] inline void AddOverColumns(TPlayer& maps, std::int32_t y, std::int32_t first, std::int32_t last, int delta,
                    bool detector) {
    if (first > last) return;
    std::uint16_t* sight = maps.SightRow(y);
    for (std::int32_t x = first; x <= last; ++x) {
        AddToCounter(sight[x], delta);
        // A spot seen for the first time skips 1, which means "explored".
        if (delta == 1 && sight[x] == 1) sight[x] = 2;
    }
    if (!detector) return;
    std::uint16_t* det = maps.DetectorRow(y);
    for (std::int32_t x = first; x <= last; ++x) AddToCounter(det[x], delta);
}

}  // namespace

void Tunit::StampSight(int delta) {
    if (std::fabs(StampRange) < 0.000001) return;
    const TDisc disc(*Game, StampX, StampY, StampRange);
    TPlayer& maps = Game->PlayerAt(StampOwner);
    for (std::int32_t y = disc.firstRow; y <= disc.lastRow; ++y) {
        std::int32_t first, last;
        disc.Span(y, first, last);
        AddOverColumns(maps, y, first, last, delta, StampDetector);
    }
}

void Tunit::UpdateSight() {
    const std::int32_t fx = FloorToInt(X);
    const std::int32_t fy = FloorToInt(Y);
    const bool sameKind = StampDetector == Detector && StampRange == SightRange && StampOwner == Owner;
    if (sameKind && fx == StampX && fy == StampY) return;
    if (Id == 5) {
        Log("Test", 5, std::to_string(std::llabs(static_cast<long long>(fx) - StampX)));
        Log("Test", 5, std::to_string(std::llabs(static_cast<long long>(fy) - StampY)));
    }
    if (!sameKind || std::fabs(StampRange) < 0.000001) {
        StampSight(-1);
        StampDetector = Detector;
        StampOwner = Owner;
        StampRange = SightRange;
        StampX = fx;
        StampY = fy;
        StampSight(+1);
        return;
    }
    // Only the same disc moved: a spot in both discs would go -1 then +1 and
    // end where it was (the doubling of 1 to 2 cannot apply, the spot was
    // watched), so only the spots of one disc alone are touched. Counters end
    // exactly as with the full removal and addition.
    const TDisc before(*Game, StampX, StampY, StampRange);
    const TDisc after(*Game, fx, fy, StampRange);
    TPlayer& maps = Game->PlayerAt(StampOwner);
    const std::int32_t firstRow = std::min(before.firstRow, after.firstRow);
    const std::int32_t lastRow = std::max(before.lastRow, after.lastRow);
    for (std::int32_t y = firstRow; y <= lastRow; ++y) {
        std::int32_t a0, a1, b0, b1;
        before.Span(y, a0, a1);
        after.Span(y, b0, b1);
        if (b0 > b1) {
            AddOverColumns(maps, y, a0, a1, -1, StampDetector);
        } else {
            AddOverColumns(maps, y, a0, std::min(a1, b0 - 1), -1, StampDetector);
            AddOverColumns(maps, y, std::max(a0, b1 + 1), a1, -1, StampDetector);
        }
        if (a0 > a1) {
            AddOverColumns(maps, y, b0, b1, +1, StampDetector);
        } else {
            AddOverColumns(maps, y, b0, std::min(b1, a0 - 1), +1, StampDetector);
            AddOverColumns(maps, y, std::max(b0, a1 + 1), b1, +1, StampDetector);
        }
    }
    StampX = fx;
    StampY = fy;
}

}  // namespace orbitfall
