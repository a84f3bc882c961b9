#include "analyses/monmonier/Monmonier.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaloc {
namespace {

TriangleEdge edge(double x1, double y1, double x2, double y2, double value)
{
    TriangleEdge e;
    e.X1 = x1;
    e.Y1 = y1;
    e.X2 = x2;
    e.Y2 = y2;
    e.Value = value;
    return e;
}

BarrierSegment segment(std::int32_t kind, std::vector<std::int32_t> triangles, std::vector<std::int32_t> edges,
                       std::int32_t count)
{
    BarrierSegment s;
    s.Kind = kind;
    s.Triangles = std::move(triangles);
    s.Edges = std::move(edges);
    s.SubsegmentCount = count;
    return s;
}

// The triangle (0,0), (1,0), (0,1) with edge values 0.9, 0.5, 0.5, and the one barrier the search
// finds on it: segment 1 crosses edges 0 and 1, a kind 3 branch at the tie leaves through edge 2,
// and the second direction has only its slot 0 (edge 0 lies on the border).
MonmonierResult tieOnOneTriangle()
{
    MonmonierResult result;
    result.coordinatePath = "c.txt";
    result.genotypePath = "g.txt";
    result.dataType = DataType::Genotypes;
    result.settings.distanceKind = MonmonierDistanceKind::Raw;
    result.settings.barrierCount = 1;
    BarrierTriangle triangle;
    triangle.Edges = {edge(0, 0, 1, 0, 0.9), edge(1, 0, 0, 1, 0.5), edge(0, 1, 0, 0, 0.5)};
    result.BarrierTriangles = {triangle};
    BarrierRecord barrier;
    barrier.Segments = {segment(1, {-1, 0, 0}, {-1, 0, 1}, 2), segment(3, {0, 0}, {0, 2}, 1), segment(2, {0}, {0}, 0)};
    barrier.SubsegmentCount = 3;
    barrier.SumOfValues = 1.9;
    barrier.AverageValue = 1.9 / 3;
    result.BarrierList = {barrier};
    return result;
}

TEST(MonmonierReport, TheWholeReportOfATieOnOneTriangle)
{
    // Written by hand: width 8 + 2 = 10, so rows put their items at columns 5, 15, 25, 35, 45 and
    // the heads at 6, 16, 26, 36, 46.
    const std::string expected = "Monmonier's Maximum Difference Algorithm Analysis Results\r\n"
                                 "Coordinate File: c.txt\r\n"
                                 "Genotype File: g.txt\r\n"
                                 "Data type = 2 (codominant genotypes or dominant markers)\r\n"
                                 "\r\n"
                                 "Uncorrected genetic distances used in calculations.\r\n"
                                 "# of barriers detected: 1\r\n"
                                 "\r\n"
                                 "Barrier 1\r\n"
                                 "\r\n"
                                 "     Number of segments: 3\r\n"
                                 "     Number of subsegments: 3\r\n"
                                 "     Sum of subsegment values: 1.9\r\n"
                                 "     Average subsegment value: 0.633333333333333\r\n"
                                 "\r\n"
                                 "     Segment1: 2 subsegments\r\n"
                                 "     X-coord1  Y-coord1  X-coord2  Y-coord2  SubSegment Value\r\n"
                                 "    0         0         1         0         0.9\r\n"
                                 "    1         0         0         1         0.5\r\n"
                                 "\r\n"
                                 "     Segment2: 1 subsegments\r\n"
                                 "     X-coord1  Y-coord1  X-coord2  Y-coord2  SubSegment Value\r\n"
                                 "    0         0         1         0          **Segment Connection Point**\r\n"
                                 "    0         1         0         0         0.5\r\n"
                                 "\r\n"
                                 "     Segment3: 0 subsegments\r\n"
                                 "     X-coord1  Y-coord1  X-coord2  Y-coord2  SubSegment Value\r\n"
                                 "\r\n"
                                 "\r\n";
    EXPECT_EQ(MonmonierReport(tieOnOneTriangle()), expected);
}

TEST(MonmonierReport, ASecondDirectionShowsItsFirstSlotAsTheConnectionPoint)
{
    MonmonierResult result = tieOnOneTriangle();
    // Pretend the start edge had a neighbour: the kind 2 segment's slot 1 is the start edge seen from
    // there, its slot 2 a crossed edge.
    result.BarrierList[0].Segments[2] = segment(2, {0, 0, 0}, {0, 0, 1}, 1);
    const std::string report = MonmonierReport(result);
    const std::string tail = "     Segment3: 1 subsegments\r\n"
                             "     X-coord1  Y-coord1  X-coord2  Y-coord2  SubSegment Value\r\n"
                             "    0         0         1         0          **Segment Connection Point**\r\n"
                             "    1         0         0         1         0.5\r\n"
                             "\r\n"
                             "\r\n";
    ASSERT_GE(report.size(), tail.size());
    EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
}

TEST(MonmonierReport, ALongTextWidensEveryColumnOfEveryBarrier)
{
    MonmonierResult result = tieOnOneTriangle();
    // "0.123456789012345" has 17 characters: w = 19 for the whole report, also for barrier 2, whose
    // own texts are short.
    BarrierTriangle second;
    second.Edges = {edge(5, 6, 7, 8, 0.123456789012345), edge(7, 8, 9, 9, 0.25), edge(9, 9, 5, 6, 0.125)};
    result.BarrierTriangles.push_back(second);
    BarrierRecord longOne;
    longOne.Segments = {segment(1, {-1, 1}, {-1, 0}, 1), segment(2, {1}, {0}, 0)};
    longOne.SubsegmentCount = 1;
    longOne.SumOfValues = 0.123456789012345;
    longOne.AverageValue = 0.123456789012345;
    result.BarrierList.insert(result.BarrierList.begin(), longOne);
    result.settings.barrierCount = 2;
    const std::string report = MonmonierReport(result);
    const std::string heads = "     X-coord1           Y-coord1           X-coord2           Y-coord2           "
                              "SubSegment Value\r\n";
    EXPECT_NE(report.find(heads + "    5                  6                  7                  8                  "
                                  "0.123456789012345\r\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find(heads + "    0                  0                  1                  0                  "
                                  "0.9\r\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("# of barriers detected: 2\r\n\r\nBarrier 1\r\n"), std::string::npos);
    EXPECT_NE(report.find("\r\n\r\nBarrier 2\r\n\r\n     Number of segments: 3\r\n"), std::string::npos);
}

TEST(MonmonierReport, SlotZeroIsNotMeasuredForTheWidth)
{
    MonmonierResult result = tieOnOneTriangle();
    // A kind 2 segment's slot 0 is never written, so a long text only there leaves the width at 10.
    BarrierTriangle far;
    far.Edges = {edge(123456.789012, 0, 1, 0, 0.5), edge(1, 0, 0, 1, 0.5), edge(0, 1, 123456.789012, 0, 0.5)};
    result.BarrierTriangles.push_back(far);
    result.BarrierList[0].Segments[2] = segment(2, {1}, {0}, 0);
    EXPECT_NE(MonmonierReport(result).find("     X-coord1  Y-coord1  X-coord2"), std::string::npos);
}

TEST(MonmonierReport, DistanceKindLinesAndAMissingDataTypeLine)
{
    MonmonierResult result = tieOnOneTriangle();
    result.settings.distanceKind = MonmonierDistanceKind::Pseudoslope;
    EXPECT_NE(MonmonierReport(result).find("\r\n\r\nGeographical distance-corrected genetic distances (Pseudoslopes) "
                                           "used in computations.\r\n# of barriers detected: 1\r\n"),
              std::string::npos);
    result.settings.distanceKind = MonmonierDistanceKind::Residual;
    EXPECT_NE(MonmonierReport(result).find("\r\nResidual genetic distances used in computations.\r\n"),
              std::string::npos);
    result.dataType = static_cast<DataType>(4);
    const std::string report = MonmonierReport(result);
    EXPECT_EQ(report.find("Data type"), std::string::npos);
    EXPECT_NE(report.find("Genotype File: g.txt\r\n\r\nResidual"), std::string::npos);
}

TEST(MonmonierReport, TheBootstrapSectionFollowsTheBarriersOnlyWhenItRan)
{
    MonmonierResult result = tieOnOneTriangle();
    const std::string without = MonmonierReport(result);
    EXPECT_EQ(without.find("Bootstrap"), std::string::npos);

    result.support.replicates = 200;
    result.support.resampledUnits = 6;
    result.support.withoutStartEdge = 3;
    result.support.withoutDistances = 1;
    const std::string with = MonmonierReport(result);
    ASSERT_TRUE(with.starts_with(without));
    EXPECT_EQ(with.substr(without.size()),
              "Bootstrap support: 200 replicates, each drawing 6 loci with replacement.\r\n"
              "Replicates in which the search found no start edge (they cross no edge): 3\r\n"
              "Replicates without genetic distances (they cross no edge): 1\r\n"
              "\r\n");
}

TEST(MonmonierReport, ABootstrapOverOneSiteSaysThatItsSupportIsMeaningless)
{
    MonmonierResult result = tieOnOneTriangle();
    result.dataType = DataType::Sequences;
    result.support.replicates = 10;
    result.support.resampledUnits = 1;
    const std::string report = MonmonierReport(result);
    EXPECT_NE(report.find("Bootstrap support: 10 replicates, each drawing 1 sequence site with replacement.\r\n"),
              std::string::npos);
    EXPECT_NE(report.find("Only one site to resample: every bootstrap replicate repeats the data, so the support of "
                          "the barriers is meaningless.\r\n\r\n"),
              std::string::npos);
}

} // namespace
} // namespace tessaloc
