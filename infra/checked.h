#pragma once
// Guarded arithmetic. The game never lets an integer wrap or an index run off
// its container: a fault stops the game loudly (a range error or an overflow)
// instead of letting machines drift apart silently. The checksum is the one
// place where wrapping is wanted, and it does not use these helpers.
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>

#include "infra/errors.h"

namespace orbitfall {

// Value converted to To, or ERangeError when it does not fit.
template <std::integral To, std::integral From>
constexpr To CheckedNarrow(From value) {
    if (!std::in_range<To>(value)) throw ERangeError();
    return static_cast<To>(value);
}

// Value converted to To when it lies in [low, high], else ERangeError.
template <std::integral To, std::integral From>
constexpr To CheckedRange(From value, std::int64_t low, std::int64_t high) {
    if (std::cmp_less(value, low) || std::cmp_greater(value, high)) throw ERangeError();
    return CheckedNarrow<To>(value);
}

template <std::integral T>
constexpr T CheckedAdd(T a, T b) {
    T r{};
    if (__builtin_add_overflow(a, b, &r)) throw EIntOverflow();
    return r;
}

template <std::integral T>
constexpr T CheckedSub(T a, T b) {
    T r{};
    if (__builtin_sub_overflow(a, b, &r)) throw EIntOverflow();
    return r;
}

template <std::integral T>
constexpr T CheckedMul(T a, T b) {
    T r{};
    if (__builtin_mul_overflow(a, b, &r)) throw EIntOverflow();
    return r;
}

// Element of an indexable container, or ERangeError for an index outside it.
template <class Container, std::integral Index>
constexpr decltype(auto) CheckedAt(Container& c, Index index) {
    if (std::cmp_less(index, 0) || std::cmp_greater_equal(index, c.size())) throw ERangeError();
    return c[static_cast<std::size_t>(index)];
}

// The same for the ordered lists whose faults are list-index errors.
template <class Container, std::integral Index>
constexpr decltype(auto) ListAt(Container& c, Index index) {
    if (std::cmp_less(index, 0) || std::cmp_greater_equal(index, c.size()))
        throw EListError(static_cast<long long>(index));
    return c[static_cast<std::size_t>(index)];
}

}  // namespace orbitfall
