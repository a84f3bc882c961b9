#pragma once

#include "geometry/Delaunay.h"

#include <span>
#include <string>
#include <vector>

namespace tessaloc {

/// What CheckTriangulation found.
struct TriangulationReport {
    /// One line per broken invariant; empty for a sound triangulation.
    std::vector<std::string> problems;
    /// The points on the border of the triangulated area (each end of an edge that only one triangle
    /// has), which for a triangulation of the convex hull are the points on the hull.
    int borderPoints = 0;

    bool sound() const { return problems.empty(); }
};

/// Checks a triangulation of `points` (distinct, not all on one line) against the invariants of a
/// Delaunay triangulation of a simply connected area:
/// - every corner is one of the points, the three corners differ, every triangle turns clockwise;
/// - no directed edge occurs twice, so an edge has at most two triangles and they meet in opposite
///   directions (the neighbours of every triangle are consistent);
/// - the border edges form one closed ring, and every point is a corner of some triangle;
/// - the count adds up: 2n - 2 - (border points) triangles;
/// - no point lies inside a triangle's circumcircle, beyond a relative margin of 1e-9 that lets
///   co-circular points (grids) pass.
/// The circumcircle test compares every triangle with every point, so it suits test inputs of up to a
/// few thousand points.
TriangulationReport CheckTriangulation(std::span<const TriVertex> points, std::span<const TriangleRec> triangles);

} // namespace tessaloc
