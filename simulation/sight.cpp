// A unit's sight stamp: +1 over the disc it sees in its owner's maps, taken
// away again before the disc of its new place is added, so each counter holds
// the number of units watching the spot (plus one once it was ever seen).
#include <cmath>
#include <cstdlib>
#include <string>

#include "infra/errors.h"
#include "infra/event_log.h"
#include "simulation/game.h"
#include "simulation/map_units.h"
#include "simulation/unit.h"

namespace orbitfall {

namespace {

inline void AddToCounter(std::uint16_t& counter, int delta) {
    const int value = counter + delta;
    if (value < 0 || value > 0xFFFF) throw ERangeError();
    counter = static_cast<std::uint16_t>(value);
}

}  // namespace

void Tunit::StampSight(int delta) {
    const float r = StampRange;
    if (std::fabs(r) < 0.000001) return;
    const float r2 = static_cast<float>(static_cast<double>(r) * r * 1.00001);
    TPlayer& maps = Game->PlayerAt(StampOwner);
    const std::int32_t yFirst = FloorClamped(std::ceil(StampY - static_cast<double>(r)), 0, Game->Height);
    const std::int32_t yLast = FloorClamped(StampY + static_cast<double>(r), -1, Game->Height - 1);
    const std::int32_t xFirst = FloorClamped(std::ceil(StampX - static_cast<double>(r)), 0, Game->Width);
    const std::int32_t xLast = FloorClamped(StampX + static_cast<double>(r), -1, Game->Width - 1);
    if (xFirst > xLast) return;
    for (std::int32_t y = yFirst; y <= yLast; ++y) {
        std::uint16_t* sight = maps.SightRow(y);
        std::uint16_t* detector = maps.DetectorRow(y);
        const std::int64_t dy = static_cast<std::int64_t>(y) - StampY;
        for (std::int32_t x = xFirst; x <= xLast; ++x) {
            const std::int64_t dx = static_cast<std::int64_t>(x) - StampX;
            if (static_cast<double>(dx * dx + dy * dy) > r2) continue;
            AddToCounter(sight[x], delta);
            // A spot seen for the first time skips 1, which means "explored".
            if (delta == 1 && sight[x] == 1) sight[x] = 2;
            if (StampDetector) AddToCounter(detector[x], delta);
        }
    }
}

void Tunit::UpdateSight() {
    const std::int32_t fx = FloorToInt(X);
    const std::int32_t fy = FloorToInt(Y);
    if (StampDetector == Detector && StampRange == SightRange && StampOwner == Owner &&
        fx == StampX && fy == StampY)
        return;
    if (Id == 5) {
        Log("Test", 5, std::to_string(std::llabs(static_cast<long long>(fx) - StampX)));
        Log("Test", 5, std::to_string(std::llabs(static_cast<long long>(fy) - StampY)));
    }
    StampSight(-1);
    StampDetector = Detector;
    StampOwner = Owner;
    StampRange = SightRange;
    StampX = fx;
    StampY = fy;
    StampSight(+1);
}

}  // namespace orbitfall
