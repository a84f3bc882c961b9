#include "core/Permutations.h"

#include "core/Errors.h"
#include "core/NumberText.h"
#include "core/ProcessGroup.h"
#include "core/ThreadCount.h"

#include <limits>
#include <numeric>
#include <string>

namespace tessaloc {

void packFourPermutations(const std::int32_t* const* permutations, int n, std::vector<std::uint64_t>& packed)
{
    packed.resize(static_cast<size_t>(n));
    for (int j = 0; j < n; ++j) {
        std::uint64_t word = 0;
        for (int lane = 0; lane < 4; ++lane)
            word |= static_cast<std::uint64_t>(permutations[lane][j]) << (16 * lane);
        packed[j] = word;
    }
}

std::string replicateStatus(std::string_view prefix, int replicate)
{
    if (replicate % 10 != 0)
        return {};
    return std::string(prefix) + printForm(replicate);
}

void requirePermutationCount(const PermutationSettings& settings)
{
    if (settings.scheme == PermutationScheme::Complete)
        return;
    const long long permutations = settings.count;
    if (permutations < 0)
        throw AnalysisError("the number of permutations must not be negative (" + std::to_string(permutations) +
                            " given)");
    if (permutations > 2147483647)
        throw AnalysisError("the number of permutations must not exceed 2147483647 (" + std::to_string(permutations) +
                            " given)");
}

namespace {

std::string stuckDrawMessage(int draws, int a, int n, const RandomUniform& random)
{
    if (n < 2)
        return "a permutation test needs at least two observations to exchange, not " + std::to_string(n);
    return "the permutation test cannot draw two different observations: " + std::to_string(draws) +
           " draws in a row gave observation " + std::to_string(a) + " of " + std::to_string(n) +
           "; the random generator is stuck at states " + std::to_string(random.state1()) + "," +
           std::to_string(random.state2());
}

} // namespace

ObservationShuffle::ObservationShuffle(int n)
    : m_permutation(static_cast<size_t>(n))
{
    std::iota(m_permutation.begin(), m_permutation.end(), 0);
}

void ObservationShuffle::nextReplicate(RandomUniform& random)
{
    // b is drawn again while it equals a. With N >= 2 observations each draw equals a with
    // probability 1/N <= 1/2, so kMaxRedraws equal draws in a row have probability below 2^-1000,
    // and will not happen once in the whole period of the generator (about 2.3e18 draws). Such a run
    // only comes from a generator that no longer moves (both states at 0), or from a single
    // observation, where no b can differ; without a bound either would spin forever.
    constexpr int kMaxRedraws = 1000;
    const int n = static_cast<int>(m_permutation.size());
    for (int exchange = 0; exchange < n; ++exchange) {
        const int a = random.nextObservation(n);
        int b = random.nextObservation(n);
        for (int redraws = 0; b == a; ++redraws) {
            if (redraws == kMaxRedraws)
                throw AnalysisError(stuckDrawMessage(kMaxRedraws, a, n, random));
            b = random.nextObservation(n);
        }
        std::swap(m_permutation[a - 1], m_permutation[b - 1]);
    }
}

UniformShuffle::UniformShuffle(int n)
    : m_permutation(static_cast<size_t>(n))
{
}

void UniformShuffle::nextReplicate(RandomUniform& random)
{
    std::iota(m_permutation.begin(), m_permutation.end(), 0);
    for (int i = static_cast<int>(m_permutation.size()) - 1; i >= 1; --i) {
        // U lies below 1 - 1.2e-8, so j <= i for any N a distance matrix can have.
        const int j = static_cast<int>(random.next() * (i + 1));
        std::swap(m_permutation[static_cast<size_t>(i)], m_permutation[static_cast<size_t>(j)]);
    }
}

long long arrangementCount(int observations)
{
    long long count = 1;
    for (int k = 2; k <= observations; ++k)
        count *= k;
    return count;
}

ArrangementEnumeration::ArrangementEnumeration(int n, ObservedArrangement observed)
    : m_permutation(static_cast<size_t>(n))
    , m_identityPending(observed == ObservedArrangement::NotCounted)
{
    std::iota(m_permutation.begin(), m_permutation.end(), 0);
}

void ArrangementEnumeration::nextReplicate()
{
    if (m_identityPending) {
        m_identityPending = false;
        return;
    }
    std::next_permutation(m_permutation.begin(), m_permutation.end());
}

namespace {

int replicatesOf(int observations, const PermutationSettings& permutations, ObservedArrangement observed)
{
    if (permutations.scheme != PermutationScheme::Complete)
        return static_cast<int>(std::clamp<long long>(permutations.count, 0, std::numeric_limits<int>::max()));
    if (observations > kMostCompleteObservations)
        throw AnalysisError(
            "complete enumeration of the arrangements takes at most " + std::to_string(kMostCompleteObservations) +
            " observations (" + std::to_string(kMostCompleteObservations) +
            "! = " + std::to_string(arrangementCount(kMostCompleteObservations)) + " arrangements), not " +
            std::to_string(observations) + "; choose independent uniform shuffles instead");
    const long long all = arrangementCount(std::max(observations, 0));
    return static_cast<int>(observed == ObservedArrangement::AddedToCounts ? all - 1 : all);
}

} // namespace

PermutationRunner::PermutationRunner(int observations, const PermutationSettings& permutations,
                                     ObservedArrangement observed)
    : m_observations(observations)
    , m_replicates(replicatesOf(observations, permutations, observed))
    , m_scheme(permutations.scheme)
    , m_observed(observed)
{
    m_threads = permutations.threads > 0 ? permutations.threads : defaultThreadCount();
    // Enough replicates per batch to keep every thread busy, but no more than about 32 MB of stored
    // permutations, however many replicates are asked for.
    const long long bytesPerReplicate = static_cast<long long>(std::max(observations, 1)) * 4;
    const long long byMemory = std::max(1LL, (32LL << 20) / bytesPerReplicate);
    const long long wanted = std::max<long long>(16LL * m_threads * kGroupSize, 64);
    m_batchCapacity = static_cast<int>(std::clamp<long long>(std::min(wanted, byMemory), kGroupSize, 4096));
}

PermutationRecord PermutationRunner::record() const
{
    PermutationRecord record;
    record.scheme = m_scheme;
    if (m_scheme == PermutationScheme::Complete)
        record.arrangements = arrangementCount(m_observations);
    return record;
}

namespace {

// The arrangements of a test's replicates, one after another, by its scheme. Only the scheme's own
// source draws; the others stay at the identity.
class ArrangementSource {
public:
    ArrangementSource(int n, PermutationScheme scheme, ObservedArrangement observed)
        : m_scheme(scheme)
        , m_exchanges(n)
        , m_uniform(n)
        , m_enumeration(n, observed)
    {
    }

    const std::vector<std::int32_t>& next(RandomUniform& random)
    {
        switch (m_scheme) {
        case PermutationScheme::Uniform:
            m_uniform.nextReplicate(random);
            return m_uniform.permutation();
        case PermutationScheme::Complete:
            m_enumeration.nextReplicate();
            return m_enumeration.permutation();
        case PermutationScheme::Exchanges:
            break;
        }
        m_exchanges.nextReplicate(random);
        return m_exchanges.permutation();
    }

private:
    PermutationScheme m_scheme;
    ObservationShuffle m_exchanges;
    UniformShuffle m_uniform;
    ArrangementEnumeration m_enumeration;
};

} // namespace

void PermutationRunner::evaluateBatch(const std::vector<std::int32_t>& stored, int count,
                                      const Evaluate& evaluate) const
{
    const int n = m_observations;
    // Workers take groups of consecutive slots until none is left.
    std::atomic<int> nextGroup{0};
    const int groups = (count + kGroupSize - 1) / kGroupSize;
    auto work = [&] {
        const std::int32_t* permutations[kGroupSize];
        for (int group = nextGroup++; group < groups; group = nextGroup++) {
            const int firstSlot = group * kGroupSize;
            const int inGroup = std::min(kGroupSize, count - firstSlot);
            for (int lane = 0; lane < inGroup; ++lane)
                permutations[lane] = stored.data() + static_cast<size_t>(firstSlot + lane) * n;
            evaluate(permutations, inGroup, firstSlot);
        }
    };
    const int helpers = std::min(m_threads, groups) - 1;
    std::vector<std::jthread> threads;
    threads.reserve(static_cast<size_t>(std::max(helpers, 0)));
    for (int t = 0; t < helpers; ++t)
        threads.emplace_back(work);
    work();
}

void PermutationRunner::run(RandomUniform& random, RunListener& listener, std::string_view progressPrefix,
                            const Evaluate& evaluate, const Consume& consume, const Share& share)
{
    if (m_replicates == 0)
        return;
    const int n = m_observations;
    ArrangementSource arrangements(n, m_scheme, m_observed);
    std::vector<std::int32_t> stored(static_cast<size_t>(m_batchCapacity) * static_cast<size_t>(n));

    // Replicates mine..end-1 (numbered from 1) are this process's: all of them alone; in a group, the
    // arrangements of the others are drawn and passed over.
    ProcessGroup* group = share ? sharingProcessGroup() : nullptr;
    if (group && group->count() == 1)
        group = nullptr;
    const OwnBlock block = ownBlock(static_cast<size_t>(m_replicates), group);
    const int mine = static_cast<int>(block.first) + 1;
    const int end = static_cast<int>(block.end) + 1;
    for (int replicate = 1; replicate < mine; ++replicate)
        arrangements.next(random);
    for (int first = mine; first < end; first += m_batchCapacity) {
        listener.throwIfCancelled();
        const int count = std::min(m_batchCapacity, end - first);
        for (int slot = 0; slot < count; ++slot) {
            const std::vector<std::int32_t>& arrangement = arrangements.next(random);
            std::copy(arrangement.begin(), arrangement.end(), stored.begin() + static_cast<std::ptrdiff_t>(slot) * n);
        }
        evaluateBatch(stored, count, evaluate);
        for (int slot = 0; slot < count; ++slot) {
            const int replicate = first + slot;
            consume(replicate, slot);
            if (replicate % 10 == 0)
                listener.status(replicateStatus(progressPrefix, replicate));
        }
        listener.progress(first + count - mine, end - mine);
    }
    for (int replicate = end; replicate <= m_replicates; ++replicate)
        arrangements.next(random);
    if (group)
        share(*group);
}

} // namespace tessaloc
