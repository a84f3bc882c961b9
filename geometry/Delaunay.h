#pragma once

#include "core/RunListener.h"
#include "geometry/Index.h"

#include <array>
#include <span>
#include <string_view>
#include <vector>

namespace tessaloc {

/// A point handed to the triangulation. `z` belongs to the caller; the triangulation neither reads
/// nor writes it.
struct TriVertex {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

/// One triangle of a triangulation, by the positions of its corners in the caller's point list.
/// Triangles of a sound run are clockwise: CornerA, CornerB, CornerC turn right.
struct TriangleRec {
    VertexIndex CornerA;
    VertexIndex CornerB;
    VertexIndex CornerC;

    friend bool operator==(const TriangleRec&, const TriangleRec&) = default;
};

/// The result of TriangulatePoints.
struct Triangulation {
    /// The triangles in table order. The order is part of the result: the analyses list edges in
    /// triangle order, so it must not be sorted or otherwise rearranged.
    std::vector<TriangleRec> TriangleTable;
    /// The corners of the enclosing triangle (the points that followed the caller's points while the
    /// triangulation ran): lower left, top, lower right.
    std::array<TriVertex, 3> enclosing{};

    int TriangleCount() const { return static_cast<int>(TriangleTable.size()); }
};

/// The message shown each time a triangle whose three corners have the same y is tested.
inline constexpr std::string_view kCoincidentPointsMessage = "INCIRCUM - F - Points are coincident !!";

/// Triangulates the points by incremental insertion into an enclosing triangle.
///
/// Each point, in list order, removes every triangle whose circumcircle holds it (a point on the
/// circle counts as inside; see PointInCircumcircle), in table order with the last triangle moved
/// into each freed place and tested next; the removed triangles' edges are buffered in removal order,
/// pairs of opposite edges cancel, and the remaining edges, in buffer order, each form a new triangle
/// with the point at the end of the table. Finally every triangle that uses a corner of the enclosing
/// triangle is removed the same way. The result, its triangle order included, is exactly that of this
/// quadratic procedure; the triangles a point removes are found through grids of circumcircles.
///
/// Preconditions: the coordinates are finite; the points are distinct (callers triangulate distinct
/// locations; a repeated point ends the run with an undefined circle or gives a triangulation that
/// is not Delaunay).
///
/// Postconditions for distinct points not all on one line: every triangle is clockwise, no point
/// lies inside a triangle's circumcircle (beyond rounding), and the triangles cover a simply
/// connected area whose border passes every point on the convex hull. The enclosing triangle is
/// only twice the points' extent wide, so a hull side whose triangle would have to pass near it can
/// be missing: the border then runs through a point just inside the hull. Points all on one line
/// give no triangle (an empty table, no failure); callers that need a triangle must end the run.
///
/// Messages: kCoincidentPointsMessage on `listener`, once for every test of a triangle whose three
/// corners have the same y. Progress: `listener.progress(points done, points)` every few thousand
/// points, and the run stops with RunCancelled when `listener.cancelled()`.
///
/// Throws AnalysisError when a tested triangle's circumcircle is undefined (three corners on a line
/// that is not horizontal) or its arithmetic overflows, when the enclosing triangle overflows, and
/// when the run needs more than 2 (n + 100) triangles or 6 (n + 100) buffered edges, which happens
/// only when rounding on many co-circular points lets overlapping triangles pile up.
/// Time grows a little faster than n for scattered points; memory is a few hundred bytes a point.
Triangulation TriangulatePoints(std::span<const TriVertex> points, RunListener& listener = RunListener::none());

/// True when (xp, yp) lies inside or on the circle through (x1, y1), (x2, y2), (x3, y3); the circle's
/// centre goes to (xc, yc) and its radius to r.
///
/// Three corners with the same y (within 1e-51) have no circle: the listener gets
/// kCoincidentPointsMessage, the result is false and xc, yc, r are left unchanged. Corners on a line
/// that is not horizontal (or coordinates so large that the arithmetic overflows) throw
/// AnalysisError, as the undefined arithmetic ends a run.
bool PointInCircumcircle(double xp, double yp, double x1, double y1, double x2, double y2, double x3, double y3,
                         double& xc, double& yc, double& r, RunListener& listener = RunListener::none());

} // namespace tessaloc
