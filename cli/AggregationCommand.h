#pragma once

#include "cli/AnalysisCommand.h"

#include "analyses/aggregation/AggregationAnalysis.h"

namespace tessaloc::cli {

template <> struct AnalysisCommandLine<AggregationAnalysis> {
    static const std::string_view summary;
    static std::vector<OptionSpec> options();
    static AggregationSettings settings(const Invocation& invocation);
};

} // namespace tessaloc::cli
