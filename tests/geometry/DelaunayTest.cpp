#include "geometry/Delaunay.h"
#include "core/Errors.h"
#include "geometry/TriangulationCheck.h"
#include "tests/support/PointSets.h"
#include "tests/support/RecordingListener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace tessaloc {
namespace {

using Corners = std::set<int>;

Corners cornersOf(const TriangleRec& t)
{
    return {t.CornerA.value, t.CornerB.value, t.CornerC.value};
}

std::set<Corners> cornerSets(const Triangulation& triangulation)
{
    std::set<Corners> sets;
    for (const TriangleRec& t : triangulation.TriangleTable)
        sets.insert(cornersOf(t));
    return sets;
}

using CornerPoints = std::set<std::pair<double, double>>;

std::set<CornerPoints> coordinateSets(const std::vector<TriVertex>& points, const Triangulation& triangulation)
{
    std::set<CornerPoints> sets;
    for (const TriangleRec& t : triangulation.TriangleTable) {
        CornerPoints corners;
        for (const VertexIndex v : {t.CornerA, t.CornerB, t.CornerC})
            corners.emplace(points[v.at()].x, points[v.at()].y);
        sets.insert(corners);
    }
    return sets;
}

void expectSound(const std::vector<TriVertex>& points, const Triangulation& triangulation)
{
    const TriangulationReport report = CheckTriangulation(points, triangulation.TriangleTable);
    for (const std::string& problem : report.problems)
        ADD_FAILURE() << problem;
}

// Points on the convex hull, those on its sides included, by Andrew's monotone chain: written here
// independently of the triangulation and its checker.
int hullPointCount(std::vector<TriVertex> points)
{
    std::sort(points.begin(), points.end(),
              [](const TriVertex& a, const TriVertex& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    const auto cross = [](const TriVertex& o, const TriVertex& a, const TriVertex& b) {
        return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
    };
    std::vector<TriVertex> chain;
    for (int pass = 0; pass < 2; ++pass) {
        const size_t base = chain.size();
        for (const TriVertex& p : points) {
            while (chain.size() >= base + 2 && cross(chain[chain.size() - 2], chain.back(), p) < 0)
                chain.pop_back();
            chain.push_back(p);
        }
        chain.pop_back();
        std::reverse(points.begin(), points.end());
    }
    return static_cast<int>(chain.size());
}

class CancellingListener : public RunListener {
public:
    bool cancelled() const override { return true; }
};

class ProgressListener : public RunListener {
public:
    void progress(long long done, long long total) override { calls.emplace_back(done, total); }
    std::vector<std::pair<long long, long long>> calls;
};

TEST(TriangulatePoints, ThreePointsGiveOneTriangleInsideTheEnclosingOne)
{
    const std::vector<TriVertex> points{{0, 0, 0}, {4, 0, 0}, {0, 3, 0}};
    const Triangulation result = TriangulatePoints(points);
    ASSERT_EQ(result.TriangleCount(), 1);
    EXPECT_EQ(cornersOf(result.TriangleTable[0]), (Corners{0, 1, 2}));
    expectSound(points, result);
    // By hand: the box is 4 by 3, so dmax = 4 around the middle (2, 1.5).
    EXPECT_EQ(result.enclosing[0].x, -6.0);
    EXPECT_EQ(result.enclosing[0].y, -2.5);
    EXPECT_EQ(result.enclosing[1].x, 2.0);
    EXPECT_EQ(result.enclosing[1].y, 9.5);
    EXPECT_EQ(result.enclosing[2].x, 10.0);
    EXPECT_EQ(result.enclosing[2].y, -2.5);
}

TEST(TriangulatePoints, SquareTakesTheDiagonalThroughTheSecondAndFourthCorner)
{
    // The fourth corner lies on the circle through the first three, which counts as inside: the
    // triangle of the first three goes, and the new diagonal joins corners 2 and 4.
    const std::vector<TriVertex> points{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const Triangulation result = TriangulatePoints(points);
    ASSERT_EQ(result.TriangleCount(), 2);
    EXPECT_EQ(cornerSets(result), (std::set<Corners>{{0, 1, 3}, {1, 2, 3}}));
    expectSound(points, result);
}

TEST(TriangulatePoints, AnotherOrderOfTheSamePointsGivesAnotherValidTriangulation)
{
    // The square from its second corner on: now (1, 1) and (0, 0) are the second and fourth points,
    // so the diagonal runs between them instead of between (1, 0) and (0, 1).
    const std::vector<TriVertex> first{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const std::vector<TriVertex> second{{1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 0}};
    const Triangulation a = TriangulatePoints(first);
    const Triangulation b = TriangulatePoints(second);
    expectSound(second, b);
    EXPECT_EQ(coordinateSets(second, b), (std::set<CornerPoints>{{{0, 0}, {1, 0}, {1, 1}}, {{0, 0}, {0, 1}, {1, 1}}}));
    EXPECT_EQ(coordinateSets(first, a), (std::set<CornerPoints>{{{0, 0}, {1, 0}, {0, 1}}, {{1, 0}, {1, 1}, {0, 1}}}));
}

TEST(TriangulatePoints, SquareGridsGiveTwoTrianglesPerCell)
{
    // (side - 1)^2 cells, two triangles each: 8, 18 and 32.
    for (const auto& [side, expected] : std::vector<std::pair<int, int>>{{3, 8}, {4, 18}, {5, 32}}) {
        SCOPED_TRACE(side);
        const auto points = reference::gridPoints(side, side);
        const Triangulation result = TriangulatePoints(points);
        EXPECT_EQ(result.TriangleCount(), expected);
        expectSound(points, result);
    }
}

TEST(TriangulatePoints, RandomPointsAreDelaunayAndTheCountFollowsTheBorder)
{
    for (const int count : {10, 100, 1000}) {
        for (std::uint32_t seed = 1; seed <= 3; ++seed) {
            SCOPED_TRACE(std::to_string(count) + " points, seed " + std::to_string(seed));
            const auto points = reference::randomPoints(count, seed);
            const Triangulation result = TriangulatePoints(points);
            const TriangulationReport report = CheckTriangulation(points, result.TriangleTable);
            EXPECT_TRUE(report.sound()) << (report.problems.empty() ? "" : report.problems.front());
            // Every point on the hull is on the border; the border may also pass points inside
            // the hull (see the next test), each of which leaves one triangle out.
            const int n = static_cast<int>(points.size());
            EXPECT_GE(report.borderPoints, hullPointCount(points));
            EXPECT_EQ(result.TriangleCount(), 2 * n - 2 - report.borderPoints);
        }
    }
}

TEST(TriangulatePoints, APointJustInsideAHullSideLeavesThatSideOut)
{
    // The triangle (0, 0), (5, 0.1), (10, 0) has its circle's centre at (5, -124.95) and radius
    // 125.05 (by hand); the enclosing triangle's corner (-15, -7.5) lies inside it, at 119.1, so
    // that triangle never forms and the border runs through (5, 0.1): 2 triangles, not 3.
    const std::vector<TriVertex> points{{0, 0, 0}, {10, 0, 0}, {5, 0.1, 0}, {5, 5, 0}};
    const Triangulation result = TriangulatePoints(points);
    EXPECT_EQ(cornerSets(result), (std::set<Corners>{{0, 2, 3}, {1, 2, 3}}));
    EXPECT_EQ(CheckTriangulation(points, result.TriangleTable).borderPoints, 4);
    EXPECT_EQ(hullPointCount(points), 3);
}

TEST(TriangulatePoints, PointsOnOneLineGiveNoTriangle)
{
    // Every triangle that joins them would use a corner of the enclosing triangle.
    EXPECT_EQ(TriangulatePoints(std::vector<TriVertex>{{0, 0, 0}, {1, 1, 0}, {2, 2, 0}, {3, 3, 0}}).TriangleCount(), 0);
    testing::RecordingListener listener;
    EXPECT_EQ(TriangulatePoints(std::vector<TriVertex>{{0, 5, 0}, {1, 5, 0}, {3, 5, 0}}, listener).TriangleCount(), 0);
    EXPECT_TRUE(listener.messages.empty());
}

TEST(TriangulatePoints, LevelCornersGiveTheCoincidentMessageAtEveryTest)
{
    // One point: the enclosing triangle has no size, so all its corners are at one y. It is tested
    // (and kept) for each of the three points and then removed.
    testing::RecordingListener listener;
    const std::vector<TriVertex> points{{2, 2, 0}, {2, 2, 0}, {2, 2, 0}};
    EXPECT_EQ(TriangulatePoints(points, listener).TriangleCount(), 0);
    EXPECT_EQ(listener.messages, std::vector<std::string>(3, std::string(kCoincidentPointsMessage)));
}

TEST(TriangulatePoints, ARepeatedPointEndsWithTheUndefinedCircle)
{
    // Not a caller's input (callers pass distinct locations), but it must fail cleanly.
    const std::vector<TriVertex> points{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0.5, 0.5, 0}};
    EXPECT_THROW(TriangulatePoints(points), AnalysisError);
}

TEST(TriangulatePoints, ManyPointsOnOneCircleRunOutOfRoom)
{
    // Rounding lets overlapping triangles pile up beyond 2 (n + 100).
    try {
        TriangulatePoints(reference::circlePoints(150, 10.0));
        FAIL() << "expected an AnalysisError";
    } catch (const AnalysisError& error) {
        EXPECT_TRUE(std::string(error.what()).starts_with("the triangulation needs more room than its"))
            << error.what();
    }
}

TEST(TriangulatePoints, TensOfThousandsOfPointsNeedNoSixteenBitCounts)
{
    const auto points = reference::randomPoints(40000, 9, 100000.0, 100000.0, 2);
    const Triangulation result = TriangulatePoints(points);
    EXPECT_GT(result.TriangleCount(), 32767);
    EXPECT_LE(result.TriangleCount(), 2 * static_cast<int>(points.size()) - 2 - hullPointCount(points));
}

TEST(TriangulatePoints, CancellingStopsTheRun)
{
    CancellingListener listener;
    EXPECT_THROW(TriangulatePoints(reference::gridPoints(3, 3), listener), RunCancelled);
}

TEST(TriangulatePoints, ProgressEndsWithAllPointsDone)
{
    ProgressListener listener;
    TriangulatePoints(reference::gridPoints(4, 3), listener);
    ASSERT_FALSE(listener.calls.empty());
    EXPECT_EQ(listener.calls.back(), (std::pair<long long, long long>{12, 12}));
}

TEST(TriangulatePoints, NoPointsGiveNoTriangle)
{
    EXPECT_EQ(TriangulatePoints(std::vector<TriVertex>{}).TriangleCount(), 0);
}

TEST(TriangulatePoints, CoordinatesThatOverflowTheEnclosingTriangleAreAnAnalysisError)
{
    EXPECT_THROW(TriangulatePoints(std::vector<TriVertex>{{-1e308, 0, 0}, {1e308, 1, 0}, {0, 2, 0}}), AnalysisError);
}

} // namespace
} // namespace tessaloc
