#include "cli/RunProcesses.h"

namespace tessaloc::cli {

std::unique_ptr<RunProcesses> joinLaunchedProcesses()
{
    return nullptr;
}

bool sharesRunsBetweenProcesses()
{
    return false;
}

} // namespace tessaloc::cli
