#include "core/Errors.h"
#include "core/Permutations.h"
#include "core/RandomUniform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace tessaloc {
namespace {

TEST(ObservationShuffle, StuckGeneratorEndsTheTestInsteadOfSpinning)
{
    // Both states outside their ranges: every draw gives the same value, so b always equals a.
    const std::pair<std::int64_t, std::int64_t> stuck[] = {{0, 0}, {2147483563, 2147483399}, {0, 2147483399}};
    for (const auto& [s1, s2] : stuck) {
        RandomUniform random(s1, s2);
        ObservationShuffle shuffle(10);
        try {
            shuffle.nextReplicate(random);
            ADD_FAILURE() << s1 << "," << s2 << " must not shuffle";
        } catch (const AnalysisError& error) {
            EXPECT_EQ(std::string(error.what()),
                      "the permutation test cannot draw two different observations: 1000 draws in a row gave "
                      "observation 10 of 10; the random generator is stuck at states 0,0");
        }
    }
}

TEST(ObservationShuffle, SingleObservationEndsTheTestInsteadOfSpinning)
{
    RandomUniform random(1, 1);
    ObservationShuffle shuffle(1);
    try {
        shuffle.nextReplicate(random);
        FAIL() << "one observation has no other to exchange with";
    } catch (const AnalysisError& error) {
        EXPECT_EQ(std::string(error.what()), "a permutation test needs at least two observations to exchange, not 1");
    }
}

TEST(ObservationShuffle, ValidSeedsDrawTheExchangesOfTheLiteralLoop)
{
    // The exchanges as the loop is written out: a, then b until b != a, then swap.
    for (const int n : {2, 3, 17}) {
        RandomUniform random(12345, 67890);
        RandomUniform reference(12345, 67890);
        ObservationShuffle shuffle(n);
        std::vector<std::int32_t> expected(static_cast<size_t>(n));
        std::iota(expected.begin(), expected.end(), 0);
        for (int replicate = 0; replicate < 200; ++replicate) {
            shuffle.nextReplicate(random);
            for (int exchange = 0; exchange < n; ++exchange) {
                const int a = reference.nextObservation(n);
                int b = reference.nextObservation(n);
                while (b == a)
                    b = reference.nextObservation(n);
                std::swap(expected[a - 1], expected[b - 1]);
            }
            ASSERT_EQ(shuffle.permutation(), expected) << "n " << n << ", replicate " << replicate;
        }
        EXPECT_EQ(random.state1(), reference.state1());
        EXPECT_EQ(random.state2(), reference.state2());
    }
}

} // namespace
} // namespace tessaloc
