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
// columns 0..width-1 and rows 0..height-1.
struct TDisc {
    std::int32_t sx, sy;
    std::int32_t firstRow, lastRow;
    std::int32_t width;
    const std::vector<std::int32_t>& halfWidths;

    TDisc(std::int32_t mapWidth, std::int32_t mapHeight, const std::vector<std::int32_t>& widths,
          std::int32_t x, std::int32_t y, float r)
        : sx(x), sy(y), width(mapWidth), halfWidths(widths) {
        firstRow = CeilClamped(sy - static_cast<double>(r), 0, mapHeight);
        lastRow = FloorClamped(sy + static_cast<double>(r), -1, mapHeight - 1);
        // Only for ranges beyond any map (the table stops at 2^20 rows).
        const std::int64_t reach = static_cast<std::int64_t>(halfWidths.size()) - 1;
        firstRow = static_cast<std::int32_t>(std::max<std::int64_t>(firstRow, sy - reach));
        lastRow = static_cast<std::int32_t>(std::min<std::int64_t>(lastRow, sy + reach));
    }
    TDisc(const TGame& game, std::int32_t x, std::int32_t y, float r)
        : TDisc(game.Width, game.Height, game.DiscHalfWidths(r), x, y, r) {}

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

// The spots in exactly one of two discs of the same range, row by row, the
// old disc's spots of a row before the new one's, each as change(row,
// first, last, delta): -1 where only the old disc reaches, +1 where only
// the new one does. A spot in both would go -1 then +1 and end where it
// was (the doubling of 1 to 2 cannot apply, the spot was watched), so the
// counters end exactly as after a full removal and addition.
template <class Change>
void ForEachMovedSpan(const TDisc& before, const TDisc& after, Change&& change) {
    auto span = [&](std::int32_t y, std::int32_t first, std::int32_t last, std::int32_t delta) {
        if (first <= last) change(y, first, last, delta);
    };
    const std::int32_t firstRow = std::min(before.firstRow, after.firstRow);
    const std::int32_t lastRow = std::max(before.lastRow, after.lastRow);
    for (std::int32_t y = firstRow; y <= lastRow; ++y) {
        std::int32_t a0, a1, b0, b1;
        before.Span(y, a0, a1);
        after.Span(y, b0, b1);
        if (b0 > b1) {
            span(y, a0, a1, -1);
        } else {
            span(y, a0, std::min(a1, b0 - 1), -1);
            span(y, std::max(a0, b1 + 1), a1, -1);
        }
        if (a0 > a1) {
            span(y, b0, b1, +1);
        } else {
            span(y, b0, std::min(b1, a0 - 1), +1);
            span(y, std::max(b0, a1 + 1), b1, +1);
        }
    }
}

// One counter change, guarded: a counter never wraps.
template <int Delta>
[[gnu::always_inline]] inline void AddToSpan(std::uint16_t* row, std::int32_t first, std::int32_t last) {
    for (std::int32_t x = first; x <= last; ++x) {
        const unsigned value = row[x];
        if constexpr (Delta < 0) {
            if (value == 0) throw ERangeError();
            row[x] = static_cast<std::uint16_t>(value - 1);
        } else {
            if (value == 0xFFFF) throw ERangeError();
            // A spot seen for the first time skips 1, which means "explored".
            row[x] = static_cast<std::uint16_t>(value == 0 ? 2 : value + 1);
        }
    }
}

template <int Delta>
[[gnu::always_inline]] inline void AddToDetectorSpan(std::uint16_t* row, std::int32_t first,
                                                     std::int32_t last) {
    for (std::int32_t x = first; x <= last; ++x) {
        const unsigned value = row[x];
        if (Delta < 0 ? value == 0 : value == 0xFFFF) throw ERangeError();
        row[x] = static_cast<std::uint16_t>(value + Delta);
    }
}

// Inlined into the stamp loops: most of the spans a moving unit touches are
// one or two spots wide, and the call cost more than the counting.
[[gnu::always_inline]] inline void AddOverColumns(TPlayer& maps, std::int32_t y, std::int32_t first,
                                                  std::int32_t last, int delta, bool detector) {
    if (first > last) return;
    if (delta > 0) {
        AddToSpan<1>(maps.SightRow(y), first, last);
        if (detector) AddToDetectorSpan<1>(maps.DetectorRow(y), first, last);
    } else {
        AddToSpan<-1>(maps.SightRow(y), first, last);
        if (detector) AddToDetectorSpan<-1>(maps.DetectorRow(y), first, last);
    }
}

}  // namespace

const TGame::TStampMoves& TGame::StampMoveRuns(float r) const {
    for (const auto& [range, moves] : stampMoves_)
        if (range == r) return moves;
    // The general walk of a moved stamp on a map large enough that neither
    // disc meets an edge, recorded relative to the old centre.
    const std::vector<std::int32_t>& widths = DiscHalfWidths(r);
    const std::int32_t reach = static_cast<std::int32_t>(widths.size()) - 1;
    const std::int32_t centre = reach + 1;
    const std::int32_t size = 2 * reach + 3;
    TStampMoves moves(9);
    for (std::int32_t dy = -1; dy <= 1; ++dy)
        for (std::int32_t dx = -1; dx <= 1; ++dx) {
            std::vector<TStampRun>& runs = moves[static_cast<std::size_t>((dy + 1) * 3 + dx + 1)];
            runs.reserve(static_cast<std::size_t>(4 * size));  // at most two spans off and two on per row
            const TDisc before(size, size, widths, centre, centre, r);
            const TDisc after(size, size, widths, centre + dx, centre + dy, r);
            ForEachMovedSpan(before, after, [&](std::int32_t y, std::int32_t first, std::int32_t last,
                                                std::int32_t delta) {
                runs.push_back({y - centre, first - centre, last - centre, delta});
            });
        }
    stampMoves_.emplace_back(r, std::move(moves));
    return stampMoves_.back().second;
}

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
    TPlayer& maps = Game->PlayerAt(StampOwner);
    const std::int64_t mx = static_cast<std::int64_t>(fx) - StampX;
    const std::int64_t my = static_cast<std::int64_t>(fy) - StampY;
    if (StampRange > 0 && mx >= -1 && mx <= 1 && my >= -1 && my <= 1) {
        // A step of at most one map unit each way, both discs clear of the
        // map's edges (where the spans would be cut): the changed spots are
        // those of the shared table, in the same order as the walk below.
        const std::int32_t reach = static_cast<std::int32_t>(Game->DiscHalfWidths(StampRange).size()) - 1;
        if (std::min(StampX, fx) - reach >= 0 && std::max(StampX, fx) + reach <= Game->Width - 1 &&
            std::min(StampY, fy) - reach >= 0 && std::max(StampY, fy) + reach <= Game->Height - 1) {
            const auto& runs = Game->StampMoveRuns(StampRange)[static_cast<std::size_t>((my + 1) * 3 + mx + 1)];
            // The rows lie a map width apart: on a large map each run is a
            // line of its own, fetched together here rather than one after
            // the other below. Only a hint; the counters are the same.
            for (const TGame::TStampRun& run : runs)
                __builtin_prefetch(maps.SightRow(StampY + run.Dy) + StampX + run.First, 1);
            for (const TGame::TStampRun& run : runs)
                AddOverColumns(maps, StampY + run.Dy, StampX + run.First, StampX + run.Last, run.Delta,
                               StampDetector);
            StampX = fx;
            StampY = fy;
            return;
        }
    }
    const TDisc before(*Game, StampX, StampY, StampRange);
    const TDisc after(*Game, fx, fy, StampRange);
    ForEachMovedSpan(before, after, [&](std::int32_t y, std::int32_t first, std::int32_t last, std::int32_t delta) {
        AddOverColumns(maps, y, first, last, delta, StampDetector);
    });
    StampX = fx;
    StampY = fy;
}

}  // namespace orbitfall
