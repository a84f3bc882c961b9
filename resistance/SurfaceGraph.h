#pragma once

#include "core/SquareMatrix.h"
#include "resistance/ResistanceSurface.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaloc {

/// One step from a cell to a neighbour: rows and columns to move, and whether it is diagonal.
struct CellStep {
    int rows;
    int columns;
    bool diagonal;
};

/// The steps to the 4 neighbours that share a side, then, with 8 neighbours, the 4 that share a
/// corner. Throws AnalysisError unless `neighbours` is 4 or 8.
std::vector<CellStep> cellSteps(int neighbours);

/// The cells joined to the first observation's cell by a path of passable neighbours (1) and the
/// others (0). Throws DataProblem naming the first observation and the first one no such path reaches:
/// their distance would be infinite.
std::vector<std::uint8_t> RequireJoined(const ResistanceSurface& surface, const PlacedObservations& observations,
                                        int neighbours);

/// The lowest and highest resistance of the cells joined to the observations (RequireJoined) and
/// where they lie.
struct ResistanceRange {
    double lowest = 0.0;
    double highest = 0.0;
    CellIndex lowestCell = 0;
    CellIndex highestCell = 0;

    /// highest / lowest (infinite when that overflows).
    double ratio() const { return highest / lowest; }
    /// The ratio as a message gives it: "1e+16", or "about 1e+400" beyond the doubles.
    std::string ratioText() const;
    /// `from 1 (row 2, column 3) to 1e+16 (row 1, column 1)`, counted from 1 at the top left.
    std::string text(int columns) const;
};
ResistanceRange resistanceRange(const ResistanceSurface& surface, const std::vector<std::uint8_t>& joined);

/// The distinct cells of the observations in the order they first occur, and for each observation
/// the position of its cell in that list.
struct DistinctCells {
    std::vector<CellIndex> cells;
    std::vector<int> ofObservation;
};
DistinctCells distinctCells(const PlacedObservations& observations);

/// The distance matrix of the observations from the distances between their distinct cells
/// (`between(p, q)` for p < q); observations that share a cell are 0 apart.
template <typename Between> SquareMatrix observationMatrix(const DistinctCells& distinct, Between between)
{
    const int n = static_cast<int>(distinct.ofObservation.size());
    SquareMatrix matrix(n);
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            const int p = distinct.ofObservation[i];
            const int q = distinct.ofObservation[j];
            if (p != q)
                matrix.setPair(i, j, p < q ? between(p, q) : between(q, p));
        }
    }
    return matrix;
}

} // namespace tessaloc
