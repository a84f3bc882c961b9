#include "analyses/landscape/GridInterpolation.h"
#include "analyses/landscape/Landscape.h"

#include "LandscapeTestData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaloc {
namespace {

std::string blanks(int count)
{
    return std::string(static_cast<size_t>(count), ' ');
}

using testing::edgeAt;

LandscapeResult shapeWith(std::vector<LandscapeEdge> edges, LandscapeNetwork network, LandscapeHeightMode mode)
{
    LandscapeResult shape;
    shape.coordinatePath = "coords.txt";
    shape.genotypePath = "data/geno.txt";
    shape.dataType = DataType::Sequences;
    shape.settings.network = network;
    shape.settings.heightMode = mode;
    shape.LandscapeEdges = std::move(edges);
    return shape;
}

TEST(LandscapeReport, DelaunayReportLinesAndColumns)
{
    // Plain texts "1", "2.5", "0.125", "-0.0625": the longest has 7 characters, so w = 7: heads at
    // columns 1, 15 and 24, values at 1, 14 and 23.
    const LandscapeResult shape = shapeWith({edgeAt(1, 0.125, 0.5), edgeAt(2.5, -0.0625, -3)},
                                            LandscapeNetwork::Delaunay, LandscapeHeightMode::Residual);
    const std::string expected = "'Landscape Shape' Analysis Results\r\n"
                                 "Coordinate File: coords.txt\r\n"
                                 "Genotype File: data/geno.txt\r\n"
                                 "Data type = 3 (DNA/Protein sequence data)\r\n"
                                 "\r\n"
                                 "RAW DATA DERIVED FROM DELAUNAY TRIANGULATION\r\n"
                                 "USE INTERPOLATION EDITOR TO EXPLORE 'LANDSCAPE SHAPE'\r\n"
                                 "X and Y coordinates are the midpoints of each edge in the triangulation.\r\n"
                                 "'Height' is a reflection of the genetic distance between observations found\r\n"
                                 "at the vertices of triangles.\r\n"
                                 "\r\n"
                                 "Residual genetic distances used as landscape 'Heights'.\r\n"
                                 "\r\n"
                                 "X-coord" +
                                 blanks(7) + "Y-coord" + blanks(2) +
                                 "'Height'\r\n"
                                 " 1 " +
                                 blanks(10) + " .125 " + blanks(3) +
                                 " .5 \r\n"
                                 " 2.5 " +
                                 blanks(8) + "-.0625 " + blanks(2) +
                                 "-3 \r\n"
                                 "\r\n"
                                 "\r\n";
    EXPECT_EQ(LandscapeReport(shape), expected);
}

TEST(LandscapeReport, WidthFollowsTheLongestTextOfEitherCoordinate)
{
    // Short Y texts, long X texts: "123.25" has 6 characters, so w = 6: heads at 1, 14 and 22, values
    // at 1, 13 and 21.
    const LandscapeResult shape =
        shapeWith({edgeAt(123.25, 1, 2), edgeAt(7, 2, 0.25)}, LandscapeNetwork::Delaunay, LandscapeHeightMode::Raw);
    const std::string report = LandscapeReport(shape);
    EXPECT_NE(report.find("\r\nX-coord" + blanks(6) + "Y-coord" + blanks(1) + "'Height'\r\n"), std::string::npos);
    EXPECT_NE(report.find("\r\n 123.25 " + blanks(4) + " 1 " + blanks(5) + " 2 \r\n"), std::string::npos);
    EXPECT_NE(report.find("\r\n 7 " + blanks(9) + " 2 " + blanks(5) + " .25 \r\n"), std::string::npos);
    EXPECT_NE(report.find("Uncorrected genetic distances used as landscape 'Heights'.\r\n"), std::string::npos);
}

TEST(LandscapeReport, PairwiseReportHasItsOwnWordingAndNoTriangleLine)
{
    const LandscapeResult shape =
        shapeWith({edgeAt(1, 1, 1)}, LandscapeNetwork::Pairwise, LandscapeHeightMode::Pseudoslope);
    const std::string expectedMiddle =
        "\r\n\r\nRAW DATA DERIVED FROM PAIRWISE LOCATION CONNECTIVITY NETWORK\r\n"
        "USE INTERPOLATION EDITOR TO EXPLORE 'LANDSCAPE SHAPE'\r\n"
        "X and Y coordinates are midpoints of each line in network.\r\n"
        "'Height' is a reflection of the genetic distance between locations.\r\n"
        "\r\n"
        "Geographical distance-corrected genetic distances used as landscape 'Heights'.\r\n"
        "\r\n"
        // w = 1: "Y-coord" at column 9 ends past column 12, so "'Height'" goes to column 12 of the next line.
        "X-coord" +
        blanks(1) + "Y-coord\r\n" + blanks(11) + "'Height'\r\n";
    const std::string report = LandscapeReport(shape);
    EXPECT_NE(report.find(expectedMiddle), std::string::npos) << report;
    EXPECT_EQ(report.find("at the vertices of triangles."), std::string::npos);
}

TEST(LandscapeReport, AReportWithoutLinesStillHasItsHeadsAndClosingLines)
{
    const LandscapeResult shape = shapeWith({}, LandscapeNetwork::Pairwise, LandscapeHeightMode::Raw);
    const std::string report = LandscapeReport(shape);
    // w = 0: heads at columns 1, 8 and 10; the line is past column 10, so the third goes to the next.
    EXPECT_NE(report.find("\r\nX-coordY-coord\r\n" + blanks(9) + "'Height'\r\n\r\n\r\n"), std::string::npos) << report;
}

TEST(InterpolationSection, OneNodeSection)
{
    InterpolationGrid grid;
    grid.XBinCount = 1;
    grid.YBinCount = 1;
    grid.DistanceWeight = 2.5;
    grid.GridX = {1.0000001};
    grid.GridY = {-0.5};
    grid.GridHeight = {0.25};
    grid.GridInside = {1};
    // c = 9 ("1.0000001"): heads at 1, 8, 15, 28, 39; values at 1, 7, 14, 27, 38.
    const std::string expected = "\r\n"
                                 "\r\n"
                                 "INTERPOLATION OUTPUT\r\n"
                                 "# of X coordinate Bins: 1 \r\n"
                                 "# of Y coordinate Bins: 1 \r\n"
                                 "Distance weight value: 2.5 \r\n"
                                 "XBin" +
                                 blanks(3) + "YBin" + blanks(3) + "xCoord" + blanks(7) + "yCoord" + blanks(5) +
                                 "Height\r\n"
                                 "1" +
                                 blanks(5) + "1" + blanks(6) + " 1.0000001 " + blanks(2) + "-.5 " + blanks(7) +
                                 " .25 \r\n";
    EXPECT_EQ(InterpolationSection(grid), expected);
}

} // namespace
} // namespace tessaloc
