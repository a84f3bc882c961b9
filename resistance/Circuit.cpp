#include "resistance/Circuit.h"

#include "core/Errors.h"
#include "resistance/GridOrdering.h"
#include "resistance/SurfaceGraph.h"

#include <cblas.h>

#include <numbers>

namespace tessaloc {

using Index = SuiteSparse_long;

double resistorConductance(const ResistanceSurface& surface, CellIndex a, CellIndex b, bool diagonal)
{
    const double resistor =
        (surface.resistance(a) + surface.resistance(b)) / 2.0 * (diagonal ? std::numbers::sqrt2 : 1.0);
    return 1.0 / resistor;
}

CircuitNodes numberNodes(const std::vector<std::uint8_t>& joined, CellIndex ground)
{
    CircuitNodes nodes;
    nodes.ofCell.assign(joined.size(), -1);
    for (size_t cell = 0; cell < joined.size(); ++cell) {
        if (joined[cell] && static_cast<CellIndex>(cell) != ground)
            nodes.ofCell[cell] = nodes.count++;
    }
    return nodes;
}

CholmodSparse circuitLaplacian(CholmodCommon& common, const ResistanceSurface& surface, const CircuitNodes& nodes,
                               int neighbours)
{
    const std::vector<CellStep> steps = cellSteps(neighbours);
    // The neighbours numbered before a cell, in the order of their numbers: the row above, then the
    // cell to the left.
    std::vector<CellStep> earlier;
    for (const int columnStep : {-1, 0, 1}) {
        for (const CellStep& step : steps) {
            if (step.rows == -1 && step.columns == columnStep)
                earlier.push_back(step);
        }
    }
    earlier.push_back({0, -1, false});

    const int columns = surface.columns();
    const int rows = surface.rows();
    auto neighbour = [&](CellIndex cell, const CellStep& step) -> CellIndex {
        const int r = static_cast<int>(cell / columns) + step.rows;
        const int c = static_cast<int>(cell % columns) + step.columns;
        if (r < 0 || r >= rows || c < 0 || c >= columns)
            return -1;
        return static_cast<CellIndex>(r) * columns + c;
    };

    size_t entries = static_cast<size_t>(nodes.count);
    for (CellIndex cell = 0; cell < surface.cellCount(); ++cell) {
        if (nodes.ofCell[static_cast<size_t>(cell)] < 0)
            continue;
        for (const CellStep& step : earlier) {
            const CellIndex other = neighbour(cell, step);
            if (other >= 0 && nodes.ofCell[static_cast<size_t>(other)] >= 0)
                ++entries;
        }
    }

    CholmodSparse matrix = allocateSymmetricUpper(common, static_cast<size_t>(nodes.count), entries);
    auto* columnStart = static_cast<Index*>(matrix->p);
    auto* rowOf = static_cast<Index*>(matrix->i);
    auto* value = static_cast<double*>(matrix->x);
    Index at = 0;
    for (CellIndex cell = 0; cell < surface.cellCount(); ++cell) {
        const Index node = nodes.ofCell[static_cast<size_t>(cell)];
        if (node < 0)
            continue;
        columnStart[node] = at;
        for (const CellStep& step : earlier) {
            const CellIndex other = neighbour(cell, step);
            if (other >= 0 && nodes.ofCell[static_cast<size_t>(other)] >= 0) {
                rowOf[at] = nodes.ofCell[static_cast<size_t>(other)];
                value[at++] = -resistorConductance(surface, cell, other, step.diagonal);
            }
        }
        double sum = 0.0;
        for (const CellStep& step : steps) {
            const CellIndex other = neighbour(cell, step);
            if (other >= 0 && surface.passable(other))
                sum += resistorConductance(surface, cell, other, step.diagonal);
        }
        rowOf[at] = node;
        value[at++] = requireFinite(sum, "the conductance at a cell of the resistance surface");
    }
    columnStart[nodes.count] = at;
    return matrix;
}

CholmodFactor analyzeCircuit(CholmodCommon& common, cholmod_sparse* laplacian, const ResistanceSurface& surface,
                             const CircuitNodes& nodes, CircuitOrdering ordering)
{
    if (ordering == CircuitOrdering::MinimumDegree)
        return analyzeMatrix(common, laplacian);
    const std::vector<Index> order = gridNestedDissection(surface.rows(), surface.columns(), nodes.ofCell);
    return analyzeMatrix(common, laplacian, &order);
}

std::uint64_t factorBytes(const cholmod_factor& factor)
{
    return (factor.xsize + factor.maxcsize) * sizeof(double) + (factor.ssize + 4 * factor.n) * sizeof(Index);
}

OneBlasThread::OneBlasThread(bool wanted)
    : m_threads(wanted ? openblas_get_num_threads() : 1)
{
    if (m_threads > 1)
        openblas_set_num_threads(1);
}

OneBlasThread::~OneBlasThread()
{
    if (m_threads > 1)
        openblas_set_num_threads(m_threads);
}

} // namespace tessaloc
