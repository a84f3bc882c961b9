#pragma once

#include "core/RunListener.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tessaloc {

/// What a raster says about the coordinates of its cells.
enum class RasterCoordinates {
    Unknown,    ///< no coordinate system (as ESRI ASCII grids often are)
    Planar,     ///< a projected (or local) coordinate system
    Geographic, ///< longitude and latitude in degrees
};

/// The size and the georeferencing of a raster, known once its header is read.
struct RasterGeometry {
    int columns = 0;
    int rows = 0;
    /// GDAL's affine transform from cell edges to coordinates: the corner (x, y) of column c and row r
    /// (both from 0, rows from the top) is x = t[0] + c t[1] + r t[2], y = t[3] + c t[4] + r t[5].
    /// A north-up raster has t[2] = t[4] = 0 and t[5] < 0.
    std::array<double, 6> transform{0.0, 1.0, 0.0, 0.0, 0.0, 1.0};
    RasterCoordinates coordinates = RasterCoordinates::Unknown;
    /// The coordinate system's name ("WGS 84", "NAD83 / UTM zone 10N"); empty when it has none.
    std::string coordinateSystemName;
    /// The coordinate system in full, as WKT2 (what WriteGeoTiff and the warper take); empty when it
    /// has none.
    std::string coordinateSystemWkt;

    std::int64_t cellCount() const { return static_cast<std::int64_t>(columns) * rows; }
};

/// True when the two rasters lay out their cells alike: the same size and transform, and the same
/// coordinate system (or neither has one).
bool sameGrid(const RasterGeometry& a, const RasterGeometry& b);

/// How the cells of a raster are carried onto another grid.
enum class RasterResampling {
    NearestNeighbour, ///< the value of the cell the centre falls in (for class codes)
    Bilinear,         ///< interpolated between the four nearest cell centres (for continuous values)
};

/// A raster file opened with GDAL (GeoTIFF, ESRI ASCII grid and every other raster format GDAL
/// reads), closed when the object goes. Only band 1 is read.
class RasterFile {
public:
    /// Opens the file and reads its header. `role` names it in messages ("resistance surface").
    /// Throws DataProblem when the file does not exist, is no raster GDAL can read (GDAL's own
    /// reason as the detail), has no band, or has no georeferencing (no origin and cell size). An
    /// ESRI ASCII grid's text is checked against its header first (in memory of a piece of the file):
    /// DataProblem naming the first row whose count of values differs from ncols, rows beyond nrows,
    /// a file too short for the grid its header claims, or a value that is no number.
    RasterFile(const std::filesystem::path& path, std::string role);
    ~RasterFile();
    RasterFile(const RasterFile&) = delete;
    RasterFile& operator=(const RasterFile&) = delete;

    const RasterGeometry& geometry() const { return m_geometry; }
    /// Whether the file is known to hold every cell its header claims (an ESRI ASCII grid, whose text
    /// is checked); otherwise only reading the cells tells.
    bool cellCountConfirmed() const { return m_cellCountConfirmed; }
    /// `resistance surface "path"` for messages.
    const std::string& description() const { return m_description; }

    /// Band 1 as doubles, row by row from the top (cellCount() values). Cells holding GDAL's no-data
    /// value of the band, NaN or an infinity come back as NaN. Reads in strips of at most a million
    /// cells, asking `listener` between them whether to stop; memory grows with the cells read, so a
    /// file far shorter than its header claims fails before it is taken. Throws DataProblem when GDAL
    /// cannot read a strip.
    std::vector<double> readCells(RunListener& listener = RunListener::none()) const;

    /// True when some part of the raster falls on `grid` (transformed into its coordinate system
    /// when both have one; a raster without one is taken in the grid's coordinates).
    bool overlaps(const RasterGeometry& grid) const;

    /// Band 1 warped onto `grid` with GDAL's warper (PROJ for the coordinate transformation, which
    /// is approximated piecewise to within an eighth of a cell, as gdalwarp does): a value per cell
    /// of `grid`, row by row from the top. Cells the raster does not cover, and cells that take
    /// their value from no-data cells, come back as NaN; a raster without a coordinate system (or a
    /// grid without one) is taken in the other's. On the raster's own grid (sameGrid) this is
    /// readCells(). Asks `listener` whether to stop while it works. Throws DataProblem with GDAL's
    /// reason when GDAL cannot transform between the two coordinate systems or cannot warp.
    std::vector<double> readCellsOnto(const RasterGeometry& grid, RasterResampling resampling,
                                      RunListener& listener = RunListener::none()) const;

private:
    struct Dataset;
    std::unique_ptr<Dataset> m_dataset;
    std::string m_description;
    RasterGeometry m_geometry;
    std::uintmax_t m_fileSize = 0; // 0 when it is no regular file (a folder of tiles, ...)
    bool m_cellCountConfirmed = false;
};

} // namespace tessaloc
