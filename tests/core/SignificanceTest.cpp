#include "core/Significance.h"

#include "core/ProcessGroup.h"
#include "tests/support/ThreadsAsProcesses.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace tessaloc {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// R's quantile(type = 7), transcribed for the comparison: index = 1 + (n - 1) p, the values at
// floor and ceiling of it, interpolated when they differ.
double quantileType7(std::vector<double> x, double p)
{
    std::sort(x.begin(), x.end());
    const double index = 1 + static_cast<double>(x.size() - 1) * p;
    const double lo = std::floor(index);
    const double hi = std::ceil(index);
    double q = x[static_cast<size_t>(lo) - 1];
    if (index > lo && x[static_cast<size_t>(hi) - 1] != q)
        q = (1 - (index - lo)) * q + (index - lo) * x[static_cast<size_t>(hi) - 1];
    return q;
}

TEST(Significance, TwoSidedProbabilityIsTwiceTheSmallerTailAtMostOne)
{
    struct Case {
        double upper, lower, expected;
    };
    // Worked by hand from the rule: 2 x min(upper, lower), capped at 1.
    for (const Case& c : {Case{0.01, 0.99, 0.02}, Case{0.99, 0.01, 0.02}, Case{0.5, 0.5, 1.0}, Case{0.6, 0.7, 1.0},
                          Case{1.0, 0.0, 0.0}, Case{0.025, 0.976, 0.05}})
        EXPECT_DOUBLE_EQ(TwoSidedProbability(c.upper, c.lower), c.expected) << c.upper << " " << c.lower;
}

TEST(Significance, HolmAdjustedMatchesAHandWorkedTable)
{
    // p = .01 .04 .03 .005; sorted .005 .01 .03 .04 times 4 3 2 1 = .02 .03 .06 .04, running
    // maximum .02 .03 .06 .06, back in the original order: .03 .06 .06 .02.
    const std::vector<double> adjusted = HolmAdjusted({0.01, 0.04, 0.03, 0.005});
    const std::vector<double> expected = {0.03, 0.06, 0.06, 0.02};
    ASSERT_EQ(adjusted.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_DOUBLE_EQ(adjusted[i], expected[i]) << i;
}

TEST(Significance, HolmAdjustedCapsAtOneKeepsTiesInOrderAndLeavesNaNOut)
{
    // NaN does not count: m = 3. Sorted .2 .2 .5 times 3 2 1 = .6 .4 .5, running maximum .6 .6 .6.
    const std::vector<double> adjusted = HolmAdjusted({0.2, kNaN, 0.5, 0.2});
    EXPECT_DOUBLE_EQ(adjusted[0], 0.6);
    EXPECT_TRUE(std::isnan(adjusted[1]));
    EXPECT_DOUBLE_EQ(adjusted[2], 0.6);
    EXPECT_DOUBLE_EQ(adjusted[3], 0.6);
    // 3 x .4 = 1.2 is capped.
    EXPECT_DOUBLE_EQ(HolmAdjusted({0.4, 0.9, 0.9})[0], 1.0);
    EXPECT_TRUE(HolmAdjusted({}).empty());
}

TEST(Significance, ProgressiveHolmCorrectsEachTestOverTheOnesBeforeIt)
{
    // Worked by hand: class 1 alone keeps .001. Classes 1-2: .001 x 2 = .002, .04 x 1 = .04 -> .04.
    // Classes 1-3: .003, .02 x 2 = .04, .04 x 1 -> class 3 (.02) gets .04. Classes 1-4: .004,
    // .02 x 3 = .06, .04 x 2 = .08, .5 x 1 = .5 -> class 4 gets .5.
    const std::vector<double> corrected = ProgressiveHolm({0.001, 0.04, 0.02, 0.5});
    const std::vector<double> expected = {0.001, 0.04, 0.04, 0.5};
    ASSERT_EQ(corrected.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_DOUBLE_EQ(corrected[i], expected[i]) << i;
    // A NaN test is left out of the later ones' corrections.
    const std::vector<double> withGap = ProgressiveHolm({0.01, kNaN, 0.02});
    EXPECT_DOUBLE_EQ(withGap[0], 0.01);
    EXPECT_TRUE(std::isnan(withGap[1]));
    EXPECT_DOUBLE_EQ(withGap[2], 0.02); // .01 x 2 = .02, .02 x 1 -> .02
}

TEST(Significance, ProgressiveHolmEqualsHolmAdjustedOfEveryPrefix)
{
    // The literal definition: test k's value is HolmAdjusted of tests 1..k, at k. Probabilities from
    // a coarse grid give ties, zeros, ones and NaN gaps.
    std::mt19937_64 engine(11);
    std::uniform_int_distribution<int> grid(0, 12);
    for (int round = 0; round < 200; ++round) {
        std::vector<double> p(static_cast<size_t>(1 + round % 40));
        for (double& value : p) {
            const int step = grid(engine);
            value = step == 12 ? kNaN : step / 20.0 * (round % 3 == 0 ? 0.01 : 1.0);
        }
        const std::vector<double> fast = ProgressiveHolm(p);
        ASSERT_EQ(fast.size(), p.size());
        for (size_t k = 0; k < p.size(); ++k) {
            const std::vector<double> prefix(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(k) + 1);
            const double literal = HolmAdjusted(prefix)[k];
            if (std::isnan(literal))
                ASSERT_TRUE(std::isnan(fast[k])) << round << " " << k;
            else
                ASSERT_EQ(fast[k], literal) << round << " " << k;
        }
    }
}

TEST(Significance, ProgressiveHolmOverTheMostClassesKeepsZerosAndCapsAtOne)
{
    // 65535 classes (the most the analysis takes) with the probabilities a test of 2 permutations
    // gives (a correction that sorts every prefix takes minutes here).
    std::vector<double> p;
    for (int k = 0; k < 65535; ++k)
        p.push_back(k % 3 == 0 ? 0.0 : 1.0);
    const std::vector<double> corrected = ProgressiveHolm(p);
    for (size_t k = 0; k < p.size(); ++k)
        ASSERT_EQ(corrected[k], p[k]) << k;
}

TEST(Significance, SortedQuantileFollowsType7)
{
    // quantile(1:10, c(.025, .975)) in R: 1.225 and 9.775 (1 + 9 x .025 = 1.225).
    std::vector<double> values;
    for (int i = 1; i <= 10; ++i)
        values.push_back(i);
    EXPECT_DOUBLE_EQ(SortedQuantile(values, 0.025), 1.225);
    EXPECT_DOUBLE_EQ(SortedQuantile(values, 0.975), 9.775);
    EXPECT_DOUBLE_EQ(SortedQuantile({4.0}, 0.975), 4.0);
    EXPECT_TRUE(std::isnan(SortedQuantile({}, 0.5)));
    const Band band = QuantileBand({9, 3, 5, 1, 7, 2, 10, 4, 8, 6});
    EXPECT_DOUBLE_EQ(band.low, 1.225);
    EXPECT_DOUBLE_EQ(band.high, 9.775);
    EXPECT_FALSE(QuantileBand({}).defined());
}

TEST(Significance, BandOfValuesGivesTheBandOfAllItsValues)
{
    std::mt19937_64 engine(5);
    std::uniform_int_distribution<int> coarse(0, 9); // many ties
    std::normal_distribution<double> fine(0.0, 1.0);
    for (const long long count : {1LL, 2LL, 3LL, 39LL, 40LL, 41LL, 81LL, 999LL, 1000LL, 4001LL}) {
        for (const bool ties : {false, true}) {
            std::vector<double> values;
            BandOfValues streamed(count);
            for (long long i = 0; i < count; ++i) {
                values.push_back(ties ? coarse(engine) / 4.0 : fine(engine));
                streamed.add(values.back());
            }
            const Band band = streamed.band();
            EXPECT_EQ(band.low, quantileType7(values, 0.025)) << count << (ties ? " with ties" : "");
            EXPECT_EQ(band.high, quantileType7(values, 0.975)) << count << (ties ? " with ties" : "");

            // The values split among three processes, each adding its own block to two bands (the
            // second of the values negated), give the same bands once shared.
            std::vector<Band> shared(3 * 2);
            test::ThreadsAsProcesses::run(3, [&](int index) {
                const std::vector<size_t> starts = evenBlockStarts(values.size(), 3);
                std::vector<BandOfValues> bands(2, BandOfValues(count));
                for (size_t k = starts[static_cast<size_t>(index)]; k < starts[static_cast<size_t>(index) + 1]; ++k) {
                    bands[0].add(values[k]);
                    bands[1].add(-values[k]);
                }
                shareBands(*sharingProcessGroup(), bands);
                shared[static_cast<size_t>(index) * 2] = bands[0].band();
                shared[static_cast<size_t>(index) * 2 + 1] = bands[1].band();
            });
            std::vector<double> negated;
            for (const double value : values)
                negated.push_back(-value);
            for (size_t member = 0; member < 3; ++member) {
                EXPECT_EQ(shared[member * 2].low, band.low) << count << ", process " << member;
                EXPECT_EQ(shared[member * 2].high, band.high) << count << ", process " << member;
                EXPECT_EQ(shared[member * 2 + 1].low, quantileType7(negated, 0.025)) << count << ", process " << member;
                EXPECT_EQ(shared[member * 2 + 1].high, quantileType7(negated, 0.975))
                    << count << ", process " << member;
            }
        }
    }
    EXPECT_FALSE(BandOfValues(0).band().defined());
}

TEST(Significance, TailProbabilityCountsTheObservedArrangementOnceOrNot)
{
    struct Case {
        long long count;
        long long replicates;
        ObservedArrangement observed;
        double p;
    };
    // Worked by hand: (count + 1) / (replicates + 1), or count / replicates.
    for (const Case c :
         {Case{0, 999, ObservedArrangement::AddedToCounts, 0.001},
          Case{999, 999, ObservedArrangement::AddedToCounts, 1.0}, Case{0, 0, ObservedArrangement::AddedToCounts, 1.0},
          Case{25, 100, ObservedArrangement::NotCounted, 0.25}, Case{720, 720, ObservedArrangement::NotCounted, 1.0}})
        EXPECT_DOUBLE_EQ(TailProbability(c.count, c.replicates, c.observed), c.p) << c.count << " of " << c.replicates;
    EXPECT_TRUE(std::isnan(TailProbability(0, 0, ObservedArrangement::NotCounted)));
}

TEST(Significance, DistinctValuesCountsUpToEnough)
{
    EXPECT_EQ(DistinctValues({}, 2), 0);
    EXPECT_EQ(DistinctValues({0.5, 0.5, 0.5}, 2), 1);
    EXPECT_EQ(DistinctValues({0.5, 0.5, 0.25, 0.125}, 2), 2);
    EXPECT_EQ(DistinctValues({0.5, 0.5, 0.25, 0.125}, 5), 3);
}

} // namespace
} // namespace tessaloc
