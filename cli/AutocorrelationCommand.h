#pragma once

#include "cli/AnalysisCommand.h"

#include "analyses/autocorrelation/AutocorrelationAnalysis.h"

namespace tessaloc::cli {

template <> struct AnalysisCommandLine<AutocorrelationAnalysis> {
    static const std::string_view summary;
    static std::vector<OptionSpec> options();
    static AutocorrelationSettings settings(const Invocation& invocation);
    /// The report, then the class table of --intervals.
    static CommandResult write(const Invocation& invocation, const AutocorrelationResult& result,
                               RunListener& listener);
};

} // namespace tessaloc::cli
