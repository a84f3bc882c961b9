#pragma once

#include "core/RandomUniform.h"
#include "core/RunListener.h"
#include "core/Significance.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tessaloc {

class ProcessGroup;

/// The cumulative observation exchanges of the permutation tests, kept as a permutation instead of
/// a rearranged matrix.
///
/// Each replicate makes N exchanges: a = Int(U x N) + 1, then b drawn the same way until b != a.
/// Exchanging rows a and b and then columns a and b of a matrix M gives M(s(i), s(j)) with s the
/// transposition of a and b; done cumulatively from the original matrix M0, the arrangement after
/// any number of exchanges is M0(p(i), p(j)), where each exchange swaps entries a and b of p. So p
/// (0-based here) stands for the permuted matrix without moving it.
class ObservationShuffle {
public:
    /// The identity arrangement of `n` observations; n must be at least 2.
    explicit ObservationShuffle(int n);

    /// Makes the N exchanges of one replicate, drawing a, then b (again until b != a), exchange by
    /// exchange.
    void nextReplicate(RandomUniform& random);

    /// p: the observation whose data stand at position i of the permuted matrix (0-based).
    const std::vector<std::int32_t>& permutation() const { return m_permutation; }

private:
    std::vector<std::int32_t> m_permutation;
};

/// Independent, uniformly random permutations (Fisher-Yates), one per replicate.
///
/// Each replicate starts again from the identity and, for i = N-1 down to 1 (0-based), draws
/// j = Int(U x (i + 1)) and exchanges entries i and j: N - 1 draws, in this order, per replicate.
/// Every arrangement then has probability 1/N! (up to the generator's resolution of about 2^-31),
/// and one replicate's arrangement does not depend on the ones before it. Unlike the exchanges,
/// which are transpositions and so keep the arrangement at the parity of the number of exchanges
/// made, it reaches odd and even arrangements alike.
class UniformShuffle {
public:
    /// The identity arrangement of `n` observations (n >= 1).
    explicit UniformShuffle(int n);

    /// Draws the next replicate's arrangement.
    void nextReplicate(RandomUniform& random);

    /// p: the observation whose data stand at position i of the permuted matrix (0-based).
    const std::vector<std::int32_t>& permutation() const { return m_permutation; }

private:
    std::vector<std::int32_t> m_permutation;
};

/// How a permutation test draws the arrangements of its replicates.
enum class PermutationScheme {
    /// N exchanges of two observations per replicate, each replicate continuing from the arrangement
    /// the previous one left (ObservationShuffle). The default.
    Exchanges,
    /// An independent, uniformly random permutation per replicate (UniformShuffle).
    Uniform,
    /// Every arrangement of the observations exactly once, for at most kMostCompleteObservations
    /// observations; the requested number of permutations is then ignored.
    Complete,
};

/// Complete enumeration takes at most this many observations (9! = 362880 arrangements).
inline constexpr int kMostCompleteObservations = 9;

/// N!, the number of arrangements of `observations` (0..20) observations.
long long arrangementCount(int observations);

/// Every arrangement of N observations once, in lexicographic order of p, starting from the identity
/// (the observed arrangement) or from the arrangement after it.
class ArrangementEnumeration {
public:
    ArrangementEnumeration(int n, ObservedArrangement observed);

    /// Moves to the next arrangement; call it once before reading the first.
    void nextReplicate();

    /// p: the observation whose data stand at position i of the permuted matrix (0-based).
    const std::vector<std::int32_t>& permutation() const { return m_permutation; }

private:
    std::vector<std::int32_t> m_permutation;
    bool m_identityPending;
};

/// What a test's report says about how its replicates were drawn.
struct PermutationRecord {
    PermutationScheme scheme = PermutationScheme::Exchanges;
    /// Complete enumeration: the arrangements evaluated, N!, the observed one included; 0 otherwise.
    long long arrangements = 0;
};

/// Lays four permutations of `n` observations (n <= 65536) side by side: word j holds p0(j) in its
/// lowest 16 bits, then p1(j), p2(j) and p3(j). A pass that reads four replicates at once then gets
/// the four positions of an observation with one load.
void packFourPermutations(const std::int32_t* const* permutations, int n, std::vector<std::uint64_t>& packed);

/// The tail outcomes of `statistics` statistics for each of `slotCount` slots of a batch, a byte
/// each. Evaluators on several threads may set the outcomes of different slots at once.
class TailOutcomes {
public:
    TailOutcomes(size_t statistics, int slotCount)
        : m_statistics(statistics)
        , m_outcomes(statistics * static_cast<size_t>(slotCount))
    {
    }

    /// Stores the outcome of `statistic` in `slot`, replacing the one of an earlier batch.
    void set(int slot, size_t statistic, std::uint8_t outcome)
    {
        m_outcomes[m_statistics * static_cast<size_t>(slot) + statistic] = outcome;
    }
    std::uint8_t get(int slot, size_t statistic) const
    {
        return m_outcomes[m_statistics * static_cast<size_t>(slot) + statistic];
    }
    /// Slot s's outcomes start at data() + s x statistics().
    std::uint8_t* data() { return m_outcomes.data(); }
    size_t statistics() const { return m_statistics; }

private:
    size_t m_statistics;
    std::vector<std::uint8_t> m_outcomes;
};

/// The status text a permutation test shows after `replicate`: `prefix` followed by the
/// replicate's print form ("Replicate: " gives "Replicate:  10") for every 10th replicate, empty
/// otherwise.
std::string replicateStatus(std::string_view prefix, int replicate);

/// The settings of a permutation test, the same in every analysis that has one: how many replicates,
/// how they are drawn, and how many threads evaluate them.
struct PermutationSettings {
    /// Replicates of the test; 0 runs none. A negative count, or one beyond a 32-bit count, is an
    /// error before anything is read (see requirePermutationCount). Complete enumeration ignores it.
    long long count = 1000;
    PermutationScheme scheme = PermutationScheme::Exchanges;
    /// Threads that evaluate replicates; 0 means defaultThreadCount(). Results do not depend on it.
    int threads = 0;
};

/// Throws AnalysisError when the permutation count is negative or beyond a 32-bit count, before a test
/// computes anything (a negative count would otherwise give meaningless probabilities). Complete
/// enumeration ignores the count, so any count passes with it.
void requirePermutationCount(const PermutationSettings& permutations);

/// Runs the replicates of a permutation test: draws every replicate's arrangement in order on the
/// calling thread, by the scheme of its settings, evaluates the replicates' statistics on all cores,
/// and hands each replicate's result back in replicate order. Results do not depend on the number
/// of threads, because each replicate's statistic depends only on its permutation, and the draws
/// are made in replicate order whatever the threads.
///
/// Replicates go in batches. For a batch, `evaluate(permutations, count, firstSlot)` is called on
/// worker threads with `count` (1..kGroupSize) permutations of consecutive slots starting at
/// `firstSlot`; it must store its statistics per slot (slots run 0..batchCapacity()-1) and touch
/// nothing shared. Then `consume(replicate, slot)` runs on the calling thread for each replicate of
/// the batch in order (replicates numbered from 1), and the listener is shown
/// replicateStatus(progressPrefix, replicate) after every 10th. Cancellation is checked between
/// batches and throws RunCancelled.
///
/// A test keeps of its replicates only what `consume` adds to fixed-size summaries (tail counts,
/// the ends of a band), never every statistic, so its memory does not grow with the replicates.
class PermutationRunner {
public:
    /// Statistics are evaluated this many replicates at a time, so that an evaluator can interleave
    /// independent sums and keep the processor busy.
    static constexpr int kGroupSize = 4;

    using Evaluate = std::function<void(const std::int32_t* const* permutations, int count, int firstSlot)>;
    using Consume = std::function<void(int replicate, int slot)>;
    /// Adds up, among the processes of a group, what each one's `consume` summarised of its own
    /// replicates (shareTailCounts, shareBands), so that every process holds the summary of all.
    using Share = std::function<void(ProcessGroup& group)>;

    /// `permutations.count` replicates (none when negative) of a test of `observations` observations,
    /// drawn by `permutations.scheme` on `permutations.threads` threads. Complete enumeration ignores
    /// the count and runs N! - 1 or N!
    /// replicates as `observed` says; it throws AnalysisError for more than
    /// kMostCompleteObservations observations, so a test that makes its runner first refuses them
    /// before computing anything.
    PermutationRunner(int observations, const PermutationSettings& permutations,
                      ObservedArrangement observed = ObservedArrangement::NotCounted);

    /// Slots an evaluator must provide storage for.
    int batchCapacity() const { return m_batchCapacity; }
    /// The replicates run() runs: the ones requested, or those of complete enumeration.
    int replicates() const { return m_replicates; }
    /// The scheme and, for complete enumeration, the arrangements evaluated, for the report.
    PermutationRecord record() const;

    /// Runs the replicates. With `share` and a group of processes (sharingProcessGroup()) the
    /// replicates are split among them in contiguous blocks: every process draws every replicate's
    /// arrangement in order, so the generator ends where one process alone leaves it, but evaluates
    /// and consumes only its own block, then calls `share` with the group (also with an empty block).
    /// So the summaries, and the generator's state, are those one process alone would give. Without
    /// `share` every process runs every replicate.
    void run(RandomUniform& random, RunListener& listener, std::string_view progressPrefix, const Evaluate& evaluate,
             const Consume& consume, const Share& share = {});

private:
    void evaluateBatch(const std::vector<std::int32_t>& stored, int count, const Evaluate& evaluate) const;

    int m_observations;
    int m_replicates;
    int m_threads;
    int m_batchCapacity;
    PermutationScheme m_scheme;
    ObservedArrangement m_observed;
};

} // namespace tessaloc
