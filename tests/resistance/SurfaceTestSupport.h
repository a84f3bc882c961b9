#pragma once

// Small surfaces and observations for the tests of the distances over a resistance surface.

#include "resistance/ResistanceSurface.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace tessaloc::testing {

inline constexpr double kImpassable = std::numeric_limits<double>::quiet_NaN();

/// A planar surface of `columns` x `rows` cells of `cellSize` with its upper left corner at (0, 0)
/// (north-up: y falls from 0 to -rows x cellSize).
inline ResistanceSurface planarSurface(int columns, int rows, std::vector<double> cells, double cellSize = 1.0)
{
    RasterGeometry geometry;
    geometry.columns = columns;
    geometry.rows = rows;
    geometry.transform = {0.0, cellSize, 0.0, 0.0, 0.0, -cellSize};
    return ResistanceSurface(geometry, std::move(cells), false, "resistance surface \"test.tif\"");
}

/// Observations placed in the given cells, named "observation k (\"Ok\")".
inline PlacedObservations inCells(const std::vector<CellIndex>& cells)
{
    PlacedObservations placed;
    for (size_t k = 0; k < cells.size(); ++k) {
        placed.cells.push_back(cells[k]);
        placed.names.push_back("observation " + std::to_string(k + 1) + " (\"O" + std::to_string(k + 1) + "\")");
    }
    return placed;
}

/// Resistances drawn uniformly from [1, 10), with about `impassableShare` of the cells impassable.
inline std::vector<double> randomResistances(int cells, std::uint32_t seed, double impassableShare = 0.0)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> resistance(1.0, 10.0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> values;
    for (int k = 0; k < cells; ++k) {
        const double r = resistance(generator);
        values.push_back(unit(generator) < impassableShare ? kImpassable : r);
    }
    return values;
}

} // namespace tessaloc::testing
