#pragma once

#include "analyses/Analysis.h"
#include "analyses/modelcomparison/ModelComparison.h"

#include <string_view>

namespace tessaloc {

/// The table of hypotheses ranked by AICc as both front ends run it (see AnalysisDefinition).
struct ModelComparisonAnalysis {
    using Settings = ModelComparisonSettings;
    using Result = ModelComparisonResult;
    static constexpr std::string_view kName = "models";
    static constexpr std::string_view kReportFileName = kModelComparisonReportFileName;
    static constexpr bool kReadsGenotypes = true;

    static Result run(const ModelComparisonInput& input, RandomUniform&, RunListener& listener)
    {
        return RunModelComparison(input, listener);
    }
    static void writeReport(ReportWriter& report, const Result& result) { WriteModelComparisonReport(report, result); }
};

} // namespace tessaloc
