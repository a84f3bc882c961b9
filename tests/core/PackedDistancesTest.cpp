#include "core/PackedDistances.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace tessaloc {
namespace {

TEST(PackedDistances, PairsStandRowByRowOfTheUpperTriangle)
{
    // Four observations: (0,1) (0,2) (0,3) (1,2) (1,3) (2,3), written here in either order.
    PackedDistances d(4);
    d.setPair(0, 1, 1);
    d.setPair(2, 0, 2);
    d.setPair(0, 3, 3);
    d.setPair(1, 2, 4);
    d.setPair(3, 1, 5);
    d.setPair(2, 3, 6);
    EXPECT_EQ(d.values(), (std::vector<double>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(d.rowStart(0), 0u);
    EXPECT_EQ(d.rowStart(1), 3u);
    EXPECT_EQ(d.rowStart(2), 5u);
    EXPECT_EQ(d.rowStart(3), 6u);
    EXPECT_EQ(d.pairIndex(1, 3), 4u);
    EXPECT_EQ(d.row(1)[3 - 1 - 1], 5.0);
    EXPECT_EQ(d(3, 1), 5.0);
    EXPECT_EQ(d(1, 3), 5.0);
    EXPECT_EQ(d(2, 2), 0.0);
}

TEST(PackedDistances, PairCountsOfSmallAndLargeSizes)
{
    EXPECT_EQ(PackedDistances::pairCount(0), 0u);
    EXPECT_EQ(PackedDistances::pairCount(1), 0u);
    EXPECT_EQ(PackedDistances::pairCount(2), 1u);
    EXPECT_EQ(PackedDistances::pairCount(20000), 199990000u);
    // Beyond 32 bits: 65537 x 65536 / 2.
    EXPECT_EQ(PackedDistances::pairCount(65537), 2147516416u);
    EXPECT_TRUE(PackedDistances(1).values().empty());
}

TEST(PackedDistances, TheWholeMatrixAndBackKeepEveryPairBitForBit)
{
    std::mt19937_64 generator(17);
    std::uniform_real_distribution<double> value(-1e3, 1e3);
    for (const int n : {0, 1, 2, 3, 10, 33}) {
        SquareMatrix full(n);
        for (int i = 0; i < n; ++i) {
            for (int j = i + 1; j < n; ++j)
                full.setPair(i, j, (i + j) % 7 == 0 ? -0.0 : value(generator));
        }
        const PackedDistances pairs(full);
        EXPECT_EQ(pairs.size(), n);
        ASSERT_EQ(pairs.values().size(), PackedDistances::pairCount(n));
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j)
                ASSERT_EQ(std::bit_cast<std::uint64_t>(pairs(i, j)), std::bit_cast<std::uint64_t>(full(i, j)))
                    << n << ": " << i << "," << j;
        }
        EXPECT_EQ(pairs.square(), full);
        PackedDistances moved = pairs;
        EXPECT_EQ(takeSquare(std::move(moved)), full);
        EXPECT_TRUE(moved.values().empty()) << "the pairs are let go once the whole matrix is built";
    }
}

TEST(PackedDistances, OnlyTheUpperTriangleOfAWholeMatrixCounts)
{
    SquareMatrix full(3);
    full(0, 1) = 1.0;
    full(1, 0) = 9.0;
    full(2, 2) = 5.0;
    const PackedDistances pairs(full);
    EXPECT_EQ(pairs(1, 0), 1.0);
    EXPECT_EQ(pairs(2, 2), 0.0);
}

} // namespace
} // namespace tessaloc
