#include "formats/RasterFile.h"

#include "core/Errors.h"
#include "core/ThreadCount.h"

#include "formats/Gdal.h"

#include <cpl_conv.h>
#include <cpl_string.h>
#include <gdal_alg.h>
#include <gdalwarper.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

namespace tessaloc {
namespace {

// The band's no-data value as the band stores it: a float band holds the value rounded to float, so
// the comparison is made in float there.
class NoData {
public:
    explicit NoData(GDALRasterBandH band)
    {
        int has = 0;
        m_value = GDALGetRasterNoDataValue(band, &has);
        m_has = has != 0 && !std::isnan(m_value);
        m_float = GDALGetRasterDataType(band) == GDT_Float32;
    }
    bool matches(double value) const
    {
        if (!m_has)
            return false;
        return m_float ? static_cast<float>(value) == static_cast<float>(m_value) : value == m_value;
    }

private:
    double m_value = 0.0;
    bool m_has = false;
    bool m_float = false;
};

constexpr int kRowsPerStrip = 256;

struct DestroySpatialReference {
    using pointer = OGRSpatialReferenceH;
    void operator()(OGRSpatialReferenceH system) const { OSRDestroySpatialReference(system); }
};
using SpatialReference = std::unique_ptr<void, DestroySpatialReference>;

SpatialReference spatialReferenceOf(const std::string& wkt)
{
    if (wkt.empty())
        return nullptr;
    SpatialReference system(OSRNewSpatialReference(nullptr));
    if (OSRSetFromUserInput(system.get(), wkt.c_str()) != OGRERR_NONE)
        return nullptr;
    OSRSetAxisMappingStrategy(system.get(), OAMS_TRADITIONAL_GIS_ORDER);
    return system;
}

// GDAL's general image-to-image transformer, destroyed when it goes.
struct DestroyTransformer {
    void operator()(void* transformer) const { GDALDestroyGenImgProjTransformer(transformer); }
};
using Transformer = std::unique_ptr<void, DestroyTransformer>;

// A dataset in memory with the georeferencing of `grid` and no band, so that GDAL can transform
// between it and a raster file. With `pixels` it gets one Float64 band that writes into them.
GdalDataset memoryDataset(const RasterGeometry& grid, const std::string& wkt, double* pixels)
{
    GDALDriverH driver = GDALGetDriverByName("MEM");
    if (driver == nullptr)
        return nullptr;
    GdalDataset dataset(GDALCreate(driver, "", grid.columns, grid.rows, 0, GDT_Float64, nullptr));
    if (!dataset)
        return nullptr;
    std::array<double, 6> transform = grid.transform;
    GDALSetGeoTransform(dataset.get(), transform.data());
    if (const SpatialReference system = spatialReferenceOf(wkt))
        GDALSetSpatialRef(dataset.get(), system.get());
    if (pixels != nullptr) {
        char pointer[64] = {};
        CPLPrintPointer(pointer, pixels, sizeof pointer);
        const std::string option = "DATAPOINTER=" + std::string(pointer);
        const char* const options[] = {option.c_str(), nullptr};
        if (GDALAddBand(dataset.get(), GDT_Float64, const_cast<char**>(options)) != CE_None)
            return nullptr;
        GDALSetRasterNoDataValue(GDALGetRasterBand(dataset.get(), 1), std::numeric_limits<double>::quiet_NaN());
    }
    return dataset;
}

// The coordinate system the grid's dataset gets: its own, or the raster's when the grid has none
// (so that nothing is reprojected); none when the raster has none, for the same reason.
std::string targetSystem(const RasterGeometry& raster, const RasterGeometry& grid)
{
    if (raster.coordinateSystemWkt.empty())
        return {};
    return grid.coordinateSystemWkt.empty() ? raster.coordinateSystemWkt : grid.coordinateSystemWkt;
}

int CPL_STDCALL askListener(double, const char*, void* listener)
{
    return static_cast<RunListener*>(listener)->cancelled() ? FALSE : TRUE;
}

} // namespace

bool sameGrid(const RasterGeometry& a, const RasterGeometry& b)
{
    if (a.columns != b.columns || a.rows != b.rows || a.transform != b.transform)
        return false;
    if (a.coordinateSystemWkt.empty() || b.coordinateSystemWkt.empty())
        return a.coordinateSystemWkt.empty() && b.coordinateSystemWkt.empty();
    if (a.coordinateSystemWkt == b.coordinateSystemWkt)
        return true;
    const SpatialReference first = spatialReferenceOf(a.coordinateSystemWkt);
    const SpatialReference second = spatialReferenceOf(b.coordinateSystemWkt);
    return first && second && OSRIsSame(first.get(), second.get()) != 0;
}

struct RasterFile::Dataset {
    GdalDataset handle;
};

RasterFile::RasterFile(const std::filesystem::path& path, std::string role)
    : m_dataset(std::make_unique<Dataset>())
    , m_description(role + " \"" + escapeControlCharacters(path.string()) + "\"")
{
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored))
        throw DataProblem("The " + m_description + " does not exist.");
    registerGdalDrivers();
    const GdalErrors errors;
    m_dataset->handle.reset(
        GDALOpenEx(path.string().c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    if (!m_dataset->handle)
        throw DataProblem("The " + m_description + " cannot be read as a raster (GeoTIFF, ESRI ASCII grid, ...).",
                          errors.reason("GDAL recognises no raster format in it"));
    // Text grids (ESRI ASCII, GRASS ASCII) come as single precision unless asked for doubles.
    GDALDriverH driver = GDALGetDatasetDriver(m_dataset->handle.get());
    const char* options = driver ? GDALGetMetadataItem(driver, GDAL_DMD_OPENOPTIONLIST, nullptr) : nullptr;
    const auto offers = [options](std::string_view option) {
        return options != nullptr && std::string_view(options).find(option) != std::string_view::npos;
    };
    if (offers("name='DATATYPE'") || offers("name=\"DATATYPE\"")) {
        const char* const doubles[] = {"DATATYPE=Float64", nullptr};
        m_dataset->handle.reset(
            GDALOpenEx(path.string().c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, doubles, nullptr));
        if (!m_dataset->handle)
            throw DataProblem("The " + m_description + " cannot be read as a raster (GeoTIFF, ESRI ASCII grid, ...).",
                              errors.reason("GDAL recognises no raster format in it"));
    }
    GDALDatasetH dataset = m_dataset->handle.get();
    if (GDALGetRasterCount(dataset) < 1)
        throw DataProblem("The " + m_description + " has no raster band.");

    m_geometry.columns = GDALGetRasterXSize(dataset);
    m_geometry.rows = GDALGetRasterYSize(dataset);
    if (m_geometry.columns < 1 || m_geometry.rows < 1)
        throw DataProblem("The " + m_description + " has no cells.");
    if (GDALGetGeoTransform(dataset, m_geometry.transform.data()) != CE_None)
        throw DataProblem("The " + m_description +
                          " has no georeferencing (no origin and cell size), so no sample location can be placed "
                          "on it.");
    const auto& t = m_geometry.transform;
    if (!std::all_of(t.begin(), t.end(), [](double v) { return std::isfinite(v); }) || t[1] * t[5] - t[2] * t[4] == 0)
        throw DataProblem("The " + m_description + " has a georeferencing that places no cell (a cell size of 0).");

    if (OGRSpatialReferenceH system = GDALGetSpatialRef(dataset)) {
        m_geometry.coordinates = OSRIsGeographic(system) ? RasterCoordinates::Geographic : RasterCoordinates::Planar;
        if (const char* name = OSRGetName(system))
            m_geometry.coordinateSystemName = escapeControlCharacters(name);
        char* wkt = nullptr;
        const char* const format[] = {"FORMAT=WKT2_2018", nullptr};
        if (OSRExportToWktEx(system, &wkt, format) == OGRERR_NONE && wkt != nullptr)
            m_geometry.coordinateSystemWkt = wkt;
        CPLFree(wkt);
    }
}

RasterFile::~RasterFile() = default;

std::vector<double> RasterFile::readCells(RunListener& listener) const
{
    GDALRasterBandH band = GDALGetRasterBand(m_dataset->handle.get(), 1);
    const NoData noData(band);
    const int columns = m_geometry.columns;
    std::vector<double> cells(static_cast<size_t>(m_geometry.cellCount()));
    for (int first = 0; first < m_geometry.rows; first += kRowsPerStrip) {
        listener.throwIfCancelled();
        const int rows = std::min(kRowsPerStrip, m_geometry.rows - first);
        double* strip = cells.data() + static_cast<size_t>(first) * static_cast<size_t>(columns);
        const GdalErrors errors;
        if (GDALRasterIO(band, GF_Read, 0, first, columns, rows, strip, columns, rows, GDT_Float64, 0, 0) != CE_None)
            throw DataProblem("The " + m_description + " cannot be read from row " + std::to_string(first + 1) + " on.",
                              errors.reason("GDAL gives no reason"));
        const size_t count = static_cast<size_t>(rows) * static_cast<size_t>(columns);
        for (size_t k = 0; k < count; ++k) {
            if (!std::isfinite(strip[k]) || noData.matches(strip[k]))
                strip[k] = std::nan("");
        }
    }
    return cells;
}

bool RasterFile::overlaps(const RasterGeometry& grid) const
{
    registerGdalDrivers();
    const GdalErrors errors;
    const GdalDataset target = memoryDataset(grid, targetSystem(m_geometry, grid), nullptr);
    if (!target)
        return false;
    const Transformer transformer(GDALCreateGenImgProjTransformer2(m_dataset->handle.get(), target.get(), nullptr));
    if (!transformer)
        return false;
    // Points along the raster's edges and across it, carried into the grid's cells: their extent
    // meets the grid when the raster does (a curved edge bends less than a 32nd of it between two).
    constexpr int kSteps = 32;
    std::vector<double> x;
    std::vector<double> y;
    for (int i = 0; i <= kSteps; ++i) {
        for (int j = 0; j <= kSteps; ++j) {
            x.push_back(m_geometry.columns * static_cast<double>(i) / kSteps);
            y.push_back(m_geometry.rows * static_cast<double>(j) / kSteps);
        }
    }
    std::vector<double> z(x.size(), 0.0);
    std::vector<int> success(x.size(), 0);
    GDALGenImgProjTransform(transformer.get(), FALSE, static_cast<int>(x.size()), x.data(), y.data(), z.data(),
                            success.data());
    double left = std::numeric_limits<double>::infinity();
    double right = -left;
    double top = left;
    double bottom = -left;
    for (size_t k = 0; k < x.size(); ++k) {
        if (!success[k] || !std::isfinite(x[k]) || !std::isfinite(y[k]))
            continue;
        left = std::min(left, x[k]);
        right = std::max(right, x[k]);
        top = std::min(top, y[k]);
        bottom = std::max(bottom, y[k]);
    }
    return left < grid.columns && right > 0 && top < grid.rows && bottom > 0;
}

std::vector<double> RasterFile::readCellsOnto(const RasterGeometry& grid, RasterResampling resampling,
                                              RunListener& listener) const
{
    if (sameGrid(m_geometry, grid))
        return readCells(listener);
    listener.throwIfCancelled();
    registerGdalDrivers();
    const GdalErrors errors;
    const auto fail = [&](const std::string& what) {
        throw DataProblem("The " + m_description + " cannot be warped onto the grid of the first layer: " + what + ".",
                          errors.reason("GDAL gives no reason"));
    };
    std::vector<double> cells(static_cast<size_t>(grid.cellCount()), std::numeric_limits<double>::quiet_NaN());
    const GdalDataset target = memoryDataset(grid, targetSystem(m_geometry, grid), cells.data());
    if (!target)
        fail("GDAL cannot make the grid in memory");
    const Transformer transformer(GDALCreateGenImgProjTransformer2(m_dataset->handle.get(), target.get(), nullptr));
    if (!transformer)
        fail("GDAL cannot transform between the two coordinate systems");
    // As gdalwarp does, the exact transformation is interpolated linearly along each row of cells
    // where that stays within an eighth of a cell of it.
    void* approximate = GDALCreateApproxTransformer(GDALGenImgProjTransform, transformer.get(), 0.125);
    if (approximate == nullptr)
        fail("GDAL cannot transform between the two coordinate systems");

    GDALWarpOptions* options = GDALCreateWarpOptions();
    options->hSrcDS = m_dataset->handle.get();
    options->hDstDS = target.get();
    options->nBandCount = 1;
    options->panSrcBands = static_cast<int*>(CPLMalloc(sizeof(int)));
    options->panSrcBands[0] = 1;
    options->panDstBands = static_cast<int*>(CPLMalloc(sizeof(int)));
    options->panDstBands[0] = 1;
    options->eWorkingDataType = GDT_Float64;
    options->eResampleAlg = resampling == RasterResampling::Bilinear ? GRA_Bilinear : GRA_NearestNeighbour;
    // The band's no-data value, or NaN, which the warper then skips like one.
    GDALRasterBandH band = GDALGetRasterBand(m_dataset->handle.get(), 1);
    int hasNoData = 0;
    const double noData = GDALGetRasterNoDataValue(band, &hasNoData);
    options->padfSrcNoDataReal = static_cast<double*>(CPLMalloc(sizeof(double)));
    options->padfSrcNoDataReal[0] = hasNoData ? noData : std::numeric_limits<double>::quiet_NaN();
    options->padfDstNoDataReal = static_cast<double*>(CPLMalloc(sizeof(double)));
    options->padfDstNoDataReal[0] = std::numeric_limits<double>::quiet_NaN();
    options->papszWarpOptions = CSLSetNameValue(options->papszWarpOptions, "INIT_DEST", "NO_DATA");
    options->papszWarpOptions =
        CSLSetNameValue(options->papszWarpOptions, "NUM_THREADS", std::to_string(defaultThreadCount()).c_str());
    options->pfnTransformer = GDALApproxTransform;
    options->pTransformerArg = approximate;
    options->pfnProgress = askListener;
    options->pProgressArg = &listener;
    options->dfWarpMemoryLimit = 256.0 * 1024 * 1024;

    GDALWarpOperationH operation = GDALCreateWarpOperation(options);
    const CPLErr warped = operation ? GDALChunkAndWarpImage(operation, 0, 0, grid.columns, grid.rows) : CE_Failure;
    if (operation)
        GDALDestroyWarpOperation(operation);
    GDALDestroyWarpOptions(options);
    GDALDestroyApproxTransformer(approximate);
    listener.throwIfCancelled();
    if (warped != CE_None)
        fail("GDAL's warper failed");
    GDALFlushCache(target.get());
    for (double& value : cells) {
        if (!std::isfinite(value))
            value = std::numeric_limits<double>::quiet_NaN();
    }
    return cells;
}

} // namespace tessaloc
