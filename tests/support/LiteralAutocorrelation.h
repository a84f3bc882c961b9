#pragma once

// The spatial autocorrelation analysis done the direct way: Dmax and the sorted
// distances by Shell's method, an N x N x K membership indicator of 0/1 integers, one pass over all
// pairs per class, and a genetic matrix that is itself rearranged, N row-and-column exchanges per
// replicate, cumulatively. The reference for the fast engine (tests) and its yardstick (benchmarks).

#include "analyses/autocorrelation/Autocorrelation.h"

#include <vector>

namespace tessaloc::reference {

/// What the literal procedure computed in its replicates, for the statistics drawn from them. Class
/// f (1..K) is at index f - 1.
struct LiteralReplicates {
    std::vector<std::vector<double>> ay; ///< Ay*(f) of each replicate, in replicate order
    std::vector<double> v;               ///< V* of each replicate
    /// The Pearson correlation, over the pairs i < j, of the rearranged genetic matrix with the
    /// membership of class f (0 in the class, 1 outside), computed from the matrices as they stand.
    std::vector<std::vector<double>> mantelR;
    std::vector<double> observedMantelR;
};

/// Runs the analysis on copies of the matrices with `settings` (K >= 1, permutations >= 1) and
/// returns the result the engine should give: limits, Ay, Gbar, V, counts and probabilities, the
/// matrices as they were before the permutations, paths left empty. Throws AnalysisError where the
/// direct arithmetic fails (a class with no pair). With `replicates`, also fills it.
AutocorrelationResult literalSpatialAutocorrelation(const SquareMatrix& genetic, const SquareMatrix& geographic,
                                                    const AutocorrelationSettings& settings, RandomUniform& random,
                                                    LiteralReplicates* replicates = nullptr);

/// R's quantile(x, probability, type = 7) transcribed: x sorted, index = 1 + (n - 1) x probability,
/// lo = floor(index), hi = ceiling(index), x[lo] moved towards x[hi] by index - lo when they differ.
double literalQuantile(std::vector<double> x, double probability);

/// The bootstrap of the class means done the direct way: `resamples` times, draws Int(U x units)
/// `units` times (units: the loci, or the first sequence's length for data type 3), copies the
/// drawn loci (or the drawn sites of every sequence, NUL beyond its end) into a new table, builds
/// its distances with the literal builders, and takes each class's mean over the pairs with
/// lower(f) <= d < upper(f). A resample whose distances fail (no common locus) gives no row.
/// Returns one row of K class means per usable resample.
std::vector<std::vector<double>> literalBootstrapClassMeans(const SampleTable& table, DataType dataType,
                                                            const SquareMatrix& geographic,
                                                            const std::vector<double>& lower,
                                                            const std::vector<double>& upper, long long resamples,
                                                            RandomUniform& random);

} // namespace tessaloc::reference
