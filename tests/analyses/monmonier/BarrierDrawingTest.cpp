#include "analyses/monmonier/BarrierDrawing.h"

#include "tests/analyses/monmonier/FanCase.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace tessaloc {
namespace {

using testing::Fan;
using testing::fromPairs;
using testing::tableOf;

using Line = std::array<double, 4>; // x1, y1, x2, y2

std::vector<Line> linesOf(const std::vector<Segment>& segments)
{
    std::vector<Line> lines;
    for (const Segment& s : segments)
        lines.push_back({s.X1, s.Y1, s.X2, s.Y2});
    return lines;
}

TEST(TriangulationLines, EachTriangleDrawsABThenBCThenCA)
{
    const Fan fan;
    const std::vector<Line> lines = linesOf(TriangulationLines(fan.triangles));
    ASSERT_EQ(lines.size(), 12u);
    // Triangle 0 is O(0, 0), P0(0, -2), P1(2, 0); triangle 3 is O, P3(-2, 0), P0.
    EXPECT_EQ(lines[0], (Line{0, 0, 0, -2}));
    EXPECT_EQ(lines[1], (Line{0, -2, 2, 0}));
    EXPECT_EQ(lines[2], (Line{2, 0, 0, 0}));
    EXPECT_EQ(lines[9], (Line{0, 0, -2, 0}));
    EXPECT_EQ(lines[11], (Line{0, -2, 0, 0}));
}

TEST(BarrierLines, TheFirstSegmentStartsAtSlotOneAndTheSecondAtItsConnectionPoint)
{
    const Fan fan;
    auto links = FindNeighbours(fan.triangles);
    const auto barriers = FindBarriers(fan.triangles, links, 1);
    // The barrier traced by hand in the search's tests: segment 1 crosses the spokes O-P1, O-P2, O-P3,
    // O-P0 and O-P1 again, whose midpoints are (1, 0), (0, 1), (-1, 0), (0, -1), (1, 0). Segment 2
    // holds the start edge O-P1 from triangle 1 (slot 0) and from triangle 0 (slot 1), both with
    // midpoint (1, 0), then O-P0 with midpoint (0, -1).
    const std::vector<Line> expected = {
        {1, 0, 0, 1}, {0, 1, -1, 0}, {-1, 0, 0, -1}, {0, -1, 1, 0}, // segment 1: U - 1 = 4 lines
        {1, 0, 1, 0}, {1, 0, 0, -1},                                // segment 2: U = 2 lines, the first of length 0
    };
    EXPECT_EQ(linesOf(BarrierLines(fan.triangles, barriers[0])), expected);
}

TEST(BarrierLines, ASecondDirectionWithItsSlotZeroOnlyDrawsNothing)
{
    const Fan fan;
    auto links = FindNeighbours(fan.triangles);
    const auto barriers = FindBarriers(fan.triangles, links, 2);
    // Barrier 2 starts on the rim P3-P0 (midpoint (-1, -1)) and ends at the spoke O-P3 (midpoint
    // (-1, 0)); its start edge lies on the border, so its second segment has no line.
    EXPECT_EQ(linesOf(BarrierLines(fan.triangles, barriers[1])), (std::vector<Line>{{-1, -1, -1, 0}}));
}

TEST(BarrierLines, ABranchAtATieStartsAtTheEdgeItLeavesFrom)
{
    // One triangle (0, 0), (1, 0), (0, 1): edge 0 (midpoint (0.5, 0)) 0.9, edges 1 and 2 0.5 each.
    const DistinctLocations locations =
        GroupDistinctLocations(std::vector<double>{0, 1, 0}, std::vector<double>{0, 0, 1});
    const auto triangles = BuildBarrierTriangles(locations, tableOf({{0, 1, 2}}), fromPairs(3, {0.9, 0.5, 0.5}), false,
                                                 MonmonierDistanceKind::Raw);
    auto links = FindNeighbours(triangles);
    const auto barriers = FindBarriers(triangles, links, 1);
    // Segment 1 goes from edge 0 out through edge 1 (midpoint (0.5, 0.5)); the kind 3 branch leaves
    // edge 0 through edge 2 (midpoint (0, 0.5)); the second direction has only its slot 0.
    ASSERT_EQ(barriers[0].Segments.size(), 3u);
    EXPECT_EQ(linesOf(BarrierLines(triangles, barriers[0])), (std::vector<Line>{{0.5, 0, 0.5, 0.5}, {0.5, 0, 0, 0.5}}));
}

TEST(BarrierStartColor, BarriersOneToFourteenTakeTheirPaletteEntryAndLaterOnesBlack)
{
    struct Case {
        long long barrier;
        PaletteColor color;
    };
    const Case cases[] = {
        {1, {0, 0, 128}},  {2, {0, 128, 0}},    {3, {0, 128, 128}}, {7, {192, 192, 192}}, {8, {128, 128, 128}},
        {12, {255, 0, 0}}, {14, {255, 255, 0}}, {15, {0, 0, 0}},    {16, {0, 0, 0}},      {1000, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        const PaletteColor color = BarrierStartColor(c.barrier);
        EXPECT_EQ(color, c.color) << "barrier " << c.barrier << ": " << int(color.red) << "," << int(color.green) << ","
                                  << int(color.blue);
    }
    EXPECT_EQ(BarrierPaletteIndex(14), 14);
    EXPECT_EQ(BarrierPaletteIndex(15), 0);
}

} // namespace
} // namespace tessaloc
