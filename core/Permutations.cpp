#include "core/Permutations.h"

#include "core/Errors.h"
#include "core/NumberText.h"

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

void requirePermutationCount(long long permutations)
{
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

PermutationRunner::PermutationRunner(int observations, int replicates, const PermutationOptions& options)
    : m_observations(observations)
    , m_replicates(std::max(replicates, 0))
{
    const int hardware = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    m_threads = options.threads > 0 ? options.threads : hardware;
    // Enough replicates per batch to keep every thread busy, but no more than about 32 MB of stored
    // permutations, however many replicates are asked for.
    const long long bytesPerReplicate = static_cast<long long>(std::max(observations, 1)) * 4;
    const long long byMemory = std::max(1LL, (32LL << 20) / bytesPerReplicate);
    const long long wanted = std::max<long long>(16LL * m_threads * kGroupSize, 64);
    m_batchCapacity = static_cast<int>(std::clamp<long long>(std::min(wanted, byMemory), kGroupSize, 4096));
}

void PermutationRunner::run(RandomUniform& random, RunListener& listener, std::string_view progressPrefix,
                            const Evaluate& evaluate, const Consume& consume)
{
    if (m_replicates == 0)
        return;
    const int n = m_observations;
    ObservationShuffle shuffle(n);
    std::vector<std::int32_t> stored(static_cast<size_t>(m_batchCapacity) * static_cast<size_t>(n));

    for (int first = 1; first <= m_replicates; first += m_batchCapacity) {
        listener.throwIfCancelled();
        const int count = std::min(m_batchCapacity, m_replicates - first + 1);
        for (int slot = 0; slot < count; ++slot) {
            shuffle.nextReplicate(random);
            std::copy(shuffle.permutation().begin(), shuffle.permutation().end(),
                      stored.begin() + static_cast<std::ptrdiff_t>(slot) * n);
        }

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
        {
            std::vector<std::jthread> threads;
            threads.reserve(static_cast<size_t>(std::max(helpers, 0)));
            for (int t = 0; t < helpers; ++t)
                threads.emplace_back(work);
            work();
        }

        for (int slot = 0; slot < count; ++slot) {
            const int replicate = first + slot;
            consume(replicate, slot);
            if (replicate % 10 == 0)
                listener.status(replicateStatus(progressPrefix, replicate));
        }
        listener.progress(first + count - 1, m_replicates);
    }
}

} // namespace tessaloc
