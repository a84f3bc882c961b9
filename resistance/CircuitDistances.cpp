#include "resistance/CircuitDistances.h"

#include "core/Errors.h"
#include "resistance/Circuit.h"
#include "resistance/MemoryNeed.h"
#include "resistance/SurfaceGraph.h"

#include <cblas.h>

#include <algorithm>

namespace tessaloc {
namespace {

using Index = SuiteSparse_long;

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

SquareMatrix CircuitDistances(const ResistanceSurface& surface, const PlacedObservations& observations, int neighbours,
                              RunListener& listener, std::uint64_t memoryLimit, CircuitOrdering ordering)
{
    listener.status("Circuit resistance: building the circuit");
    const std::vector<std::uint8_t> joined = RequireJoined(surface, observations, neighbours);
    const DistinctCells distinct = distinctCells(observations);
    const int cells = static_cast<int>(distinct.cells.size());
    if (cells < 2)
        return SquareMatrix(observations.size());

    const CircuitNodes nodes = numberNodes(joined, distinct.cells.front());
    CholmodCommon common;
    CholmodSparse matrix = circuitLaplacian(common, surface, nodes, neighbours);
    listener.throwIfCancelled();

    listener.status("Circuit resistance: ordering");
    CholmodFactor factor = analyzeCircuit(common, matrix.get(), surface, nodes, ordering);
    // The pattern of L is known once it is analysed; its numbers come with the factorisation.
    const Supernodes pattern(*factor);
    // The sources are the other cells of observations, as columns of P A P'.
    const auto* permutation = static_cast<const Index*>(factor->Perm);
    std::vector<Index> positionOfNode(static_cast<size_t>(nodes.count));
    for (Index k = 0; k < nodes.count; ++k)
        positionOfNode[static_cast<size_t>(permutation[k])] = k;
    std::vector<Index> sourceColumns;
    for (int p = 1; p < cells; ++p)
        sourceColumns.push_back(
            positionOfNode[static_cast<size_t>(nodes.ofCell[static_cast<size_t>(distinct.cells[p])])]);
    const SupernodeSources plan = sourcesOfSupernodes(pattern, sourceColumns);

    const auto sources = static_cast<std::uint64_t>(sourceColumns.size());
    const auto some = static_cast<std::uint64_t>(plan.mostSourcesOfSome);
    const std::uint64_t solveBytes = (static_cast<std::uint64_t>(plan.valueCount) + sources * sources + some * some +
                                      static_cast<std::uint64_t>(plan.widestUpdate)) *
                                     sizeof(double);
    const std::uint64_t need = static_cast<std::uint64_t>(surface.cellCount()) * (sizeof(double) + 1 + sizeof(Index)) +
                               matrix->nzmax * (sizeof(Index) + sizeof(double)) + factorBytes(*factor) + solveBytes +
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
    const std::vector<double> gram = solveAndMultiply(Supernodes(*factor), sourceColumns, plan, listener);
    const auto m = static_cast<size_t>(sources);
    // Distinct cell 0 is the ground: its solution is 0.
    return observationMatrix(distinct, [&](int p, int q) {
        const size_t u = static_cast<size_t>(q - 1);
        if (p == 0)
            return gram[u * m + u];
        const size_t t = static_cast<size_t>(p - 1);
        return std::max(0.0, gram[t * m + t] + gram[u * m + u] - 2.0 * gram[t * m + u]);
    });
}

} // namespace tessaloc
