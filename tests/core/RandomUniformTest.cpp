#include "core/RandomUniform.h"

#include <gtest/gtest.h>

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

TEST(SeedSource, FollowsTheSameSequenceAfterEveryProgramStart)
{
    SeedSource firstStart;
    SeedSource secondStart;
    for (int run = 0; run < 5; ++run)
        EXPECT_EQ(firstStart.seedAt(0).state2(), secondStart.seedAt(0).state2());
    const RandomUniform clock = firstStart.seedFromClock();
    EXPECT_GE(clock.state1(), 0);
    EXPECT_LE(clock.state1(), 86399);
}

} // namespace
} // namespace tessaloc
