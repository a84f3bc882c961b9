#pragma once

#include "cli/AnalysisCommand.h"

#include "analyses/landscape/LandscapeAnalysis.h"

namespace tessaloc::cli {

/// The landscape's report takes the sections of the grids asked for with --grid, and --grid-file
/// writes the last grid beside it.
template <> struct AnalysisCommandLine<LandscapeAnalysis> {
    static const std::string_view summary;
    static std::vector<OptionSpec> options();
    /// Checks the grid options too, so that a mistaken one stops the run before anything is read.
    static LandscapeSettings settings(const Invocation& invocation);
    static CommandResult write(const Invocation& invocation, const LandscapeResult& shape, RunListener& listener);
};

} // namespace tessaloc::cli
