#include "core/ProcessGroup.h"

#include "core/Errors.h"
#include "core/GeneticDistances.h"
#include "core/Permutations.h"
#include "tests/support/FailingPairTable.h"
#include "tests/support/LiteralDistances.h"
#include "tests/support/ThreadsAsProcesses.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace tessaloc {
namespace {

using test::ThreadsAsProcesses;

TEST(EvenBlockStarts, BlocksDifferByOneAtMostTheLargerFirst)
{
    struct Case {
        size_t total;
        int parts;
        std::vector<size_t> starts;
    };
    // Worked by hand: 10 = 4 + 3 + 3; 2 items for 3 parts leave the last empty.
    for (const Case& c : {Case{10, 3, {0, 4, 7, 10}}, Case{2, 3, {0, 1, 2, 2}}, Case{0, 2, {0, 0, 0}},
                          Case{999, 1, {0, 999}}, Case{999, 2, {0, 500, 999}}})
        EXPECT_EQ(evenBlockStarts(c.total, c.parts), c.starts) << c.total << " in " << c.parts;
}

TEST(PairRowBlockStarts, BlocksOfRowsHoldAboutTheSamePairs)
{
    for (const int n : {2, 3, 10, 101, 1000}) {
        for (const int parts : {1, 2, 3, 7}) {
            const std::vector<int> starts = pairRowBlockStarts(n, parts);
            ASSERT_EQ(starts.size(), static_cast<size_t>(parts) + 1);
            EXPECT_EQ(starts.front(), 0);
            EXPECT_EQ(starts.back(), n - 1);
            const double even = static_cast<double>(n) * (n - 1) / 2 / parts;
            for (int p = 0; p < parts; ++p) {
                ASSERT_LE(starts[p], starts[p + 1]);
                double pairs = 0;
                for (int row = starts[p]; row < starts[p + 1]; ++row)
                    pairs += n - 1 - row;
                // A block misses its share by less than one row, the longest being n - 1 pairs.
                EXPECT_LT(std::abs(pairs - even), n) << n << " rows in " << parts << ", block " << p;
            }
        }
    }
    EXPECT_EQ(pairRowBlockStarts(1, 2), (std::vector<int>{0, 0, 0}));
}

// One replicate's record: its arrangement folded into a number, so that a replicate given another
// arrangement, or consumed out of order, shows.
double arrangementKey(const std::int32_t* p, int n)
{
    double key = 0.0;
    for (int i = 0; i < n; ++i)
        key = key * 7.0 + p[i] + 1;
    return key;
}

struct RunRecord {
    std::vector<std::pair<int, double>> consumed;
    TailCounts tails; ///< of the keys against kThreshold, shared among the processes
    int shares = 0;
    std::int64_t state1 = 0;
    std::int64_t state2 = 0;
};

constexpr double kThreshold = 5000.0;

RunRecord recordRun(int n, const PermutationSettings& settings, ObservedArrangement observed, int* evaluated = nullptr)
{
    PermutationRunner runner(n, settings, observed);
    std::vector<double> keys(static_cast<size_t>(runner.batchCapacity()));
    RandomUniform random(12345, 678);
    RunListener listener;
    RunRecord record;
    runner.run(
        random, listener, "Replicate: ",
        [&](const std::int32_t* const* permutations, int count, int firstSlot) {
            for (int lane = 0; lane < count; ++lane)
                keys[static_cast<size_t>(firstSlot + lane)] = arrangementKey(permutations[lane], n);
            if (evaluated)
                *evaluated += count; // one thread at a time in these tests
        },
        [&](int replicate, int slot) {
            record.consumed.emplace_back(replicate, keys[static_cast<size_t>(slot)]);
            record.tails.add(std::fmod(keys[static_cast<size_t>(slot)], 10007.0), kThreshold);
        },
        [&](ProcessGroup& group) {
            ++record.shares;
            shareTailCounts(group, {&record.tails, 1});
        });
    record.state1 = random.state1();
    record.state2 = random.state2();
    return record;
}

TEST(PermutationRunner, ReplicatesSharedBetweenProcessesGiveTheResultsOfOneProcess)
{
    struct Case {
        int n;
        PermutationSettings settings;
        ObservedArrangement observed;
    };
    const Case cases[] = {
        {20, {.count = 999, .scheme = PermutationScheme::Exchanges, .threads = 2}, ObservedArrangement::AddedToCounts},
        {7, {.count = 301, .scheme = PermutationScheme::Uniform, .threads = 1}, ObservedArrangement::NotCounted},
        {6, {.count = 5, .scheme = PermutationScheme::Complete, .threads = 3}, ObservedArrangement::AddedToCounts},
        {5, {.count = 0, .scheme = PermutationScheme::Complete, .threads = 1}, ObservedArrangement::NotCounted},
        // Fewer replicates than processes leaves some processes without a block.
        {9, {.count = 2, .scheme = PermutationScheme::Exchanges, .threads = 1}, ObservedArrangement::NotCounted},
    };
    for (const Case& c : cases) {
        const RunRecord alone = recordRun(c.n, c.settings, c.observed);
        ASSERT_FALSE(alone.consumed.empty());
        EXPECT_EQ(alone.shares, 0);
        // The processes evaluate on one thread each, so that they can count what they evaluated.
        PermutationSettings oneThread = c.settings;
        oneThread.threads = 1;
        for (const int processes : {1, 2, 3}) {
            std::vector<RunRecord> shared(static_cast<size_t>(processes));
            std::vector<int> evaluated(static_cast<size_t>(processes), 0);
            const auto failures = ThreadsAsProcesses::run(processes, [&](int index) {
                const size_t member = static_cast<size_t>(index);
                shared[member] = recordRun(c.n, oneThread, c.observed, &evaluated[member]);
            });
            // Each process evaluated and consumed its own block only, in order; together the blocks
            // are the replicates of one process, and the shared counts are those of all of them.
            const std::vector<size_t> blocks = evenBlockStarts(alone.consumed.size(), processes);
            std::vector<std::pair<int, double>> joined;
            for (int index = 0; index < processes; ++index) {
                const RunRecord& own = shared[static_cast<size_t>(index)];
                const std::string where = "scheme " + std::to_string(static_cast<int>(c.settings.scheme)) +
                                          ", process " + std::to_string(index) + " of " + std::to_string(processes);
                EXPECT_FALSE(failures[static_cast<size_t>(index)]) << where;
                const size_t block = blocks[static_cast<size_t>(index) + 1] - blocks[static_cast<size_t>(index)];
                EXPECT_EQ(static_cast<size_t>(evaluated[static_cast<size_t>(index)]), block) << where;
                EXPECT_EQ(own.consumed.size(), block) << where;
                joined.insert(joined.end(), own.consumed.begin(), own.consumed.end());
                EXPECT_EQ(own.shares, processes > 1 ? 1 : 0) << where;
                EXPECT_EQ(own.tails.atLeast, alone.tails.atLeast) << where;
                EXPECT_EQ(own.tails.atMost, alone.tails.atMost) << where;
                EXPECT_EQ(own.state1, alone.state1) << where;
                EXPECT_EQ(own.state2, alone.state2) << where;
            }
            EXPECT_EQ(joined, alone.consumed) << processes << " processes";
        }
    }
}

TEST(PermutationRunner, RunWithoutShareStaysWithItsProcess)
{
    // A test that cannot add up its processes' summaries cannot split its replicates: every process
    // runs all.
    std::vector<int> evaluated(2, 0);
    ThreadsAsProcesses::run(2, [&](int index) {
        PermutationRunner runner(10, {.count = 50, .scheme = PermutationScheme::Exchanges, .threads = 1});
        RandomUniform random(1, 1);
        RunListener listener;
        runner.run(
            random, listener, "", [&](const std::int32_t* const*, int count, int) { evaluated[index] += count; },
            [](int, int) {});
    });
    EXPECT_EQ(evaluated, (std::vector<int>{50, 50}));
}

bool bitIdentical(const PackedDistances& a, const PackedDistances& b)
{
    return a.size() == b.size() &&
           std::memcmp(a.values().data(), b.values().data(), a.values().size() * sizeof(double)) == 0;
}

TEST(GeneticDistances, RowsSharedBetweenProcessesGiveTheMatrixOfOneProcess)
{
    for (const DataType type : {DataType::Codominant, DataType::Genotypes, DataType::Sequences}) {
        reference::RandomTableRecipe recipe;
        recipe.seed = 7;
        recipe.samples = 157;
        // Ten loci keep a pair without a common locus out of reach (0.19^10 per pair).
        recipe.loci = 10;
        recipe.missingRate = 0.1;
        const SampleTable table = reference::randomSampleTable(type, recipe);
        const PackedDistances alone = BuildGeneticDistances(table, type);
        for (const int processes : {2, 3, 5}) {
            std::vector<PackedDistances> shared(static_cast<size_t>(processes));
            const auto failures = ThreadsAsProcesses::run(
                processes, [&](int index) { shared[static_cast<size_t>(index)] = BuildGeneticDistances(table, type); });
            for (int index = 0; index < processes; ++index) {
                EXPECT_FALSE(failures[static_cast<size_t>(index)]);
                EXPECT_TRUE(bitIdentical(shared[static_cast<size_t>(index)], alone))
                    << "type " << static_cast<int>(type) << ", process " << index << " of " << processes;
            }
        }
    }
}

TEST(GeneticDistances, PairWithoutCommonLociInAnotherProcessesRowsStopsEveryProcessAlike)
{
    // The failing pair (201, 251) lies in the rows the last of three processes computes.
    const SampleTable table = reference::tableWithoutCommonLociOnlyAt201And251();
    const auto failures =
        ThreadsAsProcesses::run(3, [&](int) { (void)BuildGeneticDistances(table, DataType::Codominant); });
    for (const std::exception_ptr& failure : failures) {
        ASSERT_TRUE(failure);
        try {
            std::rethrow_exception(failure);
        } catch (const DataProblem& problem) {
            EXPECT_EQ(std::string(problem.what()), noCommonLociMessage(201, 251));
        }
    }
}

} // namespace
} // namespace tessaloc
