#pragma once

#include "core/RunListener.h"
#include "core/SquareMatrix.h"
#include "resistance/ResistanceSurface.h"

#include <cstdint>

namespace tessaloc {

/// The order in which the factorisation eliminates the circuit's nodes. Both give the same
/// resistances up to rounding; the dissection of the grid (see gridNestedDissection) costs next
/// to nothing to compute and fills the factor less than CHOLMOD's approximate minimum degree, which
/// stays for comparison.
enum class CircuitOrdering { GridDissection, MinimumDegree };

/// The largest relative error of the circuit's solution that the check of CircuitDistances accepts.
inline constexpr double kCircuitTolerance = 1e-6;
/// The widest ratio of the highest to the lowest resistance of the cells of a circuit whose
/// conductances can be held at all (the check decides whether they can be solved accurately).
inline constexpr double kWidestCircuitRatio = 1e300;

/// Effective (circuit) resistances between the observations over a resistance surface.
///
/// Every passable cell is a node; every pair of `neighbours` (4: sharing a side; 8: also sharing a
/// corner) is joined by a resistor equal to the mean of the two cells' resistances, times sqrt(2)
/// for a diagonal pair. The distance of two observations is the effective resistance between their
/// cells: the voltage between them when a unit current flows in at one and out at the other. It is
/// in the unit of the resistances (cell sizes play no part), symmetric, 0 for observations in one
/// cell.
///
/// Only the part of the surface joined to the observations takes part. Its graph Laplacian,
/// grounded at the first observation's cell, is factored (P A P' = L L', CHOLMOD, P from
/// `ordering`); for each other cell c of an observation, y_c = L^-1 P e_c is solved (sparse: y_c is
/// non-zero only on the columns of L above c in the elimination tree, so the solves run together
/// supernode by supernode), and the resistance of cells c and d is |y_c - y_d|^2 (|y_c|^2 from the
/// ground cell).
///
/// Resistances are scaled by a power of two so that the cheapest cell's lies in [1, 4): no
/// conductance overflows however large or small the surface's numbers (the distances are those of
/// the unscaled surface). After factoring, the factor is checked: with a current into every cell,
/// the residual of the solution is computed resistor by resistor (c (x_i - x_j), so that no weak
/// resistor's current is lost beside strong ones) and one step of iterative refinement estimates
/// the relative error of the potentials. Above kCircuitTolerance the circuit is grounded once more
/// at the cell of the lowest resistance and checked again; when that fails too, DataProblem says the
/// resistances span too many orders of magnitude, with their range, the ratio, the estimate and the
/// tolerance. DataProblem too when the ratio exceeds kWidestCircuitRatio, or a distance is too large
/// or too small for a double (naming the two observations and the range of the resistances).
///
/// Throws DataProblem naming two observations that no path joins, and, before the factor is
/// allocated, DataProblem with the memory the run would need when that exceeds `memoryLimit`
/// (0: the physical memory). Status texts and progress go to `listener`, which may cancel the run
/// between steps and between supernodes of the solves (RunCancelled).
SquareMatrix CircuitDistances(const ResistanceSurface& surface, const PlacedObservations& observations, int neighbours,
                              RunListener& listener = RunListener::none(), std::uint64_t memoryLimit = 0,
                              CircuitOrdering ordering = CircuitOrdering::GridDissection);

/// The memory CircuitDistances needs beside the surface on a columns x rows surface before it
/// knows the size of the factor: the node numbers and the circuit's matrix.
std::uint64_t circuitMemoryNeedBeforeFactor(int columns, int rows, int neighbours);

} // namespace tessaloc
