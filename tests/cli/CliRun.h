#pragma once

// A run of the batch program inside the test: its exit status and what it printed.

#include "cli/CommandLine.h"

#include <sstream>
#include <string>
#include <vector>

namespace tessaloc::cli {

struct CliRun {
    int exit = -1;
    std::string out;
    std::string err;
};

/// Runs the batch program with `arguments` (without the program name).
inline CliRun runCli(const std::vector<std::string>& arguments)
{
    std::ostringstream out, err;
    CliRun result;
    result.exit = runCommandLine(arguments, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

} // namespace tessaloc::cli
