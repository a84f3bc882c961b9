#pragma once

#include <cstddef>
#include <limits>
#include <vector>

namespace tessaloc {

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

private:
    long long m_count;
    long long m_lowRank = 0;        ///< 1-based rank of the first value the low point reads
    long long m_highRank = 0;       ///< 1-based rank of the first value the high point reads
    std::vector<double> m_smallest; ///< max-heap of the m_lowRank + 1 smallest values
    std::vector<double> m_largest;  ///< min-heap of the values from rank m_highRank up
    size_t m_keepSmallest = 0;
    size_t m_keepLargest = 0;
};

/// How many distinct values `values` holds, up to `enough` (counting stops there).
int DistinctValues(const std::vector<double>& values, int enough);

} // namespace tessaloc
