#pragma once

#include "core/SampleTable.h"
#include "formats/RasterFile.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaloc {

/// A cell of a surface: row * columns + column, rows from the top, both from 0.
using CellIndex = std::int64_t;

/// The distances between the centres of neighbouring cells, per row (rows from the top). Planar
/// surfaces have the same lengths in every row, in the unit of the coordinates; surfaces in
/// longitude/latitude have great-circle kilometres, which shrink towards the poles.
struct StepLengths {
    /// From a cell of row r to the next cell of the row (rows entries).
    std::vector<double> across;
    /// From a cell of row r to the cell below it (rows - 1 entries).
    std::vector<double> down;
    /// From a cell of row r to the cell below and beside it (rows - 1 entries; both sides are equal).
    std::vector<double> diagonal;
};

/// A raster of resistances: how hard each cell is to cross, or impassable.
///
/// Invariants: every passable cell has a finite resistance above 0; at least one cell is passable;
/// the raster is north-up (no rotation or shear).
class ResistanceSurface {
public:
    /// `cells` row by row from the top (geometry.cellCount() values), NaN where impassable.
    /// `description` names the surface in messages (`resistance surface "x.tif"`). With `geographic`
    /// the coordinates are longitude (X) and latitude (Y) and step lengths are great-circle
    /// kilometres. Throws DataProblem for a resistance of 0 or below (naming the cell's row, column
    /// and value, from 1 at the top left), a surface without a passable cell, a rotated raster, or,
    /// with `geographic`, a row whose centre lies past a pole (beyond latitude 90 or -90). Longitudes
    /// are taken as they are: paths do not wrap around at 180 degrees.
    ResistanceSurface(const RasterGeometry& geometry, std::vector<double> cells, bool geographic,
                      std::string description);

    int columns() const { return m_geometry.columns; }
    int rows() const { return m_geometry.rows; }
    std::int64_t cellCount() const { return m_geometry.cellCount(); }
    const RasterGeometry& geometry() const { return m_geometry; }
    bool geographic() const { return m_geographic; }
    const std::string& description() const { return m_description; }

    /// Resistances row by row, NaN where impassable.
    const std::vector<double>& cells() const { return m_cells; }
    double resistance(CellIndex cell) const { return m_cells[static_cast<size_t>(cell)]; }
    bool passable(CellIndex cell) const { return !std::isnan(m_cells[static_cast<size_t>(cell)]); }

    /// The cell that contains (x, y): a cell holds its left and top edges, so a point on the line
    /// between two cells lies in the right or lower one. Nothing when the point is off the raster.
    std::optional<CellIndex> cellAt(double x, double y) const;
    /// The coordinates of a cell's centre.
    double centreX(int column) const;
    double centreY(int row) const;

    StepLengths stepLengths() const;

private:
    RasterGeometry m_geometry;
    std::vector<double> m_cells;
    bool m_geographic;
    std::string m_description;
};

/// Throws DataProblem naming the surface and both sides when the raster's coordinate system
/// disagrees with the latitude/longitude setting: a raster in longitude/latitude with planar sample
/// coordinates, or a projected raster with `useLatLong`. A raster without a coordinate system is
/// taken in the coordinates of the sample file and always passes.
void RequireMatchingCoordinates(const RasterGeometry& geometry, bool useLatLong, const std::string& description);

/// The sample locations on a surface: the cell of each observation and how messages name it.
struct PlacedObservations {
    std::vector<CellIndex> cells;
    /// `observation 3 ("Oak Hill")` per observation.
    std::vector<std::string> names;

    int size() const { return static_cast<int>(cells.size()); }
};

/// Places every observation of `table` in the cell that contains its X and Y (longitude and latitude
/// with `useLatLong`, which are checked as for straight-line distances). Throws DataProblem naming
/// the first observation that lies off the raster or on an impassable cell, and AnalysisError for a
/// coordinate that is not a number.
PlacedObservations PlaceObservations(const ResistanceSurface& surface, const SampleTable& table, bool useLatLong);

/// `observation 3 ("Oak Hill")` for observation index 2.
std::string observationName(const SampleTable& table, int index);

} // namespace tessaloc
