#include "core/Permutations.h"

#include "core/Errors.h"
#include "tests/support/AllArrangements.h"
#include "tests/support/RecordingListener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <numeric>
#include <set>
#include <vector>

namespace tessaloc {
namespace {

using testing::RecordingListener;

TEST(TailCounts, TiesCountInBothTails)
{
    struct Case {
        double replicate;
        std::uint8_t outcome;
    };
    // Against an observed 2.0: above, equal and below.
    for (const Case c : {Case{3.0, kAtLeast}, Case{2.0, kAtLeast | kAtMost}, Case{1.0, kAtMost}})
        EXPECT_EQ(compareTails(c.replicate, 2.0), c.outcome) << c.replicate;

    TailCounts counts;
    for (const double replicate : {3.0, 2.0, 1.0, 2.0, 0.5})
        counts.add(replicate, 2.0);
    EXPECT_EQ(counts.atLeast, 3);
    EXPECT_EQ(counts.atMost, 4);
}

TEST(TailOutcomes, KeepsEveryStatisticAndSlotApart)
{
    TailOutcomes outcomes(5, 3);
    for (int slot = 0; slot < 3; ++slot)
        for (size_t statistic = 0; statistic < 5; ++statistic)
            outcomes.set(slot, statistic, static_cast<std::uint8_t>((slot + statistic) % 4));
    outcomes.set(1, 2, kAtMost); // a later batch replaces the slot's outcome
    for (int slot = 0; slot < 3; ++slot)
        for (size_t statistic = 0; statistic < 5; ++statistic) {
            const size_t expected = slot == 1 && statistic == 2 ? size_t{kAtMost} : (slot + statistic) % 4;
            EXPECT_EQ(outcomes.get(slot, statistic), expected) << slot << " " << statistic;
        }
}

TEST(ReplicateStatus, EveryTenthReplicateWithTheAnalysisPrefix)
{
    EXPECT_EQ(replicateStatus("Replicate: ", 10), "Replicate:  10");
    EXPECT_EQ(replicateStatus("Rep: ", 120), "Rep:  120");
    EXPECT_EQ(replicateStatus("Replicate:", 30), "Replicate: 30");
    EXPECT_EQ(replicateStatus("Replicate: ", 11), "");
}

// Permutation settings of the runner tests.
PermutationSettings permutationsOf(long long count, PermutationScheme scheme = PermutationScheme::Exchanges,
                                   int threads = 0)
{
    return PermutationSettings{.count = count, .scheme = scheme, .threads = threads};
}

// Each replicate's statistic here is the sum of i x p(i): it depends only on the permutation.
std::vector<long long> runnerStatistics(int threads, RunListener& listener, std::vector<int>* order = nullptr)
{
    const int n = 7;
    const int replicates = 53;
    PermutationRunner runner(n, permutationsOf(replicates, PermutationScheme::Exchanges, threads));
    std::vector<long long> slots(static_cast<size_t>(runner.batchCapacity()));
    std::vector<long long> statistics;
    RandomUniform random(3, 4);
    runner.run(
        random, listener, "Replicate: ",
        [&](const std::int32_t* const* permutations, int count, int firstSlot) {
            for (int lane = 0; lane < count; ++lane) {
                long long sum = 0;
                for (int i = 0; i < n; ++i)
                    sum += static_cast<long long>(i) * permutations[lane][i];
                slots[static_cast<size_t>(firstSlot + lane)] = sum;
            }
        },
        [&](int replicate, int slot) {
            if (order)
                order->push_back(replicate);
            statistics.push_back(slots[static_cast<size_t>(slot)]);
        });
    return statistics;
}

TEST(PermutationRunner, ResultsInReplicateOrderWhateverTheThreads)
{
    // The same replicates drawn one by one on this thread.
    RandomUniform random(3, 4);
    ObservationShuffle shuffle(7);
    std::vector<long long> expected;
    for (int replicate = 1; replicate <= 53; ++replicate) {
        shuffle.nextReplicate(random);
        long long sum = 0;
        for (int i = 0; i < 7; ++i)
            sum += static_cast<long long>(i) * shuffle.permutation()[static_cast<size_t>(i)];
        expected.push_back(sum);
    }
    for (const int threads : {1, 2, 3, 8}) {
        RecordingListener listener;
        std::vector<int> order;
        EXPECT_EQ(runnerStatistics(threads, listener, &order), expected) << threads << " threads";
        ASSERT_EQ(order.size(), 53u);
        for (size_t k = 0; k < order.size(); ++k)
            ASSERT_EQ(order[k], static_cast<int>(k) + 1);
        EXPECT_EQ(listener.statuses, (std::vector<std::string>{"Replicate:  10", "Replicate:  20", "Replicate:  30",
                                                               "Replicate:  40", "Replicate:  50"}));
    }
}

TEST(PermutationRunner, StopsWhenCancelled)
{
    RecordingListener listener;
    listener.cancelAfterFirstStatus = true;
    listener.status("Calculating");
    EXPECT_THROW(runnerStatistics(2, listener), RunCancelled);
}

using Arrangement = std::vector<std::int32_t>;

// Every replicate's arrangement as the runner hands it to the evaluator, in replicate order.
std::vector<Arrangement> runnerArrangements(int n, const PermutationSettings& settings, RandomUniform& random,
                                            ObservedArrangement observed = ObservedArrangement::NotCounted)
{
    PermutationRunner runner(n, settings, observed);
    std::vector<Arrangement> slots(static_cast<size_t>(runner.batchCapacity()));
    std::vector<Arrangement> arrangements;
    runner.run(
        random, RunListener::none(), "Replicate: ",
        [&](const std::int32_t* const* permutations, int count, int firstSlot) {
            for (int lane = 0; lane < count; ++lane)
                slots[static_cast<size_t>(firstSlot + lane)].assign(permutations[lane], permutations[lane] + n);
        },
        [&](int, int slot) { arrangements.push_back(slots[static_cast<size_t>(slot)]); });
    return arrangements;
}

// +1 for an even arrangement, -1 for an odd one, from its count of inversions.
int parity(const Arrangement& p)
{
    int inversions = 0;
    for (size_t i = 0; i < p.size(); ++i)
        for (size_t j = i + 1; j < p.size(); ++j)
            inversions += p[i] > p[j];
    return inversions % 2 == 0 ? 1 : -1;
}

TEST(UniformShuffle, DrawsTheFisherYatesLoopFromTheIdentityEachReplicate)
{
    // The shuffle as the loop is written out: from the identity, for i = N-1 down to 1,
    // j = Int(U x (i + 1)), then entries i and j exchanged.
    for (const int n : {1, 2, 3, 17}) {
        RandomUniform random(12345, 67890);
        RandomUniform reference(12345, 67890);
        UniformShuffle shuffle(n);
        for (int replicate = 0; replicate < 200; ++replicate) {
            shuffle.nextReplicate(random);
            Arrangement expected(static_cast<size_t>(n));
            std::iota(expected.begin(), expected.end(), 0);
            for (int i = n - 1; i >= 1; --i) {
                const int j = static_cast<int>(reference.next() * (i + 1));
                std::swap(expected[static_cast<size_t>(i)], expected[static_cast<size_t>(j)]);
            }
            ASSERT_EQ(shuffle.permutation(), expected) << "n " << n << ", replicate " << replicate;
        }
        EXPECT_EQ(random.state1(), reference.state1()) << "N - 1 draws per replicate, no more";
        EXPECT_EQ(random.state2(), reference.state2());
    }
}

TEST(PermutationRunner, UniformShufflesReachEveryArrangementEvenly)
{
    // N = 4: 24 arrangements, 24000 replicates, so 1000 expected of each.
    RandomUniform random(20240, 7);
    const std::vector<Arrangement> drawn =
        runnerArrangements(4, permutationsOf(24000, PermutationScheme::Uniform), random);
    ASSERT_EQ(drawn.size(), 24000u);
    std::map<Arrangement, int> counts;
    for (const Arrangement& p : drawn)
        ++counts[p];
    ASSERT_EQ(counts.size(), 24u) << "every arrangement, odd ones included";
    double chiSquare = 0.0;
    for (const auto& [p, count] : counts)
        chiSquare += (count - 1000.0) * (count - 1000.0) / 1000.0;
    // 49.73 is the 0.999 quantile of the chi-square distribution with 23 degrees of freedom. The seed
    // is fixed, so the outcome is too.
    EXPECT_LT(chiSquare, 49.73);
}

TEST(PermutationRunner, ExchangesOfFourObservationsReachOnlyTheTwelveEvenArrangements)
{
    // Four transpositions per replicate keep every arrangement even: the odd half never occurs.
    RandomUniform random(20240, 7);
    const std::vector<Arrangement> drawn =
        runnerArrangements(4, permutationsOf(24000, PermutationScheme::Exchanges), random);
    std::set<Arrangement> seen(drawn.begin(), drawn.end());
    EXPECT_EQ(seen.size(), 12u);
    for (const Arrangement& p : seen)
        EXPECT_EQ(parity(p), 1);
}

TEST(PermutationRunner, UniformShufflesAreTheSameWhateverTheThreads)
{
    RandomUniform first(3, 4);
    const std::vector<Arrangement> expected =
        runnerArrangements(9, permutationsOf(301, PermutationScheme::Uniform, 1), first);
    for (const int threads : {2, 3, 8}) {
        RandomUniform random(3, 4);
        EXPECT_EQ(runnerArrangements(9, permutationsOf(301, PermutationScheme::Uniform, threads), random), expected)
            << threads << " threads";
        EXPECT_EQ(random.state1(), first.state1());
    }
    // Replicate k is the k-th shuffle drawn in order on one generator.
    RandomUniform reference(3, 4);
    UniformShuffle shuffle(9);
    for (const Arrangement& p : expected) {
        shuffle.nextReplicate(reference);
        ASSERT_EQ(p, shuffle.permutation());
    }
}

TEST(PermutationRunner, CompleteEnumerationCountsTheObservedArrangementOnce)
{
    // All arrangements, by the tests' own enumeration.
    std::vector<Arrangement> all;
    testing::forEachArrangement(5, [&](const Arrangement& p) { all.push_back(p); });
    ASSERT_EQ(all.size(), 120u);
    const Arrangement identity = all.front();
    struct Case {
        ObservedArrangement observed;
        size_t replicates;
        bool identityIncluded;
    };
    for (const Case c :
         {Case{ObservedArrangement::NotCounted, 120, true}, Case{ObservedArrangement::AddedToCounts, 119, false}}) {
        // The count asked for is ignored, and no number is drawn.
        for (const long long requested : {0LL, 7LL, 100000LL}) {
            RandomUniform random(1, 1);
            PermutationRunner runner(5, permutationsOf(requested, PermutationScheme::Complete), c.observed);
            EXPECT_EQ(runner.replicates(), static_cast<int>(c.replicates));
            EXPECT_EQ(runner.record().scheme, PermutationScheme::Complete);
            EXPECT_EQ(runner.record().arrangements, 120);
            const std::vector<Arrangement> drawn =
                runnerArrangements(5, permutationsOf(requested, PermutationScheme::Complete, 3), random, c.observed);
            ASSERT_EQ(drawn.size(), c.replicates);
            const std::set<Arrangement> distinct(drawn.begin(), drawn.end());
            EXPECT_EQ(distinct.size(), c.replicates) << "no arrangement twice";
            EXPECT_EQ(distinct.count(identity), c.identityIncluded ? 1u : 0u);
            std::set<Arrangement> expected(all.begin(), all.end());
            if (!c.identityIncluded)
                expected.erase(identity);
            EXPECT_EQ(distinct, expected);
            EXPECT_EQ(random.state1(), 1);
            EXPECT_EQ(random.state2(), 1);
        }
    }
}

TEST(PermutationRunner, CompleteEnumerationRefusesMoreThanNineObservations)
{
    EXPECT_EQ(PermutationRunner(9, permutationsOf(0, PermutationScheme::Complete)).replicates(), 362880);
    try {
        PermutationRunner runner(10, permutationsOf(1000, PermutationScheme::Complete));
        FAIL() << "10 observations have 3628800 arrangements";
    } catch (const AnalysisError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "complete enumeration of the arrangements takes at most 9 observations (9! = 362880 "
                  "arrangements), not 10; choose independent uniform shuffles instead");
    }
    // The other schemes take any number.
    EXPECT_EQ(PermutationRunner(10, permutationsOf(1000, PermutationScheme::Uniform)).replicates(), 1000);
}

TEST(PermutationRunner, RecordsTheSchemeForTheReport)
{
    EXPECT_EQ(PermutationRunner(7, permutationsOf(99)).record().scheme, PermutationScheme::Exchanges);
    EXPECT_EQ(PermutationRunner(7, permutationsOf(99)).record().arrangements, 0);
    EXPECT_EQ(PermutationRunner(7, permutationsOf(99, PermutationScheme::Uniform)).record().scheme,
              PermutationScheme::Uniform);
    EXPECT_EQ(PermutationRunner(7, permutationsOf(99, PermutationScheme::Complete)).record().arrangements, 5040);
}

TEST(ArrangementCount, IsTheFactorial)
{
    const long long expected[] = {1, 1, 2, 6, 24, 120, 720, 5040, 40320, 362880, 3628800};
    for (int n = 0; n <= 10; ++n)
        EXPECT_EQ(arrangementCount(n), expected[n]) << n;
}

TEST(RequirePermutationCount, CompleteEnumerationIgnoresTheCount)
{
    EXPECT_THROW(requirePermutationCount(permutationsOf(-1)), AnalysisError);
    EXPECT_THROW(requirePermutationCount(permutationsOf(-1, PermutationScheme::Uniform)), AnalysisError);
    EXPECT_NO_THROW(requirePermutationCount(permutationsOf(-1, PermutationScheme::Complete)));
    EXPECT_NO_THROW(requirePermutationCount(permutationsOf(4000000000LL, PermutationScheme::Complete)));
}

} // namespace
} // namespace tessaloc
