#include "formats/RasterFile.h"

#include "core/Errors.h"
#include "tests/support/DataProblems.h"
#include "tests/support/RasterFiles.h"
#include "tests/support/RecordingListener.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tessaloc {
namespace {

using testing::dataProblemOf;
using testing::esriAsciiGrid;
using testing::northUp;
using testing::RasterSpec;
using testing::TempFolder;
using testing::writeGeoTiff;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

void expectCells(const std::vector<double>& cells, const std::vector<double>& expected)
{
    ASSERT_EQ(cells.size(), expected.size());
    for (size_t k = 0; k < cells.size(); ++k) {
        if (std::isnan(expected[k]))
            EXPECT_TRUE(std::isnan(cells[k])) << "cell " << k;
        else
            EXPECT_EQ(cells[k], expected[k]) << "cell " << k;
    }
}

TEST(RasterFile, ReadsTheCellsAndGeoreferencingOfAGeoTiff)
{
    TempFolder folder;
    RasterSpec spec;
    spec.columns = 3;
    spec.rows = 2;
    spec.transform = northUp(500000.0, 4200000.0, 30.0, 30.0);
    spec.values = {1.0, 2.5, 3.0, 4.0, 0.125, 6.0};
    spec.epsg = 32633;
    const RasterFile raster(writeGeoTiff(folder, "utm.tif", spec), "resistance surface");
    const RasterGeometry& geometry = raster.geometry();
    EXPECT_EQ(geometry.columns, 3);
    EXPECT_EQ(geometry.rows, 2);
    EXPECT_EQ(geometry.cellCount(), 6);
    EXPECT_EQ(geometry.transform, northUp(500000.0, 4200000.0, 30.0, 30.0));
    EXPECT_EQ(geometry.coordinates, RasterCoordinates::Planar);
    EXPECT_EQ(geometry.coordinateSystemName, "WGS 84 / UTM zone 33N");
    expectCells(raster.readCells(), spec.values);
    EXPECT_EQ(raster.description(), "resistance surface \"" + (folder.path() / "utm.tif").string() + "\"");
}

TEST(RasterFile, TellsALongitudeLatitudeRasterAndOneWithoutCoordinateSystem)
{
    TempFolder folder;
    RasterSpec spec;
    spec.values = {1.0};
    spec.transform = northUp(10.0, 50.0, 0.5, 0.5);
    spec.epsg = 4326;
    const RasterFile geographic(writeGeoTiff(folder, "wgs84.tif", spec), "resistance surface");
    EXPECT_EQ(geographic.geometry().coordinates, RasterCoordinates::Geographic);
    EXPECT_EQ(geographic.geometry().coordinateSystemName, "WGS 84");

    spec.epsg = 0;
    const RasterFile plain(writeGeoTiff(folder, "plain.tif", spec), "resistance surface");
    EXPECT_EQ(plain.geometry().coordinates, RasterCoordinates::Unknown);
    EXPECT_EQ(plain.geometry().coordinateSystemName, "");
}

TEST(RasterFile, NoDataNotANumberAndInfinitiesBecomeNaN)
{
    TempFolder folder;
    RasterSpec spec;
    spec.columns = 5;
    spec.values = {1.0, -9999.0, kNaN, kInfinity, -kInfinity};
    spec.noData = -9999.0;
    const RasterFile raster(writeGeoTiff(folder, "nodata.tif", spec), "resistance surface");
    expectCells(raster.readCells(), {1.0, kNaN, kNaN, kNaN, kNaN});
}

TEST(RasterFile, AFloatBandMatchesItsNoDataValueAsAFloat)
{
    // -3.4028234663852886e38 is the largest float; written as a decimal in the file's metadata it
    // need not read back as the same double.
    TempFolder folder;
    RasterSpec spec;
    spec.columns = 3;
    spec.float32 = true;
    spec.values = {2.0, -3.4028234663852886e38, 0.1};
    spec.noData = -3.4028234663852886e38;
    const RasterFile raster(writeGeoTiff(folder, "float.tif", spec), "resistance surface");
    expectCells(raster.readCells(), {2.0, kNaN, static_cast<double>(0.1f)});
}

TEST(RasterFile, ReadsAnEsriAsciiGrid)
{
    TempFolder folder;
    const auto path =
        folder.write("grid.asc", esriAsciiGrid(2, 3, 100.0, 200.0, 10.0, {1.0, 2.0, 3.0, -1.0, 5.0, 6.0}, -1.0));
    const RasterFile raster(path, "resistance surface");
    EXPECT_EQ(raster.geometry().columns, 2);
    EXPECT_EQ(raster.geometry().rows, 3);
    // The upper left corner lies three rows of 10 above the lower left one.
    EXPECT_EQ(raster.geometry().transform, northUp(100.0, 230.0, 10.0, 10.0));
    EXPECT_EQ(raster.geometry().coordinates, RasterCoordinates::Unknown);
    expectCells(raster.readCells(), {1.0, 2.0, 3.0, kNaN, 5.0, 6.0});
}

TEST(RasterFile, ReadsTheValuesOfATextGridInDoublePrecision)
{
    // GDAL reads text grids as single precision unless told otherwise; 0.1 would come back as
    // 0.100000001490116.
    TempFolder folder;
    const auto path = folder.write("tenths.asc", esriAsciiGrid(2, 1, 0.0, 0.0, 1.0, {0.1, 2.7}));
    expectCells(RasterFile(path, "resistance surface").readCells(), {0.1, 2.7});
}

TEST(RasterFile, ReadsARasterTallerThanOneStrip)
{
    TempFolder folder;
    RasterSpec spec;
    spec.columns = 3;
    spec.rows = 700;
    for (int k = 0; k < spec.columns * spec.rows; ++k)
        spec.values.push_back(1.0 + k);
    const RasterFile raster(writeGeoTiff(folder, "tall.tif", spec), "resistance surface");
    expectCells(raster.readCells(), spec.values);
}

TEST(RasterFile, StopsReadingWhenTheListenerAsks)
{
    TempFolder folder;
    RasterSpec spec;
    spec.values = {1.0};
    const RasterFile raster(writeGeoTiff(folder, "one.tif", spec), "resistance surface");
    testing::RecordingListener listener;
    listener.cancelAfterFirstStatus = true;
    listener.status("Reading");
    EXPECT_THROW(raster.readCells(listener), RunCancelled);
}

TEST(RasterFile, FilesThatAreNoRasterGiveMessages)
{
    TempFolder folder;
    const auto missing = folder.path() / "missing.tif";
    EXPECT_EQ(dataProblemOf([&] { RasterFile(missing, "resistance surface"); }),
              "The resistance surface \"" + missing.string() + "\" does not exist.");

    const auto empty = folder.write("empty.tif", "");
    EXPECT_EQ(dataProblemOf([&] { RasterFile(empty, "resistance surface"); }),
              "The resistance surface \"" + empty.string() +
                  "\" cannot be read as a raster (GeoTIFF, ESRI ASCII grid, ...).");

    const auto text = folder.write("notes.txt", "a resistance surface, some day\n");
    EXPECT_EQ(dataProblemOf([&] { RasterFile(text, "resistance surface"); }),
              "The resistance surface \"" + text.string() +
                  "\" cannot be read as a raster (GeoTIFF, ESRI ASCII grid, ...).");

    const auto noCells = folder.write("nocells.asc", esriAsciiGrid(0, 0, 0.0, 0.0, 1.0, {}));
    EXPECT_NE(dataProblemOf([&] { RasterFile(noCells, "resistance surface"); }).find("\"" + noCells.string() + "\""),
              std::string::npos);

    EXPECT_EQ(dataProblemOf([&] { RasterFile(folder.path(), "resistance surface"); }).substr(0, 28),
              "The resistance surface \"" + folder.path().string().substr(0, 4));
}

TEST(RasterFile, ARasterWithoutGeoreferencingGivesAMessage)
{
    TempFolder folder;
    RasterSpec spec;
    spec.values = {1.0};
    spec.transform.reset();
    const auto path = writeGeoTiff(folder, "pixels.tif", spec);
    EXPECT_EQ(dataProblemOf([&] { RasterFile(path, "resistance surface"); }),
              "The resistance surface \"" + path.string() +
                  "\" has no georeferencing (no origin and cell size), so no sample location can be placed on it.");
}

TEST(RasterFile, TheReasonOfGdalIsTheDetail)
{
    TempFolder folder;
    const auto broken = folder.write("broken.asc", "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2\n");
    try {
        const RasterFile raster(broken, "resistance surface");
        raster.readCells();
        FAIL() << "a grid with too few values was read";
    } catch (const DataProblem& problem) {
        EXPECT_FALSE(problem.detail().empty());
    }
}

// Issue 37, fault 1: GDAL believed a text grid's header and took memory for every cell it claims
// (2.4 GB for 94 bytes) before finding the file short. The text is now checked before GDAL opens it,
// in memory of a piece of the file.
TEST(RasterFile, AHeaderClaimingMoreCellsThanTheFileHoldsIsRefusedAtOnce)
{
    TempFolder folder;
    const std::string text =
        "ncols 20000\nnrows 15000\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n1 2 3\n";
    const auto path = folder.write("liar.asc", text);
    const std::string message = dataProblemOf([&] { RasterFile(path, "resistance surface"); });
    EXPECT_EQ(message, "The resistance surface \"" + path.string() +
                           "\" row 1 of its grid (from line 7) holds 3 values where its header gives 20000 columns "
                           "(ncols).");
    // Whole rows, too few of them.
    const std::string shortText = "ncols 2\nnrows 15000\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2\n3 4\n";
    const auto shortRows = folder.write("short.asc", shortText);
    EXPECT_EQ(dataProblemOf([&] { RasterFile(shortRows, "resistance surface"); }),
              "The resistance surface \"" + shortRows.string() +
                  "\" ends after 2 rows of values, where its header gives 15000 rows (nrows) of 2 columns: the "
                  "file, of " +
                  std::to_string(shortText.size()) + " bytes, is too short for the grid its header claims.");
}

// Issue 37, fault 7: GDAL reads a text grid's values in sequence whatever its lines, so a row with a
// value too many shifted every later cell and rows beyond nrows were dropped, silently.
TEST(RasterFile, RaggedRowsOfAnAsciiGridAreRefused)
{
    TempFolder folder;
    const std::string header = "ncols 3\nnrows 3\nxllcorner 0\nyllcorner 0\ncellsize 1\n";
    auto problemOf = [&](const std::string& name, const std::string& values) {
        const auto path = folder.write(name, header + values);
        const std::string message = dataProblemOf([&] { RasterFile(path, "resistance surface"); });
        const std::string start = "The resistance surface \"" + path.string() + "\" ";
        EXPECT_TRUE(message.starts_with(start)) << message;
        return message.substr(std::min(start.size(), message.size()));
    };
    EXPECT_EQ(problemOf("long.asc", "1 2 3\n4 5 6 7\n8 9\n"),
              "row 2 of its grid (line 7) holds 4 values where its header gives 3 columns (ncols).");
    EXPECT_EQ(problemOf("short.asc", "1 2 3\n4 5\n6 7 8\n9 1 2\n"),
              "row 2 of its grid (lines 7 to 8) holds 5 values where its header gives 3 columns (ncols).");
    EXPECT_EQ(problemOf("lastshort.asc", "1 2 3\n4 5 6\n7 8\n"),
              "row 3 of its grid (from line 8) holds 2 values where its header gives 3 columns (ncols).");
    EXPECT_EQ(problemOf("firstlong.asc", "1 2 3 4\n5 6\n7 8 9\n"),
              "row 1 of its grid (line 6) holds 4 values where its header gives 3 columns (ncols).");
    EXPECT_EQ(problemOf("extra.asc", "1 2 3\n4 5 6\n7 8 9\n1 1 1\n2 2 2\n"),
              "has 2 rows of values beyond the 3 rows (nrows) of its header, from line 9 on.");
    EXPECT_EQ(problemOf("extravalue.asc", "1 2 3\n4 5 6\n7 8 9\n1\n"),
              "has 1 row of values beyond the 3 rows (nrows) of its header, from line 9 on.");
    EXPECT_EQ(problemOf("word.asc", "1 2 3\n4 x 6\n7 8 9\n"), "holds \"x\" in line 7, which is no number.");
    EXPECT_EQ(problemOf("oneline.asc", "1 2 3 4 5 6 7 8 9 10\n"),
              "has 1 row of values beyond the 3 rows (nrows) of its header, from line 6 on.");

    // What the format allows: rows wrapped over lines, all values on one line, blank lines, CR LF
    // or CR line ends, signs and exponents, NaN (no data).
    const std::vector<double> expected{1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 0.5};
    for (const std::string& values :
         {std::string("1 2\n3\n4 5\n6\n7\n8 0.5\n"), std::string("1 2 3 4 5 6 7 8 0.5\n"),
          std::string("\n1 2 3\n\n4 5 6\n7 8 5e-1"), std::string("1 2 3\r\n4 5 6\r\n+7 8 0.05E1\r\n"),
          std::string("1 2 3\r4 5 6\r7 8 0.5\r")}) {
        const auto path = folder.write("fine.asc", header + values);
        expectCells(RasterFile(path, "resistance surface").readCells(), expected);
    }
    const auto withNan = folder.write("nan.asc", header + "1 2 3\n4 nan 6\n7 8 9\n");
    expectCells(RasterFile(withNan, "resistance surface").readCells(), {1, 2, 3, 4, kNaN, 6, 7, 8, 9});
}

TEST(RasterFile, ReadsARowLongerThanOneReadInPieces)
{
    TempFolder folder;
    RasterSpec spec;
    spec.columns = (1 << 20) + 3;
    spec.rows = 2;
    spec.float32 = true;
    for (int k = 0; k < spec.columns * spec.rows; ++k)
        spec.values.push_back(static_cast<double>(k % 1000));
    const RasterFile raster(writeGeoTiff(folder, "wide.tif", spec), "resistance surface");
    const std::vector<double> cells = raster.readCells();
    ASSERT_EQ(cells.size(), spec.values.size());
    EXPECT_EQ(cells, spec.values);
}

} // namespace
} // namespace tessaloc
