#pragma once

#include "analyses/Analysis.h"
#include "analyses/partialmantel/PartialMantel.h"

#include <string_view>

namespace tessaloc {

/// The partial Mantel test as both front ends run it (see AnalysisDefinition).
struct PartialMantelAnalysis {
    using Settings = PartialMantelSettings;
    using Result = PartialMantelResult;
    static constexpr std::string_view kName = "partialmantel";
    static constexpr std::string_view kReportFileName = kPartialMantelReportFileName;
    static constexpr bool kReadsGenotypes = true;

    static Result run(const PartialMantelInput& input, RandomUniform& random, RunListener& listener)
    {
        return RunPartialMantel(input, random, listener);
    }
    static void writeReport(ReportWriter& report, const Result& result) { WritePartialMantelReport(report, result); }
};

} // namespace tessaloc
