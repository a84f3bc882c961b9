#pragma once

#include "core/RunListener.h"
#include "core/SquareMatrix.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tessaloc {

/// A straight line between two points. Network edge records of the analyses begin with the same four
/// fields, which is all SameEdge reads.
struct Segment {
    double X1 = 0.0;
    double Y1 = 0.0;
    double X2 = 0.0;
    double Y2 = 0.0;
};

/// A polygon as two coordinate lists of equal length, its corners in order. A closed polygon repeats
/// its first corner as its last.
struct Polygon {
    std::vector<double> x;
    std::vector<double> y;

    int size() const { return static_cast<int>(x.size()); }
};

/// The message shown when both segments given to SegmentsIntersect are vertical.
inline constexpr std::string_view kOverlappingLinesMessage = "Overlapping lines undefined slopes.";

/// Replaces the genetic distances G by the residuals of their least-squares regression on the
/// geographic distances D over all pairs i < j: G(i, j) - (b D(i, j) + a), mirrored, with a zero
/// diagonal. Sums run over the pairs row by row (i ascending, then j). Only the upper triangles
/// (i < j) of G and D are read. Preconditions: G and D have the same size.
/// Throws AnalysisError when the regression is undefined (all geographic distances equal, which
/// includes every matrix of fewer than three observations) or a sum overflows; G is then unchanged.
void ResidualizeDistances(SquareMatrix& G, const SquareMatrix& D);

/// (a + b) / 2.
inline double Midpoint(double a, double b)
{
    return (a + b) / 2;
}

/// True when the two edges have the same two end points, in either direction, compared exactly.
/// Works with any records that have the fields X1, Y1, X2, Y2 (Segment and the analyses' edges).
template <typename EdgeE, typename EdgeF> bool SameEdge(const EdgeE& e, const EdgeF& f)
{
    return (e.X1 == f.X1 && e.Y1 == f.Y1 && e.X2 == f.X2 && e.Y2 == f.Y2) ||
           (e.X1 == f.X2 && e.Y1 == f.Y2 && e.X2 == f.X1 && e.Y2 == f.Y1);
}

/// The angle in degrees (0..180) at point 3 between the directions to point 1 and to point 2, by the
/// law of cosines. 180 when point 1 or point 2 coincides with point 3. When the cosine's numerator
/// and denominator differ in size by at most 1e-11 the points count as collinear: 0 for a
/// non-negative cosine, 180 otherwise. The angle is converted with pi = 3.14159265358979, so a
/// straight angle can come out a few units in the 13th decimal above 180. A cosine that rounding
/// pushes beyond [-1, 1] is clamped.
double VertexAngle(double x1, double y1, double x2, double y2, double x3, double y3);

/// The convex hull of the observations' distinct locations (grouped as GroupDistinctLocations does),
/// by gift wrapping with the largest turning angle.
///
/// A closed polygon starting (and ending) at the location with the smallest x and, among those, the
/// largest y, however few the locations: three give their triangle (4 corners, the first repeated),
/// two a line there and back (area 0), one that location twice (area 0); none give no corner. The first step turns from
/// the vertical through the start point: downwards first (counter-clockwise) when the start's y is 0 or above, upwards
/// first (clockwise) when it is below 0. Among equal angles the location first in order wins. When no location gives an
/// angle above 0 (the rest lie on the line through the last two corners), the polygon closes at the start; after as
/// many steps as there are locations plus one it closes there too. Preconditions: X and Y have one entry per
/// observation.
Polygon ConvexHull(std::span<const double> X, std::span<const double> Y);

/// The area of a closed polygon by the shoelace sum over consecutive corners; no term joins the last
/// corner back to the first, so an open polygon lacks its closing side. 0 for fewer than two corners.
double PolygonArea(std::span<const double> X, std::span<const double> Y);
inline double PolygonArea(const Polygon& polygon)
{
    return PolygonArea(polygon.x, polygon.y);
}

/// Whether the segment from (x1, y1) to (x2, y2) crosses the segment from (x3, y3) to (x4, y4), by
/// slopes and intercepts. Between two sloped segments a crossing at an end point's x counts; when one
/// segment is vertical (its slope taken over a run of 1e-7), a crossing at an end point's y does
/// not. Parallel segments never cross. Two vertical segments give kOverlappingLinesMessage on the
/// listener and false.
bool SegmentsIntersect(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
                       RunListener& listener = RunListener::none());

/// The smaller value: b when a > b, else a.
inline double MinOf(double a, double b)
{
    return a > b ? b : a;
}
/// The larger value: a when a >= b, else b.
inline double MaxOf(double a, double b)
{
    return a >= b ? a : b;
}
/// True for even numbers, negative ones included.
inline bool IsEven(std::int32_t n)
{
    return n % 2 == 0;
}

} // namespace tessaloc
