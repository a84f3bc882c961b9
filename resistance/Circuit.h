#pragma once

// The circuit laid over a resistance surface, as the circuit engines (CircuitDistances and
// CumulativeCurrentMap) build, order and factor it. Includes CHOLMOD: only those engines include it.

#include "resistance/Cholmod.h"
#include "resistance/CircuitDistances.h"
#include "resistance/ResistanceSurface.h"

#include <cstdint>
#include <vector>

namespace tessaloc {

/// The conductance of the resistor between neighbouring passable cells `a` and `b`: one over the
/// mean of their resistances, times sqrt(2) for a diagonal pair.
double resistorConductance(const ResistanceSurface& surface, CellIndex a, CellIndex b, bool diagonal);

/// The nodes of the circuit: every cell joined to the observations except the ground cell, numbered
/// row by row; -1 elsewhere.
struct CircuitNodes {
    std::vector<SuiteSparse_long> ofCell;
    SuiteSparse_long count = 0;
};

/// Numbers the cells marked in `joined` (see RequireJoined), leaving out `ground`.
CircuitNodes numberNodes(const std::vector<std::uint8_t>& joined, CellIndex ground);

/// The grounded graph Laplacian of the circuit, upper triangle: off the diagonal minus the
/// conductance of each resistor between two nodes, on it the sum of the conductances at the node
/// (those to the ground cell included).
CholmodSparse circuitLaplacian(CholmodCommon& common, const ResistanceSurface& surface, const CircuitNodes& nodes,
                               int neighbours);

/// The symbolic factorisation of the Laplacian in the elimination order `ordering` chooses.
CholmodFactor analyzeCircuit(CholmodCommon& common, cholmod_sparse* laplacian, const ResistanceSurface& surface,
                             const CircuitNodes& nodes, CircuitOrdering ordering);

/// The bytes of an analysed factor once it is filled: its numbers and row numbers, and CHOLMOD's
/// workspace while factoring (the largest update block and a few numbers per node).
std::uint64_t factorBytes(const cholmod_factor& factor);

/// Keeps BLAS on the calling thread while it lives (when `wanted`), then restores its thread count.
class OneBlasThread {
public:
    explicit OneBlasThread(bool wanted);
    ~OneBlasThread();
    OneBlasThread(const OneBlasThread&) = delete;
    OneBlasThread& operator=(const OneBlasThread&) = delete;

private:
    int m_threads;
};

} // namespace tessaloc
