#include "analyses/landscape/GridInterpolation.h"

#include "core/Errors.h"

#include "LandscapeTestData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace tessaloc {
namespace {

using testing::edgeAt;

// A shape whose first node, (DataMinX + 1e-7, DataMinY + 1e-7), is exactly (0, 0).
LandscapeResult shapeAtOrigin(std::vector<LandscapeEdge> edges, double maxX = 10, double maxY = 10)
{
    LandscapeResult shape;
    shape.data.DataMinX = -1e-7;
    shape.data.DataMinY = -1e-7;
    shape.data.DataMaxX = maxX;
    shape.data.DataMaxY = maxY;
    shape.SampleX = {-1e-7, maxX, maxX, -1e-7};
    shape.SampleY = {-1e-7, -1e-7, maxY, maxY};
    shape.LandscapeEdges = std::move(edges);
    return shape;
}

std::string problemOf(const LandscapeResult& shape, std::int32_t nx, std::int32_t ny, double p)
{
    try {
        InterpolateLandscape(shape, nx, ny, p);
    } catch (const DataProblem& problem) {
        return problem.what();
    }
    return {};
}

TEST(InterpolateLandscape, WorkedExampleWeighsTwoEdgesByInverseDistance)
{
    // p = 1, edges at distances 1 and 3 with heights 4 and 8: (4 + 8/3) / (1 + 1/3) = 5.
    const LandscapeResult shape = shapeAtOrigin({edgeAt(1, 0, 4), edgeAt(0, -3, 8)});
    const InterpolationGrid grid = InterpolateLandscape(shape, 1, 1, 1.0);
    ASSERT_EQ(grid.GridHeight.size(), 1u);
    EXPECT_EQ(grid.GridX[0], 0.0);
    EXPECT_EQ(grid.GridY[0], 0.0);
    EXPECT_NEAR(grid.GridHeight[0], 5.0, 1e-14);
}

TEST(InterpolateLandscape, OneBinEachWayGivesOneNodeAtTheNudgedMinimum)
{
    LandscapeResult shape = shapeAtOrigin({edgeAt(1, 0, 4), edgeAt(0, -3, 8)});
    shape.data.DataMinX = 2;
    shape.data.DataMinY = -3;
    const InterpolationGrid grid = InterpolateLandscape(shape, 1, 1, 1.0);
    EXPECT_EQ(grid.XBinCount, 1);
    EXPECT_EQ(grid.YBinCount, 1);
    ASSERT_EQ(grid.GridX.size(), 1u);
    EXPECT_EQ(grid.GridX[0], 2 + 1e-7);
    EXPECT_EQ(grid.GridY[0], -3 + 1e-7);
    const std::string section = InterpolationSection(grid);
    EXPECT_EQ(section.find("\r\n1     1      "), section.rfind("\r\n1     1      ")); // exactly one row
    EXPECT_NE(section.find("\r\n1     1      "), std::string::npos);
}

TEST(InterpolateLandscape, NodesAreBinCornersOfTheUnpaddedExtents)
{
    LandscapeResult shape = shapeAtOrigin({edgeAt(1, 0, 4)}, 10, 6);
    shape.data.DataMinX = 0;
    shape.data.DataMinY = 0;
    const InterpolationGrid grid = InterpolateLandscape(shape, 5, 3, 1.0);
    // dx = 10 / 5 = 2 and dy = 6 / 3 = 2; the last node lies one bin short of the maximum.
    EXPECT_EQ(grid.GridX[grid.at(5, 1)], 4 * 2.0 + 1e-7);
    EXPECT_EQ(grid.GridY[grid.at(2, 3)], 2 * 2.0 + 1e-7);
    EXPECT_EQ(grid.GridX[grid.at(3, 2)], 2 * 2.0 + 1e-7);
    // A single edge gives every node its height.
    for (const double height : grid.GridHeight)
        EXPECT_EQ(height, 4.0);
}

TEST(InterpolateLandscape, BinCountsOutsideOneToFiveHundredAreRefusedXFirst)
{
    const LandscapeResult shape = shapeAtOrigin({edgeAt(1, 0, 4)});
    EXPECT_EQ(problemOf(shape, 0, 50, 1), "Invalid # of X coordinate bins.");
    EXPECT_EQ(problemOf(shape, 501, 50, 1), "Invalid # of X coordinate bins.");
    EXPECT_EQ(problemOf(shape, 0, 0, 1), "Invalid # of X coordinate bins.");
    EXPECT_EQ(problemOf(shape, 50, 0, 1), "Invalid # of Y coordinate bins.");
    EXPECT_EQ(problemOf(shape, 50, 501, 1), "Invalid # of Y coordinate bins.");
    EXPECT_EQ(problemOf(shape, 500, 1, 1), "");
}

TEST(InterpolateLandscape, ANodeOnMidpointsTakesTheMeanOfTheirHeights)
{
    // Two midpoints at the node (0, 0) with heights 2 and 5, a third elsewhere: the mean 3.5.
    const LandscapeResult shape = shapeAtOrigin({edgeAt(0, 0, 2), edgeAt(4, 4, 100), edgeAt(0, 0, 5)});
    const InterpolationGrid grid = InterpolateLandscape(shape, 2, 1, 1.0);
    EXPECT_EQ(grid.GridHeight[grid.at(1, 1)], 3.5);
    // The second node, (gx, 0) with gx about 5, weighs all three.
    const double gx = grid.GridX[grid.at(2, 1)];
    EXPECT_NEAR(gx, 5.0, 1e-6);
    const double w1 = 1 / gx;
    const double w2 = 1 / std::sqrt((4 - gx) * (4 - gx) + 16);
    EXPECT_NEAR(grid.GridHeight[grid.at(2, 1)], (w1 * 2 + w2 * 100 + w1 * 5) / (w1 + w2 + w1), 1e-12);
}

TEST(InterpolateLandscape, WeightsThatOverflowOrVanishStopTheInterpolation)
{
    const std::string failed = "Interpolation failed: the distance weight value gives weights that overflow or vanish.";
    // Distances of 1e5 and more to the power -1000 vanish.
    EXPECT_EQ(problemOf(shapeAtOrigin({edgeAt(1e5, 0, 4), edgeAt(0, 2e5, 8)}), 1, 1, 1000), failed);
    // Distances below 1 to the power -1000 overflow.
    EXPECT_EQ(problemOf(shapeAtOrigin({edgeAt(1e-3, 0, 4)}), 1, 1, 1000), failed);
    // No edge at all leaves no weight.
    EXPECT_EQ(problemOf(shapeAtOrigin({}), 1, 1, 1), failed);
}

TEST(InterpolateLandscape, WeightZeroTakesThePlainMeanAndNegativeWeightsFavourFarEdges)
{
    const LandscapeResult shape = shapeAtOrigin({edgeAt(1, 0, 4), edgeAt(0, -3, 8)});
    EXPECT_EQ(InterpolateLandscape(shape, 1, 1, 0.0).GridHeight[0], 6.0);
    // p = -1: weights 1 and 3, (4 + 24) / 4 = 7.
    EXPECT_NEAR(InterpolateLandscape(shape, 1, 1, -1.0).GridHeight[0], 7.0, 1e-14);
}

// The inside test's ray from a node at y = 0 runs through a hull corner at (5, 0).
LandscapeResult pentagonAroundOrigin(std::vector<double> hullX, std::vector<double> hullY)
{
    LandscapeResult shape = shapeAtOrigin({edgeAt(1, 1, 1)}, 5, 5);
    shape.SampleX = std::move(hullX);
    shape.SampleY = std::move(hullY);
    return shape;
}

TEST(InterpolateLandscape, ARayThroughTheEndOfAVerticalSideDoesNotCrossIt)
{
    // Corner (5, 0) joins the vertical side up to (5, 5) and a sloped side down to (3, -5). The
    // vertical side's test is strict (no crossing at its end's y); the sloped side's is inclusive
    // (a crossing at its end's x): one crossing, inside.
    const LandscapeResult shape = pentagonAroundOrigin({-5, -5, 5, 5, 3}, {-5, 5, 5, 0, -5});
    const InterpolationGrid grid = InterpolateLandscape(shape, 1, 1, 1.0);
    EXPECT_EQ(grid.GridInside[0], 1);
}

TEST(InterpolateLandscape, ARayThroughACornerOfTwoSlopedSidesCrossesBoth)
{
    // Corner (5, 0) joins two sloped sides: both count their end point, two crossings, so the node
    // inside the hull is taken as outside.
    const LandscapeResult shape = pentagonAroundOrigin({-5, -5, 3, 5, 3}, {-5, 5, 5, 0, -5});
    const InterpolationGrid grid = InterpolateLandscape(shape, 1, 1, 1.0);
    EXPECT_EQ(grid.GridInside[0], 0);
}

TEST(InterpolateLandscape, NodesInsideAndOutsideASquareHull)
{
    // Samples at the corners of (0..10) x (0..10) and extents of (-10..10) x (0..10): the nodes
    // with x = -10 + 1e-7 + 5 (i - 1) and y = 1e-7 + 5 (j - 1); those with x above 0 are inside.
    LandscapeResult shape;
    shape.data = {-10, 10, 0, 10};
    shape.SampleX = {0, 10, 10, 0};
    shape.SampleY = {0, 0, 10, 10};
    shape.LandscapeEdges = {edgeAt(3, 3, 1)};
    const InterpolationGrid grid = InterpolateLandscape(shape, 4, 2, 1.0);
    for (int i = 1; i <= 4; ++i) {
        for (int j = 1; j <= 2; ++j)
            EXPECT_EQ(grid.GridInside[grid.at(i, j)], i >= 3 ? 1 : 0) << i << ", " << j;
    }
}

TEST(InterpolateLandscape, InsideTestOfThreeLocationsRunsOverTheClosedTriangle)
{
    // Regression: the hull of three locations was left open, here without its long side from
    // (0, 10) back to (10, 0), so no ray crossed any side and every node was taken as outside. The
    // nodes are x = 1e-7 + 2.5 (i - 1), y = 1e-7 + 2.5 (j - 1); inside the triangle (0, 0), (10, 0),
    // (0, 10) are those with x + y < 10, that is i + j <= 5 (by hand).
    LandscapeResult shape;
    shape.data = {0, 10, 0, 10};
    shape.SampleX = {10, 0, 0};
    shape.SampleY = {0, 0, 10};
    shape.LandscapeEdges = {edgeAt(3, 3, 1)};
    const InterpolationGrid grid = InterpolateLandscape(shape, 4, 4, 1.0);
    for (int i = 1; i <= 4; ++i) {
        for (int j = 1; j <= 4; ++j)
            EXPECT_EQ(grid.GridInside[grid.at(i, j)], i + j <= 5 ? 1 : 0) << i << ", " << j;
    }
}

TEST(SurfaceLayout, WideAreaRunsXBinsAcross)
{
    LandscapeResult shape = shapeAtOrigin({edgeAt(1, 0, 4)});
    shape.ranges = {200, 50};
    const InterpolationGrid grid = InterpolateLandscape(shape, 3, 2, 1.0);
    const SurfaceLayout layout = LandscapeSurfaceLayout(shape, grid);
    EXPECT_FALSE(layout.swapped);
    EXPECT_EQ(layout.depthPercent, 25);
    EXPECT_EQ(layout.across, 3);
    EXPECT_EQ(layout.deep, 2);
    EXPECT_EQ(layout.bottomTitle, "X (Southern edge)");
    EXPECT_EQ(layout.depthTitle, "Y (Eastern edge)");
    ASSERT_EQ(layout.points.size(), 6u);
    EXPECT_EQ(layout.points[1].x, 1); // i = 1, j = 2
    EXPECT_EQ(layout.points[1].z, 2);
}

TEST(SurfaceLayout, TallAreaRunsYBinsAcrossAndXBinsInDepth)
{
    LandscapeResult shape = shapeAtOrigin({edgeAt(1, 0, 4), edgeAt(9, 9, 1)});
    shape.ranges = {30, 90};
    const InterpolationGrid grid = InterpolateLandscape(shape, 3, 2, 1.0);
    const SurfaceLayout layout = LandscapeSurfaceLayout(shape, grid);
    EXPECT_TRUE(layout.swapped);
    EXPECT_EQ(layout.depthPercent, 33); // integer part of 30 / 90 x 100
    EXPECT_EQ(layout.across, 2);
    EXPECT_EQ(layout.deep, 3);
    EXPECT_EQ(layout.bottomTitle, "Y (Western edge)");
    EXPECT_EQ(layout.depthTitle, "X (Southern edge)");
    ASSERT_EQ(layout.points.size(), 6u);
    // j outer, i inner: the second point is node (2, 1), at x = j = 1 and z = i = 2.
    EXPECT_EQ(layout.points[1].x, 1);
    EXPECT_EQ(layout.points[1].z, 2);
    EXPECT_EQ(layout.points[1].y, grid.GridHeight[grid.at(2, 1)]);
    EXPECT_EQ(layout.points[1].inside, grid.GridInside[grid.at(2, 1)] != 0);
}

TEST(InterpolationSection, TwoPressesAppendTwoSectionsInOrder)
{
    const LandscapeResult shape = shapeAtOrigin({edgeAt(1, 0, 4), edgeAt(0, -3, 8)});
    ReportWriter report;
    WriteInterpolationSection(report, InterpolateLandscape(shape, 2, 1, 1.0));
    WriteInterpolationSection(report, InterpolateLandscape(shape, 1, 3, 2.0));
    const std::string text = report.str();
    const size_t first = text.find("\r\n\r\nINTERPOLATION OUTPUT\r\n# of X coordinate Bins: 2 \r\n");
    const size_t second = text.find("\r\n\r\nINTERPOLATION OUTPUT\r\n# of X coordinate Bins: 1 \r\n");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
    EXPECT_NE(text.find("Distance weight value: 2 \r\n", second), std::string::npos);
}

} // namespace
} // namespace tessaloc
