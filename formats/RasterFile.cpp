#include "formats/RasterFile.h"

#include "core/Errors.h"

#include "formats/Gdal.h"

#include <cpl_conv.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
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

} // namespace

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

} // namespace tessaloc
