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

} // namespace
} // namespace tessaloc
