#pragma once

// The barrier search after the triangulation done the direct way: locations by text lists and
// numeric members, 1-based tables, vertices matched to locations by search, the pairwise neighbour
// search and the recursive walk. The fast search is compared against it (tests) and
// measured against it (benchmarks).

#include "analyses/monmonier/Monmonier.h"

#include <utility>
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

/// The bootstrap support counted the direct way: edges told apart by SameEdge in a list searched from
/// the start, counts per edge and barrier.
struct LiteralSupport {
    long long withoutStartEdge = 0;
    long long withoutDistances = 0;
    /// Every edge crossed in a replicate, as first crossed (its end points in that triangle's order).
    std::vector<TriangleEdge> edges;
    /// Per edge of `edges`: replicates in which barrier b crosses it (index b - 1), and in which any does.
    std::vector<std::vector<long long>> barrierCounts;
    std::vector<long long> anyCounts;
    /// Every line between two midpoints drawn in a replicate, as the positions of its two edges in
    /// `edges` (either order), with the replicates that drew it.
    std::vector<std::pair<size_t, size_t>> pieces;
    std::vector<long long> pieceCounts;
};

/// `replicates` bootstrap replicates one after another: for each, `units` positions Int(U x units)
/// drawn from `random`, the table with those loci (or sequence sites), its genetic distances (a pair
/// without a common locus ends the replicate), their residuals on the geographic distances for
/// residual values, and literalMonmonier over the triangles of the table's distinct locations (no
/// start edge ends the replicate). A barrier crosses every edge that a slot of its segments names;
/// its lines join the slots as the map draws them.
LiteralSupport literalBarrierSupport(const SampleTable& table, DataType dataType, bool useLatLong,
                                     MonmonierDistanceKind kind, long long barrierCount, long long replicates,
                                     RandomUniform& random);

} // namespace tessaloc::reference
