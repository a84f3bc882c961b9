#pragma once

#include "analyses/Analysis.h"
#include "analyses/matrixregression/MatrixRegression.h"

#include <string_view>

namespace tessaloc {

/// The multiple matrix regression with randomization as both front ends run it (see
/// AnalysisDefinition).
struct MatrixRegressionAnalysis {
    using Settings = MatrixRegressionSettings;
    using Result = MatrixRegressionResult;
    static constexpr std::string_view kName = "mmrr";
    static constexpr std::string_view kReportFileName = kMatrixRegressionReportFileName;
    static constexpr bool kReadsGenotypes = true;

    static Result run(const MatrixRegressionInput& input, RandomUniform& random, RunListener& listener)
    {
        return RunMatrixRegression(input, random, listener);
    }
    static void writeReport(ReportWriter& report, const Result& result) { WriteMatrixRegressionReport(report, result); }
};

} // namespace tessaloc
