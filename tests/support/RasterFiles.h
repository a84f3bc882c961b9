#pragma once

// Rasters written for the tests: GeoTIFFs through GDAL's own writer (an independent source of the
// files the reader takes) and ESRI ASCII grids as the text they are.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessaloc::testing {

class TempFolder;

struct RasterSpec {
    int columns = 1;
    int rows = 1;
    /// GDAL's affine transform; nothing writes a raster without georeferencing.
    std::optional<std::array<double, 6>> transform = std::array<double, 6>{0.0, 1.0, 0.0, 0.0, 0.0, -1.0};
    /// Row by row from the top.
    std::vector<double> values;
    std::optional<double> noData;
    /// The EPSG code of the coordinate system; 0 for none.
    int epsg = 0;
    /// Store single-precision values instead of doubles.
    bool float32 = false;
};

/// Writes `spec` as a GeoTIFF `name` in `folder` and returns its path.
std::filesystem::path writeGeoTiff(const TempFolder& folder, const std::string& name, const RasterSpec& spec);

/// The text of an ESRI ASCII grid with its lower left corner at (xll, yll) and square cells.
std::string esriAsciiGrid(int columns, int rows, double xll, double yll, double cellSize,
                          const std::vector<double>& values, std::optional<double> noData = std::nullopt);

/// A north-up transform: the upper left corner at (left, top), cells `width` wide and `height` high.
std::array<double, 6> northUp(double left, double top, double width, double height);

} // namespace tessaloc::testing
