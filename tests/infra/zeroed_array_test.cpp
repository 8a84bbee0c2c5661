#include "infra/zeroed_array.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <utility>

using namespace orbitfall;

namespace {

template <class T>
bool AllZero(const TZeroedArray<T>& a) {
    return std::all_of(a.begin(), a.end(), [](T v) { return v == T{}; });
}

}  // namespace

TEST(ZeroedArray, ReadsZeroEverywhereAfterEveryReset) {
    // Small blocks come from the allocator's reused memory, large ones from
    // fresh pages: both must read as zero, also after earlier writes.
    for (std::size_t count : {std::size_t{1}, std::size_t{7}, std::size_t{4097}, std::size_t{3} << 20}) {
        SCOPED_TRACE(count);
        TZeroedArray<std::uint16_t> a(count);
        ASSERT_EQ(a.size(), count);
        ASSERT_NE(a.data(), nullptr);
        EXPECT_TRUE(AllZero(a));
        std::fill(a.begin(), a.end(), std::uint16_t{0xBEEF});
        a[count - 1] = 7;
        a.Reset(count);
        EXPECT_TRUE(AllZero(a));
        // Blocks the allocator hands out again after writes read as zero too.
        for (int round = 0; round < 3; ++round) {
            TZeroedArray<std::uint16_t> again(count);
            EXPECT_TRUE(AllZero(again));
            std::fill(again.begin(), again.end(), std::uint16_t{0xFFFF});
        }
    }
    TZeroedArray<double> d(1000);
    EXPECT_TRUE(AllZero(d));
    EXPECT_EQ(d[999], 0.0);
}

TEST(ZeroedArray, EmptyUntilSizedAndEmptyAgainAtSizeZero) {
    TZeroedArray<std::int32_t> a;
    EXPECT_TRUE(a.empty());
    EXPECT_EQ(a.size(), 0u);
    EXPECT_EQ(a.begin(), a.end());
    a.Reset(5);
    EXPECT_EQ(a.size(), 5u);
    EXPECT_EQ(a.end() - a.begin(), 5);
    a.Reset(0);
    EXPECT_TRUE(a.empty());
    EXPECT_EQ(a.data(), nullptr);
}

TEST(ZeroedArray, MovingHandsOverTheBlockAndLeavesTheSourceEmpty) {
    TZeroedArray<std::uint16_t> a(10);
    a[3] = 33;
    const std::uint16_t* block = a.data();
    TZeroedArray<std::uint16_t> b(std::move(a));
    EXPECT_EQ(b.data(), block);
    EXPECT_EQ(b.size(), 10u);
    EXPECT_EQ(b[3], 33);
    EXPECT_TRUE(a.empty());
    EXPECT_EQ(a.data(), nullptr);

    TZeroedArray<std::uint16_t> c(4);
    c = std::move(b);
    EXPECT_EQ(c.data(), block);
    EXPECT_EQ(c[3], 33);
    EXPECT_TRUE(b.empty());
}

TEST(ZeroedArray, ASizeBeyondMemoryThrowsAndKeepsTheOldContents) {
    TZeroedArray<std::uint16_t> a(3);
    a[1] = 5;
    EXPECT_THROW(a.Reset(std::numeric_limits<std::size_t>::max()), std::bad_alloc);
    EXPECT_THROW(a.Reset(std::numeric_limits<std::size_t>::max() / 2), std::bad_alloc);
    ASSERT_EQ(a.size(), 3u);
    EXPECT_EQ(a[1], 5);
}
