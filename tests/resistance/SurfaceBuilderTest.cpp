#include "resistance/SurfaceBuilder.h"

#include "core/Errors.h"
#include "tests/support/DataProblems.h"
#include "tests/support/RasterFiles.h"
#include "tests/support/RecordingListener.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace tessaloc {
namespace {

using testing::dataProblemOf;
using testing::northUp;
using testing::RasterSpec;
using testing::TempFolder;
using testing::writeGeoTiff;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A north-up layer of `columns` x `rows` cells of 1 x 1 with its upper left corner at (left, top),
// in UTM zone 33N.
RasterSpec layer(int columns, int rows, std::vector<double> values, double left = 0.0, double top = 0.0)
{
    RasterSpec spec;
    spec.columns = columns;
    spec.rows = rows;
    spec.values = std::move(values);
    spec.transform = northUp(500000.0 + left, 4200000.0 + top, 1.0, 1.0);
    spec.epsg = 32633;
    return spec;
}

void expectCells(const std::vector<double>& cells, const std::vector<double>& expected, double tolerance = 0.0)
{
    ASSERT_EQ(cells.size(), expected.size());
    for (size_t k = 0; k < cells.size(); ++k) {
        if (std::isnan(expected[k]))
            EXPECT_TRUE(std::isnan(cells[k])) << "cell " << k << " is " << cells[k];
        else if (tolerance == 0.0)
            EXPECT_EQ(cells[k], expected[k]) << "cell " << k;
        else
            EXPECT_NEAR(cells[k], expected[k], tolerance) << "cell " << k;
    }
}

TEST(SurfaceBuilder, EachFamilyAtZeroTheShapeAndTenAndItsMirroredForms)
{
    // A layer of 20, 30 and 40 rescales to x = 0, 5 and 10; S = 5, M = 100. By hand from
    // R = 1 + M (g - gmin) / (gmax - gmin):
    //   monomolecular g = 0, 1 - 1/e, 1 - 1/e^2: R = 1, 1 + 100 (1 - 1/e) / (1 - 1/e^2) = 1 + 100 / (1 + 1/e), 101;
    //   ricker g = 0, 5/e, 10/e^2 (its peak at x = S): R = 1, 101, 1 + 100 (10/e^2) / (5/e) = 1 + 200/e;
    //   linear g = x: R = 1, 51, 101.
    // reverse- reads the same values from x = 10 down; inverse- turns R into 2 + M - R.
    const double e = std::exp(1.0);
    const double monomolecular = 1 + 100 / (1 + 1 / e);
    const double ricker = 1 + 200 / e;
    const struct {
        const char* spec;
        std::vector<double> expected;
    } cases[] = {
        {"monomolecular=5,100", {1, monomolecular, 101}},
        {"ricker=5,100", {1, 101, ricker}},
        {"linear=100", {1, 51, 101}},
        {"reverse-monomolecular=5,100", {101, monomolecular, 1}},
        {"reverse-ricker=5,100", {ricker, 101, 1}},
        {"inverse-monomolecular=5,100", {101, 102 - monomolecular, 1}},
        {"inverse-ricker=5,100", {101, 1, 102 - ricker}},
        {"inverse-reverse-monomolecular=5,100", {1, 102 - monomolecular, 101}},
        {"inverse-reverse-ricker=5,100", {102 - ricker, 1, 101}},
    };
    TempFolder folder;
    const auto path = writeGeoTiff(folder, "ramp.tif", layer(3, 1, {20.0, 30.0, 40.0}));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.spec);
        const SurfaceResult result = BuildResistanceSurface({{{path, parseLayerRule(c.spec)}}});
        expectCells(result.cells, c.expected, 1e-12);
        // Every transformed layer runs from exactly 1 to exactly 1 + M.
        EXPECT_EQ(result.minimum, 1.0);
        EXPECT_EQ(result.maximum, 101.0);
        EXPECT_EQ(result.layers[0].smallest, 20.0);
        EXPECT_EQ(result.layers[0].largest, 40.0);
    }
}

TEST(SurfaceBuilder, AClassTableGivesEachCodeItsResistance)
{
    TempFolder folder;
    RasterSpec codes = layer(3, 2, {1, 2, 2, 3, 1, -9999});
    codes.noData = -9999;
    const auto path = writeGeoTiff(folder, "landcover.tif", codes);
    const auto table = folder.write("table.csv", "class,resistance\n1,1\n2,5.5\n3,impassable\n4,10\n");
    const SurfaceResult result = BuildResistanceSurface({{{path, ClassRule{table}}}});
    // From the table by hand; the no-data cell and code 3 are impassable.
    expectCells(result.cells, {1, 5.5, 5.5, kNaN, 1, kNaN});
    const LayerSummary& summary = result.layers[0];
    ASSERT_EQ(summary.codesFound.size(), 3u);
    EXPECT_EQ(summary.codesFound[0].code, 1.0);
    EXPECT_EQ(summary.codesFound[0].cells, 2);
    EXPECT_EQ(summary.codesFound[1].cells, 2);
    EXPECT_EQ(summary.codesFound[1].resistance, 5.5);
    EXPECT_EQ(summary.codesFound[2].cells, 1);
    EXPECT_TRUE(std::isnan(summary.codesFound[2].resistance));
    EXPECT_EQ(summary.codesAbsent, std::vector<double>{4.0});
    EXPECT_EQ(summary.cellsWithoutData, 1);
    EXPECT_FALSE(summary.warped);
    EXPECT_EQ(result.impassableCells, 2);
    EXPECT_EQ(result.minimum, 1.0);
    EXPECT_EQ(result.maximum, 5.5);
    EXPECT_EQ(result.grid.columns, 3);
    EXPECT_EQ(result.grid.coordinateSystemName, "WGS 84 / UTM zone 33N");
}

TEST(SurfaceBuilder, LayersAddUpLessOneForEachLayerAfterTheFirst)
{
    TempFolder folder;
    const auto codes = writeGeoTiff(folder, "codes.tif", layer(2, 2, {1, 2, 2, 1}));
    const auto table = folder.write("table.csv", "class,resistance\n1,1\n2,3\n");
    const auto ramp = writeGeoTiff(folder, "ramp.tif", layer(2, 2, {0, 5, 10, 10}));
    // Classes 1, 3, 3, 1; linear=10 gives 1, 6, 11, 11; the sum less one: 1, 8, 13, 11.
    const SurfaceResult two =
        BuildResistanceSurface({{{codes, ClassRule{table}}, {ramp, parseLayerRule("linear=10")}}});
    expectCells(two.cells, {1, 8, 13, 11});
    // A third layer of 1, 2, 3, 3 (linear=2 on 0, 5, 10, 10) and one more subtracted: 1, 9, 15, 13.
    const SurfaceResult three = BuildResistanceSurface(
        {{{codes, ClassRule{table}}, {ramp, parseLayerRule("linear=10")}, {ramp, parseLayerRule("linear=2")}}});
    expectCells(three.cells, {1, 9, 15, 13});
    EXPECT_EQ(three.minimum, 1.0);
    EXPECT_EQ(three.maximum, 15.0);
}

TEST(SurfaceBuilder, ALayerShiftedByOneCellIsWarpedByNearestNeighbourOntoTheShiftedCodes)
{
    TempFolder folder;
    const auto first = writeGeoTiff(folder, "first.tif", layer(4, 3, std::vector<double>(12, 1.0)));
    // The same grid moved one cell east: its column c lies over column c + 1 of the first.
    std::vector<double> codes;
    for (int k = 1; k <= 12; ++k)
        codes.push_back(k);
    const auto shifted = writeGeoTiff(folder, "shifted.tif", layer(4, 3, codes, 1.0));
    const auto ones = folder.write("ones.csv", "class,resistance\n1,1\n");
    std::string text = "class,resistance\n";
    for (int k = 1; k <= 12; ++k)
        text += std::to_string(k) + "," + std::to_string(k) + "\n";
    const auto byCode = folder.write("codes.csv", text);
    testing::RecordingListener listener;
    const SurfaceResult result =
        BuildResistanceSurface({{{first, ClassRule{ones}}, {shifted, ClassRule{byCode}}}}, listener);
    // 1 + code - 1 where the shifted layer reaches; its first column has none west of it.
    expectCells(result.cells, {kNaN, 1, 2, 3, kNaN, 5, 6, 7, kNaN, 9, 10, 11});
    EXPECT_TRUE(result.layers[1].warped);
    EXPECT_EQ(result.layers[1].resampling, RasterResampling::NearestNeighbour);
    EXPECT_EQ(result.layers[1].cellsWithoutData, 3);
    // 3 of 12 cells (25 %) are lost: more than 1 %, so a warning gives the share per layer.
    ASSERT_EQ(listener.warnings.size(), 1u);
    EXPECT_EQ(listener.warnings[0],
              "25.00 % of the cells of the first layer's grid are impassable because a layer has no data there or "
              "does not reach them: layer 1 \"" +
                  first.string() + "\" 0.00 %, layer 2 \"" + shifted.string() + "\" 25.00 %");
}

TEST(SurfaceBuilder, ALayerInAnotherCoordinateSystemIsReprojectedBilinearly)
{
    TempFolder folder;
    // 10 x 10 cells of 1 km in UTM 33N about 15.0 E, 37.9 N; the second layer is the longitude itself,
    // in longitude/latitude at 0.005 degrees, over a larger area.
    RasterSpec first = layer(10, 10, std::vector<double>(100, 1.0));
    first.transform = northUp(495000.0, 4200000.0, 1000.0, 1000.0);
    const auto firstPath = writeGeoTiff(folder, "first.tif", first);
    RasterSpec longitude;
    longitude.columns = 60;
    longitude.rows = 60;
    longitude.transform = northUp(14.8, 38.1, 0.005, 0.005);
    longitude.epsg = 4326;
    for (int row = 0; row < 60; ++row)
        for (int column = 0; column < 60; ++column)
            longitude.values.push_back(14.8 + 0.005 * (column + 0.5));
    const auto secondPath = writeGeoTiff(folder, "longitude.tif", longitude);
    const auto ones = folder.write("ones.csv", "class,resistance\n1,1\n");
    const SurfaceResult result =
        BuildResistanceSurface({{{firstPath, ClassRule{ones}}, {secondPath, parseLayerRule("linear=10")}}});
    EXPECT_TRUE(result.layers[1].warped);
    EXPECT_EQ(result.layers[1].resampling, RasterResampling::Bilinear);
    EXPECT_EQ(result.impassableCells, 0);
    // Eastwards the longitude grows along every row, so the resistance does too.
    for (int row = 0; row < 10; ++row)
        for (int column = 1; column < 10; ++column)
            EXPECT_GT(result.cells[row * 10 + column], result.cells[row * 10 + column - 1]) << row << "," << column;
    EXPECT_EQ(result.minimum, 1.0);
    EXPECT_EQ(result.maximum, 11.0);
}

TEST(SurfaceBuilder, BadLayersAndTablesAreDataProblemsNamingThem)
{
    TempFolder folder;
    const auto ones = folder.write("ones.csv", "class,resistance\n1,1\n");
    const auto grid = writeGeoTiff(folder, "grid.tif", layer(3, 1, {1, 1, 1}));
    const auto notRaster = folder.write("notes.tif", "not a raster\n");
    RasterSpec bare = layer(1, 1, {1});
    bare.transform.reset();
    const auto pixels = writeGeoTiff(folder, "pixels.tif", bare);
    const auto codes = writeGeoTiff(folder, "codes.tif", layer(7, 1, {1, 7, 7, 9, 2, 3, 4}));
    const auto sixCodes = writeGeoTiff(folder, "six.tif", layer(7, 1, {1, 2, 3, 4, 5, 6, 8}));
    const auto far = writeGeoTiff(folder, "far.tif", layer(3, 1, {1, 2, 3}, 1e5));
    const auto flat = writeGeoTiff(folder, "flat.tif", layer(3, 1, {4, 4, 4}));
    const auto symmetric = writeGeoTiff(folder, "symmetric.tif", layer(2, 1, {0, 10}));
    RasterSpec empty = layer(2, 1, {-1, -1});
    empty.noData = -1;
    const auto noData = writeGeoTiff(folder, "nodata.tif", empty);
    const auto blocked = folder.write("blocked.csv", "class,resistance\n1,impassable\n");
    const auto small = folder.write("small.csv", "class,resistance\n1,0.25\n");
    const auto quoted = [](const std::filesystem::path& path) { return "\"" + path.string() + "\""; };

    const struct {
        const char* name;
        SurfaceSettings settings;
        std::string message; // the start of the message
    } cases[] = {
        {"a layer that is no raster",
         {{{notRaster, ClassRule{ones}}}},
         "The layer " + quoted(notRaster) + " cannot be read as a raster"},
        {"a layer without georeferencing",
         {{{grid, ClassRule{ones}}, {pixels, ClassRule{ones}}}},
         "The layer " + quoted(pixels) + " has no georeferencing"},
        {"codes missing from the table",
         {{{codes, ClassRule{ones}}}},
         "The layer 1 " + quoted(codes) + " has codes that the class table " + quoted(ones) +
             " does not list: 2 (1 cell), 3 (1 cell), 4 (1 cell), 7 (2 cells), 9 (1 cell)."},
        {"more than five codes missing",
         {{{sixCodes, ClassRule{ones}}}},
         "The layer 1 " + quoted(sixCodes) + " has codes that the class table " + quoted(ones) +
             " does not list: 2 (1 cell), 3 (1 cell), 4 (1 cell), 5 (1 cell), 6 (1 cell), ... (6 codes in all)."},
        {"a layer beside the first",
         {{{grid, ClassRule{ones}}, {far, parseLayerRule("linear=1")}}},
         "The layer 2 " + quoted(far) + " does not overlap the first layer " + quoted(grid) + " at all."},
        {"a constant layer",
         {{{flat, parseLayerRule("linear=1")}}},
         "The layer 1 " + quoted(flat) + " has the same value (4) in every cell"},
        // 1 - exp(-x / 1e300) is 0 to the last bit for every x of 0 to 10.
        {"a curve that is flat over the cells",
         {{{symmetric, parseLayerRule("monomolecular=1e300,1")}}},
         "The curve monomolecular gives every cell of the layer 1 " + quoted(symmetric) + " the same value"},
        {"a layer without a cell of data",
         {{{noData, parseLayerRule("linear=1")}}},
         "The layer 1 " + quoted(noData) + " has no cell with a value"},
        {"every cell impassable", {{{grid, ClassRule{blocked}}}}, "Every cell of the resistance surface is impassable"},
        {"a sum below 0",
         {{{grid, ClassRule{small}}, {grid, ClassRule{small}}}},
         "The layers add up to -0.5 in the cell of row 1, column 1, and a resistance must be above 0."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string message = dataProblemOf([&] { BuildResistanceSurface(c.settings); });
        EXPECT_EQ(message.substr(0, c.message.size()), c.message);
    }
}

TEST(SurfaceBuilder, TheReportNamesLayersRulesCodesAndTheResult)
{
    TempFolder folder;
    RasterSpec codes = layer(2, 2, {1, 2, 2, 2});
    const auto codesPath = writeGeoTiff(folder, "lc.tif", codes);
    const auto table = folder.write("t.csv", "class,resistance\n1,1\n2,4\n5,impassable\n");
    const auto ramp = writeGeoTiff(folder, "ramp.tif", layer(2, 2, {0, 5, 10, 10}));
    const SurfaceResult result =
        BuildResistanceSurface({{{codesPath, ClassRule{table}}, {ramp, parseLayerRule("ricker=5,100")}}});
    const std::string report = SurfaceReport(result, "out.tif");
    for (const std::string& line : std::vector<std::string>{
             "Resistance surface built from 2 layers\r\n", "Written to: out.tif\r\n",
             "Grid (from layer 1): 2 columns x 2 rows, cells 1 x 1, upper left corner (500000, 4200000), coordinate "
             "system WGS 84 / UTM zone 33N\r\n",
             "  Rule: classes=" + table.string() + "\r\n", "  Code          Cells         Resistance\r\n",
             "  1             1             1\r\n", "  2             3             4\r\n",
             "  Codes of the table not in the layer: 5\r\n", "  Rule: ricker=5,100\r\n",
             "  Values from 0 (x = 0) to 10 (x = 10); resistances from 1 to 101\r\n",
             "Surface: the sum of the 2 layers' resistances minus 1\r\n", "Minimum resistance: 1\r\n",
             "Impassable cells: 0 of 4 (0.00 %)\r\n"})
        EXPECT_NE(report.find(line), std::string::npos) << line << "\nin\n" << report;
}

TEST(SurfaceBuilder, TheSurfaceFileHoldsTheCellsOnTheFirstLayersGrid)
{
    TempFolder folder;
    RasterSpec codes = layer(3, 1, {1, 2, 1});
    const auto path = writeGeoTiff(folder, "lc.tif", codes);
    const auto table = folder.write("t.csv", "class,resistance\n1,2.5\n2,impassable\n");
    const SurfaceResult result = BuildResistanceSurface({{{path, ClassRule{table}}}});
    const auto output = folder.path() / "surface.tif";
    WriteSurfaceFile(output, result);
    const RasterFile written(output, "surface");
    EXPECT_TRUE(sameGrid(written.geometry(), result.grid));
    expectCells(written.readCells(), {2.5, kNaN, 2.5});
}

TEST(SurfaceBuilder, StopsWhenTheListenerAsks)
{
    TempFolder folder;
    const auto path = writeGeoTiff(folder, "ramp.tif", layer(3, 1, {1, 2, 3}));
    testing::RecordingListener listener;
    listener.cancelAfterFirstStatus = true;
    EXPECT_THROW(BuildResistanceSurface({{{path, parseLayerRule("linear=1")}}}, listener), RunCancelled);
}

} // namespace
} // namespace tessaloc
