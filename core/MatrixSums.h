#pragma once

#include "core/PackedDistances.h"
#include "core/SquareMatrix.h"

namespace tessaloc {

/// Sum over the pairs i < j of A(i, j) x B(i, j), rows in order. The diagonal and the lower
/// triangle never count. Both matrices have the same size.
double CrossProductSum(const SquareMatrix& a, const SquareMatrix& b);

/// Pearson correlation of A and B over the pairs i < j. Throws AnalysisError when it is undefined:
/// fewer than three observations, or either matrix the same for every pair.
double MatrixCorrelation(const SquareMatrix& a, const SquareMatrix& b);

/// The same sums of matrices stored once per pair, equal to those of the full matrices bit for bit.
double CrossProductSum(const PackedDistances& a, const PackedDistances& b);
double MatrixCorrelation(const PackedDistances& a, const PackedDistances& b);

/// The pairs i < j of a matrix as deviations from their mean: what the statistics of a permutation
/// test need of a matrix that the test does not rearrange, or of one whose pairs it only reorders.
struct PairDeviations {
    double mean = 0.0;         ///< the mean of the pairs i < j, summed row by row
    double sumOfSquares = 0.0; ///< the sum over the pairs of (m(i, j) - mean)^2, row by row
    /// m(i, j) - mean for every pair, in the order of the pairs.
    PackedDistances deviations;
};

/// The deviations of the pairs of `m` from their mean. With fewer than two observations there are no
/// pairs: mean and sum of squares are then 0.
PairDeviations CenterPairs(const PackedDistances& m);

} // namespace tessaloc
