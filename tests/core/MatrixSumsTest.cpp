#include "core/MatrixSums.h"
#include "core/Errors.h"

#include "tests/support/MatrixBuilders.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace tessaloc {
namespace {

using testing::fromPairs;

TEST(CrossProductSum, CountsOnlyTheUpperTriangle)
{
    SquareMatrix a = fromPairs(3, {1, 2, 3});
    SquareMatrix b = fromPairs(3, {4, 5, 6});
    EXPECT_EQ(CrossProductSum(a, b), 1 * 4 + 2 * 5 + 3 * 6);
    // The diagonal and the lower triangle never count.
    a(0, 0) = 100;
    b(0, 0) = 100;
    a(2, 1) = 1000;
    EXPECT_EQ(CrossProductSum(a, b), 32.0);
}

TEST(CrossProductSum, ZeroOffTheDiagonalGivesZero)
{
    SquareMatrix a(4);
    SquareMatrix b = fromPairs(4, {1, 2, 3, 4, 5, 6});
    for (int k = 0; k < 4; ++k)
        a(k, k) = 7;
    EXPECT_EQ(CrossProductSum(a, b), 0.0);
}

TEST(MatrixCorrelation, KnownValues)
{
    const SquareMatrix a = fromPairs(3, {1, 2, 3});
    // (1, 2, 3) against (1, 3, 2): deviations (-1, 0, 1) and (-1, 1, 0), so r = 1 / sqrt(2 * 2).
    EXPECT_DOUBLE_EQ(MatrixCorrelation(a, fromPairs(3, {1, 3, 2})), 0.5);
    EXPECT_DOUBLE_EQ(MatrixCorrelation(a, a), 1.0);
    EXPECT_DOUBLE_EQ(MatrixCorrelation(a, fromPairs(3, {-1, -2, -3})), -1.0);
}

TEST(MatrixCorrelation, UndefinedCasesAreAnalysisErrors)
{
    const SquareMatrix varying = fromPairs(3, {1, 2, 3});
    EXPECT_THROW(MatrixCorrelation(varying, fromPairs(3, {5, 5, 5})), AnalysisError);
    EXPECT_THROW(MatrixCorrelation(fromPairs(2, {1}), fromPairs(2, {2})), AnalysisError);
    EXPECT_THROW(MatrixCorrelation(SquareMatrix(1), SquareMatrix(1)), AnalysisError);
}

TEST(MatrixSums, PairsStoredOnceGiveTheSumsOfTheWholeMatricesBitForBit)
{
    // Random matrices of several sizes, values over many magnitudes so that the order of the
    // additions shows in the last bits.
    std::mt19937_64 generator(23);
    std::uniform_real_distribution<double> exponent(-8.0, 8.0);
    for (const int n : {3, 4, 17, 120}) {
        SquareMatrix a(n);
        SquareMatrix b(n);
        for (int i = 0; i < n; ++i) {
            for (int j = i + 1; j < n; ++j) {
                a.setPair(i, j, std::exp2(exponent(generator)));
                b.setPair(i, j, -std::exp2(exponent(generator)));
            }
        }
        const PackedDistances pa(a);
        const PackedDistances pb(b);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(CrossProductSum(pa, pb)),
                  std::bit_cast<std::uint64_t>(CrossProductSum(a, b)))
            << n;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(MatrixCorrelation(pa, pb)),
                  std::bit_cast<std::uint64_t>(MatrixCorrelation(a, b)))
            << n;
    }
    EXPECT_THROW(MatrixCorrelation(PackedDistances(2), PackedDistances(2)), AnalysisError);
}

TEST(CenterPairs, DeviationsFromTheMeanOfThePairs)
{
    // Pairs 1, 2, 3, 6: mean 3, deviations -2, -1, 0, 3, sum of squares 14.
    const PairDeviations centered = CenterPairs(testing::pairsOf(3, {1, 2, 6}));
    EXPECT_EQ(centered.mean, 3.0);
    EXPECT_EQ(centered.sumOfSquares, 14.0);
    EXPECT_EQ(centered.deviations.values(), (std::vector<double>{-2, -1, 3}));
    EXPECT_EQ(centered.deviations.size(), 3);
}

TEST(CenterPairs, NoPairsGiveZeros)
{
    const PairDeviations centered = CenterPairs(PackedDistances(1));
    EXPECT_EQ(centered.mean, 0.0);
    EXPECT_EQ(centered.sumOfSquares, 0.0);
    EXPECT_TRUE(centered.deviations.values().empty());
}

} // namespace
} // namespace tessaloc
