#pragma once

#include "cli/AnalysisCommand.h"

#include "analyses/mlpe/MlpeAnalysis.h"

namespace tessaloc::cli {

template <> struct AnalysisCommandLine<MlpeAnalysis> {
    static const std::string_view summary;
    static std::vector<OptionSpec> options();
    static MlpeSettings settings(const Invocation& invocation);
};

} // namespace tessaloc::cli
