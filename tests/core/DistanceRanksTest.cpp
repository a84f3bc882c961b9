#include "core/DistanceRanks.h"
#include "core/Errors.h"
#include "core/MatrixSums.h"

#include "tests/support/MatrixBuilders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace tessaloc {
namespace {

using testing::pairsOf;

struct RankCase {
    const char* name;
    PackedDistances distances;
    std::vector<double> ranks;
};

class RankDistanceTransformCases : public ::testing::TestWithParam<RankCase> {};

TEST_P(RankDistanceTransformCases, GivesTheRanksOfThePairs)
{
    PackedDistances distances = GetParam().distances;
    RankDistanceTransform(distances, "the distances");
    EXPECT_EQ(distances.values(), GetParam().ranks);
}

INSTANTIATE_TEST_SUITE_P(
    Ranks, RankDistanceTransformCases,
    ::testing::Values(RankCase{"Distinct", pairsOf(3, {0.5, 7.0, -2.0}), {2, 3, 1}},
                      // Two pairs tied for ranks 1 and 2 both get 1.5.
                      RankCase{"TiedPairShareTheirMeanRank", pairsOf(3, {4.0, 4.0, 9.0}), {1.5, 1.5, 3}},
                      // Three pairs tied for ranks 4, 5 and 6 all get 5.
                      RankCase{"ThreeTiedAtTheTop", pairsOf(4, {1, 2, 3, 8, 8, 8}), {1, 2, 3, 5, 5, 5}},
                      // Negative zero and zero are the same distance.
                      RankCase{"SignedZerosTie", pairsOf(3, {-0.0, 0.0, 1.0}), {1.5, 1.5, 3}},
                      // 0.1 + 0.2 and 0.3 are one distance summed in two orders (1 unit in the last
                      // place apart): they tie.
                      RankCase{"EqualUpToRoundingTie", pairsOf(3, {0.1 + 0.2, 0.3, 0.2}), {2.5, 2.5, 1}},
                      // 1, 1 + 0.9e-12, 1 + 1.8e-12: each within 1e-12 of the one before, one run.
                      RankCase{"RunOfNeighboursEachWithinTheLimit",
                               pairsOf(4, {1.0, 1.0 + 0.9e-12, 1.0 + 1.8e-12, 5.0, 0.5, 1.0 + 1e-11}),
                               {3, 3, 3, 6, 1, 5}},
                      // A relative difference of 1e-11 is a real difference.
                      RankCase{"BeyondTheLimitDiffer", pairsOf(3, {2.0, 2.0 * (1 + 1e-11), 3.0}), {1, 2, 3}}),
    [](const ::testing::TestParamInfo<RankCase>& param) { return std::string(param.param.name); });

TEST(RankDistanceTransform, AllPairsTiedIsADataProblemNamingTheMatrix)
{
    PackedDistances distances = pairsOf(4, {2, 2, 2, 2, 2, 2});
    try {
        RankDistanceTransform(distances, "the genetic distances");
        FAIL() << "no DataProblem";
    } catch (const DataProblem& problem) {
        EXPECT_NE(std::string(problem.what()).find("the genetic distances"), std::string::npos) << problem.what();
    }
}

TEST(RankDistanceTransform, FewerThanTwoPairsIsADataProblem)
{
    PackedDistances one = pairsOf(2, {3.0});
    EXPECT_THROW(RankDistanceTransform(one, "X"), DataProblem);
    PackedDistances none(1);
    EXPECT_THROW(RankDistanceTransform(none, "X"), DataProblem);
}

// Spearman's correlation of 1..5 against their cubes is 1, and against their reversal -1, though
// Pearson's correlation of the values is neither.
TEST(RankDistanceTransform, PearsonOfRanksIsSpearman)
{
    PackedDistances a = pairsOf(4, {1, 2, 3, 4, 5, 6});
    PackedDistances cubes = pairsOf(4, {1, 8, 27, 64, 125, 216});
    PackedDistances reversed = pairsOf(4, {36, 25, 16, 9, 4, 1});
    EXPECT_LT(MatrixCorrelation(a, cubes), 1.0);
    RankDistanceTransform(a, "a");
    RankDistanceTransform(cubes, "cubes");
    RankDistanceTransform(reversed, "reversed");
    EXPECT_DOUBLE_EQ(MatrixCorrelation(a, cubes), 1.0);
    EXPECT_DOUBLE_EQ(MatrixCorrelation(a, reversed), -1.0);
}

} // namespace
} // namespace tessaloc
