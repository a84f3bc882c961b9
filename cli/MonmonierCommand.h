#pragma once

#include "cli/AnalysisCommand.h"

#include "analyses/monmonier/MonmonierAnalysis.h"

namespace tessaloc::cli {

/// The barrier search's report, and with --support the bootstrap support table beside it.
template <> struct AnalysisCommandLine<MonmonierAnalysis> {
    static const std::string_view summary;
    static std::vector<OptionSpec> options();
    /// Checks --support too, so that a mistaken one stops the run before anything is read.
    static MonmonierSettings settings(const Invocation& invocation);
    static CommandResult write(const Invocation& invocation, const MonmonierResult& result, RunListener& listener);
};

} // namespace tessaloc::cli
