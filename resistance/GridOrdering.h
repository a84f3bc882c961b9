#pragma once

#include <cstdint>
#include <vector>

namespace tessaloc {

/// An order in which to eliminate the nodes of a circuit laid on a grid, by nested dissection of the
/// grid itself: a rectangle of cells is cut in two by the middle row or column across its longer
/// side, the two halves are ordered (recursively) before the cut, and a small rectangle is ordered
/// row by row along its shorter side. Whole rows and columns are separators for 4 and 8 neighbours
/// alike, since no step crosses two rows or two columns.
///
/// `nodeOfCell` holds rows x columns entries, row by row from the top: the node number of each cell
/// (0 .. n - 1, each once) or -1 for a cell that is not a node (impassable, cut off or the ground).
/// Returns the n node numbers in elimination order (a permutation for the sparse Cholesky factor).
/// Linear in the number of cells.
std::vector<std::int64_t> gridNestedDissection(int rows, int columns, const std::vector<std::int64_t>& nodeOfCell);

} // namespace tessaloc
