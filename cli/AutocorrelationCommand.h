#pragma once

#include "cli/AnalysisCommand.h"

#include "analyses/autocorrelation/AutocorrelationAnalysis.h"

namespace tessaloc::cli {

template <> struct AnalysisCommandLine<AutocorrelationAnalysis> {
    static const std::string_view summary;
    static std::vector<OptionSpec> options();
    static AutocorrelationSettings settings(const Invocation& invocation);
};

} // namespace tessaloc::cli
