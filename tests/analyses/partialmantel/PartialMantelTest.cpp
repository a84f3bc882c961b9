#include "analyses/partialmantel/PartialMantel.h"

#include "core/DistanceRanks.h"
#include "core/Errors.h"
#include "core/MatrixSums.h"
#include "tests/support/AllArrangements.h"
#include "tests/support/MatrixBuilders.h"
#include "tests/support/RandomMatrices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace tessaloc {
namespace {

using testing::pairsOf;

PredictorMatrix named(std::string name, PackedDistances distances)
{
    return {std::move(name), "", std::move(distances)};
}

SquareMatrix randomMatrix(int n, std::mt19937& engine)
{
    std::uniform_real_distribution<double> uniform(0.0, 10.0);
    SquareMatrix m(n);
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            m.setPair(i, j, uniform(engine));
    return m;
}

PartialMantelResult run(const PackedDistances& genetic, const PackedDistances& x, const PackedDistances& z,
                        PartialMantelSettings settings = {}, std::int64_t seed = 7)
{
    RandomUniform random(seed, 11);
    return ComputePartialMantel(genetic, named("x.csv", x), named("z.csv", z), settings, random, RunListener::none());
}

// The formula on the three correlations that MatrixCorrelation gives of whole matrices.
double partialOfCorrelations(const SquareMatrix& g, const SquareMatrix& x, const SquareMatrix& z)
{
    const double gx = MatrixCorrelation(g, x);
    const double gz = MatrixCorrelation(g, z);
    const double xz = MatrixCorrelation(x, z);
    return (gx - gz * xz) / std::sqrt((1 - gz * gz) * (1 - xz * xz));
}

TEST(PartialMantel, StatisticIsThePartialCorrelationOfTheThreeCorrelations)
{
    std::mt19937 engine(5);
    for (const int n : {3, 4, 8, 25}) {
        const SquareMatrix g = randomMatrix(n, engine);
        const SquareMatrix x = randomMatrix(n, engine);
        const SquareMatrix z = randomMatrix(n, engine);
        PartialMantelSettings settings;
        settings.permutations.count = 0;
        const PartialMantelResult result = run(PackedDistances(g), PackedDistances(x), PackedDistances(z), settings);
        const double expected = partialOfCorrelations(g, x, z);
        EXPECT_NEAR(result.r, expected, 1e-12 * std::abs(expected)) << n;
        EXPECT_NEAR(result.geneticX, MatrixCorrelation(g, x), 1e-13) << n;
        EXPECT_NEAR(result.geneticZ, MatrixCorrelation(g, z), 1e-13) << n;
        EXPECT_NEAR(result.xZ, MatrixCorrelation(x, z), 1e-13) << n;
        EXPECT_EQ(result.permutations, 0);
        EXPECT_EQ(result.pGreaterOrEqual, 1.0);
    }
}

// Hand-checkable: with Z uncorrelated to both, the partial r is r_GX. Pairs of 4 observations:
// G = X = 1..6 and Z = (1, -1, 0, 0, -1, 1) centred and orthogonal to 1..6 - 3.5.
TEST(PartialMantel, ZUncorrelatedWithBothLeavesTheCorrelation)
{
    const PartialMantelResult result =
        run(pairsOf(4, {1, 2, 3, 4, 5, 6}), pairsOf(4, {1, 2, 3, 4, 5, 6}), pairsOf(4, {1, -1, 0, 0, -1, 1}), {}, 3);
    EXPECT_EQ(result.xZ, 0.0);
    EXPECT_EQ(result.geneticZ, 0.0);
    EXPECT_NEAR(result.r, 1.0, 1e-15);
}

TEST(PartialMantel, ResidualLinesAreTheLeastSquaresLinesOnZ)
{
    // X = 2 Z + 1 + e with e orthogonal to Z and summing to 0: the line of X on Z is 1 + 2 Z.
    const PackedDistances z = pairsOf(4, {1, 2, 3, 4, 5, 6});
    const PackedDistances x = pairsOf(4, {3 + 1, 5 - 1, 7 - 1, 9 + 1, 11 + 1, 13 - 1});
    const PackedDistances g = pairsOf(4, {2, 1, 4, 3, 6, 7});
    const PartialMantelResult result = run(g, x, z);
    // e = (1, -1, -1, 1, 1, -1) has sum 0 but covariance with Z - 3.5 of
    // -2.5 + 1.5 + 0.5 + 0.5 + 1.5 - 2.5 = -1, over the sum of squares 17.5.
    EXPECT_NEAR(result.xOnZ.slope, 2.0 - 1.0 / 17.5, 1e-12);
    EXPECT_NEAR(result.xOnZ.intercept, 8.0 - result.xOnZ.slope * 3.5, 1e-12);
}

// Z scaled by 1e153 gave r = -.547 instead of -.384 and "Correlation of X and Z: .0000000000" (its sum
// of squares overflowed); scaled by 1e300 it was ignored, and X or Z of tiny values underflowed.
TEST(PartialMantel, ZOrXOfHugeOrTinyValuesGiveTheCorrelationsOfOrdinaryOnes)
{
    std::mt19937 engine(12);
    const PackedDistances g(randomMatrix(12, engine));
    const PackedDistances x(randomMatrix(12, engine));
    const PackedDistances z(randomMatrix(12, engine));
    const PartialMantelResult ordinary = run(g, x, z);
    const auto scaled = [](PackedDistances m, double factor) {
        for (double& value : m.values())
            value *= factor;
        return m;
    };
    for (const double factor : {1e153, 1e300, 1e-300}) {
        for (const bool scaleZ : {true, false}) {
            const PartialMantelResult result = scaleZ ? run(g, x, scaled(z, factor)) : run(g, scaled(x, factor), z);
            const std::string what = (scaleZ ? "Z x " : "X x ") + std::to_string(factor);
            EXPECT_NEAR(result.r, ordinary.r, 1e-12) << what;
            EXPECT_NEAR(result.xZ, ordinary.xZ, 1e-12) << what;
            EXPECT_NEAR(result.geneticZ, ordinary.geneticZ, 1e-12) << what;
            EXPECT_EQ(result.greaterOrEqual, ordinary.greaterOrEqual) << what;
            // The lines on Z in the matrices' own units.
            const PairLine& line = scaleZ ? result.geneticOnZ : result.xOnZ;
            const PairLine& ordinaryLine = scaleZ ? ordinary.geneticOnZ : ordinary.xOnZ;
            const double slopeRatio = scaleZ ? 1.0 / factor : factor;
            EXPECT_NEAR(line.slope / ordinaryLine.slope, slopeRatio, 1e-12 * slopeRatio) << what;
            EXPECT_NEAR(line.intercept, ordinaryLine.intercept * (scaleZ ? 1.0 : factor),
                        1e-12 * std::abs(ordinaryLine.intercept) * (scaleZ ? 1.0 : factor))
                << what;
        }
    }
}

// Complete enumeration against every arrangement enumerated here: each r' from the rearranged
// matrix built in full, its deviations summed pair by pair in row order.
TEST(PartialMantel, CompleteEnumerationMatchesEveryArrangement)
{
    long long ties = 0;
    for (int n = 4; n <= 7; ++n) {
        for (const int coordinateRange : {1000, 2}) {
            const auto seed = static_cast<std::uint32_t>(10 * n + coordinateRange);
            const reference::DistanceMatrices m =
                reference::randomDistanceMatrices(DataType::Codominant, n, seed, coordinateRange);
            std::mt19937 engine(seed);
            const SquareMatrix z = randomMatrix(n, engine);
            const PairDeviations x = CenterPairs(m.packedGeographic());
            const PairDeviations dz = CenterPairs(PackedDistances(z));
            const double meanG = CenterPairs(m.packedGenetic()).mean;
            const double gSquares = CenterPairs(m.packedGenetic()).sumOfSquares;
            const double xz = CrossProductSum(x.deviations, dz.deviations);
            auto partial = [&](const SquareMatrix& g) {
                double gx = 0.0;
                double gz = 0.0;
                for (int i = 0; i < n; ++i) {
                    for (int j = i + 1; j < n; ++j) {
                        gx += (g(i, j) - meanG) * x.deviations(i, j);
                        gz += (g(i, j) - meanG) * dz.deviations(i, j);
                    }
                }
                return PartialMantelStatistic(gx, gz, gSquares, x.sumOfSquares, dz.sumOfSquares, xz);
            };
            const double observed = partial(m.genetic);
            long long atLeast = 0;
            long long atMost = 0;
            long long arrangements = 0;
            testing::forEachArrangement(n, [&](const std::vector<std::int32_t>& p) {
                const double r = partial(testing::rearranged(m.genetic, p));
                atLeast += r >= observed;
                atMost += r <= observed;
                ++arrangements;
            });
            ties += atLeast + atMost - arrangements - 1;

            PartialMantelSettings settings;
            settings.permutations.scheme = PermutationScheme::Complete;
            settings.permutations.count = 3; // ignored
            const PartialMantelResult result =
                run(m.packedGenetic(), m.packedGeographic(), PackedDistances(z), settings);
            const std::string label = "N " + std::to_string(n) + ", range " + std::to_string(coordinateRange);
            EXPECT_EQ(result.r, observed) << label;
            EXPECT_FALSE(result.seed) << "an exact test draws no random numbers";
            EXPECT_EQ(result.permutations, arrangements - 1) << label;
            EXPECT_EQ(result.pGreaterOrEqual, static_cast<double>(atLeast) / static_cast<double>(arrangements))
                << label;
            EXPECT_EQ(result.pLessOrEqual, static_cast<double>(atMost) / static_cast<double>(arrangements)) << label;
        }
    }
    EXPECT_GT(ties, 0) << "the cases must include arrangements other than the observed one that tie with it";
}

TEST(PartialMantel, CompleteEnumerationRefusesTenObservations)
{
    std::mt19937 engine(1);
    PartialMantelSettings settings;
    settings.permutations.scheme = PermutationScheme::Complete;
    EXPECT_THROW(run(PackedDistances(randomMatrix(10, engine)), PackedDistances(randomMatrix(10, engine)),
                     PackedDistances(randomMatrix(10, engine)), settings),
                 AnalysisError);
}

TEST(PartialMantel, SameSeedSameResultsWhateverTheThreads)
{
    const reference::DistanceMatrices m = reference::randomDistanceMatrices(DataType::Codominant, 60, 9, 50);
    std::mt19937 engine(4);
    const PackedDistances z(randomMatrix(60, engine));
    for (const PermutationScheme scheme : {PermutationScheme::Exchanges, PermutationScheme::Uniform}) {
        PartialMantelSettings settings;
        settings.permutations.count = 203;
        settings.permutations.scheme = scheme;
        settings.permutations.threads = 1;
        const PartialMantelResult one = run(m.packedGenetic(), m.packedGeographic(), z, settings);
        settings.permutations.threads = 3;
        const PartialMantelResult three = run(m.packedGenetic(), m.packedGeographic(), z, settings);
        EXPECT_EQ(one.r, three.r);
        EXPECT_EQ(one.greaterOrEqual, three.greaterOrEqual);
        EXPECT_EQ(one.lessOrEqual, three.lessOrEqual);
        EXPECT_EQ(one.greaterOrEqual + one.lessOrEqual, 203);
        EXPECT_EQ(one.seed, std::make_pair(std::int64_t{7}, std::int64_t{11}));
        // Another seed draws other arrangements.
        const PartialMantelResult other = run(m.packedGenetic(), m.packedGeographic(), z, settings, 8);
        EXPECT_EQ(other.r, one.r);
        EXPECT_NE(other.seed, one.seed);
    }
}

TEST(PartialMantel, RankVersionIsThePartialCorrelationOfTheRanks)
{
    std::mt19937 engine(12);
    PackedDistances g(randomMatrix(12, engine));
    PackedDistances x(randomMatrix(12, engine));
    PackedDistances z(randomMatrix(12, engine));
    // Cubes change Pearson's correlations but not the ranks.
    for (double& value : x.values())
        value = value * value * value;
    PartialMantelSettings settings;
    settings.rank = true;
    settings.permutations.count = 0;
    const PartialMantelResult ranked = run(g, x, z, settings);
    EXPECT_TRUE(ranked.rank);
    RankDistanceTransform(g, "g");
    RankDistanceTransform(x, "x");
    RankDistanceTransform(z, "z");
    const double expected = partialOfCorrelations(g.square(), x.square(), z.square());
    EXPECT_NEAR(ranked.r, expected, 1e-12 * std::abs(expected));
    EXPECT_EQ(ranked.x, x);
}

// Each bad input is a DataProblem whose message holds the given words.
struct BadInput {
    const char* name;
    PackedDistances genetic;
    PackedDistances x;
    PackedDistances z;
    bool rank;
    const char* words;
};

class PartialMantelBadInput : public ::testing::TestWithParam<BadInput> {};

TEST_P(PartialMantelBadInput, IsADataProblemSayingWhy)
{
    const BadInput& bad = GetParam();
    PartialMantelSettings settings;
    settings.rank = bad.rank;
    try {
        run(bad.genetic, bad.x, bad.z, settings);
        FAIL() << "no DataProblem";
    } catch (const DataProblem& problem) {
        EXPECT_NE(std::string(problem.what()).find(bad.words), std::string::npos) << problem.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, PartialMantelBadInput,
    ::testing::Values(
        BadInput{"TwoObservations", pairsOf(2, {1}), pairsOf(2, {1}), pairsOf(2, {2}), false, "three observations"},
        BadInput{"DifferentSizes", pairsOf(3, {1, 2, 3}), pairsOf(4, {1, 2, 3, 4, 5, 6}), pairsOf(3, {3, 1, 2}), false,
                 "same observations"},
        BadInput{"ConstantX", pairsOf(3, {1, 2, 4}), pairsOf(3, {5, 5, 5}), pairsOf(3, {3, 1, 2}), false,
                 "X (\"x.csv\") is the same for every pair"},
        BadInput{"ConstantGenetic", pairsOf(3, {1, 1, 1}), pairsOf(3, {5, 6, 5}), pairsOf(3, {3, 1, 2}), false,
                 "The genetic distance is the same"},
        BadInput{"XCollinearWithZ", pairsOf(4, {1, 2, 4, 3, 6, 5}), pairsOf(4, {3, 5, 7, 9, 11, 13}),
                 pairsOf(4, {1, 2, 3, 4, 5, 6}), false, "X (\"x.csv\") and Z (\"z.csv\") are exactly collinear"},
        BadInput{"GeneticCollinearWithZ", pairsOf(4, {6, 5, 4, 3, 2, 1}), pairsOf(4, {1, 3, 2, 5, 4, 7}),
                 pairsOf(4, {1, 2, 3, 4, 5, 6}), false,
                 "The genetic distances and Z (\"z.csv\") are exactly collinear"},
        BadInput{"RanksOfTiedPairs", pairsOf(3, {1, 2, 4}), pairsOf(3, {5, 5, 5}), pairsOf(3, {3, 1, 2}), true,
                 "Ranks cannot be taken of X (\"x.csv\")"}),
    [](const ::testing::TestParamInfo<BadInput>& param) { return std::string(param.param.name); });

} // namespace
} // namespace tessaloc
