#pragma once
// Conversions from positions to whole map units and cells.
#include <cmath>
#include <cstdint>

#include "infra/errors.h"

namespace orbitfall {

// floor(v) as a 32-bit integer; ERangeError when it does not fit (or v is
// not a number), as any out-of-range index of the maps would.
inline std::int32_t FloorToInt(double v) {
    // Truncation and one step down for a negative fraction is floor for
    // every v inside the 32-bit range, without a call to floor (the baseline
    // instruction set has no rounding instruction): the hot paths take it.
    if (v > -2147483648.0 && v < 2147483648.0) {
        const auto t = static_cast<std::int32_t>(v);
        return static_cast<double>(t) > v ? t - 1 : t;
    }
    const double f = std::floor(v);
    if (!(f >= -2147483648.0 && f <= 2147483647.0)) throw ERangeError();
    return static_cast<std::int32_t>(f);
}

// floor(v) limited to [low, high] first, for cell rectangles that may reach
// beyond the map; never raises.
inline std::int32_t FloorClamped(double v, std::int32_t low, std::int32_t high) {
    if (v > -2147483648.0 && v < 2147483648.0) {  // as in FloorToInt
        auto t = static_cast<std::int32_t>(v);
        if (static_cast<double>(t) > v) --t;
        return t < low ? low : (t > high ? high : t);
    }
    const double f = std::floor(v);
    if (!(f >= low)) return low;
    if (f > high) return high;
    return static_cast<std::int32_t>(f);
}

// ceil(v) limited to [low, high]; never raises.
inline std::int32_t CeilClamped(double v, std::int32_t low, std::int32_t high) {
    if (v > -2147483648.0 && v < 2147483647.0) {
        auto t = static_cast<std::int32_t>(v);
        if (static_cast<double>(t) < v) ++t;
        return t < low ? low : (t > high ? high : t);
    }
    return FloorClamped(std::ceil(v), low, high);
}

}  // namespace orbitfall
