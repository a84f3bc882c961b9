#include "tests/support/RasterFiles.h"

#include "tests/support/TempFiles.h"

#include <gdal.h>
#include <ogr_srs_api.h>

#include <charconv>
#include <memory>
#include <stdexcept>

namespace tessaloc::testing {
namespace {

std::string number(double value)
{
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

} // namespace

std::filesystem::path writeGeoTiff(const TempFolder& folder, const std::string& name, const RasterSpec& spec)
{
    GDALAllRegister();
    const std::filesystem::path path = folder.path() / name;
    GDALDriverH driver = GDALGetDriverByName("GTiff");
    GDALDatasetH dataset = GDALCreate(driver, path.string().c_str(), spec.columns, spec.rows, 1,
                                      spec.float32 ? GDT_Float32 : GDT_Float64, nullptr);
    if (dataset == nullptr)
        throw std::runtime_error("GDAL cannot create " + path.string());
    if (spec.transform) {
        std::array<double, 6> transform = *spec.transform;
        GDALSetGeoTransform(dataset, transform.data());
    }
    if (spec.epsg != 0) {
        OGRSpatialReferenceH system = OSRNewSpatialReference(nullptr);
        OSRImportFromEPSG(system, spec.epsg);
        OSRSetAxisMappingStrategy(system, OAMS_TRADITIONAL_GIS_ORDER);
        GDALSetSpatialRef(dataset, system);
        OSRDestroySpatialReference(system);
    }
    GDALRasterBandH band = GDALGetRasterBand(dataset, 1);
    if (spec.noData)
        GDALSetRasterNoDataValue(band, *spec.noData);
    std::vector<double> values = spec.values;
    const CPLErr written = GDALRasterIO(band, GF_Write, 0, 0, spec.columns, spec.rows, values.data(), spec.columns,
                                        spec.rows, GDT_Float64, 0, 0);
    GDALClose(dataset);
    if (written != CE_None)
        throw std::runtime_error("GDAL cannot write " + path.string());
    return path;
}

std::string esriAsciiGrid(int columns, int rows, double xll, double yll, double cellSize,
                          const std::vector<double>& values, std::optional<double> noData)
{
    std::string text = "ncols " + std::to_string(columns) + "\nnrows " + std::to_string(rows) + "\nxllcorner " +
                       number(xll) + "\nyllcorner " + number(yll) + "\ncellsize " + number(cellSize) + "\n";
    if (noData)
        text += "NODATA_value " + number(*noData) + "\n";
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column)
            text += (column == 0 ? "" : " ") + number(values[static_cast<size_t>(row * columns + column)]);
        text += "\n";
    }
    return text;
}

std::array<double, 6> northUp(double left, double top, double width, double height)
{
    return {left, width, 0.0, top, 0.0, -height};
}

} // namespace tessaloc::testing
