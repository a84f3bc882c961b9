// The one place that speaks MPI: the processes a launcher started, as a ProcessGroup.
#include "cli/RunProcesses.h"

#include "core/Errors.h"

#include <mpi.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace tessaloc::cli {
namespace {

// Every MPI error becomes the program's AnalysisError, with MPI's own words for it.
void check(int code, const char* what)
{
    if (code == MPI_SUCCESS)
        return;
    char text[MPI_MAX_ERROR_STRING] = {};
    int length = 0;
    MPI_Error_string(code, text, &length);
    throw AnalysisError(std::string("the processes of the run could not ") + what +
                        " (MPI: " + std::string(text, static_cast<size_t>(length)) + ")");
}

// A datatype of `bytes` bytes, freed when it goes.
class ElementType {
public:
    explicit ElementType(size_t bytes)
    {
        if (bytes > static_cast<size_t>(INT_MAX))
            throw AnalysisError("the processes of the run cannot exchange elements of " + std::to_string(bytes) +
                                " bytes");
        check(MPI_Type_contiguous(static_cast<int>(bytes), MPI_BYTE, &m_type), "describe the data they exchange");
        check(MPI_Type_commit(&m_type), "describe the data they exchange");
    }
    ~ElementType() { MPI_Type_free(&m_type); }
    ElementType(const ElementType&) = delete;
    ElementType& operator=(const ElementType&) = delete;
    MPI_Datatype get() const { return m_type; }

private:
    MPI_Datatype m_type = MPI_DATATYPE_NULL;
};

class MpiProcesses final : public RunProcesses {
public:
    MpiProcesses()
    {
        int initialized = 0;
        MPI_Initialized(&initialized);
        if (initialized)
            throw AnalysisError("the processes of the run can be joined only once per process");
        // Only the thread that runs the analysis calls MPI; the threads it starts never do.
        int provided = 0;
        if (MPI_Init_thread(nullptr, nullptr, MPI_THREAD_FUNNELED, &provided) != MPI_SUCCESS)
            throw AnalysisError("the processes of the run could not start MPI");
        MPI_Comm_set_errhandler(MPI_COMM_WORLD, MPI_ERRORS_RETURN);
        try {
            check(MPI_Comm_dup(MPI_COMM_WORLD, &m_communicator), "make their communicator");
            check(MPI_Comm_rank(m_communicator, &m_index), "number themselves");
            check(MPI_Comm_size(m_communicator, &m_count), "count themselves");
        } catch (...) {
            MPI_Finalize();
            throw;
        }
    }
    ~MpiProcesses() override
    {
        MPI_Comm_free(&m_communicator);
        MPI_Finalize();
    }
    MpiProcesses(const MpiProcesses&) = delete;
    MpiProcesses& operator=(const MpiProcesses&) = delete;

    int index() const override { return m_index; }
    int count() const override { return m_count; }

    void shareBlocks(std::byte* data, size_t elementBytes, std::span<const size_t> starts) override
    {
        std::vector<int> counts(static_cast<size_t>(m_count)), displacements(static_cast<size_t>(m_count));
        for (size_t p = 0; p < counts.size(); ++p) {
            if (starts[p + 1] > static_cast<size_t>(INT_MAX))
                throw AnalysisError("the processes of the run cannot exchange more than " + std::to_string(INT_MAX) +
                                    " values at once (" + std::to_string(starts.back()) + " asked)");
            displacements[p] = static_cast<int>(starts[p]);
            counts[p] = static_cast<int>(starts[p + 1] - starts[p]);
        }
        const ElementType element(std::max<size_t>(elementBytes, 1));
        check(MPI_Allgatherv(MPI_IN_PLACE, 0, MPI_DATATYPE_NULL, data, counts.data(), displacements.data(),
                             element.get(), m_communicator),
              "exchange their results");
    }

    [[noreturn]] void abortAll(int exitStatus) override
    {
        MPI_Abort(MPI_COMM_WORLD, exitStatus);
        std::_Exit(exitStatus);
    }

private:
    MPI_Comm m_communicator = MPI_COMM_NULL;
    int m_index = 0;
    int m_count = 1;
};

} // namespace

std::unique_ptr<RunProcesses> joinLaunchedProcesses()
{
    // Started without a launcher, the program runs alone and never starts MPI.
    if (!std::getenv("OMPI_COMM_WORLD_SIZE") && !std::getenv("PMI_SIZE") && !std::getenv("PMIX_RANK"))
        return nullptr;
    return std::make_unique<MpiProcesses>();
}

bool sharesRunsBetweenProcesses()
{
    return true;
}

} // namespace tessaloc::cli
