#include "resistance/ResistanceSurface.h"

#include "core/Errors.h"
#include "core/GeographicDistances.h"
#include "core/NumberText.h"

#include <algorithm>
#include <numbers>

namespace tessaloc {
namespace {

std::string cellPlace(std::int64_t cell, int columns)
{
    return "row " + std::to_string(cell / columns + 1) + ", column " + std::to_string(cell % columns + 1);
}

std::string coordinateSystem(const RasterGeometry& geometry)
{
    return geometry.coordinateSystemName.empty() ? std::string() : " (" + geometry.coordinateSystemName + ")";
}

} // namespace

ResistanceSurface::ResistanceSurface(const RasterGeometry& geometry, std::vector<double> cells, bool geographic,
                                     std::string description)
    : m_geometry(geometry)
    , m_cells(std::move(cells))
    , m_geographic(geographic)
    , m_description(std::move(description))
{
    if (m_geometry.columns < 1 || m_geometry.rows < 1)
        throw DataProblem("The " + m_description + " has no cells.");
    const auto& t = m_geometry.transform;
    if (t[2] != 0.0 || t[4] != 0.0)
        throw DataProblem("The " + m_description +
                          " is rotated or sheared; save it north-up first (for example with gdalwarp).");
    if (!(t[1] != 0.0 && t[5] != 0.0 && std::isfinite(t[1]) && std::isfinite(t[5])))
        throw DataProblem("The " + m_description + " has a georeferencing that places no cell (a cell size of 0).");
    if (m_geographic) {
        // Latitudes past a pole: every step length and every sample's place there would be made up.
        // Edges may overhang a pole by less than half a cell (as a grid of the whole globe rounded
        // to its cell size may); no cell's centre may.
        for (const int row : {0, rows() - 1}) {
            const double latitude = centreY(row);
            if (!(std::abs(latitude) < 90.0))
                throw DataProblem("The " + m_description + " reaches past a pole: the centre of its row " +
                                      std::to_string(row + 1) + " lies at latitude " + shortestText(latitude) +
                                      ", where latitudes lie between -90 and 90.",
                                  "Its georeferencing is wrong, or it is not in longitude/latitude.");
        }
    }
    if (static_cast<std::int64_t>(m_cells.size()) != cellCount())
        throw AnalysisError("a resistance surface of " + std::to_string(cellCount()) + " cells was given " +
                            std::to_string(m_cells.size()) + " values");

    bool anyPassable = false;
    for (size_t k = 0; k < m_cells.size(); ++k) {
        const double r = m_cells[k];
        if (std::isnan(r))
            continue;
        if (!(r > 0.0) || !std::isfinite(r))
            throw DataProblem("The " + m_description + " has the resistance " + shortestText(r) + " in " +
                                  cellPlace(static_cast<std::int64_t>(k), columns()) +
                                  " (counted from 1 at the top left); resistances must be above 0.",
                              "Mark the cells that cannot be crossed as no data.");
        anyPassable = true;
    }
    if (!anyPassable)
        throw DataProblem("The " + m_description + " has no passable cell: every cell is no data.");
}

std::optional<CellIndex> ResistanceSurface::cellAt(double x, double y) const
{
    const auto& t = m_geometry.transform;
    const double column = std::floor((x - t[0]) / t[1]);
    const double row = std::floor((y - t[3]) / t[5]);
    if (!(column >= 0.0 && column < columns() && row >= 0.0 && row < rows()))
        return std::nullopt;
    return static_cast<CellIndex>(row) * columns() + static_cast<CellIndex>(column);
}

double ResistanceSurface::centreX(int column) const
{
    return m_geometry.transform[0] + (column + 0.5) * m_geometry.transform[1];
}

double ResistanceSurface::centreY(int row) const
{
    return m_geometry.transform[3] + (row + 0.5) * m_geometry.transform[5];
}

StepLengths ResistanceSurface::stepLengths() const
{
    StepLengths lengths;
    const auto rowCount = static_cast<size_t>(rows());
    if (!m_geographic) {
        const double across = std::abs(m_geometry.transform[1]);
        const double down = std::abs(m_geometry.transform[5]);
        const double diagonal = across == down ? across * std::numbers::sqrt2 : std::hypot(across, down);
        lengths.across.assign(rowCount, across);
        lengths.down.assign(rowCount - 1, down);
        lengths.diagonal.assign(rowCount - 1, diagonal);
        return lengths;
    }
    // Every row of a north-up raster in longitude/latitude has its own lengths; a step to the left
    // is as long as one to the right.
    const double x0 = centreX(0);
    const double x1 = centreX(1);
    for (int row = 0; row < rows(); ++row) {
        const double y = centreY(row);
        lengths.across.push_back(GreatCircleDistance(x0, y, x1, y));
        if (row + 1 < rows()) {
            lengths.down.push_back(GreatCircleDistance(x0, y, x0, centreY(row + 1)));
            lengths.diagonal.push_back(GreatCircleDistance(x0, y, x1, centreY(row + 1)));
        }
    }
    return lengths;
}

void RequireMatchingCoordinates(const RasterGeometry& geometry, bool useLatLong, const std::string& description)
{
    if (geometry.coordinates == RasterCoordinates::Geographic && !useLatLong)
        throw DataProblem("The " + description + " is in longitude/latitude" + coordinateSystem(geometry) +
                              ", but the sample coordinates are planar (latitude/longitude is not chosen).",
                          "Choose latitude/longitude for longitude/latitude coordinates, or use a surface in the "
                          "planar coordinates of the sample file.");
    if (geometry.coordinates == RasterCoordinates::Planar && useLatLong)
        throw DataProblem("The " + description + " has planar coordinates" + coordinateSystem(geometry) +
                              ", but the sample coordinates are longitude/latitude (latitude/longitude is chosen).",
                          "With latitude/longitude the surface must be in longitude/latitude too.");
}

std::string observationName(const SampleTable& table, int index)
{
    return "observation " + std::to_string(index + 1) + " (" + quotedField(table.names[index]) + ")";
}

PlacedObservations PlaceObservations(const ResistanceSurface& surface, const SampleTable& table, bool useLatLong)
{
    PlacedObservations placed;
    const auto& t = surface.geometry().transform;
    for (int k = 0; k < table.sampleCount(); ++k) {
        const double x = table.coordinateX(k);
        const double y = table.coordinateY(k);
        if (useLatLong)
            requireOnGlobe(table, k, x, y);
        const std::string name = observationName(table, k);
        const std::optional<CellIndex> cell = surface.cellAt(x, y);
        if (!cell) {
            const double x1 = t[0] + surface.columns() * t[1];
            const double y1 = t[3] + surface.rows() * t[5];
            throw DataProblem("The location of " + name + " (X " + quotedField(table.xTexts[k]) + ", Y " +
                                  quotedField(table.yTexts[k]) + ") lies outside the " + surface.description() +
                                  ", which covers X from " + shortestText(std::min(t[0], x1)) + " to " +
                                  shortestText(std::max(t[0], x1)) + " and Y from " + shortestText(std::min(t[3], y1)) +
                                  " to " + shortestText(std::max(t[3], y1)) + ".",
                              "Sample coordinates are read in the coordinate system of the surface.");
        }
        if (!surface.passable(*cell))
            throw DataProblem("The location of " + name + " lies on an impassable cell (no data) of the " +
                              surface.description() + ": " + cellPlace(*cell, surface.columns()) + ".");
        placed.cells.push_back(*cell);
        placed.names.push_back(name);
    }
    return placed;
}

} // namespace tessaloc
