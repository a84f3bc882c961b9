#pragma once

#include "cli/AnalysisCommand.h"

#include "analyses/sampleplot/SamplePlotAnalysis.h"

namespace tessaloc::cli {

/// The plot has no options and no report: the hull is printed.
template <> struct AnalysisCommandLine<SamplePlotAnalysis> {
    static const std::string_view summary;
    static std::vector<OptionSpec> options() { return {}; }
    static SamplePlotSettings settings(const Invocation&) { return {}; }
    static CommandResult write(const Invocation& invocation, const SamplePlotResult& result, RunListener& listener);
};

} // namespace tessaloc::cli
