#include "geometry/GeometryHelpers.h"
#include "core/Errors.h"
#include "tests/support/PointSets.h"
#include "tests/support/RecordingListener.h"
#include "tests/support/TriangulationChecks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace tessaloc {
namespace {

SquareMatrix symmetric(int size, const std::vector<double>& upper)
{
    SquareMatrix matrix(size);
    size_t next = 0;
    for (int i = 0; i + 1 < size; ++i) {
        for (int k = i + 1; k < size; ++k)
            matrix.setPair(i, k, upper[next++]);
    }
    return matrix;
}

TEST(ResidualizeDistances, ResidualsOfAWorkedExample)
{
    // D = 1, 2, 3 and G = 1, 3, 2 over the pairs (1,2), (1,3), (2,3). By hand: both means are 2,
    // Sxy = 1, Sxx = 2, so b = 0.5 and a = 1; residuals G - (0.5 D + 1) = -0.5, 1, -0.5.
    SquareMatrix genetic = symmetric(3, {1, 3, 2});
    const SquareMatrix geographic = symmetric(3, {1, 2, 3});
    ResidualizeDistances(genetic, geographic);
    EXPECT_EQ(genetic, symmetric(3, {-0.5, 1, -0.5}));
}

TEST(ResidualizeDistances, AnExactlyLinearRelationLeavesZeroResidualsAndASymmetricMatrix)
{
    const SquareMatrix geographic = symmetric(4, {1.5, 2, 7, 3.25, 4, 9});
    SquareMatrix genetic(4);
    for (int i = 0; i < 4; ++i) {
        for (int k = i + 1; k < 4; ++k)
            genetic.setPair(i, k, 0.1 + 0.03 * geographic(i, k));
    }
    ResidualizeDistances(genetic, geographic);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(genetic(i, i), 0.0);
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(genetic(i, k), 0.0, 1e-15);
            EXPECT_EQ(genetic(i, k), genetic(k, i));
        }
    }
}

TEST(ResidualizeDistances, OnlyTheUpperTriangleIsRead)
{
    SquareMatrix genetic = symmetric(3, {1, 3, 2});
    SquareMatrix geographic = symmetric(3, {1, 2, 3});
    genetic(2, 0) = 100;
    geographic(1, 0) = -50;
    geographic(2, 2) = 9;
    ResidualizeDistances(genetic, geographic);
    EXPECT_EQ(genetic, symmetric(3, {-0.5, 1, -0.5}));
}

TEST(ResidualizeDistances, EqualGeographicDistancesAreAnAnalysisErrorAndLeaveGAsItWas)
{
    SquareMatrix genetic = symmetric(3, {1, 3, 2});
    const SquareMatrix before = genetic;
    EXPECT_THROW(ResidualizeDistances(genetic, symmetric(3, {5, 5, 5})), AnalysisError);
    EXPECT_EQ(genetic, before);
    // Two observations make one pair, whose distance equals itself.
    SquareMatrix pair = symmetric(2, {0.5});
    EXPECT_THROW(ResidualizeDistances(pair, symmetric(2, {3})), AnalysisError);
    SquareMatrix none(1);
    EXPECT_THROW(ResidualizeDistances(none, SquareMatrix(1)), AnalysisError);
}

TEST(Midpoint, IsTheMean)
{
    EXPECT_EQ(Midpoint(1, 4), 2.5);
    EXPECT_EQ(Midpoint(-3, 3), 0.0);
}

TEST(SameEdge, ComparesEndPointsExactlyInEitherDirection)
{
    const Segment e{0, 0, 2, 1};
    EXPECT_TRUE(SameEdge(e, Segment{0, 0, 2, 1}));
    EXPECT_TRUE(SameEdge(e, Segment{2, 1, 0, 0}));
    EXPECT_FALSE(SameEdge(e, Segment{0, 0, 3, 3}));
    EXPECT_FALSE(SameEdge(e, Segment{2, 1, 5, 5}));
    EXPECT_FALSE(SameEdge(e, Segment{0, 0, 2, std::nextafter(1.0, 2.0)}));
    // Ends that match crosswise in one coordinate only are not the same edge.
    EXPECT_FALSE(SameEdge(e, Segment{2, 0, 0, 1}));
}

TEST(VertexAngle, WorkedExamples)
{
    EXPECT_NEAR(VertexAngle(1, 0, 0, 1, 0, 0), 90.0, 1e-12);
    EXPECT_EQ(VertexAngle(1, 0, 2, 0, 0, 0), 0.0);
    EXPECT_EQ(VertexAngle(1, 0, -1, 0, 0, 0), 180.0);
    EXPECT_NEAR(VertexAngle(1, 0, 1, 1, 0, 0), 45.0, 1e-12);
}

TEST(VertexAngle, APointOnTheVertexGives180)
{
    EXPECT_EQ(VertexAngle(0, 0, 5, 5, 0, 0), 180.0);
    EXPECT_EQ(VertexAngle(5, 5, 3, 3, 3, 3), 180.0);
}

TEST(VertexAngle, NearlyStraightAnglesWithLargeCoordinatesStayDefined)
{
    // Far from the origin, rounding can push the cosine beyond 1 in size while its numerator and
    // denominator still differ by more than 1e-11; the clamped cosine keeps the angle in range.
    std::mt19937 generator(3);
    std::uniform_real_distribution<double> jitter(-1e-3, 1e-3);
    int beyondWindow = 0;
    for (int k = 0; k < 20000; ++k) {
        const double x = 1e7 + k;
        const double angle = VertexAngle(x - 1000, 5e6 + jitter(generator), x + 1000, 5e6 + jitter(generator), x, 5e6);
        ASSERT_FALSE(std::isnan(angle));
        ASSERT_GE(angle, 0.0);
        ASSERT_LE(angle, 180.0 + 1e-9);
        beyondWindow += angle > 179.9;
    }
    EXPECT_GT(beyondWindow, 0);
}

Polygon hullOf(const std::vector<std::pair<double, double>>& points)
{
    std::vector<double> x, y;
    for (const auto& [px, py] : points) {
        x.push_back(px);
        y.push_back(py);
    }
    return ConvexHull(x, y);
}

void expectCorners(const Polygon& hull, const std::vector<std::pair<double, double>>& expected)
{
    ASSERT_EQ(hull.size(), static_cast<int>(expected.size()));
    for (size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(hull.x[k], expected[k].first) << "corner " << k;
        EXPECT_EQ(hull.y[k], expected[k].second) << "corner " << k;
    }
}

TEST(ConvexHull, SquareWithItsCentreStartsTopLeftAndRunsDownFirst)
{
    // Traced by hand: from (0, 2) straight down (180 degrees from the reference point above), then
    // right, up and back; the centre never gives the largest angle.
    const Polygon hull = hullOf({{0, 0}, {2, 0}, {2, 2}, {0, 2}, {1, 1}});
    expectCorners(hull, {{0, 2}, {0, 0}, {2, 0}, {2, 2}, {0, 2}});
    EXPECT_EQ(PolygonArea(hull), 4.0);
}

TEST(ConvexHull, BelowTheXAxisTheReferenceIsBelowAndTheHullRunsClockwise)
{
    const Polygon hull = hullOf({{0, -3}, {2, -3}, {2, -1}, {0, -1}, {1, -2}});
    expectCorners(hull, {{0, -1}, {2, -1}, {2, -3}, {0, -3}, {0, -1}});
}

TEST(ConvexHull, StartOnTheXAxisDoesNotTakeTheFirstLocationInTheList)
{
    // Regression: with y = 0 the doubled y put the reference point on the start itself, every
    // location scored 180 and the centre (1, 0), first in the list, became a hull corner.
    const Polygon hull = hullOf({{1, 0}, {0, 0}, {1, 1}, {2, 0}, {1, -1}});
    expectCorners(hull, {{0, 0}, {1, -1}, {2, 0}, {1, 1}, {0, 0}});
    EXPECT_EQ(PolygonArea(hull), 2.0);
}

TEST(ConvexHull, RepeatedLocationsCountOnceAndThreeLocationsAreWalkedLikeAnyOther)
{
    // (1, 1) is repeated; its x and its y each occur earlier at other locations. Traced by hand: from
    // (0, 1), the smallest x, down-right to (1, 0) (135 degrees from the reference point above
    // against 90 for (1, 1)), up to (1, 1) and back.
    const Polygon hull = hullOf({{0, 1}, {1, 0}, {1, 1}, {1, 1}});
    expectCorners(hull, {{0, 1}, {1, 0}, {1, 1}, {0, 1}});
    EXPECT_EQ(PolygonArea(hull), 0.5); // a right triangle with legs 1 and 1
}

TEST(ConvexHull, HullOfThreeLocationsIsClosed)
{
    // Regression: three distinct locations came back open, so their area lacked the closing side
    // ("Polygon Area: 1" for this triangle of area 1/2, legs 1 and 1) and the outline a side.
    const Polygon hull = hullOf({{1, 1}, {2, 1}, {1, 2}});
    expectCorners(hull, {{1, 2}, {1, 1}, {2, 1}, {1, 2}});
    EXPECT_EQ(PolygonArea(hull), 0.5);
}

TEST(ConvexHull, RepeatedLocationsAreSkippedOnTheWayRound)
{
    const Polygon hull = hullOf({{0, 0}, {2, 0}, {2, 0}, {2, 2}, {0, 2}, {0, 2}, {1, 1}});
    expectCorners(hull, {{0, 2}, {0, 0}, {2, 0}, {2, 2}, {0, 2}});
}

TEST(ConvexHull, LocationsOnOneLineCloseAtTheStart)
{
    // From (5, 3) every location lies straight down (180, ties keep the first, (5, 0)); from there
    // the rest lie on the line just walked (angle 0), so the polygon closes at once.
    const Polygon hull = hullOf({{5, 0}, {5, 1}, {5, 2}, {5, 3}});
    expectCorners(hull, {{5, 3}, {5, 0}, {5, 3}});
    EXPECT_EQ(PolygonArea(hull), 0.0);
}

TEST(ConvexHull, OneOrTwoLocationsAreClosedWithAreaZeroAndNoneGivesNoCorner)
{
    expectCorners(hullOf({}), {});
    const Polygon one = hullOf({{3, 4}, {3, 4}});
    expectCorners(one, {{3, 4}, {3, 4}});
    EXPECT_EQ(PolygonArea(one), 0.0);
    // Two locations: from the one with the smaller x to the other and back.
    const Polygon two = hullOf({{3, 4}, {1, 2}});
    expectCorners(two, {{1, 2}, {3, 4}, {1, 2}});
    EXPECT_EQ(PolygonArea(two), 0.0);
}

TEST(ConvexHull, RandomLocationsGiveAClosedConvexPolygon)
{
    const auto points = reference::randomPoints(500, 4, 100.0, 100.0, 2);
    std::vector<double> x, y;
    for (const TriVertex& p : points) {
        x.push_back(p.x);
        y.push_back(p.y);
    }
    const Polygon hull = ConvexHull(x, y);
    ASSERT_GE(hull.size(), 4);
    // The triangulation of the same locations is sound, and every corner of the hull is a point on
    // its border (locations on a side of the hull may be border points too).
    const DistinctLocations locations = GroupDistinctLocations(x, y);
    const TriangulationReport report = testing::expectSoundTriangulation(locations, TriangulateLocations(locations));
    EXPECT_LE(hull.size() - 1, report.borderPoints);
    EXPECT_EQ(hull.x.front(), hull.x.back());
    EXPECT_EQ(hull.y.front(), hull.y.back());
    // Counter-clockwise: every location lies left of (or on) every side.
    for (int k = 0; k + 1 < hull.size(); ++k) {
        for (size_t p = 0; p < x.size(); ++p) {
            const double cross =
                (hull.x[k + 1] - hull.x[k]) * (y[p] - hull.y[k]) - (hull.y[k + 1] - hull.y[k]) * (x[p] - hull.x[k]);
            ASSERT_GE(cross, -1e-9) << "side " << k << ", location " << p;
        }
    }
}

TEST(PolygonArea, ClosedUnitSquareAndAnOpenTriangle)
{
    EXPECT_EQ(PolygonArea(std::vector<double>{0, 1, 1, 0, 0}, std::vector<double>{0, 0, 1, 1, 0}), 1.0);
    // (1, 0), (2, 0), (0, 2) open: |1*0 - 2*0 + 2*2 - 0*0| / 2 = 2; closed it would be 1.
    EXPECT_EQ(PolygonArea(std::vector<double>{1, 2, 0}, std::vector<double>{0, 0, 2}), 2.0);
    EXPECT_EQ(PolygonArea(std::vector<double>{1, 2, 0, 1}, std::vector<double>{0, 0, 2, 0}), 1.0);
    EXPECT_EQ(PolygonArea(std::vector<double>{7}, std::vector<double>{7}), 0.0);
    EXPECT_EQ(PolygonArea(std::vector<double>{}, std::vector<double>{}), 0.0);
}

TEST(SegmentsIntersect, CrossingParallelAndTouching)
{
    EXPECT_TRUE(SegmentsIntersect(0, 0, 2, 2, 0, 2, 2, 0));
    EXPECT_FALSE(SegmentsIntersect(0, 0, 2, 2, 0, 1, 2, 3));
    EXPECT_FALSE(SegmentsIntersect(0, 0, 1, 1, 2, 0, 3, -1)); // the lines cross at x = 1.5, beyond both
    // Sloped segments meeting at an end point's x count as crossing.
    EXPECT_TRUE(SegmentsIntersect(0, 0, 2, 2, 2, 2, 4, 0));
}

TEST(SegmentsIntersect, TwoVerticalSegmentsGiveTheMessageAndFalse)
{
    testing::RecordingListener listener;
    EXPECT_FALSE(SegmentsIntersect(1, 0, 1, 2, 1, 1, 1, 3, listener));
    EXPECT_EQ(listener.messages, std::vector<std::string>{"Overlapping lines undefined slopes."});
}

TEST(SegmentsIntersect, OneVerticalSegmentCountsOnlyCrossingsStrictlyBetweenItsEnds)
{
    EXPECT_TRUE(SegmentsIntersect(1, 0, 1, 2, 0, 0, 2, 2));  // meets x = 1 at y = 1
    EXPECT_FALSE(SegmentsIntersect(1, 0, 1, 2, 0, 1, 2, 3)); // meets x = 1 at y = 2, an end
    EXPECT_FALSE(SegmentsIntersect(1, 0, 1, 2, 2, 0, 3, 3)); // both ends right of x = 1
    EXPECT_TRUE(SegmentsIntersect(0, 0, 2, 2, 1, 0, 1, 2));  // the same with the vertical one second
    EXPECT_FALSE(SegmentsIntersect(0, 1, 2, 3, 1, 0, 1, 2));
}

TEST(MinOfMaxOfIsEven, SmallCases)
{
    EXPECT_EQ(MinOf(3, 2), 2.0);
    EXPECT_EQ(MinOf(-1, 2), -1.0);
    EXPECT_EQ(MaxOf(3, 2), 3.0);
    EXPECT_EQ(MaxOf(-1, 2), 2.0);
    EXPECT_TRUE(IsEven(0));
    EXPECT_TRUE(IsEven(-4));
    EXPECT_FALSE(IsEven(7));
    EXPECT_FALSE(IsEven(-3));
}

} // namespace
} // namespace tessaloc
