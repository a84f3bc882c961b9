#include "resistance/Cholmod.h"

#include "core/Errors.h"

namespace tessaloc {

CholmodCommon::CholmodCommon()
{
    cholmod_l_start(&m_common);
    m_common.print = 0;
    m_common.supernodal = CHOLMOD_SUPERNODAL;
    m_common.nmethods = 1;
    m_common.method[0].ordering = CHOLMOD_AMD;
    m_common.postorder = 1;
}

CholmodCommon::~CholmodCommon()
{
    cholmod_l_finish(&m_common);
}

void CholmodCommon::check(const std::string& step) const
{
    switch (m_common.status) {
    case CHOLMOD_OUT_OF_MEMORY:
        throw AnalysisError("not enough memory for " + step);
    case CHOLMOD_TOO_LARGE:
        throw AnalysisError("the circuit is too large for the sparse solver when " + step);
    default:
        if (m_common.status < CHOLMOD_OK)
            throw AnalysisError("the sparse solver failed (CHOLMOD status " + std::to_string(m_common.status) +
                                ") when " + step);
    }
}

CholmodSparse allocateSymmetricUpper(CholmodCommon& common, std::size_t n, std::size_t entries)
{
    CholmodSparse matrix(cholmod_l_allocate_sparse(n, n, entries, 1, 1, 1, CHOLMOD_REAL, common.get()),
                         FreeCholmodSparse{common.get()});
    common.check("building the circuit");
    if (!matrix)
        throw AnalysisError("the sparse solver gave no matrix when building the circuit");
    return matrix;
}

CholmodDense allocateColumn(CholmodCommon& common, std::size_t n)
{
    CholmodDense column(cholmod_l_zeros(n, 1, CHOLMOD_REAL, common.get()), FreeCholmodDense{common.get()});
    common.check("checking the solution of the circuit");
    if (!column)
        throw AnalysisError("the sparse solver gave no vector when checking the solution of the circuit");
    return column;
}

CholmodDense solveFactored(CholmodCommon& common, cholmod_factor* factor, cholmod_dense* b)
{
    CholmodDense x(cholmod_l_solve(CHOLMOD_A, factor, b, common.get()), FreeCholmodDense{common.get()});
    common.check("checking the solution of the circuit");
    if (!x)
        throw AnalysisError("the sparse solver gave no solution when checking the solution of the circuit");
    return x;
}

CholmodFactor analyzeMatrix(CholmodCommon& common, cholmod_sparse* matrix, const std::vector<SuiteSparse_long>* order)
{
    cholmod_common* settings = common.get();
    cholmod_factor* analysed = nullptr;
    if (order) {
        settings->method[0].ordering = CHOLMOD_GIVEN;
        // CHOLMOD only reads the order, but takes it through a pointer to non-const.
        analysed = cholmod_l_analyze_p(matrix, const_cast<SuiteSparse_long*>(order->data()), nullptr, 0, settings);
        settings->method[0].ordering = CHOLMOD_AMD;
    } else {
        analysed = cholmod_l_analyze(matrix, settings);
    }
    CholmodFactor factor(analysed, FreeCholmodFactor{settings});
    common.check("ordering the circuit");
    if (!factor || !factor->is_super)
        throw AnalysisError("the sparse solver gave no supernodal factor when ordering the circuit");
    return factor;
}

void factorizeMatrix(CholmodCommon& common, cholmod_sparse* matrix, cholmod_factor* factor, const std::string& what)
{
    cholmod_l_factorize(matrix, factor, common.get());
    common.check("factoring the circuit");
    if (common.get()->status == CHOLMOD_NOT_POSDEF || factor->minor < factor->n)
        throw DataProblem("The circuit over the " + what +
                              " cannot be solved: its equations lose their precision (the factorisation breaks "
                              "down at node " +
                              std::to_string(factor->minor + 1) + " of " + std::to_string(factor->n) + ").",
                          "The resistances probably span too many orders of magnitude.");
    if (!factor->is_ll || !factor->is_super)
        throw AnalysisError("the sparse solver gave no supernodal LL' factor when factoring the circuit");
}

CholmodDense allocateDenseZeros(CholmodCommon& common, std::size_t rows, std::size_t columns)
{
    CholmodDense matrix(cholmod_l_zeros(rows, columns, CHOLMOD_REAL, common.get()), FreeCholmodDense{common.get()});
    common.check("allocating the right-hand sides");
    if (!matrix)
        throw AnalysisError("the sparse solver gave no matrix when allocating the right-hand sides");
    return matrix;
}

FactorSolver::FactorSolver(CholmodCommon& common, cholmod_factor* factor)
    : m_common(common)
    , m_factor(factor)
{
}

FactorSolver::~FactorSolver()
{
    cholmod_l_free_dense(&m_solution, m_common.get());
    cholmod_l_free_dense(&m_workspaceY, m_common.get());
    cholmod_l_free_dense(&m_workspaceE, m_common.get());
}

const cholmod_dense& FactorSolver::solve(cholmod_dense* rightHandSides)
{
    const int solved = cholmod_l_solve2(CHOLMOD_A, m_factor, rightHandSides, nullptr, &m_solution, nullptr,
                                        &m_workspaceY, &m_workspaceE, m_common.get());
    m_common.check("solving the circuit");
    if (!solved || !m_solution)
        throw AnalysisError("the sparse solver gave no solution when solving the circuit");
    return *m_solution;
}

} // namespace tessaloc
