#pragma once

#include "core/RunListener.h"
#include "core/SquareMatrix.h"
#include "resistance/ResistanceSurface.h"

#include <cstdint>

namespace tessaloc {

/// Least-cost distances between the observations over a resistance surface.
///
/// A path steps from a cell to one of its `neighbours` (4: sharing a side; 8: also sharing a corner,
/// even where both cells beside the corner are impassable) through passable cells only; a step costs
/// the mean of the two cells' resistances times the distance between their centres (see
/// ResistanceSurface::stepLengths: the unit of the coordinates, or great-circle kilometres on a
/// longitude/latitude surface). The distance of two observations is the cost of the cheapest path
/// between their cells; observations in one cell are 0 apart. Symmetric, zero diagonal.
///
/// One Dijkstra search runs from each distinct cell to the cells of the observations after it,
/// stopping once they are all settled; the searches are spread over `threads` threads (0: one per
/// core), and each pair is computed by one search only, so the matrix does not depend on the number
/// of threads. Status "Least-cost paths" and progress in searches; the run stops with RunCancelled
/// when the listener asks. Throws DataProblem naming two observations that no path joins.
SquareMatrix LeastCostDistances(const ResistanceSurface& surface, const PlacedObservations& observations,
                                int neighbours, int threads = 0, RunListener& listener = RunListener::none());

/// The memory LeastCostDistances needs beside the surface itself on a columns x rows surface.
std::uint64_t leastCostMemoryNeed(int columns, int rows, int threads);

/// The number of threads a run with the setting `threads` (0: defaultThreadCount()) uses for `sources`
/// searches: at least 1.
int leastCostThreads(int threads, int sources);

} // namespace tessaloc
