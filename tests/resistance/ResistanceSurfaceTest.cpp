#include "resistance/ResistanceSurface.h"

#include "core/GeographicDistances.h"
#include "tests/resistance/SurfaceTestSupport.h"
#include "tests/support/DataProblems.h"

#include <gtest/gtest.h>

#include <numbers>

namespace tessaloc {
namespace {

using testing::dataProblemOf;
using testing::kImpassable;
using testing::planarSurface;

SampleTable tableOf(const std::vector<std::array<std::string, 3>>& records)
{
    SampleTable table;
    for (const auto& [name, x, y] : records) {
        table.names.push_back(name);
        table.xTexts.push_back(x);
        table.yTexts.push_back(y);
    }
    return table;
}

TEST(ResistanceSurface, ACellHoldsItsLeftAndTopEdges)
{
    // 4 x 3 cells of 10 with the upper left corner at (0, 0).
    const ResistanceSurface surface = planarSurface(4, 3, std::vector<double>(12, 1.0), 10.0);
    EXPECT_EQ(surface.cellAt(5.0, -5.0), 0);
    EXPECT_EQ(surface.cellAt(0.0, 0.0), 0);
    EXPECT_EQ(surface.cellAt(10.0, -5.0), 1);
    EXPECT_EQ(surface.cellAt(5.0, -10.0), 4);
    EXPECT_EQ(surface.cellAt(39.999, -29.999), 11);
    EXPECT_EQ(surface.cellAt(40.0, -5.0), std::nullopt);
    EXPECT_EQ(surface.cellAt(5.0, -30.0), std::nullopt);
    EXPECT_EQ(surface.cellAt(-0.001, -5.0), std::nullopt);
    EXPECT_EQ(surface.cellAt(5.0, 0.001), std::nullopt);
    EXPECT_EQ(surface.cellAt(std::nan(""), -5.0), std::nullopt);
    EXPECT_EQ(surface.centreX(2), 25.0);
    EXPECT_EQ(surface.centreY(1), -15.0);
}

TEST(ResistanceSurface, StepLengthsOfPlanarCells)
{
    const StepLengths square = planarSurface(2, 3, std::vector<double>(6, 1.0), 10.0).stepLengths();
    EXPECT_EQ(square.across, std::vector<double>(3, 10.0));
    EXPECT_EQ(square.down, std::vector<double>(2, 10.0));
    EXPECT_EQ(square.diagonal, std::vector<double>(2, 10.0 * std::numbers::sqrt2));

    RasterGeometry geometry;
    geometry.columns = 2;
    geometry.rows = 2;
    geometry.transform = {0.0, 3.0, 0.0, 0.0, 0.0, -4.0};
    const StepLengths oblong = ResistanceSurface(geometry, std::vector<double>(4, 1.0), false, "s").stepLengths();
    EXPECT_EQ(oblong.across, std::vector<double>(2, 3.0));
    EXPECT_EQ(oblong.down, std::vector<double>(1, 4.0));
    EXPECT_EQ(oblong.diagonal, std::vector<double>(1, 5.0));
}

TEST(ResistanceSurface, StepLengthsInLongitudeLatitudeAreGreatCircleKilometresBetweenCentres)
{
    // Cells of 1 degree from longitude 10 and latitude 50 down; centres at 10.5, 11.5 and 49.5, 48.5, 47.5.
    RasterGeometry geometry;
    geometry.columns = 2;
    geometry.rows = 3;
    geometry.transform = {10.0, 1.0, 0.0, 50.0, 0.0, -1.0};
    const StepLengths lengths = ResistanceSurface(geometry, std::vector<double>(6, 1.0), true, "s").stepLengths();
    ASSERT_EQ(lengths.across.size(), 3u);
    EXPECT_EQ(lengths.across[0], GreatCircleDistance(10.5, 49.5, 11.5, 49.5));
    EXPECT_EQ(lengths.across[2], GreatCircleDistance(10.5, 47.5, 11.5, 47.5));
    EXPECT_EQ(lengths.down[1], GreatCircleDistance(10.5, 48.5, 10.5, 47.5));
    EXPECT_EQ(lengths.diagonal[0], GreatCircleDistance(10.5, 49.5, 11.5, 48.5));
    // Nearer the pole a degree of longitude is shorter; a degree of latitude about 111 km.
    EXPECT_LT(lengths.across[0], lengths.across[2]);
    EXPECT_NEAR(lengths.down[0], 111.19, 0.01);
}

struct BadCells {
    const char* what;
    std::vector<double> cells;
    std::string message;
};

// Test names show the case, not its bytes.
void PrintTo(const BadCells& item, std::ostream* out)
{
    *out << item.what;
}

class ResistanceSurfaceProblems : public ::testing::TestWithParam<BadCells> {};

TEST_P(ResistanceSurfaceProblems, NameTheCell)
{
    EXPECT_EQ(dataProblemOf([&] { planarSurface(3, 2, GetParam().cells); }), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResistanceSurfaceProblems,
    ::testing::Values(
        BadCells{"Zero",
                 {1, 1, 1, 1, 1, 0},
                 "The resistance surface \"test.tif\" has the resistance 0 in row 2, column 3 (counted from 1 at the "
                 "top left); resistances must be above 0."},
        BadCells{"Negative",
                 {1, -1.5, 1, 1, 1, 1},
                 "The resistance surface \"test.tif\" has the resistance -1.5 in row 1, column 2 (counted from 1 at "
                 "the top left); resistances must be above 0."},
        BadCells{"Infinite",
                 {1, 1, 1, std::numeric_limits<double>::infinity(), 1, 1},
                 "The resistance surface \"test.tif\" has the resistance inf in row 2, column 1 (counted from 1 at "
                 "the top left); resistances must be above 0."},
        BadCells{"AllImpassable", std::vector<double>(6, kImpassable),
                 "The resistance surface \"test.tif\" has no passable cell: every cell is no data."}),
    [](const ::testing::TestParamInfo<BadCells>& item) { return item.param.what; });

TEST(ResistanceSurface, ARotatedRasterGivesAMessage)
{
    RasterGeometry geometry;
    geometry.columns = 1;
    geometry.rows = 1;
    geometry.transform = {0.0, 1.0, 0.1, 0.0, 0.0, -1.0};
    EXPECT_EQ(dataProblemOf([&] { ResistanceSurface(geometry, {1.0}, false, "resistance surface \"r.tif\""); }),
              "The resistance surface \"r.tif\" is rotated or sheared; save it north-up first (for example with "
              "gdalwarp).");
}

TEST(RequireMatchingCoordinates, NamesTheSurfaceAndTheSettingWhenTheyDisagree)
{
    RasterGeometry geographic;
    geographic.coordinates = RasterCoordinates::Geographic;
    geographic.coordinateSystemName = "WGS 84";
    EXPECT_EQ(dataProblemOf([&] { RequireMatchingCoordinates(geographic, false, "resistance surface \"g.tif\""); }),
              "The resistance surface \"g.tif\" is in longitude/latitude (WGS 84), but the sample coordinates are "
              "planar (latitude/longitude is not chosen).");
    EXPECT_NO_THROW(RequireMatchingCoordinates(geographic, true, "s"));

    RasterGeometry planar;
    planar.coordinates = RasterCoordinates::Planar;
    planar.coordinateSystemName = "WGS 84 / UTM zone 33N";
    EXPECT_EQ(dataProblemOf([&] { RequireMatchingCoordinates(planar, true, "resistance surface \"p.tif\""); }),
              "The resistance surface \"p.tif\" has planar coordinates (WGS 84 / UTM zone 33N), but the sample "
              "coordinates are longitude/latitude (latitude/longitude is chosen).");
    EXPECT_NO_THROW(RequireMatchingCoordinates(planar, false, "s"));

    const RasterGeometry unknown;
    EXPECT_NO_THROW(RequireMatchingCoordinates(unknown, true, "s"));
    EXPECT_NO_THROW(RequireMatchingCoordinates(unknown, false, "s"));
}

TEST(PlaceObservations, PutsEachObservationInTheCellThatHoldsIt)
{
    const ResistanceSurface surface = planarSurface(4, 3, std::vector<double>(12, 1.0), 10.0);
    const PlacedObservations placed =
        PlaceObservations(surface, tableOf({{"A", "5", "-5"}, {"B", "35.5", "-25"}, {"C", "5", "-5"}}), false);
    EXPECT_EQ(placed.cells, (std::vector<CellIndex>{0, 11, 0}));
    EXPECT_EQ(placed.names[1], "observation 2 (\"B\")");
}

TEST(PlaceObservations, ALocationOffTheSurfaceOrOnAnImpassableCellNamesTheObservation)
{
    std::vector<double> cells(12, 1.0);
    cells[5] = kImpassable;
    const ResistanceSurface surface = planarSurface(4, 3, cells, 10.0);
    EXPECT_EQ(dataProblemOf([&] {
                  PlaceObservations(surface, tableOf({{"A", "5", "-5"}, {"Far", "50", "-5"}}), false);
              }),
              "The location of observation 2 (\"Far\") (X \"50\", Y \"-5\") lies outside the resistance surface "
              "\"test.tif\", which covers X from 0 to 40 and Y from -30 to 0.");
    EXPECT_EQ(dataProblemOf([&] {
                  PlaceObservations(surface, tableOf({{"Lake", "15", "-15"}}), false);
              }),
              "The location of observation 1 (\"Lake\") lies on an impassable cell (no data) of the resistance "
              "surface \"test.tif\": row 2, column 2.");
}

TEST(PlaceObservations, ChecksLongitudeAndLatitudeAsForStraightLines)
{
    RasterGeometry geometry;
    geometry.columns = 2;
    geometry.rows = 2;
    geometry.transform = {0.0, 1.0, 0.0, 2.0, 0.0, -1.0};
    const ResistanceSurface surface(geometry, std::vector<double>(4, 1.0), true, "s");
    const SampleTable table = tableOf({{"A", "0.5", "95"}});
    std::string expected;
    try {
        requireOnGlobe(table, 0, 0.5, 95.0);
    } catch (const DataProblem& problem) {
        expected = problem.what();
    }
    EXPECT_EQ(dataProblemOf([&] { PlaceObservations(surface, table, true); }), expected);
    EXPECT_THROW(PlaceObservations(surface, tableOf({{"A", "east", "1"}}), true), AnalysisError);
}

// Issue 37, seen beside the faults: a surface in longitude/latitude whose rows lie past a pole was
// taken, with made-up step lengths there.
TEST(ResistanceSurface, LatitudesPastAPoleAreRefused)
{
    RasterGeometry geometry;
    geometry.columns = 2;
    geometry.rows = 3;
    geometry.transform = {10.0, 1.0, 0.0, 92.0, 0.0, -1.0};
    EXPECT_EQ(dataProblemOf([&] { ResistanceSurface(geometry, std::vector<double>(6, 1.0), true, "s"); }),
              "The s reaches past a pole: the centre of its row 1 lies at latitude 91.5, where latitudes lie between "
              "-90 and 90.");
    geometry.transform = {10.0, 1.0, 0.0, -88.0, 0.0, -1.0};
    EXPECT_EQ(dataProblemOf([&] { ResistanceSurface(geometry, std::vector<double>(6, 1.0), true, "s"); }),
              "The s reaches past a pole: the centre of its row 3 lies at latitude -90.5, where latitudes lie between "
              "-90 and 90.");
    // Planar coordinates may be anything; a grid of the whole globe may overhang a pole by less than
    // half a cell.
    EXPECT_NO_THROW(ResistanceSurface(geometry, std::vector<double>(6, 1.0), false, "s"));
    geometry.transform = {-180.0, 1.0, 0.0, 90.4, 0.0, -1.0};
    EXPECT_NO_THROW(ResistanceSurface(geometry, std::vector<double>(6, 1.0), true, "s"));
}

} // namespace
} // namespace tessaloc
