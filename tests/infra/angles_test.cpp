#include "infra/angles.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

using namespace orbitfall;

TEST(NormalizeAngle, WrapsIntoMinusPiToPi) {
    struct Case { double in, out; } cases[] = {
        {3 * Pi / 2, -Pi / 2}, {-3 * Pi / 2, Pi / 2}, {7, 7 - 2 * Pi}, {1, 1},
        {Pi, Pi}, {-Pi, Pi}, {0, 0}, {4 * Pi + 0.5, 0.5}, {-0.25, -0.25},
    };
    for (const auto& c : cases) EXPECT_NEAR(NormalizeAngle(c.in), c.out, 1e-12) << c.in;
}

TEST(TurnTowards, TurnsTheShortWayAndReturnsUnnormalised) {
    // From 3.1 toward -3.0 the short way runs through pi.
    EXPECT_NEAR(TurnTowards(3.1, -3.0, 0.1), 3.2, 1e-12);
    EXPECT_DOUBLE_EQ(TurnTowards(0.0, 0.05, 0.1), 0.05);   // within reach: the target itself
    EXPECT_DOUBLE_EQ(TurnTowards(0.0, -1.0, 0.1), -0.1);
    EXPECT_DOUBLE_EQ(TurnTowards(1.0, 2.0, 0.0), 1.0);     // no step allowed
    // A target a whole turn away is the same direction: returned unwrapped.
    EXPECT_DOUBLE_EQ(TurnTowards(1.0, 1.0 + 2 * Pi, 0.0), 1.0 + 2 * Pi);
}

TEST(Polar, MatchesCosineAndSineTimesLength) {
    EXPECT_NEAR(PolarX(0, 2), 2, 1e-15);
    EXPECT_NEAR(PolarY(0, 2), 0, 1e-15);
    EXPECT_NEAR(PolarX(Pi / 2, 3), 0, 1e-15);
    EXPECT_NEAR(PolarY(Pi / 2, 3), 3, 1e-15);
    EXPECT_NEAR(AngleBetween(1, 1, 0, 0), -3 * Pi / 4, 1e-15);
    EXPECT_NEAR(AngleBetween(0, 0, 0, 5), Pi / 2, 1e-15);
}

// The trigonometry must give the same bits on every processor. A checksum over
// many results, pinned here, would change if glibc's processor-dependent code
// were used instead of the deterministic functions (this test is also run with
// glibc's FMA paths switched off).
TEST(DeterministicTrig, PinnedChecksumOverManyInputs) {
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](double v) {
        h ^= std::bit_cast<std::uint64_t>(v);
        h *= 1099511628211ull;
    };
    for (int i = -20000; i <= 20000; ++i) {
        const double x = i * 0.000731 + i * 1e-9;
        mix(DetSin(x));
        mix(DetCos(x));
        mix(DetArcTan2(x, 1.0 - x * 0.37));
    }
    EXPECT_EQ(h, 0xcd02a658157894fdull) << std::hex << "checksum 0x" << h;
}
