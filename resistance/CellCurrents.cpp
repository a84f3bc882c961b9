#include "resistance/CellCurrents.h"

#include "core/Errors.h"
#include "core/NumberText.h"
#include "core/ThreadCount.h"
#include "resistance/Circuit.h"
#include "resistance/MemoryNeed.h"
#include "resistance/SurfaceGraph.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <limits>
#include <memory>
#include <thread>

namespace tessaloc {
namespace {

using Index = SuiteSparse_long;

// Right-hand sides solved together: wide enough for CHOLMOD's dense blocks, narrow enough that the
// right-hand sides, the solution and its workspace stay small beside the potentials.
constexpr Index kSolveBatch = 32;
// Rows of the grid per strip of the passes over the cells.
constexpr int kStripRows = 4;
// Nodes per piece when the solutions are copied into the potentials.
constexpr Index kCopyPiece = 8192;

// Calls body(piece) for every piece 0..count-1 on `threads` threads, which take the pieces in turn.
// The calling thread is one of them; between its pieces it reports the progress and asks the
// listener whether to stop, and then the others stop too (RunCancelled once they have).
template <typename Body> void forEachPiece(Index count, int threads, RunListener& listener, Body body)
{
    std::atomic<Index> next{0};
    std::atomic<Index> done{0};
    std::atomic<bool> stop{false};
    auto work = [&](bool reporting) {
        while (!stop.load(std::memory_order_relaxed)) {
            const Index piece = next.fetch_add(1);
            if (piece >= count)
                break;
            body(piece);
            const Index finished = done.fetch_add(1) + 1;
            if (reporting) {
                listener.progress(finished, count);
                if (listener.cancelled())
                    stop = true;
            }
        }
    };
    {
        std::vector<std::jthread> workers;
        const int extra = static_cast<int>(std::min<Index>(threads, count)) - 1;
        for (int t = 0; t < extra; ++t)
            workers.emplace_back([&work] { work(false); });
        work(true);
    }
    listener.throwIfCancelled();
}

// The potentials of the circuit, cell by cell: for every cell of the circuit (its node, and the
// ground after the nodes) the n potentials of the locations' solutions together.
class Potentials {
public:
    Potentials(Index nodes, int locations)
        : m_locations(locations)
        , m_values(std::make_unique_for_overwrite<double[]>(static_cast<size_t>((nodes + 1) * locations)))
        , m_ground(nodes)
    {
        std::fill_n(at(m_ground), locations, 0.0);
    }
    double* at(Index slot) { return m_values.get() + slot * m_locations; }
    const double* at(Index slot) const { return m_values.get() + slot * m_locations; }
    Index ground() const { return m_ground; }

private:
    Index m_locations;
    std::unique_ptr<double[]> m_values;
    Index m_ground;
};

// Solves the grounded circuit for every location but the ground, kSolveBatch right-hand sides at a
// time, and copies each batch into the potentials; location 0 (the ground) is 0 everywhere.
void solvePotentials(CholmodCommon& common, cholmod_factor* factor, const std::vector<Index>& sourceNodes,
                     Potentials& potentials, int threads, RunListener& listener)
{
    const auto sources = static_cast<Index>(sourceNodes.size());
    const auto nodes = static_cast<Index>(factor->n);
    const Index width = std::min(kSolveBatch, sources);
    CholmodDense rightHandSides = allocateDenseZeros(common, static_cast<size_t>(nodes), static_cast<size_t>(width));
    auto* unit = static_cast<double*>(rightHandSides->x);
    const auto leading = static_cast<Index>(rightHandSides->d);
    FactorSolver solver(common, factor);
    RunListener& quiet = RunListener::none();
    for (Index first = 0; first < sources; first += width) {
        listener.throwIfCancelled();
        listener.progress(first, sources);
        const Index count = std::min(width, sources - first);
        for (Index c = 0; c < width; ++c)
            unit[c * leading + (first > 0 ? sourceNodes[first - width + c] : 0)] = 0.0;
        for (Index c = 0; c < count; ++c)
            unit[c * leading + sourceNodes[first + c]] = 1.0;
        rightHandSides->ncol = static_cast<size_t>(count);
        const cholmod_dense& solution = solver.solve(rightHandSides.get());
        const auto* x = static_cast<const double*>(solution.x);
        const auto d = static_cast<Index>(solution.d);
        forEachPiece((nodes + kCopyPiece - 1) / kCopyPiece, threads, quiet, [&](Index piece) {
            const Index end = std::min(nodes, (piece + 1) * kCopyPiece);
            for (Index node = piece * kCopyPiece; node < end; ++node) {
                double* target = potentials.at(node);
                if (first == 0)
                    target[0] = 0.0;
                for (Index c = 0; c < count; ++c)
                    target[1 + first + c] = x[node + c * d];
            }
        });
        rightHandSides->ncol = static_cast<size_t>(width);
    }
    listener.progress(sources, sources);
}

// The grid as the passes over it see it: each cell's place among the potentials (-1 outside the
// circuit) and its neighbours.
struct CircuitGrid {
    const ResistanceSurface& surface;
    std::vector<Index> slotOfCell;
    std::vector<CellStep> steps;

    CellIndex neighbour(CellIndex cell, const CellStep& step) const
    {
        const int columns = surface.columns();
        const int r = static_cast<int>(cell / columns) + step.rows;
        const int c = static_cast<int>(cell % columns) + step.columns;
        if (r < 0 || r >= surface.rows() || c < 0 || c >= columns)
            return -1;
        const CellIndex other = static_cast<CellIndex>(r) * columns + c;
        return slotOfCell[static_cast<size_t>(other)] >= 0 ? other : -1;
    }
};

// Adds half the current of every resistor over all pairs to each of its two cells: each strip of
// rows takes the resistors from its cells to the right and downwards; the halves that fall below
// the strip wait in a row of their own until every strip is done.
void addResistorCurrents(const CircuitGrid& grid, const Potentials& potentials, int locations,
                         std::vector<double>& cumulative, int threads, RunListener& listener)
{
    const int columns = grid.surface.columns();
    const int rows = grid.surface.rows();
    std::vector<CellStep> forward;
    for (const CellStep& step : grid.steps) {
        if (step.rows > 0 || (step.rows == 0 && step.columns > 0))
            forward.push_back(step);
    }
    const Index strips = (rows + kStripRows - 1) / kStripRows;
    std::vector<double> below(static_cast<size_t>(strips * columns), 0.0);
    forEachPiece(strips, threads, listener, [&](Index strip) {
        std::vector<double> differences(static_cast<size_t>(locations));
        const int firstRow = static_cast<int>(strip) * kStripRows;
        const int endRow = std::min(rows, firstRow + kStripRows);
        for (CellIndex cell = static_cast<CellIndex>(firstRow) * columns;
             cell < static_cast<CellIndex>(endRow) * columns; ++cell) {
            const Index slot = grid.slotOfCell[static_cast<size_t>(cell)];
            if (slot < 0)
                continue;
            const double* here = potentials.at(slot);
            for (const CellStep& step : forward) {
                const CellIndex other = grid.neighbour(cell, step);
                if (other < 0)
                    continue;
                const double* there = potentials.at(grid.slotOfCell[static_cast<size_t>(other)]);
                for (int k = 0; k < locations; ++k)
                    differences[static_cast<size_t>(k)] = here[k] - there[k];
                const double half = resistorConductance(grid.surface, cell, other, step.diagonal) *
                                    sumOfPairwiseDifferences(differences) / 2.0;
                cumulative[static_cast<size_t>(cell)] += half;
                if (other < static_cast<CellIndex>(endRow) * columns)
                    cumulative[static_cast<size_t>(other)] += half;
                else
                    below[static_cast<size_t>(strip * columns + other % columns)] += half;
            }
        }
    });
    for (Index strip = 0; strip + 1 < strips; ++strip) {
        const CellIndex rowStart = (strip + 1) * kStripRows * static_cast<CellIndex>(columns);
        for (int c = 0; c < columns; ++c) {
            if (grid.slotOfCell[static_cast<size_t>(rowStart + c)] >= 0)
                cumulative[static_cast<size_t>(rowStart + c)] += below[static_cast<size_t>(strip * columns + c)];
        }
    }
}

// The largest current of any pair through each cell of the circuit that is no location. Through
// such a cell every solution passes on what it takes in, so for pair (a, b) the currents z_j of its
// resistors j add up to 0 and the cell's current, half of sum |z_j|, is the largest sum of z_j over
// a subset S of them: max over S of (u_S(a) - u_S(b)), u_S(k) the sum over S of solution k's
// currents. S and the rest give the same range, so the subsets that leave out the last resistor are
// enough, visited in Gray code order (one resistor in or out per step).
void addLargestCurrents(const CircuitGrid& grid, const Potentials& potentials, int locations,
                        std::vector<double>& maximum, int threads, RunListener& listener)
{
    const int columns = grid.surface.columns();
    const int rows = grid.surface.rows();
    const Index strips = (rows + kStripRows - 1) / kStripRows;
    const auto n = static_cast<size_t>(locations);
    forEachPiece(strips, threads, listener, [&](Index strip) {
        std::vector<double> currents(grid.steps.size() * n);
        std::vector<double> sum(n);
        const int firstRow = static_cast<int>(strip) * kStripRows;
        const int endRow = std::min(rows, firstRow + kStripRows);
        for (CellIndex cell = static_cast<CellIndex>(firstRow) * columns;
             cell < static_cast<CellIndex>(endRow) * columns; ++cell) {
            const Index slot = grid.slotOfCell[static_cast<size_t>(cell)];
            // The locations are set already.
            if (slot < 0 || maximum[static_cast<size_t>(cell)] != 0.0)
                continue;
            const double* here = potentials.at(slot);
            size_t resistors = 0;
            for (const CellStep& step : grid.steps) {
                const CellIndex other = grid.neighbour(cell, step);
                if (other < 0)
                    continue;
                const double* there = potentials.at(grid.slotOfCell[static_cast<size_t>(other)]);
                const double conductance = resistorConductance(grid.surface, cell, other, step.diagonal);
                double* current = currents.data() + resistors++ * n;
                for (size_t k = 0; k < n; ++k)
                    current[k] = conductance * (here[k] - there[k]);
            }
            if (resistors < 2)
                continue;
            std::fill(sum.begin(), sum.end(), 0.0);
            double largest = 0.0;
            const unsigned subsets = 1U << (resistors - 1);
            for (unsigned t = 1; t < subsets; ++t) {
                const int changed = std::countr_zero(t);
                const double* current = currents.data() + static_cast<size_t>(changed) * n;
                const bool in = ((t ^ (t >> 1)) >> changed) & 1U;
                double low = std::numeric_limits<double>::infinity();
                double high = -low;
                for (size_t k = 0; k < n; ++k) {
                    sum[k] = in ? sum[k] + current[k] : sum[k] - current[k];
                    low = std::min(low, sum[k]);
                    high = std::max(high, sum[k]);
                }
                largest = std::max(largest, high - low);
            }
            maximum[static_cast<size_t>(cell)] = largest;
        }
    });
}

} // namespace

double sumOfPairwiseDifferences(std::span<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    double sum = 0.0;
    for (size_t k = 0; 2 * k + 1 < n; ++k)
        sum += static_cast<double>(n - 1 - 2 * k) * (values[n - 1 - k] - values[k]);
    return sum;
}

std::uint64_t currentMapMemoryNeedBeforeFactor(int columns, int rows, int neighbours, bool withMaximum)
{
    const auto cells = static_cast<std::uint64_t>(columns) * static_cast<std::uint64_t>(rows);
    // The maps, and the halves waiting below the strips.
    const std::uint64_t maps = cells * sizeof(double) * (withMaximum ? 2 : 1) + cells * sizeof(double) / kStripRows;
    return circuitMemoryNeedBeforeFactor(columns, rows, neighbours) + maps;
}

namespace {

// The map's circuit is solved without the scaling and the check of the circuit distances: surfaces
// whose resistances span more than the range those are checked to hold, or lie near the ends of the
// doubles, are refused rather than mapped inaccurately.
void requireCurrentMapRange(const ResistanceSurface& surface, const std::vector<std::uint8_t>& joined)
{
    const ResistanceRange range = resistanceRange(surface, joined);
    const std::string spread = "the resistances of the cells it joins range " + range.text(surface.columns());
    if (!(range.ratio() <= kCurrentMapWidestRatio))
        throw DataProblem("The current map over the " + surface.description() + " cannot be computed accurately: " +
                              spread + ", a ratio of " + range.ratioText() + ", beyond the " +
                              shortestText(kCurrentMapWidestRatio) + " within which its currents are exact to 1e-6.",
                          "Narrow the range: mark cells that cannot be crossed as no data rather than giving them "
                          "a huge resistance.");
    if (!(range.lowest >= kCurrentMapSmallestResistance && range.highest <= 1.0 / kCurrentMapSmallestResistance))
        throw DataProblem("The current map over the " + surface.description() + " cannot be computed: " + spread +
                              ", beyond " + shortestText(kCurrentMapSmallestResistance) + " to " +
                              shortestText(1.0 / kCurrentMapSmallestResistance) + ".",
                          "Rescale the resistances (multiply or divide them all by the same number): the map does "
                          "not depend on their scale.");
}

} // namespace

CellCurrents CumulativeCurrentMap(const ResistanceSurface& surface, const PlacedObservations& observations,
                                  int neighbours, bool withMaximum, RunListener& listener, std::uint64_t memoryLimit)
{
    listener.status("Current map: building the circuit");
    const std::vector<std::uint8_t> joined = RequireJoined(surface, observations, neighbours);
    const DistinctCells distinct = distinctCells(observations);
    const int locations = static_cast<int>(distinct.cells.size());
    if (locations < 2)
        throw DataProblem("The current map needs sample locations in at least two cells of the " +
                              surface.description() + "; the " + std::to_string(observations.size()) +
                              " observations lie in " + (locations == 1 ? "one." : "none."),
                          "No current would flow between them.");

    requireCurrentMapRange(surface, joined);

    const CircuitNodes nodes = numberNodes(joined, distinct.cells.front());
    CholmodCommon common;
    CholmodSparse matrix = circuitLaplacian(common, surface, nodes, neighbours);
    listener.throwIfCancelled();
    listener.status("Current map: ordering");
    CholmodFactor factor = analyzeCircuit(common, matrix.get(), surface, nodes, CircuitOrdering::GridDissection);

    const int threads = defaultThreadCount();
    const auto n = static_cast<std::uint64_t>(locations);
    const auto nodeCount = static_cast<std::uint64_t>(nodes.count);
    const std::uint64_t solveBytes =
        3 * nodeCount * static_cast<std::uint64_t>(std::min<Index>(kSolveBatch, locations - 1)) * sizeof(double);
    const std::uint64_t potentialBytes = (nodeCount + 1) * n * sizeof(double);
    const std::uint64_t scratchBytes =
        static_cast<std::uint64_t>(threads) * n * sizeof(double) * (withMaximum ? 10 : 1);
    const std::uint64_t need =
        currentMapMemoryNeedBeforeFactor(surface.columns(), surface.rows(), neighbours, withMaximum) +
        factorBytes(*factor) +
        std::max<std::uint64_t>(matrix->nzmax * (sizeof(Index) + sizeof(double)),
                                potentialBytes + solveBytes + scratchBytes);
    requireMemory(need, memoryLimit,
                  surface.description() + " (" + std::to_string(surface.columns()) + " x " +
                      std::to_string(surface.rows()) + " cells, " + std::to_string(locations) + " locations)",
                  "the current map");
    listener.throwIfCancelled();

    listener.status("Current map: factoring");
    {
        const OneBlasThread oneThread(common.get()->fl < 1e9);
        factorizeMatrix(common, matrix.get(), factor.get(), surface.description());
    }
    matrix.reset();
    listener.throwIfCancelled();

    listener.status("Current map: solving");
    std::vector<Index> sourceNodes;
    for (int k = 1; k < locations; ++k)
        sourceNodes.push_back(nodes.ofCell[static_cast<size_t>(distinct.cells[static_cast<size_t>(k)])]);
    Potentials potentials(nodes.count, locations);
    solvePotentials(common, factor.get(), sourceNodes, potentials, threads, listener);
    factor.reset();

    CircuitGrid grid{surface, nodes.ofCell, cellSteps(neighbours)};
    grid.slotOfCell[static_cast<size_t>(distinct.cells.front())] = potentials.ground();

    CellCurrents result;
    result.locations = distinct.cells;
    result.merged = observations.size() - locations;
    result.cumulative.assign(static_cast<size_t>(surface.cellCount()), 0.0);
    for (CellIndex cell = 0; cell < surface.cellCount(); ++cell) {
        if (!surface.passable(cell))
            result.cumulative[static_cast<size_t>(cell)] = std::numeric_limits<double>::quiet_NaN();
    }
    if (withMaximum) {
        result.maximum = result.cumulative;
        // A terminal's own pairs pass all of their ampere through it, and no pair passes more.
        for (const CellIndex cell : distinct.cells)
            result.maximum[static_cast<size_t>(cell)] = 1.0;
    }

    listener.status("Current map: adding up the currents");
    addResistorCurrents(grid, potentials, locations, result.cumulative, threads, listener);
    // Each location is a terminal of n - 1 pairs, where its ampere enters or leaves.
    for (const CellIndex cell : distinct.cells)
        result.cumulative[static_cast<size_t>(cell)] += 0.5 * (locations - 1);

    if (withMaximum) {
        listener.status("Current map: the largest currents");
        addLargestCurrents(grid, potentials, locations, result.maximum, threads, listener);
    }
    return result;
}

} // namespace tessaloc
