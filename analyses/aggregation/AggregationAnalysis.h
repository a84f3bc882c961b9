#pragma once

#include "analyses/Analysis.h"
#include "analyses/aggregation/Aggregation.h"

#include <string_view>

namespace tessaloc {

/// The allelic aggregation index analysis as both front ends run it (see AnalysisDefinition).
struct AggregationAnalysis {
    using Settings = AggregationSettings;
    using Result = AggregationResult;
    static constexpr std::string_view kName = "aggregation";
    static constexpr std::string_view kReportFileName = kAggregationReportFileName;
    static constexpr bool kReadsGenotypes = true;

    static Result run(const AggregationInput& input, RandomUniform& random, RunListener& listener)
    {
        return RunAggregation(input, random, listener);
    }
    static void writeReport(ReportWriter& report, const Result& result) { WriteAggregationReport(report, result); }
};

} // namespace tessaloc
