#include "core/Permutations.h"

#include "core/Errors.h"
#include "tests/support/RecordingListener.h"

#include <gtest/gtest.h>

#include <cstdint>
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

// Each replicate's statistic here is the sum of i x p(i): it depends only on the permutation.
std::vector<long long> runnerStatistics(int threads, RunListener& listener, std::vector<int>* order = nullptr)
{
    const int n = 7;
    const int replicates = 53;
    PermutationRunner runner(n, replicates, PermutationOptions{threads});
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

} // namespace
} // namespace tessaloc
