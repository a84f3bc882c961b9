#include "core/RandomUniform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <utility>

namespace tessaloc {
namespace {

TEST(RandomUniform, FirstValuesAfterSeedingWithOnesFollowTheFormula)
{
    RandomUniform random(1, 1);
    // Step 1: k = 0, state1 = 1 * 40014; step 2: state2 = 1 * 40692;
    // step 3: z = 40014 - 40692 = -678, below 1, so z = -678 + 2147483562.
    EXPECT_EQ(random.next(), (2147482884.0 * 4.656613) * 1e-10);
    EXPECT_EQ(random.state1(), 40014);
    EXPECT_EQ(random.state2(), 40692);
    // Second draw: 40014^2 = 1601120196 and 40692^2 = 1655838864, both below their moduli;
    // z = 1601120196 - 1655838864 = -54718668, plus 2147483562.
    EXPECT_EQ(random.next(), (2092764894.0 * 4.656613) * 1e-10);
    EXPECT_EQ(random.state1(), 1601120196);
    EXPECT_EQ(random.state2(), 1655838864);
}

TEST(RandomUniform, SchrageStepsEqualPlainModularMultiplication)
{
    // Schrage's decomposition must give exactly a * s mod m; 64-bit products compute that directly.
    RandomUniform random(86399, 123456789);
    std::int64_t s1 = 86399;
    std::int64_t s2 = 123456789;
    for (int draw = 0; draw < 100000; ++draw) {
        s1 = s1 * 40014 % 2147483563;
        s2 = s2 * 40692 % 2147483399;
        std::int64_t z = s1 - s2;
        if (z < 1)
            z += 2147483562;
        const double value = random.next();
        ASSERT_EQ(value, (static_cast<double>(z) * 4.656613) * 1e-10) << "draw " << draw;
        ASSERT_GT(value, 0.0);
        ASSERT_LT(value, 1.0);
    }
}

TEST(RandomUniform, ZeroFirstStateStaysZeroAndValuesStayInside)
{
    RandomUniform random(0, 4711);
    for (int draw = 0; draw < 10000; ++draw) {
        const double value = random.next();
        ASSERT_EQ(random.state1(), 0);
        ASSERT_GT(value, 0.0);
        ASSERT_LT(value, 1.0);
    }
}

TEST(RandomUniform, SeedsOutsideTheValidRangesLeaveTheGeneratorConstant)
{
    // The ranges follow from the moduli: a state of 0 stays 0, and a state equal to its modulus
    // turns into 0 at the first draw (Schrage's step gives (m - q k) a - r k = r a - a r = 0).
    const std::pair<std::int64_t, std::int64_t> constant[] = {
        {0, 0}, {2147483563, 2147483399}, {0, 2147483399}, {2147483563, 0}};
    for (const auto& [s1, s2] : constant) {
        EXPECT_FALSE(RandomUniform::validSeed(s1, s2)) << s1 << "," << s2;
        RandomUniform random(s1, s2);
        const double first = random.next();
        for (int draw = 0; draw < 100; ++draw)
            ASSERT_EQ(random.next(), first) << s1 << "," << s2;
    }
    EXPECT_EQ(RandomUniform::kLargestSeed1, 2147483562);
    EXPECT_EQ(RandomUniform::kLargestSeed2, 2147483398);
    EXPECT_TRUE(RandomUniform::validSeed(1, 1));
    EXPECT_TRUE(RandomUniform::validSeed(2147483562, 2147483398));
    EXPECT_FALSE(RandomUniform::validSeed(0, 5));
    EXPECT_FALSE(RandomUniform::validSeed(5, 0));
    EXPECT_FALSE(RandomUniform::validSeed(2147483563, 5));
    EXPECT_FALSE(RandomUniform::validSeed(5, 2147483399));
    EXPECT_FALSE(RandomUniform::validSeed(-1, 5));
}

TEST(RandomUniform, ObservationDrawsCoverOneToN)
{
    RandomUniform random(17, 29);
    std::vector<int> seen(8, 0);
    for (int draw = 0; draw < 2000; ++draw) {
        const int k = random.nextObservation(7);
        ASSERT_GE(k, 1);
        ASSERT_LE(k, 7);
        ++seen[k];
    }
    for (int k = 1; k <= 7; ++k)
        EXPECT_GT(seen[k], 0) << k;
}

TEST(SeedSource, SameSecondGivesSameFirstStateButNewSecondState)
{
    SeedSource seeds;
    const RandomUniform first = seeds.seedAt(3600);
    const RandomUniform second = seeds.seedAt(3600);
    EXPECT_EQ(first.state1(), 3600);
    EXPECT_EQ(second.state1(), 3600);
    EXPECT_NE(first.state2(), second.state2());
    EXPECT_GE(first.state2(), 0);
    EXPECT_LT(first.state2(), 2147483390);
}

TEST(SeedSource, MidnightCountsAsTheEndOfTheDayBefore)
{
    // At 00:00:00 the seconds since midnight are 0, which would keep the first component at 0.
    EXPECT_EQ(SeedSource::seedFrom(0, 0.5).state1(), 86400);
    EXPECT_EQ(SeedSource::seedFrom(1, 0.5).state1(), 1);
    EXPECT_EQ(SeedSource::seedFrom(86399, 0.5).state1(), 86399);
    SeedSource seeds;
    EXPECT_EQ(seeds.seedAt(0).state1(), 86400);
}

TEST(SeedSource, SecondStateOfZeroCountsAsTheFirstNumberBeyondItsRange)
{
    // Int(r x 2147483390) is 0 for r below 1 / 2147483390.
    EXPECT_EQ(SeedSource::seedFrom(5, 0.0).state2(), 2147483390);
    EXPECT_EQ(SeedSource::seedFrom(5, 4e-10).state2(), 2147483390);
    EXPECT_EQ(SeedSource::seedFrom(5, 5e-10).state2(), 1);
    EXPECT_EQ(SeedSource::seedFrom(5, 0.5).state2(), 1073741695);
    EXPECT_EQ(SeedSource::seedFrom(5, std::nextafter(1.0, 0.0)).state2(), 2147483389);
}

TEST(SeedSource, EveryClockReadingGivesAValidSeed)
{
    for (const double r : {0.0, 1e-12, 0.25, std::nextafter(1.0, 0.0)}) {
        for (int seconds = 0; seconds < 86400; ++seconds) {
            const RandomUniform random = SeedSource::seedFrom(seconds, r);
            ASSERT_TRUE(RandomUniform::validSeed(random.state1(), random.state2())) << seconds << " " << r;
        }
    }
}

TEST(SeedSource, FollowsTheSameSequenceAfterEveryProgramStart)
{
    SeedSource firstStart;
    SeedSource secondStart;
    for (int run = 0; run < 5; ++run)
        EXPECT_EQ(firstStart.seedAt(0).state2(), secondStart.seedAt(0).state2());
    const RandomUniform clock = firstStart.seedFromClock();
    EXPECT_GE(clock.state1(), 1);
    EXPECT_LE(clock.state1(), 86400);
}

TEST(SeedDrawnFrom, NamesTheStartOnlyWhenANumberWasDrawn)
{
    // mmrr --shuffle complete named a clock seed though it drew nothing; the one rule gives none.
    const RandomUniform start(12, 34);
    RandomUniform random = start;
    EXPECT_EQ(seedDrawnFrom(start, random), std::nullopt);
    random.next();
    EXPECT_EQ(seedDrawnFrom(start, random), std::make_optional(RandomSeed{12, 34}));
}

} // namespace
} // namespace tessaloc
