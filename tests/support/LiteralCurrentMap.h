#pragma once

// The current map of all pairs of sample locations computed literally, pair by pair, as the
// circuit tools of the field compute it: for each pair a solve of its own and a pass over the grid.

#include <cstdint>
#include <vector>

namespace tessaloc::testing {

/// The current maps of a surface, cell by cell, row by row from the top.
struct LiteralCurrents {
    /// The sum over pairs of each cell's current; NaN at impassable cells.
    std::vector<double> cumulative;
    /// The largest current of a pair at each cell; NaN at impassable cells.
    std::vector<double> maximum;
};

/// The cumulative and the largest current map of all pairs of the distinct cells among
/// `locationCells` over a surface of `columns` x `rows` resistances (NaN impassable), `neighbours`
/// 4 or 8, without anything of the program's circuit code: it finds the cells joined to the first
/// location itself, builds the Laplacian grounded at that cell with a resistor of the mean of two
/// neighbours' resistances (times sqrt(2) on a diagonal), factors it as a band (Cholesky, numbered
/// row by row, so the band is a row and a cell wide), and for every pair (a, b) solves for one
/// ampere in at a and out at b, takes every resistor's current and adds to each cell half the sum of
/// its resistors' absolute currents plus half an ampere at a and at b.
LiteralCurrents literalCurrentMaps(int columns, int rows, const std::vector<double>& resistances, int neighbours,
                                   const std::vector<std::int64_t>& locationCells);

} // namespace tessaloc::testing
