#pragma once

#include "core/InterpolationGrid.h"
#include "core/ReportWriter.h"

#include <filesystem>
#include <string>

namespace tessaloc {

/// The two ways a grid leaves the program: a raster that GIS programs open (QGIS, R's terra, GDAL),
/// or a table of every node.
enum class GridFileFormat {
    EsriAscii, ///< ESRI ASCII grid (.asc), the nodes outside the sample hull as NODATA
    Csv,       ///< comma-separated table x, y, height, inside with one row per node
};

/// The format a file name asks for: Csv when it ends in ".csv" (any case), otherwise EsriAscii.
GridFileFormat GridFileFormatFor(const std::filesystem::path& path);

/// The value that marks the nodes outside the hull in an ESRI ASCII grid: -9999, or a value further
/// below (-99999, ...) when a node inside the hull has exactly that height.
double GridNoDataValue(const InterpolationGrid& grid);

/// Writes `grid` as an ESRI ASCII grid. Every node becomes the centre of one cell, so the raster's
/// cell (column i, row j counted from the south) is centred exactly on node (i, j):
///
///     ncols         Nx
///     nrows         Ny
///     xllcenter     GridX(1, 1)
///     yllcenter     GridY(1, 1)
///     cellsize      dx            (or the two lines "dx dx" and "dy dy" when dx differs from dy)
///     NODATA_value  GridNoDataValue
///
/// then Ny rows of Nx heights, the northern row (j = Ny) first and i ascending along each row; nodes
/// outside the hull are NODATA. xllcenter + (i - 1) dx gives GridX(i, j) to the last bit, since the
/// interpolation places its nodes by that very sum. Numbers are written in the shortest form that
/// reads back to the same double, with "." as the decimal point whatever the locale. Lines end
/// CR LF.
///
/// Throws DataProblem when a bin size is 0 or not finite (all samples on one north-south or
/// east-west line): such a grid has no raster cells, and only the table can hold it.
void WriteEsriAsciiGrid(ReportWriter& out, const InterpolationGrid& grid);
/// The same text as a string.
std::string EsriAsciiGrid(const InterpolationGrid& grid);

/// Writes `grid` as a table: the head line "x,y,height,inside", then one line per node, i outer and
/// j inner as in the report, with GridX, GridY, GridHeight (shortest round-trip form) and 1 for a
/// node inside the hull, 0 outside. Lines end CR LF.
void WriteGridCsv(ReportWriter& out, const InterpolationGrid& grid);
/// The same text as a string.
std::string GridCsv(const InterpolationGrid& grid);

/// Writes `grid` to `path` in the format its name asks for. The file is replaced only when the
/// whole grid was written. Throws DataProblem as WriteEsriAsciiGrid does, and AnalysisError naming
/// the file when it cannot be written.
void WriteGridFile(const std::filesystem::path& path, const InterpolationGrid& grid);

} // namespace tessaloc
