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

// The fan's two barriers (see FindBarriers' fan tests) with support set by hand for four replicates:
// O-P0 (id 0), P1-O (2), P2-O (4) and P3-O (6) crossed by barrier 1 in 4, 3, 2 and 1 of them, P3-O by
// barrier 2 in 2, the rim P3-P0 (7) by barrier 2 in 3, the rim P0-P1 (1) by barrier 2 in 1, with a
// line from P0-P1 to P1-O that no observed barrier draws.
MonmonierResult fanWithSupport()
{
    const Fan fan;
    MonmonierResult result;
    result.settings.barrierCount = 2;
    result.BarrierTriangles = fan.triangles;
    auto links = FindNeighbours(fan.triangles);
    result.BarrierList = FindBarriers(fan.triangles, links, 2);
    BarrierSupport& support = result.support;
    support.replicates = 4;
    support.edges = NumberEdges(fan.triangles);
    support.rows = {{0, 1, 4, {4, 0}}, {1, 0, 1, {0, 1}}, {2, 1, 3, {3, 0}},
                    {4, 1, 2, {2, 0}}, {6, 1, 3, {1, 2}}, {7, 2, 3, {0, 3}}};
    support.rowOf = {0, 1, 2, -1, 3, -1, 4, 5};
    support.pieces = {{0, 2, 4, true}, {1, 2, 1, false}, {6, 7, 3, true}};
    return result;
}

TEST(BarrierHalfLines, EveryLineInTwoHalvesEachBelongingToTheEdgeItTouches)
{
    // The first barrier's lines join the midpoints of P1-O (1, 0), P2-O (0, 1), P3-O (-1, 0), O-P0
    // (0, -1) and P1-O again, then in the second segment P1-O to itself and to O-P0.
    const Fan fan;
    auto links = FindNeighbours(fan.triangles);
    const auto barriers = FindBarriers(fan.triangles, links, 1);
    const auto halves = BarrierHalfLines(fan.triangles, barriers[0], NumberEdges(fan.triangles));
    ASSERT_EQ(halves.size(), 2 * BarrierLines(fan.triangles, barriers[0]).size());
    ASSERT_EQ(halves.size(), 12u);
    EXPECT_EQ(linesOf({halves[0].line, halves[1].line}), (std::vector<Line>{{1, 0, 0.5, 0.5}, {0.5, 0.5, 0, 1}}));
    EXPECT_EQ(halves[0].edge, 2);
    EXPECT_EQ(halves[1].edge, 4);
    // The line of no length at the start edge: both halves at (1, 0), both of P1-O.
    EXPECT_EQ(linesOf({halves[8].line, halves[9].line}), (std::vector<Line>{{1, 0, 1, 0}, {1, 0, 1, 0}}));
    EXPECT_EQ(halves[8].edge, 2);
    EXPECT_EQ(halves[9].edge, 2);
    EXPECT_EQ(halves[11].edge, 0);
}

TEST(BarrierSupportMarks, OneMarkPerCrossedEdgeAtItsMidpointWithTheBarriersPercentage)
{
    const MonmonierResult result = fanWithSupport();
    const auto marks = BarrierSupportMarks(result, 1);
    ASSERT_EQ(marks.size(), 4u);
    const double expected[4][6] = {
        {0, 0, -1, 0, -2, 100}, // O-P0: 4 of 4
        {2, 1, 0, 0, 0, 75},    // P1-O runs to O: 3 of 4
        {4, 0, 1, 0, 0, 50},
        {6, -1, 0, 0, 0, 25},
    };
    for (size_t k = 0; k < marks.size(); ++k) {
        const SupportMark& m = marks[k];
        EXPECT_EQ((std::array<double, 6>{double(m.edge), m.midX, m.midY, m.endX, m.endY, m.percent}),
                  (std::array<double, 6>{expected[k][0], expected[k][1], expected[k][2], expected[k][3], expected[k][4],
                                         expected[k][5]}))
            << "mark " << k;
    }
    // Barrier 2 crosses the rim P3-P0 and ends at P3-O: its own counts there, not barrier 1's.
    const auto second = BarrierSupportMarks(result, 2);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0].edge, 6);
    EXPECT_EQ(second[0].percent, 50.0);
    EXPECT_EQ(second[1].edge, 7);
    EXPECT_EQ(second[1].percent, 75.0);
}

TEST(AlternativeBarrierLines, OnlyTheLinesNoObservedBarrierDraws)
{
    // The line from P0-P1's midpoint (1, -1) to P1-O's (1, 0), drawn in 1 of 4 replicates.
    const auto lines = AlternativeBarrierLines(fanWithSupport());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(linesOf({lines[0].line}), (std::vector<Line>{{1, -1, 1, 0}}));
    EXPECT_EQ(lines[0].percent, 25.0);
}

TEST(SupportLineWidth, OnePixelAtNoSupportAndTwiceTheBarriersWidthAtFull)
{
    const struct {
        double percent;
        int width;
        double expected;
    } cases[] = {{0, 3, 1}, {100, 3, 6}, {50, 3, 3.5}, {100, 1, 2}, {0, 5, 1}, {20, 5, 2.8}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(SupportLineWidth(c.percent, c.width), c.expected) << c.percent << " % of " << c.width;
}

TEST(SupportLabel, AWholePercentageThatReadsNoneOrAllOnlyWhenExact)
{
    const struct {
        double percent;
        const char* label;
    } cases[] = {{0, "0%"},     {100, "100%"}, {87.5, "88%"}, {100.0 / 3, "33%"},
                 {99.6, "99%"}, {0.4, "1%"},   {99.5, "99%"}, {50, "50%"}};
    for (const auto& c : cases)
        EXPECT_EQ(SupportLabel(c.percent), c.label) << c.percent;
}

} // namespace
} // namespace tessaloc
