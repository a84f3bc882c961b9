// The fast triangulation against the literal procedure kept in LiteralDelaunay.cpp: whole triangle
// tables (corners and order), the enclosing triangle, the messages and the failures must agree.

#include "core/Errors.h"
#include "geometry/Delaunay.h"
#include "tests/support/LiteralDelaunay.h"
#include "tests/support/PointSets.h"
#include "tests/support/RecordingListener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessaloc {
namespace {

using testing::RecordingListener;

struct Outcome {
    Triangulation result;
    size_t messages = 0;
    std::string failure;
};

template <typename Triangulate> Outcome outcomeOf(Triangulate triangulate, const std::vector<TriVertex>& points)
{
    Outcome outcome;
    RecordingListener listener;
    try {
        outcome.result = triangulate(points, listener);
    } catch (const AnalysisError& error) {
        outcome.failure = error.what();
        // Running out of room is the literal procedure's index failure.
        if (outcome.failure.starts_with("the triangulation needs more room"))
            outcome.failure = "index failure";
    } catch (const std::out_of_range&) {
        outcome.failure = "index failure";
    }
    outcome.messages = listener.messages.size();
    return outcome;
}

void expectLiteralResult(const std::vector<TriVertex>& points, const std::string& label)
{
    SCOPED_TRACE(label + ", " + std::to_string(points.size()) + " points");
    const Outcome fast = outcomeOf([](auto& p, RunListener& l) { return TriangulatePoints(p, l); }, points);
    const Outcome literal =
        outcomeOf([](auto& p, RunListener& l) { return reference::literalTriangulatePoints(p, l); }, points);
    EXPECT_EQ(fast.failure, literal.failure);
    EXPECT_EQ(fast.messages, literal.messages);
    ASSERT_EQ(fast.result.TriangleCount(), literal.result.TriangleCount());
    EXPECT_TRUE(fast.result.TriangleTable == literal.result.TriangleTable);
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(fast.result.enclosing[k].x, literal.result.enclosing[k].x);
        EXPECT_EQ(fast.result.enclosing[k].y, literal.result.enclosing[k].y);
    }
}

TEST(TriangulatePointsEquivalence, RandomPointsOfManySizes)
{
    for (const int count : {3, 4, 5, 7, 10, 30, 100, 400, 1500}) {
        for (std::uint32_t seed = 1; seed <= 4; ++seed)
            expectLiteralResult(reference::randomPoints(count, seed), "random seed " + std::to_string(seed));
    }
}

TEST(TriangulatePointsEquivalence, WholeNumberPointsWithManyCocircularAndCollinearTriples)
{
    // Coordinates 0..19: many points share circles and lines, and some runs meet a triangle whose
    // corners lie on one sloped line, which both must fail on at the same place.
    for (std::uint32_t seed = 1; seed <= 40; ++seed)
        expectLiteralResult(reference::randomPoints(60, seed, 20.0, 20.0, 0), "integers seed " + std::to_string(seed));
}

TEST(TriangulatePointsEquivalence, GridsInRowOrderAndShuffled)
{
    for (int side = 2; side <= 14; ++side) {
        expectLiteralResult(reference::gridPoints(side, side), "grid " + std::to_string(side));
        expectLiteralResult(reference::gridPoints(side, side + 3), "grid " + std::to_string(side) + " by more");
        for (std::uint32_t seed = 1; seed <= 3; ++seed)
            expectLiteralResult(reference::shuffled(reference::gridPoints(side, side), seed),
                                "shuffled grid " + std::to_string(side));
    }
}

TEST(TriangulatePointsEquivalence, WideGridsInRowOrderMakeLargeHoles)
{
    // Each point of a long row removes the fan of triangles above the row: holes of well over 48
    // edges, where the cancelling of opposite edges goes by sorting instead of scanning.
    expectLiteralResult(reference::gridPoints(110, 12), "grid 110 by 12");
    expectLiteralResult(reference::gridPoints(45, 45), "grid 45");
}

TEST(TriangulatePointsEquivalence, PointsOnCircles)
{
    for (const int count : {4, 5, 8, 12, 16, 33, 64, 150}) {
        expectLiteralResult(reference::circlePoints(count, 10.0), "circle");
        expectLiteralResult(reference::shuffled(reference::circlePoints(count, 10.0, 3.0, -2.0), 7), "shuffled circle");
        auto rings = reference::circlePoints(count, 10.0);
        const auto inner = reference::circlePoints(count, 5.0);
        rings.insert(rings.end(), inner.begin(), inner.end());
        rings.push_back({0.0, 0.0, 0.0});
        expectLiteralResult(rings, "two rings and the centre");
    }
}

TEST(TriangulatePointsEquivalence, PointsSortedAlongXGrowTheHullAtEveryStep)
{
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        auto points = reference::randomPoints(800, seed, 1000.0, 50.0);
        std::sort(points.begin(), points.end(), [](const TriVertex& a, const TriVertex& b) { return a.x < b.x; });
        expectLiteralResult(points, "sorted by x");
        std::reverse(points.begin(), points.end());
        expectLiteralResult(points, "sorted by x, descending");
    }
}

TEST(TriangulatePointsEquivalence, TwoFarApartClustersLeaveMostGridCellsEmpty)
{
    auto points = reference::randomPoints(300, 11, 1.0, 1.0, 6);
    const auto far = reference::scaled(reference::randomPoints(300, 12, 1.0, 1.0, 6), 1.0);
    for (TriVertex point : far) {
        point.x += 5000.0;
        point.y += 2000.0;
        points.push_back(point);
    }
    expectLiteralResult(points, "two clusters");
    expectLiteralResult(reference::shuffled(points, 3), "two clusters, shuffled");
}

TEST(TriangulatePointsEquivalence, ExtremeScalesAndOffsets)
{
    const auto base = reference::randomPoints(300, 5, 1000.0, 1000.0, 3);
    // Beyond 1e100 every triangle is tested for every point; below, the grid's margins must still
    // hold when squares underflow.
    for (const double factor : {1e150, 1e90, 1e-150, 1e-160, 1e-300})
        expectLiteralResult(reference::scaled(base, factor), "scaled");
    auto utm = base;
    for (TriVertex& point : utm) {
        point.x = 500000.0 + point.x / 1000.0;
        point.y = 5000000.0 + point.y / 1000.0;
    }
    expectLiteralResult(utm, "large offset, small spread");
}

// Half the points on or very near one level line: slivers among them have enormous circles, which
// are tested for every point instead of through the grid.
std::vector<TriVertex> bandPoints(double spread, std::uint32_t seed)
{
    auto points = reference::randomPoints(120, seed, 1000.0, 1000.0, 3);
    for (size_t k = 0; k < points.size(); k += 2)
        points[k].y = spread * static_cast<double>(k % 7);
    for (size_t k = 1; k < points.size(); k += 2)
        points[k].y -= 500.0;
    return points;
}

TEST(TriangulatePointsEquivalence, NearlyLevelBands)
{
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        expectLiteralResult(bandPoints(1e-54, seed), "level band");
        expectLiteralResult(bandPoints(1e-14, seed), "thin band");
        expectLiteralResult(bandPoints(0.0, seed), "exactly level band");
    }
}

TEST(TriangulatePointsEquivalence, DegenerateInputs)
{
    expectLiteralResult({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {5, 0, 0}}, "one horizontal line");
    expectLiteralResult({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {1, 1, 0}, {1, -1, 0}, {4, 0, 0}}, "horizontal line and two");
    expectLiteralResult({{0, 0, 0}, {1, 1, 0}, {2, 2, 0}, {3, 3, 0}}, "one sloped line");
    expectLiteralResult({{0, 0, 0}, {0, 1, 0}, {0, 2, 0}, {0, 3, 0}}, "one vertical line");
    expectLiteralResult({{0, 0, 0}, {1, 1, 0}, {2, 2, 0}, {0, 1, 0}}, "three on a line and one off it");
    expectLiteralResult({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0.5, 0.5, 0}}, "a repeated point");
    expectLiteralResult({{2, 2, 0}, {2, 2, 0}, {2, 2, 0}}, "one point three times");
    expectLiteralResult({{1, 1, 0}}, "one point");
    expectLiteralResult({{1, 1, 0}, {2, 3, 0}}, "two points");
}

} // namespace
} // namespace tessaloc
