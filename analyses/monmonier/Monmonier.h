#pragma once

#include "analyses/AnalysisInput.h"
#include "analyses/monmonier/BarrierSupport.h"
#include "core/RandomUniform.h"
#include "core/ReportWriter.h"
#include "core/RunListener.h"
#include "core/SampleTable.h"
#include "core/SquareMatrix.h"
#include "geometry/Delaunay.h"
#include "geometry/DistinctLocations.h"
#include "geometry/Edges.h"
#include "geometry/Extents.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaloc {

/// What the edge values are made of: raw genetic distances, pseudoslopes (divided by the edge's
/// length) or residuals of genetic on geographic distance.
using MonmonierDistanceKind = EdgeValueKind;

/// One edge of a triangle, as that triangle runs it. The first four fields are those SameEdge reads.
struct TriangleEdge {
    double X1 = 0.0; ///< first end
    double Y1 = 0.0;
    double X2 = 0.0; ///< second end
    double Y2 = 0.0;
    double MidX = 0.0; ///< midpoint, where the barrier lines are drawn
    double MidY = 0.0;
    /// The mean genetic distance over all pairs of observations at the two ends (members of the
    /// first end in the outer sum, of the second in the inner), divided by Length for pseudoslopes.
    double Value = 0.0;
    /// Planar length in coordinate units, or great-circle kilometres with latitude/longitude.
    double Length = 0.0;
};

/// A triangle of the triangulation with its three edges: edge 0 runs A to B, edge 1 B to C, edge 2 C
/// to A (A, B, C the corners in the triangulation's order).
struct BarrierTriangle {
    std::array<double, 3> VertexX{};
    std::array<double, 3> VertexY{};
    std::array<TriangleEdge, 3> Edges{};
};

/// How a triangle meets the others. Triangle and edge numbers are 0-based.
struct TriangleLinks {
    /// The triangle on the other side of each edge, -1 for an edge on the border.
    std::array<std::int32_t, 3> Neighbour{-1, -1, -1};
    /// The number of the same edge within that neighbour, -1 on the border.
    std::array<std::int32_t, 3> NeighbourEdge{-1, -1, -1};
    /// The edge has been crossed by a barrier.
    std::array<bool, 3> Used{false, false, false};
};

/// A run of crossed edges of one barrier. Slot k names edge Edges[k] of triangle Triangles[k]
/// (0-based). Slot 0 is not part of the walk: it is -1/-1 in a kind 1 segment, and in kinds 2 and
/// 3 the edge where the segment joins the rest of the barrier. Slots 1..U are the crossed edges in
/// walking order.
struct BarrierSegment {
    std::vector<std::int32_t> Triangles;
    std::vector<std::int32_t> Edges;
    /// The counted subsegments: slots 1..U for kinds 1 and 3, slots 2..U for kind 2.
    std::int32_t SubsegmentCount = 0;
    /// 1 the first direction from the start edge, 2 the second direction, 3 a branch at a tie.
    std::int32_t Kind = 1;

    /// U, the number of the last slot.
    int lastSlot() const { return static_cast<int>(Triangles.size()) - 1; }
};

/// One barrier: its segments in the order they were started, and their statistics.
struct BarrierRecord {
    double AverageValue = 0.0; ///< SumOfValues / SubsegmentCount
    double SumOfValues = 0.0;  ///< over the counted slots, segment by segment, slot by slot
    std::vector<BarrierSegment> Segments;
    std::int32_t SubsegmentCount = 0;
};

/// The most bootstrap replicates a run takes.
inline constexpr long long kMostBootstrapReplicates = 100000;

/// The barrier analysis's own settings.
struct MonmonierSettings {
    MonmonierDistanceKind distanceKind = MonmonierDistanceKind::Residual;
    /// Barriers to find; below 1 is an error.
    long long barrierCount = 1;
    /// Bootstrap replicates over the loci for the support of every crossed edge; 0 computes none.
    /// Beyond 0..kMostBootstrapReplicates is an error before anything is read.
    long long bootstrapReplicates = 0;
    /// Threads that search the replicates; 0 means defaultThreadCount(). The support does not depend on it.
    int bootstrapThreads = 0;
};

/// What a run reads: the two files and how to read them, and the analysis's settings.
using MonmonierInput = RunInput<MonmonierSettings>;

/// Everything a run produced: the report's data, and what the barrier map draws.
struct MonmonierResult {
    std::string coordinatePath;
    std::string genotypePath;
    DataType dataType = DataType::Codominant;
    /// The geographic distances the residual distances were taken against; the straight line for
    /// the other distances, which do not use them.
    GeoDistanceSettings geoDistances;
    MonmonierSettings settings;
    DataExtents data;
    /// The data extents widened by 5 %: the area the map spans.
    MapExtents map;
    /// One per triangle, in the triangulation's order.
    std::vector<BarrierTriangle> BarrierTriangles;
    /// One per barrier, in the order they were found.
    std::vector<BarrierRecord> BarrierList;
    /// The observations' names, X and Y as read, in file order: where the map names the samples.
    std::vector<std::string> SampleNames;
    std::vector<double> SampleX;
    std::vector<double> SampleY;
    /// The bootstrap support of the crossed edges; empty (no replicates) unless asked for.
    BarrierSupport support;
};

/// The report's file name.
inline constexpr const char* kMonmonierReportFileName = "monmonierresults.txt";

/// The message of a search that finds no uncrossed edge to start barrier `barrier` (1-based) at:
/// fewer than three distinct locations (no triangle), locations all on one line, or more barriers
/// than the triangulation has uncrossed edges.
std::string noStartEdgeMessage(long long barrier);

/// Throws AnalysisError when `replicates` lies outside 0..kMostBootstrapReplicates.
void requireBootstrapReplicates(long long replicates);

/// The triangles with their edges, midpoints, lengths and values.
///
/// `triangulation` is that of `locations` (vertex k is location k); G is the genetic distance matrix
/// of the observations, already residualized for MonmonierDistanceKind::Residual (the kind only
/// decides here whether values are divided by the lengths). Every edge is computed in its own
/// triangle's orientation, so the two triangles that share an edge may hold values that differ in
/// the last bit. Lengths are great-circle kilometres when `useLatLong` (X longitude, Y latitude in
/// degrees). Throws AnalysisError when a length or pseudoslope is undefined (a zero-length edge
/// between two distinct locations in latitude/longitude, or overflow).
std::vector<BarrierTriangle> BuildBarrierTriangles(const DistinctLocations& locations,
                                                   const Triangulation& triangulation, const SquareMatrix& G,
                                                   bool useLatLong, MonmonierDistanceKind kind);

/// Every edge of the triangles numbered once, in order of first occurrence (triangle by triangle,
/// edge by edge); two occurrences are one edge when SameEdge finds their end points equal.
EdgeNumbers NumberEdges(const std::vector<BarrierTriangle>& triangles);

/// The neighbour of every edge, with Used all false. The result is that of comparing every pair of
/// triangles i < j, every edge a of i with every edge b of j (SameEdge, exact coordinates), and
/// recording each match on both sides, later matches overwriting earlier ones; it is found through a
/// hash of the edges' end points in time linear in the number of triangles.
std::vector<TriangleLinks> FindNeighbours(const std::vector<BarrierTriangle>& triangles);

/// Monmonier's maximum difference walk for `barrierCount` barriers over triangles whose neighbours
/// are `links` (Used flags updated in place).
///
/// Each barrier starts at the uncrossed edge of largest value (among equal values the last in
/// triangle, then edge order) and is walked from triangle to triangle through the exit edge of
/// larger value, in both directions from the start edge, until it leaves the triangulation or meets
/// an edge crossed before; equal exit values split the walk, the lower-numbered edge first. The walk
/// keeps its pending branches on the heap, so its depth is not bounded by the stack.
/// Throws AnalysisError for a count below 1 and noStartEdgeMessage when no start edge is left; stops
/// with RunCancelled between barriers when asked.
std::vector<BarrierRecord> FindBarriers(const std::vector<BarrierTriangle>& triangles,
                                        std::vector<TriangleLinks>& links, long long barrierCount,
                                        RunListener& listener = RunListener::none());

/// FindBarriers, except that a search that finds no start edge for a barrier ends there and returns
/// the barriers found before it (fewer than `barrierCount`) instead of throwing.
std::vector<BarrierRecord> FindBarriersWhileStartEdgesLast(const std::vector<BarrierTriangle>& triangles,
                                                           std::vector<TriangleLinks>& links, long long barrierCount,
                                                           RunListener& listener = RunListener::none());

/// A whole run: reads both files, builds the distances, extents, locations and triangulation, and
/// finds the barriers; with bootstrap replicates asked for, then the support of every crossed edge
/// (see BarrierBootstrap), drawing from `random` and from nothing else. Progress: "Reading",
/// "Calculating Distances", "Calculating Residuals" (residual values only), "Triangulating",
/// "Implementing Algorithm", then "Bootstrap: " with every 10th replicate. Throws AnalysisError for a
/// barrier count below 1 or a replicate count outside 0..kMostBootstrapReplicates before reading
/// anything, DataProblem for the expected data problems, and AnalysisError for everything that ends
/// a run otherwise (noStartEdgeMessage among them).
MonmonierResult RunMonmonier(const MonmonierInput& input, RandomUniform& random,
                             RunListener& listener = RunListener::none());
/// A run without bootstrap replicates, which draws no numbers. Throws std::invalid_argument when
/// replicates are asked for.
MonmonierResult RunMonmonier(const MonmonierInput& input, RunListener& listener = RunListener::none());

/// The text of "monmonierresults.txt", lines ending CR LF.
std::string MonmonierReport(const MonmonierResult& result);
/// The same report written line by line into `report`.
void WriteMonmonierReport(ReportWriter& report, const MonmonierResult& result);

} // namespace tessaloc
