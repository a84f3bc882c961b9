#include "resistance/CircuitDistances.h"

#include "core/Errors.h"
#include "core/NumberText.h"
#include "resistance/Cholmod.h"
#include "resistance/GridOrdering.h"
#include "resistance/MemoryNeed.h"
#include "resistance/SurfaceGraph.h"

#include <cblas.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace tessaloc {
namespace {

using Index = SuiteSparse_long;

// Keeps BLAS on the calling thread while it lives (when `wanted`), then restores its thread count.
class OneBlasThread {
public:
    explicit OneBlasThread(bool wanted)
        : m_threads(wanted ? openblas_get_num_threads() : 1)
    {
        if (m_threads > 1)
            openblas_set_num_threads(1);
    }
    ~OneBlasThread()
    {
        if (m_threads > 1)
            openblas_set_num_threads(m_threads);
    }
    OneBlasThread(const OneBlasThread&) = delete;
    OneBlasThread& operator=(const OneBlasThread&) = delete;

private:
    int m_threads;
};

// The nodes of the circuit: every cell joined to the observations except the ground cell, numbered
// row by row; -1 elsewhere.
struct CircuitNodes {
    std::vector<Index> ofCell;
    Index count = 0;
};

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

// The resistors of the circuit, with the resistances scaled by 2^-scale (an even power of two, so
// that the factor, the solves and the distances scale exactly and the distances come out as those
// of the unscaled circuit to the last bit): the cheapest cell has a resistance in [1, 4), so no
// conductance or sum of conductances overflows, whatever the size of the numbers of the surface.
class Resistors {
public:
    Resistors(const ResistanceSurface& surface, int neighbours, int scale)
        : m_surface(surface)
        , m_steps(cellSteps(neighbours))
        , m_scale(scale)
    {
    }

    const std::vector<CellStep>& steps() const { return m_steps; }
    int scale() const { return m_scale; }

    CellIndex neighbour(CellIndex cell, const CellStep& step) const
    {
        const int columns = m_surface.columns();
        const int r = static_cast<int>(cell / columns) + step.rows;
        const int c = static_cast<int>(cell % columns) + step.columns;
        if (r < 0 || r >= m_surface.rows() || c < 0 || c >= columns)
            return -1;
        return static_cast<CellIndex>(r) * columns + c;
    }

    double conductance(CellIndex a, CellIndex b, bool diagonal) const
    {
        const double resistor =
            (std::ldexp(m_surface.resistance(a), -m_scale) + std::ldexp(m_surface.resistance(b), -m_scale)) / 2.0 *
            (diagonal ? std::numbers::sqrt2 : 1.0);
        return 1.0 / resistor;
    }

private:
    const ResistanceSurface& m_surface;
    std::vector<CellStep> m_steps;
    int m_scale;
};

// The grounded graph Laplacian, upper triangle: off the diagonal minus the conductance of each
// resistor between two nodes, on it the sum of the conductances at the node (those to the ground
// cell included).
CholmodSparse laplacian(CholmodCommon& common, const ResistanceSurface& surface, const CircuitNodes& nodes,
                        const Resistors& resistors)
{
    const std::vector<CellStep>& steps = resistors.steps();
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

    auto neighbour = [&](CellIndex cell, const CellStep& step) { return resistors.neighbour(cell, step); };
    auto conductance = [&](CellIndex a, CellIndex b, bool diagonal) { return resistors.conductance(a, b, diagonal); };

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
                value[at++] = -conductance(cell, other, step.diagonal);
            }
        }
        double sum = 0.0;
        for (const CellStep& step : steps) {
            const CellIndex other = neighbour(cell, step);
            if (other >= 0 && surface.passable(other))
                sum += conductance(cell, other, step.diagonal);
        }
        rowOf[at] = node;
        value[at++] = requireFinite(sum, "the conductance at a cell of the resistance surface");
    }
    columnStart[nodes.count] = at;
    return matrix;
}

// The supernodes of a factor as CHOLMOD lays them out: supernode s holds the columns
// first[s] .. first[s + 1] - 1 of L as a dense block, column by column, of rowCount(s) rows whose
// numbers are rows(s) (its own columns first).
struct Supernodes {
    explicit Supernodes(const cholmod_factor& factor)
        : count(static_cast<Index>(factor.nsuper))
        , first(static_cast<const Index*>(factor.super))
        , rowStart(static_cast<const Index*>(factor.pi))
        , valueStart(static_cast<const Index*>(factor.px))
        , rowNumbers(static_cast<const Index*>(factor.s))
        , values(static_cast<const double*>(factor.x))
        , ofColumn(factor.n)
    {
        for (Index s = 0; s < count; ++s)
            std::fill(ofColumn.begin() + first[s], ofColumn.begin() + first[s + 1], s);
    }
    Index columns(Index s) const { return first[s + 1] - first[s]; }
    Index rowCount(Index s) const { return rowStart[s + 1] - rowStart[s]; }
    const Index* rows(Index s) const { return rowNumbers + rowStart[s]; }
    const double* block(Index s) const { return values + valueStart[s]; }
    /// The supernode that the first row below the block belongs to; -1 for a root.
    Index parent(Index s) const { return rowCount(s) > columns(s) ? ofColumn[rows(s)[columns(s)]] : -1; }

    Index count;
    const Index* first;
    const Index* rowStart;
    const Index* valueStart;
    const Index* rowNumbers;
    const double* values;
    std::vector<Index> ofColumn;
};

// For every supernode the right-hand sides whose solution is non-zero there: the sources whose
// column lies in it or in a supernode below it. Lists are ascending.
struct SupernodeSources {
    std::vector<Index> start;   // per supernode, into `sources`
    std::vector<int> sources;   // the lists one after the other
    std::vector<Index> valueAt; // per supernode, where its block of solutions starts
    Index valueCount = 0;
    Index widestUpdate = 0; // the largest (rows below the block) x (sources) of a supernode
    Index mostSources = 0;
    Index mostSourcesOfSome = 0; // in a supernode that not all sources reach

    Index count(Index s) const { return start[s + 1] - start[s]; }
    const int* of(Index s) const { return sources.data() + start[s]; }
};

SupernodeSources sourcesOfSupernodes(const Supernodes& supernodes, const std::vector<Index>& sourceColumns)
{
    SupernodeSources result;
    const Index count = supernodes.count;
    std::vector<Index> sizes(static_cast<size_t>(count), 0);
    for (const Index column : sourceColumns) {
        for (Index s = supernodes.ofColumn[column]; s >= 0; s = supernodes.parent(s))
            ++sizes[s];
    }
    result.start.assign(static_cast<size_t>(count) + 1, 0);
    result.valueAt.assign(static_cast<size_t>(count), 0);
    for (Index s = 0; s < count; ++s) {
        result.start[s + 1] = result.start[s] + sizes[s];
        result.valueAt[s] = result.valueCount;
        result.valueCount += supernodes.columns(s) * sizes[s];
        result.widestUpdate =
            std::max(result.widestUpdate, (supernodes.rowCount(s) - supernodes.columns(s)) * sizes[s]);
        result.mostSources = std::max(result.mostSources, sizes[s]);
        if (sizes[s] < static_cast<Index>(sourceColumns.size()))
            result.mostSourcesOfSome = std::max(result.mostSourcesOfSome, sizes[s]);
    }
    result.sources.resize(static_cast<size_t>(result.start[count]));
    std::vector<Index> filled(result.start.begin(), result.start.end() - 1);
    for (size_t t = 0; t < sourceColumns.size(); ++t) {
        for (Index s = supernodes.ofColumn[sourceColumns[t]]; s >= 0; s = supernodes.parent(s))
            result.sources[static_cast<size_t>(filled[s]++)] = static_cast<int>(t);
    }
    return result;
}

// Solves L y_t = P e_t for every source t, supernode by supernode from the leaves up, and adds up
// the inner products y_t . y_u as it goes (a supernode's block of solutions is final once it is
// reached). Returns the Gram matrix, row-major, upper triangle filled.
std::vector<double> solveAndMultiply(const Supernodes& supernodes, const std::vector<Index>& sourceColumns,
                                     const SupernodeSources& plan, RunListener& listener)
{
    const auto m = static_cast<Index>(sourceColumns.size());
    std::vector<double> solutions(static_cast<size_t>(plan.valueCount), 0.0);
    for (Index t = 0; t < m; ++t) {
        const Index s = supernodes.ofColumn[sourceColumns[t]];
        const int* sources = plan.of(s);
        const Index position = std::lower_bound(sources, sources + plan.count(s), static_cast<int>(t)) - sources;
        solutions[plan.valueAt[s] + position * supernodes.columns(s) + (sourceColumns[t] - supernodes.first[s])] = 1.0;
    }

    std::vector<double> gram(static_cast<size_t>(m * m), 0.0);
    std::vector<double> update(static_cast<size_t>(plan.widestUpdate));
    std::vector<double> blockGram(static_cast<size_t>(plan.mostSourcesOfSome * plan.mostSourcesOfSome));
    std::vector<Index> positionInParent(static_cast<size_t>(plan.mostSources));
    for (Index s = 0; s < supernodes.count; ++s) {
        const Index sourceCount = plan.count(s);
        if (sourceCount == 0)
            continue;
        if (s % 1024 == 0) {
            listener.throwIfCancelled();
            listener.progress(s, supernodes.count);
        }
        const Index width = supernodes.columns(s);
        const Index height = supernodes.rowCount(s);
        const double* block = supernodes.block(s);
        double* solution = solutions.data() + plan.valueAt[s];
        const int* sources = plan.of(s);
        const auto w = static_cast<int>(width);
        const auto k = static_cast<int>(sourceCount);

        cblas_dtrsm(CblasColMajor, CblasLeft, CblasLower, CblasNoTrans, CblasNonUnit, w, k, 1.0, block,
                    static_cast<int>(height), solution, w);

        if (sourceCount == 1) {
            gram[static_cast<size_t>(sources[0] * m + sources[0])] += cblas_ddot(w, solution, 1, solution, 1);
        } else if (sourceCount == m) {
            // Every source: the products go straight into the Gram matrix, whose upper triangle
            // row by row is the lower one column by column.
            cblas_dsyrk(CblasColMajor, CblasLower, CblasTrans, k, w, 1.0, solution, w, 1.0, gram.data(), k);
        } else {
            cblas_dsyrk(CblasColMajor, CblasUpper, CblasTrans, k, w, 1.0, solution, w, 0.0, blockGram.data(), k);
            for (Index b = 0; b < sourceCount; ++b) {
                for (Index a = 0; a <= b; ++a)
                    gram[static_cast<size_t>(sources[a] * m + sources[b])] += blockGram[static_cast<size_t>(a + b * k)];
            }
        }

        const Index below = height - width;
        if (below == 0)
            continue;
        cblas_dgemm(CblasColMajor, CblasNoTrans, CblasNoTrans, static_cast<int>(below), k, w, 1.0, block + width,
                    static_cast<int>(height), solution, w, 0.0, update.data(), static_cast<int>(below));
        // Subtract the update from the blocks of the ancestors that hold the rows below; each
        // ancestor's sources include this supernode's.
        const Index* rows = supernodes.rows(s) + width;
        for (Index i = 0; i < below;) {
            const Index ancestor = supernodes.ofColumn[rows[i]];
            Index end = i + 1;
            while (end < below && supernodes.ofColumn[rows[end]] == ancestor)
                ++end;
            const int* ancestorSources = plan.of(ancestor);
            for (Index a = 0, j = 0; j < sourceCount; ++a) {
                if (ancestorSources[a] == sources[j])
                    positionInParent[static_cast<size_t>(j++)] = a;
            }
            const Index ancestorWidth = supernodes.columns(ancestor);
            const Index ancestorFirst = supernodes.first[ancestor];
            for (Index j = 0; j < sourceCount; ++j) {
                double* target = solutions.data() + plan.valueAt[ancestor] + positionInParent[j] * ancestorWidth;
                const double* from = update.data() + j * below;
                for (Index r = i; r < end; ++r)
                    target[rows[r] - ancestorFirst] -= from[r];
            }
            i = end;
        }
    }
    listener.progress(supernodes.count, supernodes.count);
    return gram;
}

} // namespace

std::uint64_t circuitMemoryNeedBeforeFactor(int columns, int rows, int neighbours)
{
    const auto cells = static_cast<std::uint64_t>(columns) * static_cast<std::uint64_t>(rows);
    // Per cell: whether it is joined, its node number, and its column of the matrix (the diagonal
    // and the resistors to earlier neighbours, a row number and a value each), with the ordering's copy
    // of the graph.
    const std::uint64_t entries = 1 + static_cast<std::uint64_t>(neighbours) / 2;
    return cells * (1 + sizeof(Index) + entries * (sizeof(Index) + sizeof(double)) * 2 + sizeof(Index));
}

namespace {

// The circuit grounded at one cell, solved, and the check of its solution.
struct GroundedSolution {
    /// The distances between the distinct cells (row-major, upper triangle), in the scaled units;
    /// empty when the check failed.
    std::vector<double> between;
    /// The check's estimate of the relative error of the potentials.
    double estimatedError = 0.0;
};

// A check of the factor, once per circuit: a current of 1 flows into every cell (and the same again,
// shared out, into the cells of the observations) and out at the ground. x = A^-1 b by the factor;
// the residual r = b - A x is computed current by current, c (x_i - x_j) for every resistor, so that
// no resistor's current is lost beside larger ones as it is in the diagonal of A; the correction
// d = A^-1 r estimates the error of x (one step of iterative refinement). Returns max |d_i| / x_i
// over the cells: every potential is above 0 in a grounded connected circuit fed by currents above 0.
// Where resistances span many orders of magnitude, the weak resistors' currents vanish in the sums
// of the strong ones, the factor solves a different circuit, and this is large.
double probeError(CholmodCommon& common, cholmod_factor* factor, const std::vector<std::uint8_t>& joined,
                  const CircuitNodes& nodes, const Resistors& resistors, const std::vector<Index>& sourceNodes)
{
    const auto n = static_cast<size_t>(nodes.count);
    CholmodDense b = allocateColumn(common, n);
    auto* current = static_cast<double*>(b->x);
    std::fill(current, current + n, 1.0);
    const double share = static_cast<double>(n) / static_cast<double>(std::max<size_t>(1, sourceNodes.size()));
    for (const Index node : sourceNodes)
        current[node] += share;
    const CholmodDense x = solveFactored(common, factor, b.get());
    const auto* potential = static_cast<const double*>(x->x);
    auto potentialOf = [&](CellIndex cell) {
        const Index node = nodes.ofCell[static_cast<size_t>(cell)];
        return node < 0 ? 0.0 : potential[node];
    };
    // b becomes the residual: every resistor's current leaves one end and enters the other.
    for (size_t cell = 0; cell < joined.size(); ++cell) {
        if (!joined[cell])
            continue;
        for (const CellStep& step : resistors.steps()) {
            if (step.rows < 0 || (step.rows == 0 && step.columns < 0))
                continue; // each resistor once, from its upper or left end
            const CellIndex other = resistors.neighbour(static_cast<CellIndex>(cell), step);
            if (other < 0 || !joined[static_cast<size_t>(other)])
                continue;
            const double flow = resistors.conductance(static_cast<CellIndex>(cell), other, step.diagonal) *
                                (potentialOf(static_cast<CellIndex>(cell)) - potentialOf(other));
            if (const Index node = nodes.ofCell[cell]; node >= 0)
                current[node] -= flow;
            if (const Index node = nodes.ofCell[static_cast<size_t>(other)]; node >= 0)
                current[node] += flow;
        }
    }
    const CholmodDense correction = solveFactored(common, factor, b.get());
    const auto* d = static_cast<const double*>(correction->x);
    double error = 0.0;
    for (size_t k = 0; k < n; ++k) {
        const double relative = std::abs(d[k]) / potential[k];
        if (!(relative <= error)) // NaN too
            error = std::isnan(relative) || !(potential[k] > 0.0) ? std::numeric_limits<double>::infinity() : relative;
    }
    return error;
}

GroundedSolution solveGrounded(const ResistanceSurface& surface, const PlacedObservations& observations,
                               const DistinctCells& distinct, const std::vector<std::uint8_t>& joined,
                               const Resistors& resistors, CellIndex ground, RunListener& listener,
                               std::uint64_t memoryLimit, CircuitOrdering ordering)
{
    const int cells = static_cast<int>(distinct.cells.size());
    const CircuitNodes nodes = numberNodes(joined, ground);
    CholmodCommon common;
    CholmodSparse matrix = laplacian(common, surface, nodes, resistors);
    listener.throwIfCancelled();

    listener.status("Circuit resistance: ordering");
    CholmodFactor factor = [&] {
        if (ordering == CircuitOrdering::MinimumDegree)
            return analyzeMatrix(common, matrix.get());
        const std::vector<Index> order = gridNestedDissection(surface.rows(), surface.columns(), nodes.ofCell);
        return analyzeMatrix(common, matrix.get(), &order);
    }();
    // The pattern of L is known once it is analysed; its numbers come with the factorisation.
    const Supernodes pattern(*factor);
    // The sources are the cells of observations other than the ground, as columns of P A P'.
    const auto* permutation = static_cast<const Index*>(factor->Perm);
    std::vector<Index> positionOfNode(static_cast<size_t>(nodes.count));
    for (Index k = 0; k < nodes.count; ++k)
        positionOfNode[static_cast<size_t>(permutation[k])] = k;
    std::vector<Index> sourceColumns;
    std::vector<Index> sourceNodes;
    std::vector<int> sourceOfCell(static_cast<size_t>(cells), -1); // -1: the ground
    for (int p = 0; p < cells; ++p) {
        if (distinct.cells[p] == ground)
            continue;
        sourceOfCell[static_cast<size_t>(p)] = static_cast<int>(sourceColumns.size());
        const Index node = nodes.ofCell[static_cast<size_t>(distinct.cells[p])];
        sourceNodes.push_back(node);
        sourceColumns.push_back(positionOfNode[static_cast<size_t>(node)]);
    }
    const SupernodeSources plan = sourcesOfSupernodes(pattern, sourceColumns);

    const auto sources = static_cast<std::uint64_t>(sourceColumns.size());
    // The factor's numbers and row numbers, and CHOLMOD's workspace while factoring (the largest
    // update block and a few numbers per node).
    const std::uint64_t factorBytes =
        (factor->xsize + factor->maxcsize) * sizeof(double) + (factor->ssize + 4 * factor->n) * sizeof(Index);
    const auto some = static_cast<std::uint64_t>(plan.mostSourcesOfSome);
    const std::uint64_t solveBytes = (static_cast<std::uint64_t>(plan.valueCount) + sources * sources + some * some +
                                      static_cast<std::uint64_t>(plan.widestUpdate)) *
                                     sizeof(double);
    // The check of the solution: the currents, two solutions and CHOLMOD's workspace, a few per node.
    const std::uint64_t checkBytes = static_cast<std::uint64_t>(nodes.count) * 6 * sizeof(double);
    const std::uint64_t need = static_cast<std::uint64_t>(surface.cellCount()) * (sizeof(double) + 1 + sizeof(Index)) +
                               matrix->nzmax * (sizeof(Index) + sizeof(double)) + factorBytes +
                               std::max(solveBytes, checkBytes) +
                               static_cast<std::uint64_t>(observations.size()) * observations.size() * sizeof(double);
    requireMemory(need, memoryLimit,
                  surface.description() + " (" + std::to_string(surface.columns()) + " x " +
                      std::to_string(surface.rows()) + " cells)",
                  "circuit resistance");
    listener.throwIfCancelled();

    // Below this many operations the factor's dense blocks are too small for BLAS's threads to
    // pay for their hand-overs (on 200 x 200 cells, about 1e8, they cost up to half the time on a
    // busy computer); the numbers are the same with any count of threads.
    const OneBlasThread oneThread(common.get()->fl < 1e9);
    listener.status("Circuit resistance: factoring");
    factorizeMatrix(common, matrix.get(), factor.get(), surface.description());
    matrix.reset();
    listener.throwIfCancelled();

    listener.status("Circuit resistance: solving");
    GroundedSolution solution;
    solution.estimatedError = probeError(common, factor.get(), joined, nodes, resistors, sourceNodes);
    if (!(solution.estimatedError <= kCircuitTolerance))
        return solution;
    listener.throwIfCancelled();

    const std::vector<double> gram = solveAndMultiply(Supernodes(*factor), sourceColumns, plan, listener);
    const auto m = static_cast<size_t>(sources);
    // The ground's solution is 0.
    auto product = [&](int t, int u) {
        return t < 0 || u < 0 ? 0.0
                              : gram[static_cast<size_t>(std::min(t, u)) * m + static_cast<size_t>(std::max(t, u))];
    };
    solution.between.assign(static_cast<size_t>(cells) * static_cast<size_t>(cells), 0.0);
    for (int p = 0; p < cells; ++p) {
        for (int q = p + 1; q < cells; ++q) {
            const int t = sourceOfCell[static_cast<size_t>(p)];
            const int u = sourceOfCell[static_cast<size_t>(q)];
            solution.between[static_cast<size_t>(p) * cells + q] =
                t < 0   ? product(u, u)
                : u < 0 ? product(t, t)
                        : std::max(0.0, product(t, t) + product(u, u) - 2.0 * product(t, u));
        }
    }
    return solution;
}

} // namespace

SquareMatrix CircuitDistances(const ResistanceSurface& surface, const PlacedObservations& observations, int neighbours,
                              RunListener& listener, std::uint64_t memoryLimit, CircuitOrdering ordering)
{
    listener.status("Circuit resistance: building the circuit");
    const std::vector<std::uint8_t> joined = RequireJoined(surface, observations, neighbours);
    const DistinctCells distinct = distinctCells(observations);
    const int cells = static_cast<int>(distinct.cells.size());
    if (cells < 2)
        return SquareMatrix(observations.size());

    const ResistanceRange range = resistanceRange(surface, joined);
    const std::string circuit = "The circuit over the " + surface.description();
    const std::string spread = "the resistances of the cells it joins range " + range.text(surface.columns()) +
                               ", a ratio of " + range.ratioText();
    if (!(range.ratio() <= kWidestCircuitRatio))
        throw DataProblem(circuit + " cannot be solved: " + spread + ", beyond the " +
                              shortestText(kWidestCircuitRatio) + " that its conductances can hold.",
                          "Narrow the range: mark cells that cannot be crossed as no data rather than giving them "
                          "a huge resistance.");
    // The cheapest cell's resistance in [1, 4) (see Resistors).
    int scale = std::ilogb(range.lowest);
    scale -= scale % 2 != 0 ? 1 : 0;
    const Resistors resistors(surface, neighbours, scale);

    GroundedSolution solution = solveGrounded(surface, observations, distinct, joined, resistors,
                                              distinct.cells.front(), listener, memoryLimit, ordering);
    if (solution.between.empty() && range.lowestCell != distinct.cells.front()) {
        // A cheap cell as the ground keeps the strongly joined part of the circuit from floating on
        // weak resistors, which is what the factor resolves worst.
        const double first = solution.estimatedError;
        solution = solveGrounded(surface, observations, distinct, joined, resistors, range.lowestCell, listener,
                                 memoryLimit, ordering);
        solution.estimatedError = std::min(first, solution.estimatedError);
    }
    if (solution.between.empty())
        throw DataProblem(circuit + " cannot be solved accurately: " + spread +
                              ", and across such a spread double precision loses the currents through the weakest "
                              "resistors beside the strongest (the check of the solution estimates its relative "
                              "error at " +
                              shortestText(solution.estimatedError) + ", where at most " +
                              shortestText(kCircuitTolerance) + " is accepted).",
                          "Narrow the range of the resistances: mark cells that cannot be crossed as no data "
                          "rather than giving them a huge resistance.");

    auto observationOf = [&](int cell) {
        for (size_t k = 0; k < distinct.ofObservation.size(); ++k) {
            if (distinct.ofObservation[k] == cell)
                return observations.names[k];
        }
        return std::string("a location");
    };
    for (int p = 0; p < cells; ++p) {
        for (int q = p + 1; q < cells; ++q) {
            double& d = solution.between[static_cast<size_t>(p) * cells + q];
            const double resistance = std::ldexp(d, scale);
            if (!std::isfinite(resistance) || (d > 0.0 && !(resistance >= std::numeric_limits<double>::min())))
                throw DataProblem("The circuit resistance between " + observationOf(p) + " and " + observationOf(q) +
                                      " over the " + surface.description() + " cannot be represented as a number: " +
                                      "it is " + (std::isfinite(resistance) ? "below 2.2e-308" : "above 1.8e+308") +
                                      ". The resistances of the cells range " + range.text(surface.columns()) + ".",
                                  "Rescale the resistances (multiply or divide them all by the same number): the "
                                  "distances scale with them.");
            d = resistance;
        }
    }
    return observationMatrix(distinct,
                             [&](int p, int q) { return solution.between[static_cast<size_t>(p) * cells + q]; });
}

} // namespace tessaloc
