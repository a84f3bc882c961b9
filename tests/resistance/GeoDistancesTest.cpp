#include "resistance/GeoDistances.h"

#include "core/GeographicDistances.h"
#include "formats/DistanceCsv.h"
#include "tests/resistance/SurfaceTestSupport.h"
#include "tests/support/DataProblems.h"
#include "tests/support/RasterFiles.h"
#include "tests/support/RecordingListener.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tessaloc {
namespace {

using testing::dataProblemOf;
using testing::RasterSpec;
using testing::TempFolder;

SampleTable tableAt(const std::vector<std::pair<std::string, std::string>>& points)
{
    SampleTable table;
    for (const auto& [x, y] : points) {
        table.names.push_back("S" + std::to_string(table.names.size() + 1));
        table.xTexts.push_back(x);
        table.yTexts.push_back(y);
    }
    return table;
}

// A 3 x 1 strip of resistances 1, 3, 5 in cells of 10 m from (500000, 4200000), in UTM zone 33N.
std::filesystem::path utmStrip(const TempFolder& folder)
{
    RasterSpec spec;
    spec.columns = 3;
    spec.transform = testing::northUp(500000.0, 4200000.0, 10.0, 10.0);
    spec.values = {1.0, 3.0, 5.0};
    spec.epsg = 32633;
    return testing::writeGeoTiff(folder, "strip.tif", spec);
}

// The centres of the strip's three cells.
SampleTable stripCentres()
{
    return tableAt({{"500005", "4199995"}, {"500015", "4199995"}, {"500025", "4199995"}});
}

TEST(GeoDistanceKind, KeywordsReadBack)
{
    for (const GeoDistanceKind kind :
         {GeoDistanceKind::Straight, GeoDistanceKind::LeastCost, GeoDistanceKind::Circuit, GeoDistanceKind::Matrix})
        EXPECT_EQ(parseGeoDistanceKind(geoDistanceKindName(kind)), kind);
    EXPECT_EQ(geoDistanceKindName(GeoDistanceKind::Circuit), "resistance");
    EXPECT_EQ(geoDistanceKindName(GeoDistanceKind::LeastCost), "least-cost");
    EXPECT_EQ(parseGeoDistanceKind("circuit"), std::nullopt);
    EXPECT_EQ(parseGeoDistanceKind(""), std::nullopt);
}

TEST(BuildGeographicDistances, TheStraightLineIsTodaysMatrix)
{
    const SampleTable planar = tableAt({{"0", "0"}, {"3", "4"}, {"-1.5", "2"}});
    EXPECT_EQ(BuildGeographicDistances(planar, false, GeoDistanceSettings{}),
              BuildGeographicDistances(planar, false).square());
    const SampleTable globe = tableAt({{"10.5", "50"}, {"-3", "40.25"}, {"150", "-33"}});
    EXPECT_EQ(BuildGeographicDistances(globe, true, GeoDistanceSettings{}),
              BuildGeographicDistances(globe, true).square());
}

TEST(BuildGeographicDistances, TheStraightLinesWrittenAndReadBackAsAMatrixFileAreTheSameBitForBit)
{
    // Great-circle kilometres, which need all 17 digits of a double.
    const SampleTable table = tableAt({{"0.1", "0.2"}, {"3.3", "-4.7"}, {"-151.5", "62.25"}});
    const SquareMatrix straight = BuildGeographicDistances(table, true).square();
    TempFolder folder;
    GeoDistanceSettings settings;
    settings.kind = GeoDistanceKind::Matrix;
    settings.file = folder.write("geo.csv", DistanceMatrixCsv(table.names, straight)).string();
    const SquareMatrix read = BuildGeographicDistances(table, true, settings);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(read(i, j), straight(i, j)) << i << ", " << j;
    }
}

TEST(BuildGeographicDistances, LeastCostAndCircuitOverAGeoTiff)
{
    TempFolder folder;
    GeoDistanceSettings settings;
    settings.file = utmStrip(folder).string();
    testing::RecordingListener listener;

    settings.kind = GeoDistanceKind::LeastCost;
    const SquareMatrix leastCost = BuildGeographicDistances(stripCentres(), false, settings, listener);
    // (1 + 3) / 2 x 10 and (3 + 5) / 2 x 10 metres.
    EXPECT_EQ(leastCost(0, 1), 20.0);
    EXPECT_EQ(leastCost(0, 2), 60.0);
    EXPECT_EQ(listener.statuses, (std::vector<std::string>{"Reading the resistance surface", "Least-cost paths"}));

    settings.kind = GeoDistanceKind::Circuit;
    const SquareMatrix circuit = BuildGeographicDistances(stripCentres(), false, settings);
    // Resistors of 2 and 4 in series, in cell units.
    EXPECT_NEAR(circuit(0, 2), 6.0, 1e-12);
    EXPECT_NEAR(circuit(1, 2), 4.0, 1e-12);
}

TEST(BuildGeographicDistances, AGridWithoutCoordinateSystemIsTakenInTheSampleCoordinates)
{
    // One-degree cells along the equator, read as longitude/latitude because the samples are.
    TempFolder folder;
    GeoDistanceSettings settings;
    settings.kind = GeoDistanceKind::LeastCost;
    settings.file = folder.write("equator.asc", testing::esriAsciiGrid(3, 1, 0.0, 0.0, 1.0, {1.0, 3.0, 5.0})).string();
    const SampleTable table = tableAt({{"0.5", "0.5"}, {"2.25", "0.75"}});
    const double expected =
        2.0 * GreatCircleDistance(0.5, 0.5, 1.5, 0.5) + 4.0 * GreatCircleDistance(1.5, 0.5, 2.5, 0.5);
    EXPECT_NEAR(BuildGeographicDistances(table, true, settings)(0, 1), expected, 1e-12 * expected);
    // The same grid with planar samples: cell units.
    EXPECT_EQ(BuildGeographicDistances(table, false, settings)(0, 1), 6.0);
}

TEST(BuildGeographicDistances, ASurfaceInOtherCoordinatesThanTheSamplesGivesAMessage)
{
    TempFolder folder;
    GeoDistanceSettings settings;
    settings.kind = GeoDistanceKind::Circuit;
    settings.file = utmStrip(folder).string();
    EXPECT_EQ(dataProblemOf([&] {
                  BuildGeographicDistances(tableAt({{"15", "37.9"}}), true, settings);
              }),
              "The resistance surface \"" + settings.file +
                  "\" has planar coordinates (WGS 84 / UTM zone 33N), but the sample coordinates are "
                  "longitude/latitude (latitude/longitude is chosen).");
}

TEST(BuildGeographicDistances, RefusesASurfaceTooLargeBeforeReadingIt)
{
    TempFolder folder;
    GeoDistanceSettings settings;
    settings.kind = GeoDistanceKind::LeastCost;
    settings.file = utmStrip(folder).string();
    settings.threads = 1;
    settings.memoryLimit = 100;
    testing::RecordingListener listener;
    const std::string message =
        dataProblemOf([&] { BuildGeographicDistances(stripCentres(), false, settings, listener); });
    EXPECT_TRUE(message.starts_with("The resistance surface \"" + settings.file + "\" (3 x 1 cells) would need about "))
        << message;
    EXPECT_TRUE(message.ends_with(" of memory for least-cost paths, more than the limit of 100 bytes.")) << message;
    EXPECT_EQ(listener.statuses, std::vector<std::string>{"Reading the resistance surface"});
}

// Issue 37, fault 1: a 94-byte grid claiming 20000 x 15000 cells made the least-cost run take 2.4 GB
// before the file was found short, and the circuit run refused it for needing "26.6 GB of memory".
TEST(BuildGeographicDistances, AShortTextGridIsAProblemOfTheFileNotOfMemory)
{
    TempFolder folder;
    GeoDistanceSettings settings;
    settings.file =
        folder.write("liar.asc", "ncols 20000\nnrows 15000\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 1 1\n").string();
    for (const GeoDistanceKind kind : {GeoDistanceKind::LeastCost, GeoDistanceKind::Circuit}) {
        settings.kind = kind;
        EXPECT_EQ(
            dataProblemOf([&] { BuildGeographicDistances(stripCentres(), false, settings); }),
            "The resistance surface \"" + settings.file +
                "\" row 1 of its grid (from line 6) holds 3 values where its header gives 20000 columns (ncols).");
    }
}

// The same for a GeoTIFF cut short: its header's count of cells is believed only as far as the cells
// themselves go before they are read; the engine's memory is checked once they are.
TEST(BuildGeographicDistances, ATruncatedGeoTiffIsAProblemOfTheFileNotOfMemory)
{
    TempFolder folder;
    RasterSpec spec;
    spec.columns = 400;
    spec.rows = 400;
    spec.transform = testing::northUp(500000.0, 4200000.0, 10.0, 10.0);
    spec.values.assign(160000, 1.0);
    const auto path = testing::writeGeoTiff(folder, "cut.tif", spec);
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 4);
    GeoDistanceSettings settings;
    settings.kind = GeoDistanceKind::Circuit;
    settings.file = path.string();
    // 1.3 MB of cells fits; the circuit's matrix on 160 000 cells does not.
    settings.memoryLimit = 4'000'000;
    const std::string message = dataProblemOf([&] { BuildGeographicDistances(stripCentres(), false, settings); });
    EXPECT_TRUE(message.starts_with("The resistance surface \"" + settings.file + "\" cannot be read from row "))
        << message;
    // Whole, the same surface is refused for the memory the circuit needs, once its cells are read.
    const auto whole = testing::writeGeoTiff(folder, "whole.tif", spec);
    settings.file = whole.string();
    const std::string refused = dataProblemOf([&] { BuildGeographicDistances(stripCentres(), false, settings); });
    EXPECT_TRUE(
        refused.starts_with("The resistance surface \"" + settings.file + "\" (400 x 400 cells) would need about "))
        << refused;
}

TEST(BuildGeographicDistances, AMissingSurfaceGivesAMessage)
{
    GeoDistanceSettings settings;
    settings.kind = GeoDistanceKind::LeastCost;
    settings.file = "no-such-surface.tif";
    EXPECT_EQ(dataProblemOf([&] { BuildGeographicDistances(stripCentres(), false, settings); }),
              "The resistance surface \"no-such-surface.tif\" does not exist.");
}

TEST(BuildGeographicDistances, AChoiceWithoutItsFileGivesAMessage)
{
    GeoDistanceSettings settings;
    const std::pair<GeoDistanceKind, std::string> cases[] = {
        {GeoDistanceKind::LeastCost, "No resistance surface is named for the least-cost paths."},
        {GeoDistanceKind::Circuit, "No resistance surface is named for the circuit resistance."},
        {GeoDistanceKind::Matrix, "No distance matrix file is named."},
    };
    for (const auto& [kind, message] : cases) {
        settings.kind = kind;
        EXPECT_EQ(dataProblemOf([&] { BuildGeographicDistances(stripCentres(), false, settings); }), message);
    }
}

TEST(GeoDistancesLine, NamesEveryChoiceButTheStraightLine)
{
    GeoDistanceSettings settings;
    settings.file = "ignored.tif";
    EXPECT_EQ(geoDistancesLine(settings), "");
    settings.kind = GeoDistanceKind::Circuit;
    settings.file = "river\tmap.asc";
    EXPECT_EQ(
        geoDistancesLine(settings),
        "Geographic Distances: circuit resistance over the resistance surface \"river\\x09map.asc\" (8 neighbours)");
}

TEST(DescribeGeoDistances, NamesTheKindAndTheFile)
{
    GeoDistanceSettings settings;
    EXPECT_EQ(describeGeoDistances(settings), "straight lines");
    settings.file = "hills.tif";
    settings.kind = GeoDistanceKind::LeastCost;
    EXPECT_EQ(describeGeoDistances(settings),
              "least-cost paths over the resistance surface \"hills.tif\" (8 neighbours)");
    settings.kind = GeoDistanceKind::Circuit;
    settings.neighbours = 4;
    EXPECT_EQ(describeGeoDistances(settings),
              "circuit resistance over the resistance surface \"hills.tif\" (4 neighbours)");
    settings.kind = GeoDistanceKind::Matrix;
    settings.file = "d.csv";
    EXPECT_EQ(describeGeoDistances(settings), "the distance matrix file \"d.csv\"");
}

} // namespace
} // namespace tessaloc
