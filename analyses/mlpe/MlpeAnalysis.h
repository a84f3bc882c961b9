#pragma once

#include "analyses/Analysis.h"
#include "analyses/mlpe/Mlpe.h"

#include <string_view>

namespace tessaloc {

/// The mixed-model regression of pairwise distances (MLPE) as both front ends run it (see
/// AnalysisDefinition).
struct MlpeAnalysis {
    using Settings = MlpeSettings;
    using Result = MlpeResult;
    static constexpr std::string_view kName = "mlpe";
    static constexpr std::string_view kReportFileName = kMlpeReportFileName;
    static constexpr bool kReadsGenotypes = true;

    static Result run(const MlpeInput& input, RandomUniform&, RunListener& listener)
    {
        return RunMlpe(input, listener);
    }
    static void writeReport(ReportWriter& report, const Result& result) { WriteMlpeReport(report, result); }
};

} // namespace tessaloc
