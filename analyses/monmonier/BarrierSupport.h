#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace tessaloc {

/// Every edge of a triangulation numbered once. Ids run from 0 in order of first occurrence:
/// triangle by triangle and, within a triangle, edge by edge (A to B, B to C, C to A).
struct EdgeNumbers {
    /// The id of edge e of triangle t, at 3 t + e.
    std::vector<std::int32_t> idOf;
    /// For every id, the occurrence 3 t + e that names it first: the triangle whose orientation the
    /// edge is given in (its first end, its second end, its midpoint).
    std::vector<std::int32_t> firstOccurrence;

    std::int32_t count() const { return static_cast<std::int32_t>(firstOccurrence.size()); }
    std::int32_t id(std::int32_t triangle, std::int32_t edge) const
    {
        return idOf[static_cast<size_t>(3 * triangle + edge)];
    }
};

/// What the search crossed, in edge ids: for every barrier the edges it crosses, and the lines its
/// drawing joins. A barrier crosses every edge that a slot of one of its segments names: the edges
/// whose midpoints its lines join, which the report lists under it, the edge where it leaves the
/// triangulation and the edge crossed before where it ends included.
struct BarrierCrossings {
    /// Per barrier (index b - 1), the ids of the edges it crosses, ascending, each once.
    std::vector<std::vector<std::int32_t>> edges;
    /// Every line between two midpoints that the barriers draw, as the ids of its two edges (the
    /// lower first), ascending, each once. The line of no length at a start edge is left out.
    std::vector<std::pair<std::int32_t, std::int32_t>> pieces;
};

/// The support of one edge: in how many replicates each barrier crossed it.
struct EdgeSupport {
    std::int32_t edge = 0;
    /// The number of the first observed barrier that crosses the edge, 0 when none does.
    std::int32_t observed = 0;
    /// Replicates in which any barrier crosses the edge.
    std::int32_t any = 0;
    /// Replicates in which barrier b crosses the edge, at index b - 1.
    std::vector<std::int32_t> barriers;
};

/// The support of one line between two midpoints: in how many replicates a barrier drew it.
struct PieceSupport {
    std::int32_t from = 0; ///< edge id, the lower of the two
    std::int32_t to = 0;
    std::int32_t any = 0;
    /// An observed barrier draws it too.
    bool observed = false;
};

/// The bootstrap support of the barriers: for every edge of the triangulation that an observed
/// barrier or a replicate's barrier crosses, in how many replicates each barrier crosses it.
struct BarrierSupport {
    /// The replicates run; 0 when no support was computed.
    long long replicates = 0;
    /// The loci (data types 1 and 2) or sequence sites (data type 3) every replicate draws.
    int resampledUnits = 0;
    /// Replicates in which the search found no start edge for some barrier: they cross nothing.
    long long withoutStartEdge = 0;
    /// Replicates whose resampled loci left a pair of observations without a common locus, so that
    /// no genetic distances could be built: they cross nothing.
    long long withoutDistances = 0;
    /// The triangulation's edges.
    EdgeNumbers edges;
    /// One entry per edge crossed by an observed barrier or in a replicate, by ascending edge id.
    std::vector<EdgeSupport> rows;
    /// For every edge id, its index in `rows`, or -1.
    std::vector<std::int32_t> rowOf;
    /// Every line drawn in some replicate, ascending by its two edge ids.
    std::vector<PieceSupport> pieces;

    bool computed() const { return replicates > 0; }
    /// `count` replicates as a percentage of all: 100 count / replicates.
    double percent(long long count) const
    {
        return 100.0 * static_cast<double>(count) / static_cast<double>(replicates);
    }
    /// The percentage of replicates in which barrier `barrier` (1-based) crosses edge `edge`; 0 for an
    /// edge that no barrier crossed.
    double barrierPercent(int barrier, std::int32_t edge) const
    {
        const std::int32_t row = rowOf.empty() ? -1 : rowOf[static_cast<size_t>(edge)];
        if (row < 0)
            return 0.0;
        return percent(rows[static_cast<size_t>(row)].barriers[static_cast<size_t>(barrier - 1)]);
    }
};

} // namespace tessaloc
