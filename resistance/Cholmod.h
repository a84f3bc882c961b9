#pragma once

// The one place that holds SuiteSparse CHOLMOD (its 64-bit integer interface): a workspace that
// starts and finishes the library, owners that free its matrices and factors, and its status turned
// into the program's errors. Only the circuit engine includes it.

#include <cholmod.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace tessaloc {

/// CHOLMOD's workspace and settings: nothing printed, supernodal LL' factors, AMD ordering unless
/// the caller gives its own (on the graphs of surfaces AMD fills the factor about as little as
/// METIS's nested dissection, in a tenth of the time: 0.7 against 5.8 s on a million cells; a
/// dissection along the grid's own rows and columns does better than both).
class CholmodCommon {
public:
    CholmodCommon();
    ~CholmodCommon();
    CholmodCommon(const CholmodCommon&) = delete;
    CholmodCommon& operator=(const CholmodCommon&) = delete;

    cholmod_common* get() { return &m_common; }
    /// Throws AnalysisError naming `step` ("factoring the circuit") when CHOLMOD's last call failed.
    void check(const std::string& step) const;

private:
    cholmod_common m_common;
};

struct FreeCholmodSparse {
    cholmod_common* common;
    void operator()(cholmod_sparse* matrix) const { cholmod_l_free_sparse(&matrix, common); }
};
struct FreeCholmodFactor {
    cholmod_common* common;
    void operator()(cholmod_factor* factor) const { cholmod_l_free_factor(&factor, common); }
};
struct FreeCholmodDense {
    cholmod_common* common;
    void operator()(cholmod_dense* matrix) const { cholmod_l_free_dense(&matrix, common); }
};
using CholmodSparse = std::unique_ptr<cholmod_sparse, FreeCholmodSparse>;
using CholmodDense = std::unique_ptr<cholmod_dense, FreeCholmodDense>;
using CholmodFactor = std::unique_ptr<cholmod_factor, FreeCholmodFactor>;

/// A real symmetric n x n matrix of which the upper triangle is stored, column by column with rows
/// ascending, room for `entries` entries.
CholmodSparse allocateSymmetricUpper(CholmodCommon& common, std::size_t n, std::size_t entries);

/// The symbolic supernodal factorisation of `matrix` (its ordering and the pattern of L): with
/// CHOLMOD's own minimum degree ordering, or, when `order` is given (the column numbers in the order
/// they are eliminated), with that order, post-ordered by CHOLMOD.
CholmodFactor analyzeMatrix(CholmodCommon& common, cholmod_sparse* matrix,
                            const std::vector<SuiteSparse_long>* order = nullptr);

/// Fills `factor` with the numbers of L, P A P' = L L'. Throws DataProblem naming `what` when the
/// matrix turns out not to be positive definite (which only rounding can make it), AnalysisError
/// for CHOLMOD's failures.
void factorizeMatrix(CholmodCommon& common, cholmod_sparse* matrix, cholmod_factor* factor, const std::string& what);

/// A real dense matrix of `rows` x `columns` zeros, column by column.
CholmodDense allocateDenseZeros(CholmodCommon& common, std::size_t rows, std::size_t columns);

/// Solves A X = B for dense right-hand sides B with a filled factor of A, keeping its solution and
/// workspace from one call to the next (cholmod_solve2).
class FactorSolver {
public:
    FactorSolver(CholmodCommon& common, cholmod_factor* factor);
    ~FactorSolver();
    FactorSolver(const FactorSolver&) = delete;
    FactorSolver& operator=(const FactorSolver&) = delete;

    /// X, as many rows as the factor and as many columns as `rightHandSides`, column by column; valid
    /// until the next call. Throws AnalysisError for CHOLMOD's failures.
    const cholmod_dense& solve(cholmod_dense* rightHandSides);

private:
    CholmodCommon& m_common;
    cholmod_factor* m_factor;
    cholmod_dense* m_solution = nullptr;
    cholmod_dense* m_workspaceY = nullptr;
    cholmod_dense* m_workspaceE = nullptr;
};

/// A column of n zeros.
CholmodDense allocateColumn(CholmodCommon& common, std::size_t n);

/// x with A x = b for the factored A (P' L L' P), in the matrix's own numbering.
CholmodDense solveFactored(CholmodCommon& common, cholmod_factor* factor, cholmod_dense* b);

} // namespace tessaloc
