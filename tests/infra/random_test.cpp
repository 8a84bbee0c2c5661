#include "infra/random.h"

#include <gtest/gtest.h>

#include <cmath>

#include "infra/errors.h"

using namespace orbitfall;

TEST(SharedGenerator, FollowsTheLinearCongruentialRule) {
    SetRandomState(0);
    RandomInt(1);
    EXPECT_EQ(RandomState(), 1u);
    RandomInt(1);
    EXPECT_EQ(RandomState(), 134775814u);
}

TEST(SharedGenerator, IntegerDrawsUseTheUpperProductBits) {
    SetRandomState(0);
    EXPECT_EQ(RandomInt(60), 0);
    EXPECT_EQ(RandomInt(60), 1);
    EXPECT_EQ(RandomInt(60), 51);
    SetRandomState(0xFFFFFFFEu);
    for (int i = 0; i < 1000; ++i) {
        const auto v = RandomInt(7);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 7);
    }
}

TEST(SharedGenerator, DrawBelowOneYieldsZeroButAdvances) {
    SetRandomState(12345);
    EXPECT_EQ(RandomInt(1), 0);
    EXPECT_EQ(RandomState(), 12345u * 134775813u + 1u);
    EXPECT_THROW(RandomInt(0), ERangeError);
}

TEST(SharedGenerator, RealDrawIsStateTimesTwoToMinus32) {
    SetRandomState(0);
    EXPECT_EQ(RandomReal(), std::ldexp(1.0, -32));
    SetRandomState(0x1234u);
    const double r = RandomReal();
    EXPECT_EQ(r, static_cast<double>(RandomState()) / 4294967296.0);
    EXPECT_LT(r, 1.0);
}

TEST(SharedGenerator, SeedFromTheClockIsAMillisecondOfTheDay) {
    Randomize();
    EXPECT_LT(RandomState(), 24u * 60 * 60 * 1000);
}
