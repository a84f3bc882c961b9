#pragma once

#include "core/PackedDistances.h"

#include <string_view>

namespace tessaloc {

/// The relative difference up to which two distances are taken for a tie.
inline constexpr double kTiedRelativeDifference = 1e-12;

/// Replaces every distance of the pairs i < j by its rank among the N(N-1)/2 pairs: 1 for the
/// smallest, N(N-1)/2 for the largest, and tied distances by the mean of the ranks they share (three
/// pairs tied for ranks 4, 5 and 6 all get 5). Pearson's correlation of two matrices so transformed
/// is Spearman's rank correlation of their distances.
///
/// Distances tie when they are equal up to rounding: in ascending order, a distance ties with the one
/// before it when the two differ by at most kTiedRelativeDifference of the larger magnitude, so a
/// run of ties is a run of neighbours each within that of the previous. Equal distances summed in
/// different orders differ in their last bits, and would otherwise break a tie that is real.
///
/// Throws DataProblem when the matrix has fewer than two pairs or all its pairs tie: every rank would
/// then be the same, and no rank statistic is defined. `what` names the matrix in that message
/// ("the genetic distances").
void RankDistanceTransform(PackedDistances& distances, std::string_view what);

} // namespace tessaloc
