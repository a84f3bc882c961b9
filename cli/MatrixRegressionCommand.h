#pragma once

#include "cli/AnalysisCommand.h"

#include "analyses/matrixregression/MatrixRegressionAnalysis.h"

namespace tessaloc::cli {

template <> struct AnalysisCommandLine<MatrixRegressionAnalysis> {
    static const std::string_view summary;
    static std::vector<OptionSpec> options();
    static MatrixRegressionSettings settings(const Invocation& invocation);
};

/// A predictor matrix as --predictor names it: `straight`, or `least-cost:FILE`, `resistance:FILE`
/// (a resistance surface) or `matrix:FILE` (a distance matrix file); a surface is stepped over with
/// the run's --neighbours. Throws UsageError for any other text and for a kind without its file.
GeoDistanceSettings predictorOption(const std::string& text, int neighbours);

} // namespace tessaloc::cli
