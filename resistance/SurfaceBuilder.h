#pragma once

#include "core/ReportWriter.h"
#include "core/RunListener.h"
#include "formats/RasterFile.h"
#include "resistance/LayerRule.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaloc {

/// One GIS layer of a surface and the rule that turns its cells into resistances.
struct SurfaceLayer {
    std::filesystem::path file;
    LayerRule rule;
};

/// The layers of a surface; the first sets the grid (size, cells, origin, coordinate system).
struct SurfaceSettings {
    std::vector<SurfaceLayer> layers;
};

/// A code of a class layer as it was found on the surface's grid.
struct ClassCount {
    double code = 0.0;
    /// The class table's resistance, NaN for impassable.
    double resistance = 0.0;
    std::int64_t cells = 0;
};

/// What became of one layer.
struct LayerSummary {
    std::filesystem::path file;
    LayerRule rule;
    /// The layer's own grid: its size, cells and coordinate system.
    RasterGeometry geometry;
    /// Carried onto the first layer's grid by GDAL's warper (false for the first layer and for any
    /// layer on the same grid).
    bool warped = false;
    RasterResampling resampling = RasterResampling::NearestNeighbour;
    /// Cells of the grid that the layer does not cover or where it has no data.
    std::int64_t cellsWithoutData = 0;
    /// For a class layer: the codes found, ascending, and the codes of the table not found.
    std::vector<ClassCount> codesFound;
    std::vector<double> codesAbsent;
    /// For a continuous layer: its smallest and largest value on the grid (x = 0 and x = 10).
    double smallest = 0.0;
    double largest = 0.0;
};

/// A resistance surface built from layers: the first layer's grid with a resistance per cell.
struct SurfaceResult {
    /// The first layer's grid, coordinate system included.
    RasterGeometry grid;
    /// Row by row from the top; NaN where impassable. Every other cell is finite and above 0.
    std::vector<double> cells;
    std::vector<LayerSummary> layers;
    double minimum = 0.0;
    double maximum = 0.0;
    std::int64_t impassableCells = 0;
};

/// Builds the surface of `settings`. Each layer's cells become resistances by its rule:
/// - a class layer: the table's resistance of the cell's code;
/// - a continuous layer: x = 10 (v - vmin) / (vmax - vmin) over the layer's cells on the grid, then
///   R = 1 + M (g(x) - gmin) / (gmax - gmin) with gmin and gmax over those cells (see CurveRule), so
///   that R runs from exactly 1 to exactly 1 + M.
/// The layers add up: R = R1 + ... + Rn - (n - 1). A layer on another grid or in another coordinate
/// system is first warped onto the first layer's grid (nearest neighbour for classes, bilinear for
/// continuous values). A cell that any layer leaves without data, or that a class table makes
/// impassable, is impassable; when cells without data make more than 1 % of the grid, a warning says
/// how many per layer.
///
/// Throws DataProblem for a layer that cannot be read or has no georeferencing (GDAL's reason as the
/// detail), a class table that cannot be read (ReadClassTable), codes of a layer that its table
/// does not list (up to five, with their cell counts), a layer that does not overlap the first, a
/// continuous layer whose cells (or whose curve values) are all the same, a sum of 0 or below (class
/// resistances under 1 in a surface of several layers), and a surface without a passable cell.
/// Progress and cancelling go through `listener`.
SurfaceResult BuildResistanceSurface(const SurfaceSettings& settings, RunListener& listener = RunListener::none());

/// The report's file name.
inline constexpr const char* kSurfaceReportFileName = "Surface-Results.txt";

/// Writes the report on a surface written to `output`: the grid, each layer with its rule, its
/// warping, its codes and their cell counts (or its range), and the surface's minimum, maximum and
/// share of impassable cells.
void WriteSurfaceReport(ReportWriter& out, const SurfaceResult& result, const std::filesystem::path& output);
/// The same text as a string.
std::string SurfaceReport(const SurfaceResult& result, const std::filesystem::path& output);

/// Writes the surface as a GeoTIFF at `output` (WriteGeoTiff: Float64, tiled, LZW, the first layer's
/// transform and coordinate system, impassable cells as the no-data value -9999), atomically.
void WriteSurfaceFile(const std::filesystem::path& output, const SurfaceResult& result,
                      RunListener& listener = RunListener::none());

/// The no-data value of the surfaces written (no resistance is 0 or below).
inline constexpr double kSurfaceNoData = -9999.0;

} // namespace tessaloc
