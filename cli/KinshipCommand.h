#pragma once

#include "cli/AnalysisCommand.h"

#include "analyses/kinship/KinshipAnalysis.h"

namespace tessaloc::cli {

template <> struct AnalysisCommandLine<KinshipAnalysis> {
    static const std::string_view summary;
    static std::vector<OptionSpec> options();
    static KinshipSettings settings(const Invocation& invocation);
    /// The report, then the class table of --table and the summary of --summary.
    static CommandResult write(const Invocation& invocation, const KinshipResult& result, RunListener& listener);
};

} // namespace tessaloc::cli
