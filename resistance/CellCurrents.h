#pragma once

#include "core/RunListener.h"
#include "resistance/ResistanceSurface.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tessaloc {

/// The widest ratio of resistances over which the current map is computed: across it, the currents of
/// the map agree with an exact computation to 1e-6 relative. Wider surfaces are a data problem.
inline constexpr double kCurrentMapWidestRatio = 1e8;
/// The smallest resistance the map takes (and its inverse the largest), so that no conductance or
/// potential of its circuit leaves the doubles.
inline constexpr double kCurrentMapSmallestResistance = 1e-150;

/// The current through every cell of a surface when each pair of sample locations is joined in turn.
struct CellCurrents {
    /// Per cell, row by row from the top: the sum over all pairs of distinct locations of the current
    /// through the cell, in amperes for one ampere per pair. NaN at impassable cells, 0 at passable
    /// cells that no path joins to the locations.
    std::vector<double> cumulative;
    /// Per cell as `cumulative`: the largest current of any one pair; empty unless asked for.
    std::vector<double> maximum;
    /// The distinct cells of the locations, in the order the observations first name them.
    std::vector<CellIndex> locations;
    /// Observations that share a cell with an earlier one (observations minus locations).
    int merged = 0;
};

/// The cumulative current map of all pairs of sample locations over a resistance surface.
///
/// The circuit is that of CircuitDistances (every passable cell a node, a resistor between
/// `neighbours` of the mean of their resistances, times sqrt(2) for a diagonal pair). For every pair
/// (a, b) of distinct location cells one ampere enters at a and leaves at b; the current through a
/// cell is half the sum of the absolute currents of its resistors plus half the current that enters
/// or leaves there (so a terminal cell carries one ampere), and `cumulative` is the sum over the
/// pairs. With `withMaximum`, `maximum` is the largest of those currents over the pairs.
///
/// How: the Laplacian grounded at the first location is factored once and solved once per other
/// location (v_k, with v = 0 for the ground). The potentials of pair (a, b) are v_a - v_b, so the
/// current of a resistor of conductance g between cells i and j is g |d_a - d_b| with
/// d_k = v_k(i) - v_k(j), and the sum over pairs is g times sumOfPairwiseDifferences of the n values
/// d_k: O(n log n) per resistor instead of a solve and a pass over the grid per pair. The maximum of a
/// cell with m resistors is the widest range over the locations of the sums of its resistors'
/// currents over the 2^(m-1) subsets of them that leave out one (a cell that is not a terminal passes
/// on what it takes in). The potentials are held cell by cell (the n values of a cell together), and
/// the grid is processed in strips of rows on defaultThreadCount() threads.
///
/// Throws DataProblem for fewer than two distinct location cells, as RequireJoined does for
/// locations no path joins, and, before the factor is filled, with the memory the run needs when that
/// exceeds `memoryLimit` (0: the physical memory). Status texts and progress go to `listener`, which
/// may cancel between steps, batches of solves and strips (RunCancelled).
CellCurrents CumulativeCurrentMap(const ResistanceSurface& surface, const PlacedObservations& observations,
                                  int neighbours, bool withMaximum, RunListener& listener = RunListener::none(),
                                  std::uint64_t memoryLimit = 0);

/// The memory CumulativeCurrentMap needs beside the surface on a columns x rows surface before it
/// knows which cells the circuit joins and the size of the factor: the node numbers, the circuit's
/// matrix and the maps. A lower bound of the whole need, for a check before the cells are read; the
/// engine checks the whole need (the potentials of every cell of the circuit above all) itself.
std::uint64_t currentMapMemoryNeedBeforeFactor(int columns, int rows, int neighbours, bool withMaximum);

/// The sum over all pairs k < l of |values[k] - values[l]|, as the sum over the sorted values
/// x(0) <= ... <= x(n-1) of (2k - n + 1) x(k), with the terms of k and n - 1 - k taken together so
/// that no term is negative. Sorts `values` in place.
double sumOfPairwiseDifferences(std::span<double> values);

} // namespace tessaloc
