#pragma once
// The simulation's one pseudo-random generator. It is part of the lockstep
// state: every machine seeds it with the host's value before creating the
// game and then makes the same draws in the same order. Only the simulation
// draws from it (map loading, start units, nebula movement); drawing, input,
// the interface and the network code never do.
#include <cstdint>

namespace orbitfall {

// An integer in [0, n); n > 0.
std::int32_t RandomInt(std::int32_t n);
// A double in [0, 1).
double RandomReal();
// State from the current UTC time of day in milliseconds.
void Randomize();
void SetRandomState(std::uint32_t state);
std::uint32_t RandomState();

}  // namespace orbitfall
