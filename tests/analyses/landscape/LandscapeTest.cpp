#include "analyses/landscape/Landscape.h"

#include "core/Errors.h"
#include "core/GeographicDistances.h"
#include "geometry/GeometryHelpers.h"
#include "tests/support/MatrixBuilders.h"
#include "tests/support/TempFiles.h"
#include "tests/support/TriangulationChecks.h"

#include "tests/support/RecordingListener.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace tessaloc {
namespace {

using testing::fromPairs;

// Records what a run tells its listener.
using testing::RecordingListener;

SampleTable tableOf(const std::vector<std::pair<std::string, std::string>>& coordinates)
{
    SampleTable table;
    for (const auto& [x, y] : coordinates) {
        table.names.push_back("obs" + std::to_string(table.names.size() + 1));
        table.xTexts.push_back(x);
        table.yTexts.push_back(y);
    }
    return table;
}

LandscapeResult runOn(const SampleTable& table, const SquareMatrix& G, LandscapeNetwork network,
                      LandscapeHeightMode mode, bool logHeights = false, RunListener& listener = RunListener::none())
{
    LandscapeSettings settings;
    settings.network = network;
    settings.heightMode = mode;
    settings.logHeights = logHeights;
    return ComputeLandscape(table, G, BuildGeographicDistances(table, false).square(), false, settings, listener);
}

const LandscapeEdge* lineWithMidpoint(const LandscapeResult& shape, double midX, double midY)
{
    for (const LandscapeEdge& edge : shape.LandscapeEdges) {
        if (edge.MidX == midX && edge.MidY == midY)
            return &edge;
    }
    return nullptr;
}

// Observations 1 and 2 share (0, 0); 3 is at (4, 0) and 4 at (0, 3). G lists the pairs
// (1,2) (1,3) (1,4) (2,3) (2,4) (3,4).
SampleTable sharedLocationTable()
{
    return tableOf({{"0", "0"}, {"0", "0"}, {"4", "0"}, {"0", "3"}});
}
SquareMatrix sharedLocationDistances()
{
    return fromPairs(4, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6});
}

TEST(DelaunayNetwork, TwoObservationsAtOneLocationAreOneVertexAndEveryLineThereAveragesBoth)
{
    const LandscapeResult shape =
        runOn(sharedLocationTable(), sharedLocationDistances(), LandscapeNetwork::Delaunay, LandscapeHeightMode::Raw);
    // Three locations, one triangle, three lines.
    ASSERT_EQ(shape.LandscapeEdgeCount(), 3);
    const LandscapeEdge* bottom = lineWithMidpoint(shape, 2, 0);
    const LandscapeEdge* left = lineWithMidpoint(shape, 0, 1.5);
    const LandscapeEdge* slanted = lineWithMidpoint(shape, 2, 1.5);
    ASSERT_TRUE(bottom && left && slanted);
    EXPECT_DOUBLE_EQ(bottom->Height, (0.2 + 0.4) / 2); // G(1,3) and G(2,3)
    EXPECT_DOUBLE_EQ(left->Height, (0.3 + 0.5) / 2);   // G(1,4) and G(2,4)
    EXPECT_DOUBLE_EQ(slanted->Height, 0.6);            // G(3,4)
    EXPECT_DOUBLE_EQ(slanted->Length, 5.0);            // the 3-4-5 triangle
}

TEST(PairwiseNetwork, TwoObservationsAtOneLocationDropTheirPairAndMergeTheirOtherPairs)
{
    const LandscapeResult shape =
        runOn(sharedLocationTable(), sharedLocationDistances(), LandscapeNetwork::Pairwise, LandscapeHeightMode::Raw);
    // Pairs in order: (1,2) skipped (length 0), (1,3) new, (1,4) new, (2,3) joins (1,3), (2,4) joins
    // (1,4), (3,4) new.
    ASSERT_EQ(shape.LandscapeEdgeCount(), 3);
    const auto& e = shape.LandscapeEdges;
    EXPECT_EQ(e[0].MidX, 2);
    EXPECT_EQ(e[0].MidY, 0);
    EXPECT_DOUBLE_EQ(e[0].Height, (0.2 + 0.4) / 2);
    EXPECT_EQ(e[1].MidX, 0);
    EXPECT_EQ(e[1].MidY, 1.5);
    EXPECT_DOUBLE_EQ(e[1].Height, (0.3 + 0.5) / 2);
    EXPECT_EQ(e[2].X1, 4);
    EXPECT_EQ(e[2].Y2, 3);
    EXPECT_DOUBLE_EQ(e[2].Height, 0.6);
    EXPECT_EQ(e[2].Length, 5);
}

TEST(PairwiseNetwork, PseudoslopesDivideTheMeanByTheLengthOfTheFirstPair)
{
    const LandscapeResult shape = runOn(sharedLocationTable(), sharedLocationDistances(), LandscapeNetwork::Pairwise,
                                        LandscapeHeightMode::Pseudoslope);
    ASSERT_EQ(shape.LandscapeEdgeCount(), 3);
    EXPECT_DOUBLE_EQ(shape.LandscapeEdges[0].Height, 0.3 / 4); // lengths 4, 3 and 5 by hand
    EXPECT_DOUBLE_EQ(shape.LandscapeEdges[1].Height, 0.4 / 3);
    EXPECT_DOUBLE_EQ(shape.LandscapeEdges[2].Height, 0.6 / 5);
}

TEST(PairwiseNetwork, LinesInEitherDirectionAreOneLine)
{
    // Observation 3 repeats observation 1's place: the pair (2,3) runs from (5,5) to (0,0), the reverse
    // of (1,2), and joins it.
    const SampleTable table = tableOf({{"0", "0"}, {"5", "5"}, {"0", "0"}});
    const SquareMatrix G = fromPairs(3, {0.25, 0.0, 0.75});
    const LandscapeResult shape = runOn(table, G, LandscapeNetwork::Pairwise, LandscapeHeightMode::Raw);
    ASSERT_EQ(shape.LandscapeEdgeCount(), 1);
    EXPECT_DOUBLE_EQ(shape.LandscapeEdges[0].Height, 0.5);
    EXPECT_EQ(shape.LandscapeEdges[0].X1, 0); // the first pair's direction is kept
}

TEST(DelaunayNetwork, FourSquareCornersGiveFiveLinesInTheOrderOfTheTrianglesLines)
{
    const SampleTable table = tableOf({{"0", "0"}, {"1", "0"}, {"1", "1"}, {"0", "1"}});
    const SquareMatrix G = fromPairs(4, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6});
    const LandscapeResult shape = runOn(table, G, LandscapeNetwork::Delaunay, LandscapeHeightMode::Raw);
    ASSERT_EQ(shape.LandscapeEdgeCount(), 5); // four sides and one diagonal

    // The expected order, from the triangle table itself: the first triangle's (a,b), (a,c), (b,c),
    // then the second triangle's lines other than the shared diagonal.
    const std::vector<double> x = {0, 1, 1, 0};
    const std::vector<double> y = {0, 0, 1, 1};
    const DistinctLocations locations = GroupDistinctLocations(x, y);
    const Triangulation triangulation = TriangulateLocations(locations);
    testing::expectSoundTriangulation(locations, triangulation);
    ASSERT_EQ(triangulation.TriangleCount(), 2);
    std::vector<Segment> expected;
    for (const TriangleRec& t : triangulation.TriangleTable) {
        for (const auto& [a, b] :
             {std::pair{t.CornerA, t.CornerB}, std::pair{t.CornerA, t.CornerC}, std::pair{t.CornerB, t.CornerC}}) {
            const Segment side{x[a.at()], y[a.at()], x[b.at()], y[b.at()]};
            bool seen = false;
            for (const Segment& s : expected)
                seen = seen || SameEdge(s, side);
            if (!seen)
                expected.push_back(side);
        }
    }
    ASSERT_EQ(expected.size(), 5u);
    int diagonals = 0;
    for (size_t k = 0; k < 5; ++k) {
        const LandscapeEdge& line = shape.LandscapeEdges[k];
        EXPECT_EQ(line.X1, expected[k].X1) << k;
        EXPECT_EQ(line.Y1, expected[k].Y1) << k;
        EXPECT_EQ(line.X2, expected[k].X2) << k;
        EXPECT_EQ(line.Y2, expected[k].Y2) << k;
        diagonals += line.Length == std::sqrt(2.0) ? 1 : 0;
    }
    EXPECT_EQ(diagonals, 1);
}

TEST(DelaunayNetwork, CoordinatesBeyondFifteenDigitsStillJoinTheirLocation)
{
    // 0.1 + 0.2 is 0.30000000000000004, whose text is "0.3": observation 1 shares observation 2's
    // location. Comparing its X with the 0.3 parsed back from that text would leave it out.
    SampleTable table = tableOf({{"0.30000000000000004", "0"}, {"0.3", "0"}, {"1", "0"}, {"0.3", "1"}});
    const SquareMatrix G = fromPairs(4, {0.0, 0.2, 0.9, 0.4, 0.9, 0.9});
    const LandscapeResult shape = runOn(table, G, LandscapeNetwork::Delaunay, LandscapeHeightMode::Raw);
    ASSERT_EQ(shape.LandscapeEdgeCount(), 3);
    const LandscapeEdge* bottom = lineWithMidpoint(shape, 0.65, 0);
    ASSERT_NE(bottom, nullptr);
    EXPECT_DOUBLE_EQ(bottom->Height, (0.2 + 0.4) / 2); // G(1,3) and G(2,3)
}

TEST(DelaunayNetwork, ALineFromALocationToItselfShowsProblemReconciliation)
{
    // Distinct locations never give such a line; a hand-made triangle table does.
    const std::vector<double> x = {0, 1, 0};
    const std::vector<double> y = {0, 0, 1};
    const DistinctLocations locations = GroupDistinctLocations(x, y);
    Triangulation triangulation;
    triangulation.TriangleTable.push_back({VertexIndex(0), VertexIndex(0), VertexIndex(1)});
    RecordingListener listener;
    const SquareMatrix G = fromPairs(3, {0.5, 0.25, 1.0});
    const auto edges = DelaunayLandscapeEdges(locations, triangulation, G, LandscapeHeightMode::Raw, false, listener);
    ASSERT_EQ(edges.size(), 2u); // (0,0)-(0,0) and (0,0)-(1,0), listed once
    EXPECT_EQ(listener.messages, std::vector<std::string>{"problem reconciliation"});
    EXPECT_EQ(edges[0].Height, 0.0); // G(1,1)
    EXPECT_EQ(edges[1].Height, 0.5);
}

TEST(DelaunayNetwork, FewerThanThreeLocationsEndTheRun)
{
    const SampleTable table = tableOf({{"0", "0"}, {"1", "1"}, {"1", "1"}});
    EXPECT_THROW(runOn(table, fromPairs(3, {0.1, 0.2, 0.3}), LandscapeNetwork::Delaunay, LandscapeHeightMode::Raw),
                 AnalysisError);
}

TEST(DelaunayNetwork, LocationsOnOneLineEndTheRun)
{
    const SquareMatrix G = fromPairs(3, {0.1, 0.2, 0.3});
    // Horizontal: the triangulation leaves no triangle.
    EXPECT_THROW(
        runOn(tableOf({{"0", "0"}, {"1", "0"}, {"2", "0"}}), G, LandscapeNetwork::Delaunay, LandscapeHeightMode::Raw),
        AnalysisError);
    // Sloped: a circumcircle is undefined.
    EXPECT_THROW(
        runOn(tableOf({{"0", "0"}, {"1", "1"}, {"2", "2"}}), G, LandscapeNetwork::Delaunay, LandscapeHeightMode::Raw),
        AnalysisError);
    // The pairwise network has no triangles to miss.
    EXPECT_EQ(
        runOn(tableOf({{"0", "0"}, {"1", "1"}, {"2", "2"}}), G, LandscapeNetwork::Pairwise, LandscapeHeightMode::Raw)
            .LandscapeEdgeCount(),
        3);
}

std::vector<LandscapeEdge> withHeights(const std::vector<double>& heights)
{
    std::vector<LandscapeEdge> edges(heights.size());
    for (size_t k = 0; k < heights.size(); ++k)
        edges[k].Height = heights[k];
    return edges;
}

TEST(LogTransformHeights, DelaunayShiftsBySmallestPositiveHeightWhenAZeroHeightExists)
{
    auto edges = withHeights({0.0, 0.5, 2.0});
    LogTransformHeights(edges, LandscapeNetwork::Delaunay);
    EXPECT_NEAR(edges[0].Height, -0.30102999566398, 1e-13); // log10(0 + 0.5)
    EXPECT_EQ(edges[1].Height, 0.0);                        // log10(0.5 + 0.5) = ln 1 / ln 10
    EXPECT_NEAR(edges[2].Height, 0.39794000867204, 1e-13);  // log10(2 + 0.5)
}

TEST(LogTransformHeights, DelaunayDoesNotShiftWithoutAZeroHeight)
{
    auto edges = withHeights({0.5, 2.0});
    LogTransformHeights(edges, LandscapeNetwork::Delaunay);
    EXPECT_NEAR(edges[0].Height, -0.30102999566398, 1e-13);
    EXPECT_NEAR(edges[1].Height, 0.30102999566398, 1e-13);
}

TEST(LogTransformHeights, PairwiseAlwaysShifts)
{
    auto edges = withHeights({0.5, 2.0});
    LogTransformHeights(edges, LandscapeNetwork::Pairwise);
    EXPECT_EQ(edges[0].Height, 0.0); // log10(0.5 + 0.5)
    EXPECT_NEAR(edges[1].Height, 0.39794000867204, 1e-13);
}

TEST(LogTransformHeights, ANegativeHeightEndsTheRunAndChangesNothing)
{
    auto edges = withHeights({-0.5, 2.0});
    EXPECT_THROW(LogTransformHeights(edges, LandscapeNetwork::Delaunay), AnalysisError);
    EXPECT_EQ(edges[0].Height, -0.5);
    EXPECT_EQ(edges[1].Height, 2.0);
    // The pairwise shift by 2 still leaves -0.5 + 2 > 0.
    LogTransformHeights(edges, LandscapeNetwork::Pairwise);
    EXPECT_NEAR(edges[0].Height, std::log10(1.5), 1e-13);
}

TEST(DelaunayNetwork, PseudoslopesWithLogAndAZeroHeightAreShifted)
{
    // Observations 1 and 2 are genetically identical: the line between them has height 0.
    const SampleTable table = tableOf({{"0", "0"}, {"4", "0"}, {"0", "3"}});
    const SquareMatrix G = fromPairs(3, {0.0, 0.3, 0.5});
    const LandscapeResult shape = runOn(table, G, LandscapeNetwork::Delaunay, LandscapeHeightMode::Pseudoslope, true);
    // Pseudoslopes 0 / 4, 0.3 / 3 = 0.1 and 0.5 / 5 = 0.1: shifted by 0.1.
    ASSERT_EQ(shape.LandscapeEdgeCount(), 3);
    EXPECT_NEAR(lineWithMidpoint(shape, 2, 0)->Height, -1.0, 1e-12);
    EXPECT_NEAR(lineWithMidpoint(shape, 0, 1.5)->Height, std::log10(0.2), 1e-12);
    EXPECT_NEAR(lineWithMidpoint(shape, 2, 1.5)->Height, std::log10(0.2), 1e-12);
}

TEST(BuildLandscapeShape, ResidualHeightsReportTheirStepsAndUseTheResiduals)
{
    const SampleTable table = tableOf({{"0", "0"}, {"4", "0"}, {"0", "3"}, {"4", "3"}});
    const SquareMatrix G = fromPairs(4, {0.1, 0.7, 0.3, 0.2, 0.6, 0.4});
    RecordingListener listener;
    const LandscapeResult shape =
        runOn(table, G, LandscapeNetwork::Pairwise, LandscapeHeightMode::Residual, false, listener);
    EXPECT_EQ(listener.statuses, (std::vector<std::string>{"Calculating Residuals", "Calculating Surface"}));
    SquareMatrix residuals = G;
    ResidualizeDistances(residuals, BuildGeographicDistances(table, false).square());
    ASSERT_EQ(shape.LandscapeEdgeCount(), 6);
    EXPECT_EQ(shape.LandscapeEdges[0].Height, residuals(0, 1));
    EXPECT_EQ(shape.LandscapeEdges[5].Height, residuals(2, 3));
}

TEST(BuildLandscapeShape, ExtentsRangesAndSamplesOfATallArea)
{
    const SampleTable table = tableOf({{"1", "-2"}, {"3", "10"}, {"2", "4"}});
    const LandscapeResult shape =
        runOn(table, fromPairs(3, {0.1, 0.2, 0.3}), LandscapeNetwork::Pairwise, LandscapeHeightMode::Raw);
    EXPECT_EQ(shape.data.DataMinX, 1);
    EXPECT_EQ(shape.data.DataMaxX, 3);
    EXPECT_EQ(shape.data.DataMinY, -2);
    EXPECT_EQ(shape.data.DataMaxY, 10);
    EXPECT_EQ(shape.ranges.RangeX, 2); // planar differences
    EXPECT_EQ(shape.ranges.RangeY, 12);
    EXPECT_EQ(shape.map.MapMaxY, 10.6f); // 10 + 0.05 x 12
    EXPECT_EQ(shape.SampleX, (std::vector<double>{1, 3, 2}));
    EXPECT_EQ(shape.SampleY, (std::vector<double>{-2, 10, 4}));
}

TEST(BuildLandscapeShape, LatitudeLongitudeRangesAreGreatCircleKilometres)
{
    const SampleTable table = tableOf({{"10", "0"}, {"11", "60"}, {"10.5", "30"}});
    LandscapeSettings settings;
    settings.network = LandscapeNetwork::Pairwise;
    settings.heightMode = LandscapeHeightMode::Raw;
    const LandscapeResult shape = ComputeLandscape(table, fromPairs(3, {0.1, 0.2, 0.3}),
                                                   BuildGeographicDistances(table, true).square(), true, settings);
    // East-west: the longer side is the equator's, one degree of 6371 km x pi / 180.
    EXPECT_NEAR(shape.ranges.RangeX, 6371.0 * 3.14159265358979 / 180, 1e-6);
    EXPECT_NEAR(shape.ranges.RangeY, 6371.0 * 3.14159265358979 / 3, 1e-6); // sixty degrees of meridian
    // Lengths of the lines are great-circle kilometres too.
    EXPECT_EQ(shape.LandscapeEdges[0].Length, GreatCircleDistance(10, 0, 11, 60));
}

TEST(BuildLandscapeShape, AWholeRunReadsTheFilesAndNamesThem)
{
    testing::TempFolder folder;
    LandscapeInput input;
    input.coordinatePath = folder.write("c.txt", "A,0,0\nB,4,0\nC,0,3\n;\n").string();
    input.genotypePath = folder.write("g.txt", "2\nA,a,x\nB,a,y\nC,b,y\n").string();
    input.dataType = DataType::Genotypes;
    input.settings.heightMode = LandscapeHeightMode::Raw;
    RecordingListener listener;
    const LandscapeResult shape = RunLandscape(input, listener);
    EXPECT_EQ(listener.statuses, (std::vector<std::string>{"Reading", "Calculating Surface"}));
    EXPECT_EQ(shape.coordinatePath, input.coordinatePath);
    EXPECT_EQ(shape.dataType, DataType::Genotypes);
    ASSERT_EQ(shape.LandscapeEdgeCount(), 3);
    // Genotype distances by hand: A-B differ at one locus of two, A-C at two, B-C at one.
    EXPECT_EQ(lineWithMidpoint(shape, 2, 0)->Height, 0.5);
    EXPECT_EQ(lineWithMidpoint(shape, 0, 1.5)->Height, 1.0);
    EXPECT_EQ(lineWithMidpoint(shape, 2, 1.5)->Height, 0.5);
}

TEST(BuildLandscapeShape, ResidualHeightsTakeTheChosenDistancesWhileTheLinesStayStraight)
{
    testing::TempFolder folder;
    LandscapeInput input;
    input.coordinatePath = folder.write("c.txt", "A,0,0\nB,4,0\nC,0,3\nD,4,3\n;\n").string();
    input.genotypePath = folder.write("g.txt", "2\nA,a,x\nB,a,y\nC,b,y\nD,b,x\n").string();
    input.dataType = DataType::Genotypes;
    input.settings.network = LandscapeNetwork::Pairwise;
    // Distances of their own, A and B 0 apart although 4 apart on the map; rows in another order.
    input.geoDistances.kind = GeoDistanceKind::Matrix;
    input.geoDistances.file = folder.write("d.csv", ",D,C,B,A\nA,9,2,0,0\nB,1,7,0,0\nC,3,0,7,2\nD,0,3,1,9\n").string();
    RecordingListener listener;
    const LandscapeResult shape = RunLandscape(input, listener);
    EXPECT_EQ(listener.statuses, (std::vector<std::string>{"Reading", "Calculating Residuals", "Calculating Surface"}));
    EXPECT_EQ(shape.geoDistances.file, input.geoDistances.file);

    // The residuals of the genetic distances on the file's distances, pair by pair.
    const SampleTable table = tableOf({{"0", "0"}, {"4", "0"}, {"0", "3"}, {"4", "3"}});
    SquareMatrix residuals = fromPairs(4, {0.5, 1.0, 0.5, 0.5, 1.0, 0.5});
    ResidualizeDistances(residuals, fromPairs(4, {0, 2, 9, 7, 1, 3}));
    // Every pair has a line, A-B too: the lines are straight, and A and B lie apart.
    ASSERT_EQ(shape.LandscapeEdgeCount(), 6);
    EXPECT_EQ(lineWithMidpoint(shape, 2, 0)->Height, residuals(0, 1));
    EXPECT_EQ(lineWithMidpoint(shape, 2, 0)->Length, 4.0);
    EXPECT_EQ(lineWithMidpoint(shape, 2, 3)->Height, residuals(2, 3));
    EXPECT_EQ(lineWithMidpoint(shape, 2, 1.5)->Length, 5.0);

    // Raw heights use no geographic distances: the file is not even read.
    input.settings.heightMode = LandscapeHeightMode::Raw;
    input.geoDistances.file = (folder.path() / "no-such.csv").string();
    const LandscapeResult raw = RunLandscape(input);
    EXPECT_EQ(raw.geoDistances.kind, GeoDistanceKind::Straight);
    EXPECT_EQ(lineWithMidpoint(raw, 2, 0)->Height, 0.5);
}

TEST(BuildLandscapeShape, ResidualsOfTooFewObservationsEndTheRun)
{
    const SampleTable table = tableOf({{"0", "0"}, {"4", "0"}});
    EXPECT_THROW(runOn(table, fromPairs(2, {0.5}), LandscapeNetwork::Pairwise, LandscapeHeightMode::Residual),
                 AnalysisError);
}

TEST(BuildLandscapeShape, APseudoslopeOverALineOfLengthZeroEndsTheRun)
{
    // Longitudes 180 and -180 are one meridian: the great-circle length of that line is 0, yet the
    // two places have different texts and stay two locations.
    const SampleTable table = tableOf({{"180", "10"}, {"-180", "10"}, {"170", "20"}});
    LandscapeSettings settings;
    settings.network = LandscapeNetwork::Delaunay;
    settings.heightMode = LandscapeHeightMode::Pseudoslope;
    EXPECT_THROW(ComputeLandscape(table, fromPairs(3, {0.5, 0.25, 1.0}), BuildGeographicDistances(table, true).square(),
                                  true, settings),
                 AnalysisError);
}

} // namespace
} // namespace tessaloc
