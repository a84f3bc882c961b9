#pragma once

#include "cli/AnalysisCommand.h"

#include "analyses/modelcomparison/ModelComparisonAnalysis.h"

namespace tessaloc::cli {

template <> struct AnalysisCommandLine<ModelComparisonAnalysis> {
    static const std::string_view summary;
    static std::vector<OptionSpec> options();
    static ModelComparisonSettings settings(const Invocation& invocation);
    static CommandResult write(const Invocation& invocation, const ModelComparisonResult& result, RunListener&);
};

} // namespace tessaloc::cli
