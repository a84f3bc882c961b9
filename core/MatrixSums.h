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

} // namespace tessaloc
