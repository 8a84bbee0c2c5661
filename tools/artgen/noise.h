#pragma once
// Integer hashing and gradient noise for the generated pictures. Only integer
// operations and plain float arithmetic: the same bytes on every processor,
// with no library function whose last bit could differ between machines.
#include <cstdint>

namespace orbitfall::artgen {

std::uint32_t Hash(std::uint32_t x);
std::uint32_t Hash2(std::int32_t x, std::int32_t y, std::uint32_t seed);
std::uint32_t Hash3(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed);

// Uniform in [0, 1) from the upper 24 bits of a hash.
float Unit(std::uint32_t h);

// Gradient noise in about [-1, 1], repeating every periodX cells in x and
// periodY cells in y (a period of 0 means no repetition on that axis).
float PeriodicNoise(float x, float y, int periodX, int periodY, std::uint32_t seed);

// Sum of octaves of PeriodicNoise, each twice the frequency and half the
// amplitude of the one before; repeats like its first octave. Normalised to
// about [-1, 1].
float PeriodicFbm(float x, float y, int periodX, int periodY, int octaves, std::uint32_t seed);

// Gradient noise in three dimensions, about [-1, 1].
float Noise3(float x, float y, float z, std::uint32_t seed);
float Fbm3(float x, float y, float z, int octaves, std::uint32_t seed);

// Cellular noise: distances to the nearest and the second nearest feature
// point, and the hash of the nearest point's cell.
struct Cells {
    float nearest;
    float second;
    std::uint32_t id;
};
Cells Cellular3(float x, float y, float z, std::uint32_t seed);

}  // namespace orbitfall::artgen
