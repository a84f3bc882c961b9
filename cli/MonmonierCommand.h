#pragma once

#include "cli/AnalysisCommand.h"

#include "analyses/monmonier/MonmonierAnalysis.h"

namespace tessaloc::cli {

template <> struct AnalysisCommandLine<MonmonierAnalysis> {
    static const std::string_view summary;
    static std::vector<OptionSpec> options();
    static MonmonierSettings settings(const Invocation& invocation);
};

} // namespace tessaloc::cli
