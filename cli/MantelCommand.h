#pragma once

#include "cli/AnalysisCommand.h"

#include "analyses/mantel/MantelAnalysis.h"

namespace tessaloc::cli {

template <> struct AnalysisCommandLine<MantelAnalysis> {
    static const std::string_view summary;
    static std::vector<OptionSpec> options();
    static MantelSettings settings(const Invocation& invocation);
};

} // namespace tessaloc::cli
