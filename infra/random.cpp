#include "infra/random.h"

#include <chrono>

#include "infra/errors.h"

namespace orbitfall {
namespace {

std::uint32_t state = 0;

std::uint32_t Advance() {
    state = state * 134775813u + 1u;  // modulo 2^32 by unsigned arithmetic
    return state;
}

}  // namespace

std::int32_t RandomInt(std::int32_t n) {
    if (n <= 0) throw ERangeError();
    const std::uint64_t s = Advance();
    return static_cast<std::int32_t>((s * static_cast<std::uint64_t>(n)) >> 32);
}

double RandomReal() {
    return static_cast<double>(Advance()) * (1.0 / 4294967296.0);
}

void Randomize() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto sinceMidnight = now - floor<days>(now);  // UTC time of day
    state = static_cast<std::uint32_t>(duration_cast<milliseconds>(sinceMidnight).count());
}

void SetRandomState(std::uint32_t value) { state = value; }
std::uint32_t RandomState() { return state; }

}  // namespace orbitfall
