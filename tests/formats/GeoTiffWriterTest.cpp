#include "formats/GeoTiffWriter.h"

#include "core/Errors.h"
#include "formats/RasterFile.h"
#include "tests/support/RasterFiles.h"
#include "tests/support/RecordingListener.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <cpl_conv.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace tessaloc {
namespace {

using testing::fileNamesIn;
using testing::northUp;
using testing::RasterSpec;
using testing::TempFolder;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// A GeoTIFF as GDAL's own reader sees it, read here without the program's reader.
struct ReadBack {
    int columns = 0;
    int rows = 0;
    GDALDataType type = GDT_Unknown;
    std::array<double, 6> transform{};
    std::string coordinateSystemWkt;
    bool hasNoData = false;
    double noData = 0.0;
    std::vector<double> values;
    std::string compression;
    int blockWidth = 0;
    int blockHeight = 0;
};

ReadBack readWithGdal(const std::filesystem::path& path)
{
    GDALAllRegister();
    ReadBack read;
    GDALDatasetH dataset = GDALOpen(path.string().c_str(), GA_ReadOnly);
    if (dataset == nullptr) {
        ADD_FAILURE() << "GDAL cannot open " << path;
        return read;
    }
    read.columns = GDALGetRasterXSize(dataset);
    read.rows = GDALGetRasterYSize(dataset);
    GDALGetGeoTransform(dataset, read.transform.data());
    if (OGRSpatialReferenceH system = GDALGetSpatialRef(dataset)) {
        char* wkt = nullptr;
        OSRExportToWkt(system, &wkt);
        read.coordinateSystemWkt = wkt;
        CPLFree(wkt);
    }
    if (const char* compression = GDALGetMetadataItem(dataset, "COMPRESSION", "IMAGE_STRUCTURE"))
        read.compression = compression;
    GDALRasterBandH band = GDALGetRasterBand(dataset, 1);
    read.type = GDALGetRasterDataType(band);
    GDALGetBlockSize(band, &read.blockWidth, &read.blockHeight);
    int has = 0;
    read.noData = GDALGetRasterNoDataValue(band, &has);
    read.hasNoData = has != 0;
    read.values.resize(static_cast<size_t>(read.columns) * static_cast<size_t>(read.rows));
    EXPECT_EQ(GDALRasterIO(band, GF_Read, 0, 0, read.columns, read.rows, read.values.data(), read.columns, read.rows,
                           GDT_Float64, 0, 0),
              CE_None);
    GDALClose(dataset);
    return read;
}

std::string wktOfEpsg(int code)
{
    OGRSpatialReferenceH system = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(system, code);
    char* wkt = nullptr;
    const char* const format[] = {"FORMAT=WKT2_2018", nullptr};
    OSRExportToWktEx(system, &wkt, format);
    std::string text = wkt;
    CPLFree(wkt);
    OSRDestroySpatialReference(system);
    return text;
}

// True when the two WKT texts name the same coordinate system (GeoTIFF keeps a system as its
// EPSG code and keys, not as the text it was given).
bool sameCoordinateSystem(const std::string& a, const std::string& b)
{
    OGRSpatialReferenceH first = OSRNewSpatialReference(a.c_str());
    OGRSpatialReferenceH second = OSRNewSpatialReference(b.c_str());
    const bool same = first != nullptr && second != nullptr && OSRIsSame(first, second) != 0;
    OSRDestroySpatialReference(first);
    OSRDestroySpatialReference(second);
    return same;
}

TEST(GeoTiffWriter, RoundTripsValuesGeoreferencingCoordinateSystemAndNoDataThroughGdal)
{
    struct Case {
        const char* name;
        int epsg; // 0: no coordinate system
        std::array<double, 6> transform;
    };
    // A projected system, longitude/latitude, and a raster without a system (as ESRI ASCII grids are).
    const Case cases[] = {
        {"utm", 32633, northUp(500000.0, 4200000.0, 30.0, 30.0)},
        {"wgs84", 4326, northUp(10.0, 50.0, 0.25, 0.125)},
        {"none", 0, northUp(-3.5, 7.25, 1.5, 2.0)},
    };
    const std::vector<double> cells = {1.0, 2.5, kNaN, 1e300, -0.125, kInfinity, 3.0, 0.1, -kInfinity};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        GeoTiffRaster raster;
        raster.columns = 3;
        raster.rows = 3;
        raster.transform = c.transform;
        raster.coordinateSystemWkt = c.epsg == 0 ? std::string() : wktOfEpsg(c.epsg);
        raster.noData = -9999.0;
        raster.cells = cells;
        const auto path = folder.path() / "surface.tif";
        EXPECT_EQ(WriteGeoTiff(path, raster), path);

        const ReadBack read = readWithGdal(path);
        EXPECT_EQ(read.columns, 3);
        EXPECT_EQ(read.rows, 3);
        EXPECT_EQ(read.type, GDT_Float64);
        EXPECT_EQ(read.transform, c.transform);
        if (c.epsg == 0)
            EXPECT_EQ(read.coordinateSystemWkt, "");
        else
            EXPECT_TRUE(sameCoordinateSystem(read.coordinateSystemWkt, wktOfEpsg(c.epsg))) << read.coordinateSystemWkt;
        EXPECT_TRUE(read.hasNoData);
        EXPECT_EQ(read.noData, -9999.0);
        // NaN and the infinities become the no-data value; every other value is kept to the bit.
        EXPECT_EQ(read.values, (std::vector<double>{1.0, 2.5, -9999.0, 1e300, -0.125, -9999.0, 3.0, 0.1, -9999.0}));
        EXPECT_EQ(read.compression, "LZW");
        EXPECT_EQ(read.blockWidth, 256);
        EXPECT_EQ(read.blockHeight, 256);
        EXPECT_EQ(fileNamesIn(folder.path()), std::vector<std::string>{"surface.tif"});
    }
}

TEST(GeoTiffWriter, WritesARasterOfManyTilesAndStripsExactly)
{
    TempFolder folder;
    GeoTiffRaster raster;
    raster.columns = 300; // two tiles across, the second partly filled
    raster.rows = 520;    // three blocks of rows
    std::vector<double> cells;
    for (int k = 0; k < raster.columns * raster.rows; ++k)
        cells.push_back(1.0 + std::sqrt(static_cast<double>(k)));
    raster.cells = cells;
    const auto path = WriteGeoTiff(folder.path() / "big.tif", raster);
    EXPECT_EQ(readWithGdal(path).values, cells);
}

TEST(GeoTiffWriter, KeepsTheCoordinateSystemTheRasterReaderFound)
{
    // The surface builder passes a layer's system on as RasterFile reads it.
    TempFolder folder;
    RasterSpec spec;
    spec.columns = 2;
    spec.values = {1.0, 2.0};
    spec.epsg = 3035; // ETRS89 / LAEA Europe
    spec.transform = northUp(4321000.0, 3210000.0, 100.0, 100.0);
    const RasterFile layer(testing::writeGeoTiff(folder, "layer.tif", spec), "layer");
    const std::vector<double> cells = layer.readCells();
    GeoTiffRaster raster;
    raster.columns = layer.geometry().columns;
    raster.rows = layer.geometry().rows;
    raster.transform = layer.geometry().transform;
    raster.coordinateSystemWkt = layer.geometry().coordinateSystemWkt;
    raster.cells = cells;
    const RasterFile written(WriteGeoTiff(folder.path() / "out.tif", raster), "surface");
    EXPECT_EQ(written.geometry().coordinateSystemName, "ETRS89-extended / LAEA Europe");
    EXPECT_TRUE(sameCoordinateSystem(written.geometry().coordinateSystemWkt, wktOfEpsg(3035)));
    EXPECT_EQ(written.geometry().transform, spec.transform);
    EXPECT_EQ(written.readCells(), cells);
}

TEST(GeoTiffWriter, ARasterThatCannotBeWrittenLeavesTheFileItReplacesAndNothingElse)
{
    const std::vector<double> four = {1.0, 2.0, 3.0, 4.0};
    struct Case {
        const char* name;
        int columns;
        int rows;
        std::array<double, 6> transform;
        std::string wkt;
        double noData;
        std::string reason; // the message after "cannot write the GeoTIFF file \"...\": "
    };
    const Case cases[] = {
        {"no cells", 0, 0, northUp(0, 0, 1, 1), "", -9999.0, "the raster has no cells"},
        {"too few values", 3, 2, northUp(0, 0, 1, 1), "", -9999.0, "it holds 4 values for 3 x 2 cells"},
        {"a cell size of 0", 2, 2, northUp(0, 0, 0, 1), "", -9999.0, "its georeferencing places no cell"},
        {"no-data not finite", 2, 2, northUp(0, 0, 1, 1), "", kNaN, "its no-data value is not a finite number"},
        {"no-data held", 2, 2, northUp(0, 0, 1, 1), "", 3.0, "cell (row 2, column 1) holds the no-data value itself"},
        {"no coordinate system", 2, 2, northUp(0, 0, 1, 1), "PROJCRS[\"broken", -9999.0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const auto path = folder.write("surface.tif", "the old surface");
        GeoTiffRaster raster;
        raster.columns = c.columns;
        raster.rows = c.rows;
        raster.transform = c.transform;
        raster.coordinateSystemWkt = c.wkt;
        raster.noData = c.noData;
        raster.cells = four;
        try {
            WriteGeoTiff(path, raster);
            ADD_FAILURE() << "written";
        } catch (const AnalysisError& error) {
            const std::string start = "cannot write the GeoTIFF file \"" + path.string() + "\": ";
            EXPECT_EQ(std::string(error.what()).substr(0, start.size()), start);
            // GDAL's own words for a coordinate system it cannot read.
            if (!c.reason.empty()) {
                EXPECT_EQ(error.what(), start + c.reason);
            }
        }
        EXPECT_EQ(testing::readFile(path), "the old surface");
        EXPECT_EQ(fileNamesIn(folder.path()), std::vector<std::string>{"surface.tif"});
    }
}

TEST(GeoTiffWriter, AMissingFolderIsAnAnalysisErrorNamingIt)
{
    TempFolder folder;
    const std::vector<double> one = {1.0};
    GeoTiffRaster raster;
    raster.columns = 1;
    raster.rows = 1;
    raster.cells = one;
    const auto path = folder.path() / "no such folder" / "surface.tif";
    try {
        WriteGeoTiff(path, raster, "the resistance surface");
        ADD_FAILURE() << "written";
    } catch (const AnalysisError& error) {
        EXPECT_EQ(std::string(error.what()), "cannot write the resistance surface \"" + path.string() +
                                                 "\": there is no folder \"" + path.parent_path().string() + "\"");
    }
    EXPECT_TRUE(fileNamesIn(folder.path()).empty());
}

TEST(GeoTiffWriter, ACancelledWriteLeavesNoFile)
{
    TempFolder folder;
    const std::vector<double> one = {1.0};
    GeoTiffRaster raster;
    raster.columns = 1;
    raster.rows = 1;
    raster.cells = one;
    testing::RecordingListener listener;
    listener.cancelAfterFirstStatus = true;
    listener.status("Writing");
    EXPECT_THROW(WriteGeoTiff(folder.path() / "surface.tif", raster, "the GeoTIFF file", listener), RunCancelled);
    EXPECT_TRUE(fileNamesIn(folder.path()).empty());
}

} // namespace
} // namespace tessaloc
