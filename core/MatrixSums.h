#pragma once

#include "core/PackedDistances.h"
#include "core/SquareMatrix.h"

namespace tessaloc {

/// Sum over the pairs i < j of A(i, j) x B(i, j), rows in order. The diagonal and the lower
/// triangle never count. Both matrices have the same size.
double CrossProductSum(const SquareMatrix& a, const SquareMatrix& b);

/// Pearson correlation of A and B over the pairs i < j, each scaled by pairScaleExponent first (so
/// any units give the same r). Throws AnalysisError when it is undefined: fewer than three
/// observations, or either matrix the same for every pair.
double MatrixCorrelation(const SquareMatrix& a, const SquareMatrix& b);

/// The same sums of matrices stored once per pair, equal to those of the full matrices bit for bit.
double CrossProductSum(const PackedDistances& a, const PackedDistances& b);
double MatrixCorrelation(const PackedDistances& a, const PackedDistances& b);

/// The exponent e for which the pairs times 2^-e have their largest magnitude in [0.5, 1), when that
/// magnitude lies beyond 2^-256 .. 2^256, where sums of products of pairs could overflow or
/// underflow (a matrix scaled by 1e300 or 1e-300); 0 otherwise, and for pairs all 0. A power of two
/// scales exactly, so that statistics that do not depend on scale (correlations, t, F, and the
/// order of cross products among arrangements) come out as for the matrix in ordinary units, and
/// ordinary matrices are not scaled at all.
int pairScaleExponent(const std::vector<double>& pairs);

/// Multiplies every pair by 2^-exponent (see pairScaleExponent).
void ScalePairs(PackedDistances& m, int exponent);

/// The pairs i < j of a matrix as deviations from their mean: what the statistics of a permutation
/// test need of a matrix that the test does not rearrange, or of one whose pairs it only reorders.
/// All of it is in units of 2^exponent: of the pairs times 2^-exponent (see pairScaleExponent), so
/// that the sums neither overflow nor underflow whatever the matrix's units.
struct PairDeviations {
    double mean = 0.0;         ///< the mean of the pairs i < j, summed row by row
    double sumOfSquares = 0.0; ///< the sum over the pairs of (m(i, j) - mean)^2, row by row
    /// m(i, j) - mean for every pair, in the order of the pairs.
    PackedDistances deviations;
    /// The power of two the pairs were scaled by: 0 for ordinary matrices.
    int exponent = 0;
};

/// The deviations of the pairs of `m` from their mean, scaled by pairScaleExponent. With fewer than
/// two observations there are no pairs: mean and sum of squares are then 0.
PairDeviations CenterPairs(const PackedDistances& m);

} // namespace tessaloc
