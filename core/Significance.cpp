#include "core/Significance.h"

#include "core/ProcessGroup.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>
#include <set>

namespace tessaloc {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Where the quantile at `probability` of n values lies: h = 1 + (n - 1) x probability and the two
// ranks (from 1) around it, as R's quantile(type = 7) works them out.
struct QuantilePosition {
    double h;
    long long lowRank;
    long long highRank;
};

QuantilePosition quantilePosition(long long n, double probability)
{
    const double h = 1.0 + static_cast<double>(std::max(n - 1, 0LL)) * probability;
    return {h, static_cast<long long>(std::floor(h)), static_cast<long long>(std::ceil(h))};
}

// The quantile from the values at the two ranks around h.
double interpolate(const QuantilePosition& at, double atLowRank, double atHighRank)
{
    const double below = static_cast<double>(at.lowRank);
    if (!(at.h > below) || atHighRank == atLowRank)
        return atLowRank;
    const double fraction = at.h - below;
    return (1.0 - fraction) * atLowRank + fraction * atHighRank;
}

} // namespace

double TailProbability(long long count, long long replicates, ObservedArrangement observed)
{
    if (observed == ObservedArrangement::AddedToCounts)
        return (static_cast<double>(count) + 1.0) / (static_cast<double>(replicates) + 1.0);
    return static_cast<double>(count) / static_cast<double>(replicates);
}

TailProbabilities TailProbability(const TailCounts& counts, long long replicates, ObservedArrangement observed)
{
    return {TailProbability(counts.atLeast, replicates, observed),
            TailProbability(counts.atMost, replicates, observed)};
}

void shareTailCounts(ProcessGroup& group, std::span<TailCounts> counts)
{
    const int processes = group.count();
    if (processes < 2)
        return;
    const size_t n = counts.size();
    std::vector<TailCounts> all(n * static_cast<size_t>(processes));
    std::copy(counts.begin(), counts.end(),
              all.begin() + static_cast<std::ptrdiff_t>(n * static_cast<size_t>(group.index())));
    group.shareBlocks(reinterpret_cast<std::byte*>(all.data()), sizeof(TailCounts),
                      evenBlockStarts(all.size(), processes));
    for (size_t s = 0; s < n; ++s) {
        TailCounts sum;
        for (int p = 0; p < processes; ++p) {
            const TailCounts& own = all[static_cast<size_t>(p) * n + s];
            sum.atLeast += own.atLeast;
            sum.atMost += own.atMost;
        }
        counts[s] = sum;
    }
}

double TwoSidedProbability(double upperTail, double lowerTail)
{
    return std::min(1.0, 2.0 * std::min(upperTail, lowerTail));
}

std::vector<double> HolmAdjusted(const std::vector<double>& p)
{
    std::vector<size_t> order;
    for (size_t i = 0; i < p.size(); ++i)
        if (!std::isnan(p[i]))
            order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&p](size_t a, size_t b) { return p[a] < p[b]; });
    const size_t m = order.size();
    std::vector<double> adjusted(p.size(), kNaN);
    double largest = 0.0;
    for (size_t i = 0; i < m; ++i) {
        largest = std::max(largest, static_cast<double>(m - i) * p[order[i]]);
        adjusted[order[i]] = std::min(1.0, largest);
    }
    return adjusted;
}

std::vector<double> ProgressiveHolm(const std::vector<double>& p)
{
    // Test k's value among tests 1..k is the largest (m - j + 1) x q(j) over the ranks j up to its
    // own, q being the m probabilities of the tests so far in ascending order (ties in their order).
    // The tests are placed once in that order over all of them; a Fenwick tree counts the ones already
    // taken below a place, and the ordered set of taken places is walked from the first probability
    // above 0 (zeros add nothing) until the product reaches 1 (the cap). The products are those of
    // HolmAdjusted on each prefix, so the values are the same, without sorting every prefix.
    const size_t count = p.size();
    std::vector<size_t> order;
    for (size_t i = 0; i < count; ++i)
        if (!std::isnan(p[i]))
            order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&p](size_t a, size_t b) { return p[a] < p[b]; });
    std::vector<size_t> place(count);
    for (size_t rank = 0; rank < order.size(); ++rank)
        place[order[rank]] = rank;
    const size_t firstAboveZero = static_cast<size_t>(
        std::find_if(order.begin(), order.end(), [&p](size_t i) { return p[i] > 0.0; }) - order.begin());

    std::vector<long long> tree(order.size() + 1, 0); // Fenwick tree over the places, 1-based
    const auto takenUpTo = [&tree](size_t last) {     // taken places 0..last - 1
        long long taken = 0;
        for (size_t at = last; at > 0; at &= at - 1)
            taken += tree[at];
        return taken;
    };
    std::set<size_t> taken;
    std::vector<double> corrected(count, kNaN);
    long long m = 0;
    for (size_t k = 0; k < count; ++k) {
        if (std::isnan(p[k]))
            continue;
        ++m;
        taken.insert(place[k]);
        for (size_t at = place[k] + 1; at < tree.size(); at += at & (~at + 1))
            ++tree[at];
        // Test k is the last of its ties among the tests so far: its rank counts every taken place
        // up to its own.
        const long long own = takenUpTo(place[k] + 1);
        long long j = takenUpTo(firstAboveZero) + 1;
        double largest = 0.0;
        for (auto at = taken.lower_bound(firstAboveZero); at != taken.end() && j <= own && largest < 1.0; ++at, ++j)
            largest = std::max(largest, static_cast<double>(m - j + 1) * p[order[*at]]);
        corrected[k] = std::min(1.0, largest);
    }
    return corrected;
}

double SortedQuantile(const std::vector<double>& sorted, double probability)
{
    if (sorted.empty())
        return kNaN;
    const QuantilePosition at = quantilePosition(static_cast<long long>(sorted.size()), probability);
    return interpolate(at, sorted[static_cast<size_t>(at.lowRank - 1)], sorted[static_cast<size_t>(at.highRank - 1)]);
}

Band QuantileBand(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {SortedQuantile(values, kBandLowProbability), SortedQuantile(values, kBandHighProbability)};
}

BandOfValues::BandOfValues(long long count)
    : m_count(count)
{
    if (count <= 0)
        return;
    m_lowRank = quantilePosition(count, kBandLowProbability).lowRank;
    m_highRank = quantilePosition(count, kBandHighProbability).lowRank;
    // The low point reads ranks m_lowRank and m_lowRank + 1 at most; the high point ranks from
    // m_highRank to the largest.
    m_keepSmallest = static_cast<size_t>(std::min(m_lowRank + 1, count));
    m_keepLargest = static_cast<size_t>(count - m_highRank + 1);
    m_smallest.reserve(m_keepSmallest);
    m_largest.reserve(m_keepLargest);
}

void BandOfValues::add(double value)
{
    addSmallest(value);
    addLargest(value);
}

void BandOfValues::merge(std::span<const double> smallest, std::span<const double> largest)
{
    for (const double value : smallest)
        addSmallest(value);
    for (const double value : largest)
        addLargest(value);
}

void BandOfValues::addSmallest(double value)
{
    if (m_smallest.size() < m_keepSmallest) {
        m_smallest.push_back(value);
        std::push_heap(m_smallest.begin(), m_smallest.end());
    } else if (!m_smallest.empty() && value < m_smallest.front()) {
        std::pop_heap(m_smallest.begin(), m_smallest.end());
        m_smallest.back() = value;
        std::push_heap(m_smallest.begin(), m_smallest.end());
    }
}

void BandOfValues::addLargest(double value)
{
    if (m_largest.size() < m_keepLargest) {
        m_largest.push_back(value);
        std::push_heap(m_largest.begin(), m_largest.end(), std::greater<>());
    } else if (!m_largest.empty() && value > m_largest.front()) {
        std::pop_heap(m_largest.begin(), m_largest.end(), std::greater<>());
        m_largest.back() = value;
        std::push_heap(m_largest.begin(), m_largest.end(), std::greater<>());
    }
}

Band BandOfValues::band() const
{
    if (m_count <= 0 || m_smallest.size() < m_keepSmallest || m_largest.size() < m_keepLargest)
        return {};
    std::vector<double> smallest = m_smallest;
    std::vector<double> largest = m_largest;
    std::sort(smallest.begin(), smallest.end());
    std::sort(largest.begin(), largest.end());
    const QuantilePosition low = quantilePosition(m_count, kBandLowProbability);
    const QuantilePosition high = quantilePosition(m_count, kBandHighProbability);
    // smallest[r - 1] holds rank r; largest[r - m_highRank] holds rank r.
    const auto largestAt = [&](long long rank) { return largest[static_cast<size_t>(rank - m_highRank)]; };
    return {interpolate(low, smallest[static_cast<size_t>(low.lowRank - 1)],
                        smallest[static_cast<size_t>(low.highRank - 1)]),
            interpolate(high, largestAt(high.lowRank), largestAt(high.highRank))};
}

void shareBands(ProcessGroup& group, std::span<BandOfValues> bands)
{
    const int processes = group.count();
    if (processes < 2)
        return;
    // First how many values each process kept at each end, then each process's values in turn: a
    // block that only the sending process fills.
    const size_t ends = 2 * bands.size();
    std::vector<std::uint64_t> sizes(ends * static_cast<size_t>(processes));
    std::uint64_t* own = sizes.data() + ends * static_cast<size_t>(group.index());
    for (size_t b = 0; b < bands.size(); ++b) {
        own[2 * b] = bands[b].smallestKept().size();
        own[2 * b + 1] = bands[b].largestKept().size();
    }
    group.shareBlocks(reinterpret_cast<std::byte*>(sizes.data()), sizeof(std::uint64_t),
                      evenBlockStarts(sizes.size(), processes));
    // This process's own values, before any other's are merged in: each value is sent once.
    std::vector<double> ownValues;
    for (const BandOfValues& band : bands) {
        ownValues.insert(ownValues.end(), band.smallestKept().begin(), band.smallestKept().end());
        ownValues.insert(ownValues.end(), band.largestKept().begin(), band.largestKept().end());
    }
    std::vector<double> values;
    for (int sender = 0; sender < processes; ++sender) {
        const std::uint64_t* sent = sizes.data() + ends * static_cast<size_t>(sender);
        size_t total = 0;
        for (size_t e = 0; e < ends; ++e)
            total += static_cast<size_t>(sent[e]);
        if (sender == group.index())
            values = ownValues;
        else
            values.assign(total, 0.0);
        std::vector<size_t> starts(static_cast<size_t>(processes) + 1, 0);
        for (size_t p = static_cast<size_t>(sender) + 1; p < starts.size(); ++p)
            starts[p] = total;
        group.shareBlocks(reinterpret_cast<std::byte*>(values.data()), sizeof(double), starts);
        if (sender == group.index())
            continue;
        const double* at = values.data();
        for (size_t b = 0; b < bands.size(); ++b) {
            const size_t smallest = static_cast<size_t>(sent[2 * b]);
            const size_t largest = static_cast<size_t>(sent[2 * b + 1]);
            bands[b].merge({at, smallest}, {at + smallest, largest});
            at += smallest + largest;
        }
    }
}

int DistinctValues(const std::vector<double>& values, int enough)
{
    std::vector<double> seen;
    for (const double value : values) {
        if (std::find(seen.begin(), seen.end(), value) == seen.end()) {
            seen.push_back(value);
            if (static_cast<int>(seen.size()) >= enough)
                break;
        }
    }
    return static_cast<int>(seen.size());
}

} // namespace tessaloc
