#include "analyses/currentmap/CurrentMap.h"

#include "analyses/currentmap/CurrentMapAnalysis.h"
#include "tests/support/DataProblems.h"
#include "tests/support/RasterFiles.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tessaloc {
namespace {

using testing::dataProblemOf;
using testing::RasterSpec;
using testing::TempFolder;

constexpr double kNoData = -9999.0;

// A strip of five cells 10 units wide from x = 100 to 150, y from 20 down to 10, the fourth cell
// without data, and a coordinate file with the given lines.
struct StripRun {
    TempFolder folder;
    CurrentMapInput input;

    explicit StripRun(const std::string& coordinates, std::vector<double> values = {2.0, 2.0, 2.0, kNoData, 2.0})
    {
        RasterSpec spec;
        spec.columns = 5;
        spec.rows = 1;
        spec.transform = testing::northUp(100.0, 20.0, 10.0, 10.0);
        spec.values = std::move(values);
        spec.noData = kNoData;
        input.geoDistances.kind = GeoDistanceKind::Circuit;
        input.geoDistances.file = testing::writeGeoTiff(folder, "strip.tif", spec).string();
        input.geoDistances.neighbours = 4;
        input.coordinatePath = folder.write("coordinates.txt", coordinates).string();
    }
};

TEST(RunCurrentMap, MergesObservationsInOneCellAndFindsTheLargestCell)
{
    // Observations in cells 1, 3 and 1 again: one pair, one ampere through cells 1 to 3.
    StripRun run("a,105,15\nb,125,15\nc,108,12\n;\n", {2.0, 2.0, 2.0, 2.0, 2.0});
    const CurrentMapResult result = RunCurrentMap(run.input);
    EXPECT_EQ(result.locationCount(), 2);
    EXPECT_EQ(result.currents.merged, 1);
    EXPECT_EQ(result.pairCount(), 1);
    EXPECT_NEAR(result.total, 3.0, 1e-12);
    // Cells 1, 2 and 3 carry one ampere each (up to rounding, which decides which is the largest).
    EXPECT_LE(result.largestCell, 2);
    EXPECT_NEAR(result.largest, 1.0, 1e-12);
    EXPECT_EQ(result.names, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(result.geometry.columns, 5);
    EXPECT_TRUE(result.currents.maximum.empty());
}

TEST(RunCurrentMap, TheReportStatesTheLocationsTheTotalAndTheLargestCell)
{
    StripRun run("a,105,15\nb,145,15\nc,135,15\n;\n", {2.0, 2.0, 2.0, 2.0, 2.0});
    CurrentMapResult result = RunCurrentMap(run.input);
    result.coordinatePath = "coordinates.txt";
    result.surfacePath = "strip.tif";
    // Locations in cells 1, 5 and 4: pairs (1,5) through all five cells, (1,4) through cells 1 to 4,
    // (5,4) through cells 4 and 5, so cell 4 carries 3 A, cells 1 and 5 2 A, cells 2 and 3 2 A:
    // 2 + 2 + 2 + 3 + 2 = 11 in all.
    EXPECT_EQ(CurrentMapReport(result), "Results of Cumulative Current Map\r\n"
                                        "Coordinate File: coordinates.txt\r\n"
                                        "Resistance Surface: strip.tif\r\n"
                                        "Surface: 5 x 1 cells, 4 neighbours per cell\r\n"
                                        "\r\n"
                                        "Observations: 3\r\n"
                                        "Locations (distinct cells): 3\r\n"
                                        "Observations merged into the cell of an earlier one: 0\r\n"
                                        "Pairs of locations, one ampere each: 3\r\n"
                                        "\r\n"
                                        "Total current over all cells: 11\r\n"
                                        "Largest cell current: 3 at row 1, column 4 (x 135, y 15)\r\n"
                                        "A cell carries half the absolute current of its resistors plus half "
                                        "the current that enters or leaves there; a location carries one ampere "
                                        "for each of its pairs.\r\n");
}

TEST(RunCurrentMap, TheMapOfTheLargestCurrentsComesWhenAsked)
{
    StripRun run("a,105,15\nb,125,15\n;\n");
    run.input.settings.maximum = true;
    const CurrentMapResult result = RunCurrentMap(run.input);
    ASSERT_EQ(result.currents.maximum.size(), 5U);
    EXPECT_NEAR(result.currents.maximum[1], 1.0, 1e-12);
    EXPECT_TRUE(std::isnan(result.currents.maximum[3]));
    EXPECT_EQ(result.currents.maximum[4], 0.0);
}

TEST(RunCurrentMap, BadInputsAreDataProblems)
{
    struct Case {
        const char* what;
        std::string coordinates;
        std::string startOfMessage;
    };
    const Case cases[] = {
        {"one location", "a,105,15\nb,106,16\n;\n",
         "The current map needs sample locations in at least two cells of the resistance surface"},
        {"on an impassable cell", "a,105,15\nb,135,15\n;\n", "observation 2 (\"b\")"},
        {"off the surface", "a,105,15\nb,175,15\n;\n", "observation 2 (\"b\")"},
        {"no path joins", "a,105,15\nb,145,15\n;\n", "The locations of observation 1 (\"a\") and observation 2"},
    };
    for (const Case& c : cases) {
        StripRun run(c.coordinates);
        const std::string message = dataProblemOf([&] { RunCurrentMap(run.input); });
        EXPECT_NE(message.find(c.startOfMessage), std::string::npos) << c.what << ": " << message;
    }
}

TEST(RunCurrentMap, WithoutAResistanceSurfaceItIsADataProblem)
{
    for (const GeoDistanceKind kind : {GeoDistanceKind::Straight, GeoDistanceKind::Matrix, GeoDistanceKind::Circuit}) {
        StripRun run("a,105,15\nb,125,15\n;\n");
        run.input.geoDistances.kind = kind;
        if (kind == GeoDistanceKind::Circuit)
            run.input.geoDistances.file.clear();
        EXPECT_EQ(dataProblemOf([&] { RunCurrentMap(run.input); }),
                  "The current map needs a resistance surface: choose least-cost paths or circuit resistance over "
                  "a resistance surface for the geographic distances, and name its file.");
    }
}

TEST(RunCurrentMap, AnUnreadableSurfaceIsADataProblem)
{
    StripRun run("a,105,15\nb,125,15\n;\n");
    run.input.geoDistances.file = run.folder.write("broken.tif", "not a raster").string();
    EXPECT_NE(dataProblemOf([&] { RunCurrentMap(run.input); }).find("cannot be read as a raster"), std::string::npos);
}

TEST(RunCurrentMap, RefusesAMapThatWouldNotFitInTheMemoryAllowed)
{
    StripRun run("a,105,15\nb,125,15\n;\n");
    run.input.geoDistances.memoryLimit = 100;
    const std::string message = dataProblemOf([&] { RunCurrentMap(run.input); });
    EXPECT_NE(message.find("of memory for the current map, more than the limit of 100 bytes."), std::string::npos)
        << message;
}

TEST(CurrentMapAnalysis, ReadsNoGenotypesAndWritesItsReport)
{
    EXPECT_EQ(CurrentMapAnalysis::kName, "currentmap");
    EXPECT_EQ(CurrentMapAnalysis::kReportFileName, "CurrentMap-Results.txt");
    EXPECT_FALSE(CurrentMapAnalysis::kReadsGenotypes);
}

} // namespace
} // namespace tessaloc
