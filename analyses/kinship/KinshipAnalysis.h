#pragma once

#include "analyses/Analysis.h"
#include "analyses/kinship/Kinship.h"

#include <string_view>

namespace tessaloc {

/// The fine-scale spatial structure analysis (kinship by distance class, Sp, Rousset's a) as both
/// front ends run it (see AnalysisDefinition).
struct KinshipAnalysis {
    using Settings = KinshipSettings;
    using Result = KinshipResult;
    static constexpr std::string_view kName = "kinship";
    static constexpr std::string_view kReportFileName = kKinshipReportFileName;
    static constexpr bool kReadsGenotypes = true;

    static Result run(const KinshipInput& input, RandomUniform& random, RunListener& listener)
    {
        return RunKinship(input, random, listener);
    }
    static void writeReport(ReportWriter& report, const Result& result) { WriteKinshipReport(report, result); }
};

} // namespace tessaloc
