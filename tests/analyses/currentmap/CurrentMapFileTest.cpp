#include "analyses/currentmap/CurrentMapFile.h"

#include "core/Errors.h"
#include "formats/RasterFile.h"
#include "tests/support/RasterFiles.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tessaloc {
namespace {

using testing::TempFolder;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The grid and coordinate system of a GeoTIFF in UTM zone 32N written by GDAL itself.
RasterGeometry utmGeometry(const TempFolder& folder)
{
    testing::RasterSpec spec;
    spec.columns = 3;
    spec.rows = 2;
    spec.transform = testing::northUp(500000.0, 5200000.0, 25.0, 25.0);
    spec.values = {1, 1, 1, 1, 1, 1};
    spec.epsg = 32632;
    return RasterFile(testing::writeGeoTiff(folder, "surface.tif", spec), "resistance surface").geometry();
}

TEST(WriteCurrentMapFiles, WritesGeoTiffsOnTheSurfacesGridWithNoDataAtImpassableCells)
{
    TempFolder folder;
    const RasterGeometry geometry = utmGeometry(folder);
    const std::vector<double> cumulative{1.5, 2.0, kNaN, 0.0, 3.25, 1e-12};
    const std::vector<double> largest{1.0, 1.0, kNaN, 0.0, 0.5, 1e-13};
    const auto mapPath = folder.path() / "map.tif";
    const auto largestPath = folder.path() / "largest.tif";
    WriteCurrentMapFiles({{mapPath.string(), &cumulative}, {largestPath.string(), &largest}}, geometry, false);
    for (const auto& [path, values] : {std::pair{mapPath, &cumulative}, std::pair{largestPath, &largest}}) {
        const RasterFile written(path, "map");
        EXPECT_EQ(written.geometry().columns, 3);
        EXPECT_EQ(written.geometry().rows, 2);
        EXPECT_EQ(written.geometry().transform, geometry.transform);
        EXPECT_EQ(written.geometry().coordinateSystemName, "WGS 84 / UTM zone 32N");
        const std::vector<double> cells = written.readCells();
        for (size_t k = 0; k < cells.size(); ++k) {
            if (std::isnan((*values)[k]))
                EXPECT_TRUE(std::isnan(cells[k])) << k;
            else
                EXPECT_EQ(cells[k], (*values)[k]) << k;
        }
    }
    EXPECT_EQ(testing::fileNamesIn(folder.path()), (std::vector<std::string>{"largest.tif", "map.tif", "surface.tif"}));
}

TEST(WriteCurrentMapFiles, Log10LeavesCellsWithoutCurrentWithoutData)
{
    const std::vector<double> logs = log10Currents({100.0, 0.0, kNaN, 0.001});
    EXPECT_DOUBLE_EQ(logs[0], 2.0);
    EXPECT_TRUE(std::isnan(logs[1]));
    EXPECT_TRUE(std::isnan(logs[2]));
    EXPECT_DOUBLE_EQ(logs[3], -3.0);

    TempFolder folder;
    const RasterGeometry geometry = utmGeometry(folder);
    const std::vector<double> cumulative{10.0, 1.0, kNaN, 0.0, 1000.0, 0.1};
    const auto mapPath = folder.path() / "map.tif";
    WriteCurrentMapFiles({{mapPath.string(), &cumulative}}, geometry, true);
    const std::vector<double> cells = RasterFile(mapPath, "map").readCells();
    EXPECT_DOUBLE_EQ(cells[0], 1.0);
    EXPECT_DOUBLE_EQ(cells[1], 0.0);
    EXPECT_TRUE(std::isnan(cells[2]));
    EXPECT_TRUE(std::isnan(cells[3]));
    EXPECT_DOUBLE_EQ(cells[4], 3.0);
}

TEST(WriteCurrentMapFiles, AMapThatCannotBeWrittenLeavesNoFileBehind)
{
    TempFolder folder;
    const RasterGeometry geometry = utmGeometry(folder);
    const std::vector<double> cumulative(6, 1.0);
    const auto mapPath = folder.path() / "map.tif";
    const auto unreachable = folder.path() / "no such folder" / "largest.tif";
    EXPECT_THROW(
        WriteCurrentMapFiles({{mapPath.string(), &cumulative}, {unreachable.string(), &cumulative}}, geometry, false),
        AnalysisError);
    EXPECT_EQ(testing::fileNamesIn(folder.path()), (std::vector<std::string>{"surface.tif"}));
}

} // namespace
} // namespace tessaloc
