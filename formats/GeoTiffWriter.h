#pragma once

#include "core/RunListener.h"

#include <array>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace tessaloc {

/// A raster of doubles on its way to a GeoTIFF: the resistance surfaces the program builds, and any
/// other grid a GIS program should open as it is.
struct GeoTiffRaster {
    int columns = 0;
    int rows = 0;
    /// GDAL's affine transform from cell edges to coordinates (see RasterGeometry::transform).
    std::array<double, 6> transform{0.0, 1.0, 0.0, 0.0, 0.0, -1.0};
    /// The coordinate system as WKT (RasterGeometry::coordinateSystemWkt), or empty for none.
    std::string coordinateSystemWkt;
    /// The band's no-data value; a finite number that no cell holds.
    double noData = -9999.0;
    /// columns x rows values, row by row from the top. NaN and the infinities are written as
    /// `noData`. The values are read, not copied; they must outlive the call.
    std::span<const double> cells;
};

/// Writes `raster` as a GeoTIFF at `path` (whose folder must exist): one band of Float64, tiled
/// (256 x 256), LZW-compressed with the floating-point predictor, BigTIFF only when the file needs
/// it, with the transform, the coordinate system and the no-data value set. The file is written
/// whole to a temporary file beside `path` and renamed into place (see writeBinaryFileAt), so a
/// failed or cancelled write leaves `path` as it was and no partial file. Asks `listener` between
/// blocks of rows whether to stop (RunCancelled). `what` names the file in messages ("the
/// resistance surface"). Returns `path`.
///
/// Throws AnalysisError, GDAL's reason in it, when GDAL cannot make the file or the coordinate
/// system, when the file cannot be written, and when the raster is not what the struct describes
/// (no cells, a number of values other than columns x rows, a transform that places no cell, a
/// no-data value that is not finite or that a cell holds).
std::filesystem::path WriteGeoTiff(const std::filesystem::path& path, const GeoTiffRaster& raster,
                                   std::string_view what = "the GeoTIFF file",
                                   RunListener& listener = RunListener::none());

} // namespace tessaloc
