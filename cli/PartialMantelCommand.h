#pragma once

#include "cli/AnalysisCommand.h"

#include "analyses/partialmantel/PartialMantelAnalysis.h"

namespace tessaloc::cli {

template <> struct AnalysisCommandLine<PartialMantelAnalysis> {
    static const std::string_view summary;
    static std::vector<OptionSpec> options();
    static PartialMantelSettings settings(const Invocation& invocation);
};

} // namespace tessaloc::cli
