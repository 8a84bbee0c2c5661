#include "infra/checked.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace orbitfall;

TEST(CheckedNarrow, KeepsValuesThatFitAndRejectsTheRest) {
    EXPECT_EQ(CheckedNarrow<std::uint8_t>(255), 255);
    EXPECT_EQ(CheckedNarrow<std::uint8_t>(0), 0);
    EXPECT_THROW(CheckedNarrow<std::uint8_t>(256), ERangeError);
    EXPECT_THROW(CheckedNarrow<std::uint8_t>(-1), ERangeError);
    EXPECT_THROW(CheckedNarrow<std::int32_t>(std::int64_t{1} << 31), ERangeError);
    EXPECT_EQ(CheckedNarrow<std::int32_t>(-(std::int64_t{1} << 31)), INT32_MIN);
}

TEST(CheckedRange, HonoursBothBoundsInclusively) {
    EXPECT_EQ((CheckedRange<std::uint8_t>(1, 1, 15)), 1);
    EXPECT_EQ((CheckedRange<std::uint8_t>(15, 1, 15)), 15);
    EXPECT_THROW((CheckedRange<std::uint8_t>(0, 1, 15)), ERangeError);
    EXPECT_THROW((CheckedRange<std::uint8_t>(16, 1, 15)), ERangeError);
}

TEST(CheckedArithmetic, RaisesOverflowInsteadOfWrapping) {
    EXPECT_EQ(CheckedAdd<std::int32_t>(INT32_MAX - 1, 1), INT32_MAX);
    EXPECT_THROW(CheckedAdd<std::int32_t>(INT32_MAX, 1), EIntOverflow);
    EXPECT_THROW(CheckedSub<std::int32_t>(INT32_MIN, 1), EIntOverflow);
    EXPECT_THROW(CheckedSub<std::uint32_t>(0u, 1u), EIntOverflow);
    EXPECT_THROW(CheckedMul<std::int32_t>(65536, 65536), EIntOverflow);
    EXPECT_EQ(CheckedMul<std::int32_t>(-46340, 46340), -2147395600);
}

TEST(CheckedIndex, RangeAndListErrorsForIndicesOutsideTheContainer) {
    std::vector<int> v{10, 20, 30};
    EXPECT_EQ(CheckedAt(v, 2), 30);
    CheckedAt(v, 0) = 11;
    EXPECT_EQ(v[0], 11);
    EXPECT_THROW(CheckedAt(v, 3), ERangeError);
    EXPECT_THROW(CheckedAt(v, -1), ERangeError);
    try {
        ListAt(v, 7);
        FAIL() << "no list error";
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (7)");
    }
    std::vector<int> empty;
    EXPECT_THROW(CheckedAt(empty, 0), ERangeError);
}
