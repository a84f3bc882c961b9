#pragma once

#include "core/ProcessGroup.h"
#include "core/RandomUniform.h"

#include <memory>
#include <optional>

namespace tessaloc::cli {

/// The processes an MPI launcher (mpirun, srun) started this run in, as one group that shares the
/// work. Made once per process, before the run; the launcher's connection closes when it goes.
class RunProcesses : public ProcessGroup {
public:
    /// Ends every process of the run at once with `exitStatus`, after this one has said why on
    /// standard error: a process that failed cannot know where the others wait for it.
    [[noreturn]] virtual void abortAll(int exitStatus) = 0;
};

/// The processes of this run when a launcher started it and the program was built with MPI; nullptr
/// otherwise (then the run is this process's alone). Throws AnalysisError when MPI cannot start.
std::unique_ptr<RunProcesses> joinLaunchedProcesses();

/// Whether this build shares a run between the processes of a launcher (it was built with MPI).
bool sharesRunsBetweenProcesses();

/// The number of processes a launcher started this one among (OpenMPI's mpirun, or a launcher that
/// speaks PMI such as Slurm's srun, from their environment variables), when it did.
std::optional<long long> launchedProcesses();

/// Whether this process writes the run's files and prints its results: it works alone, or it is
/// process 0 of its group.
bool writesResults();

/// Returns once every process of the group has got this far (at once without a group): process 0
/// writes nothing before every process has finished its part, so a failure anywhere leaves no
/// report.
void waitForEveryProcess();

/// Whether waitForEveryProcess() has returned in this process since it joined its group.
bool everyProcessHasFinished();

/// The generator `own`, or, with a group, the one process 0 made, so that every process draws the
/// same numbers (a seed from the clock differs between processes).
RandomUniform generatorOfProcessZero(const RandomUniform& own);

} // namespace tessaloc::cli
