#pragma once

// The spatial autocorrelation analysis done the direct way: Dmax and the sorted
// distances by Shell's method, an N x N x K membership indicator of 0/1 integers, one pass over all
// pairs per class, and a genetic matrix that is itself rearranged, N row-and-column exchanges per
// replicate, cumulatively. The reference for the fast engine (tests) and its yardstick (benchmarks).

#include "analyses/autocorrelation/Autocorrelation.h"

namespace tessaloc::reference {

/// Runs the analysis on copies of the matrices with `settings` (K >= 1, permutations >= 1) and
/// returns the result the engine should give: limits, Ay, Gbar, V, counts and probabilities, the
/// matrices as they were before the permutations, paths left empty. Throws AnalysisError where the
/// direct arithmetic fails (a class with no pair).
AutocorrelationResult literalSpatialAutocorrelation(const SquareMatrix& genetic, const SquareMatrix& geographic,
                                                    const AutocorrelationSettings& settings, RandomUniform& random);

} // namespace tessaloc::reference
