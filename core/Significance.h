#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace tessaloc {

class ProcessGroup;

/// Whether a test's probabilities count the observed arrangement among the replicates themselves.
/// Complete enumeration needs to know it to count the observed arrangement exactly once.
enum class ObservedArrangement {
    /// P = count / replicates (spatial autocorrelation, aggregation): complete enumeration runs all
    /// N! arrangements, the observed one included.
    NotCounted,
    /// P = (count + 1) / (replicates + 1), the observed arrangement added as one more replicate (the
    /// Mantel test): complete enumeration runs the N! - 1 other arrangements.
    AddedToCounts,
};

/// How one replicate's statistic lies against the observed value, as bits: kAtLeast when it is at
/// least as large, kAtMost when it is at most as large. A tie sets both, so it counts in both tails.
enum TailOutcome : std::uint8_t {
    kAtLeast = 1,
    kAtMost = 2,
};

/// The TailOutcome bits of `replicate` against `observed`.
inline std::uint8_t compareTails(double replicate, double observed)
{
    return static_cast<std::uint8_t>((replicate >= observed ? kAtLeast : 0) | (replicate <= observed ? kAtMost : 0));
}

/// The replicates of a permutation test counted in each tail of one statistic.
struct TailCounts {
    long long atLeast = 0; ///< replicates whose statistic is >= the observed one
    long long atMost = 0;  ///< replicates whose statistic is <= the observed one

    void add(std::uint8_t outcome)
    {
        atLeast += (outcome & kAtLeast) != 0;
        atMost += (outcome & kAtMost) != 0;
    }
    void add(double replicate, double observed) { add(compareTails(replicate, observed)); }
};

/// The P of a tail of a permutation test from the replicates counted in it, the one rule of every
/// test: (count + 1) / (replicates + 1) when the observed arrangement is added to the counts,
/// count / replicates when it is among the replicates (complete enumeration of all N!, or tests
/// that count it so); NaN then without replicates.
double TailProbability(long long count, long long replicates, ObservedArrangement observed);

/// The P of both tails of one statistic (TailProbability of each count).
struct TailProbabilities {
    double atLeast = 1.0; ///< P of a statistic greater than or equal to the observed one
    double atMost = 1.0;  ///< P of a statistic less than or equal to the observed one
};
TailProbabilities TailProbability(const TailCounts& counts, long long replicates, ObservedArrangement observed);

/// With the replicates of a test split among the processes of `group`, each having counted its own
/// block into `counts`: adds up every process's counts, so that every process holds the counts over
/// all replicates. Exchanges two numbers per statistic and process, whatever the replicates.
void shareTailCounts(ProcessGroup& group, std::span<TailCounts> counts);

/// The probabilities of a 95 % band: the 2.5 % and the 97.5 % point.
inline constexpr double kBandLowProbability = 0.025;
inline constexpr double kBandHighProbability = 0.975;

/// A band of values: the low and the high quantile of some values, both NaN when there were none.
struct Band {
    double low = std::numeric_limits<double>::quiet_NaN();
    double high = std::numeric_limits<double>::quiet_NaN();

    bool defined() const { return low == low && high == high; }
};

/// The two-sided P of a permutation test from the P of its two tails: twice the smaller, at most 1.
double TwoSidedProbability(double upperTail, double lowerTail);

/// Holm's step-down adjustment of the probabilities `p`, returned in their own order: with the m
/// probabilities that are not NaN sorted ascending (ties in their order), the i-th smallest (from 1)
/// becomes the largest of (m - j + 1) x p(j) over j = 1..i, at most 1. NaN stays NaN and does not
/// count in m. The same as R's p.adjust(p, "holm").
std::vector<double> HolmAdjusted(const std::vector<double>& p);

/// The progressive Holm correction of a sequence of tests in their order (the classes of a
/// correlogram in order of distance): test k gets its Holm-adjusted value among tests 1..k, so
/// that adding a test further on never changes the ones before it. NaN stays NaN and is left out.
std::vector<double> ProgressiveHolm(const std::vector<double>& p);

/// The quantile at `probability` (0..1) of values sorted ascending, as R's quantile(type = 7) gives
/// it: with n values and h = 1 + (n - 1) x probability, the value of rank floor(h), moved towards
/// the value of rank ceil(h) by the fraction h - floor(h) when the two differ. NaN without values.
double SortedQuantile(const std::vector<double>& sorted, double probability);

/// The 2.5 % and 97.5 % points (SortedQuantile) of `values`, in any order.
Band QuantileBand(std::vector<double> values);

/// The 2.5 % and 97.5 % points of a known number of values given one at a time, equal to
/// QuantileBand of all of them, but keeping only the values at either end that the two points
/// read: about 2.5 % of the count at each end (heaps of the smallest and of the largest).
class BandOfValues {
public:
    /// `count` values will be added (0 gives an undefined band).
    explicit BandOfValues(long long count);

    void add(double value);
    /// The band once all `count` values were added.
    Band band() const;

    /// The values kept at the low and at the high end (what the two points may read), in no order.
    const std::vector<double>& smallestKept() const { return m_smallest; }
    const std::vector<double>& largestKept() const { return m_largest; }
    /// Adds the values another BandOfValues of the same count kept at its two ends, for values that
    /// were split between the two: the values either end needs from the union are among those the
    /// two kept at that end, so the band afterwards is the band of all of them.
    void merge(std::span<const double> smallest, std::span<const double> largest);

private:
    long long m_count;
    long long m_lowRank = 0;  ///< 1-based rank of the first value the low point reads
    long long m_highRank = 0; ///< 1-based rank of the first value the high point reads
    void addSmallest(double value);
    void addLargest(double value);

    std::vector<double> m_smallest; ///< max-heap of the m_lowRank + 1 smallest values
    std::vector<double> m_largest;  ///< min-heap of the values from rank m_highRank up
    size_t m_keepSmallest = 0;
    size_t m_keepLargest = 0;
};

/// With values split among the processes of `group`, each having added its own to `bands` (all
/// made with the count of all values): merges every process's kept values into every process's
/// bands, one process's at a time, so that each band is the band of all values. Memory: what one
/// process keeps, twice; never the values themselves.
void shareBands(ProcessGroup& group, std::span<BandOfValues> bands);

/// How many distinct values `values` holds, up to `enough` (counting stops there).
int DistinctValues(const std::vector<double>& values, int enough);

} // namespace tessaloc
