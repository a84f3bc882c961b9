#include "cli/CommandLine.h"

#include <iostream>

int main(int argc, char** argv)
{
    tessaloc::cli::installReportCleanupOnSignals();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return tessaloc::cli::runCommandLine(arguments, std::cout, std::cerr);
}
