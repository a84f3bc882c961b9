#pragma once

// The barrier search after the triangulation done the direct way: locations by text lists and
// numeric members, 1-based tables, vertices matched to locations by search, the pairwise neighbour
// search and the recursive walk. The fast search is compared against it (tests) and
// measured against it (benchmarks).

#include "analyses/monmonier/Monmonier.h"

#include <vector>

namespace tessaloc::reference {

/// What the literal search leaves, with triangle and edge numbers turned 0-based (and the kind 1
/// slot 0 of 0/0 turned -1/-1) so that it compares directly with the fast search's result.
struct LiteralBarriers {
    std::vector<BarrierTriangle> triangles;
    std::vector<TriangleLinks> links; ///< after the last barrier
    std::vector<BarrierRecord> barriers;
};

/// The search over the observations' coordinates `x`, `y` and the genetic matrix G (residualized
/// already when `kind` is Residual). `triangles` are those of the distinct locations in order of
/// first appearance (vertex k is location k, as TriangulateLocations gives them).
/// Throws AnalysisError as the fast search does when no start edge is left.
LiteralBarriers literalMonmonier(const std::vector<double>& x, const std::vector<double>& y, const SquareMatrix& G,
                                 const std::vector<TriangleRec>& triangles, bool useLatLong, MonmonierDistanceKind kind,
                                 long long barrierCount);

/// Only the pairwise neighbour search, over triangles already built.
std::vector<TriangleLinks> literalNeighbours(const std::vector<BarrierTriangle>& triangles);

} // namespace tessaloc::reference
