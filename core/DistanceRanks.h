#pragma once

#include "core/PackedDistances.h"

#include <string_view>

namespace tessaloc {

/// Replaces every distance of the pairs i < j by its rank among the N(N-1)/2 pairs: 1 for the
/// smallest, N(N-1)/2 for the largest, and tied distances by the mean of the ranks they share (three
/// pairs tied for ranks 4, 5 and 6 all get 5). Pearson's correlation of two matrices so transformed
/// is Spearman's rank correlation of their distances.
///
/// Throws DataProblem when the matrix has fewer than two pairs or all its pairs tie: every rank would
/// then be the same, and no rank statistic is defined. `what` names the matrix in that message
/// ("the genetic distances").
void RankDistanceTransform(PackedDistances& distances, std::string_view what);

} // namespace tessaloc
