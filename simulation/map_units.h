#pragma once
// Conversions from positions to whole map units and cells.
#include <cmath>
#include <cstdint>

#include "infra/errors.h"

namespace orbitfall {

// floor(v) as a 32-bit integer; ERangeError when it does not fit (or v is
// not a number), as any out-of-range index of the maps would.
inline std::int32_t FloorToInt(double v) {
    const double f = std::floor(v);
    if (!(f >= -2147483648.0 && f <= 2147483647.0)) throw ERangeError();
    return static_cast<std::int32_t>(f);
}

// floor(v) limited to [low, high] first, for cell rectangles that may reach
// beyond the map; never raises.
inline std::int32_t FloorClamped(double v, std::int32_t low, std::int32_t high) {
    const double f = std::floor(v);
    if (!(f >= low)) return low;
    if (f > high) return high;
    return static_cast<std::int32_t>(f);
}

}  // namespace orbitfall
