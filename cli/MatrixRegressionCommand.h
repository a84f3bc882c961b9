#pragma once

#include "cli/AnalysisCommand.h"

#include "analyses/matrixregression/MatrixRegressionAnalysis.h"

namespace tessaloc::cli {

template <> struct AnalysisCommandLine<MatrixRegressionAnalysis> {
    static const std::string_view summary;
    static std::vector<OptionSpec> options();
    static MatrixRegressionSettings settings(const Invocation& invocation);
};

} // namespace tessaloc::cli
