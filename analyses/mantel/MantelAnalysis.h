#pragma once

#include "analyses/Analysis.h"
#include "analyses/mantel/Mantel.h"

#include <string_view>

namespace tessaloc {

/// The Mantel test as both front ends run it (see AnalysisDefinition).
struct MantelAnalysis {
    using Settings = MantelSettings;
    using Result = MantelResult;
    static constexpr std::string_view kName = "mantel";
    static constexpr std::string_view kReportFileName = kMantelReportFileName;
    static constexpr bool kReadsGenotypes = true;

    static Result run(const MantelInput& input, RandomUniform& random, RunListener& listener)
    {
        return RunMantel(input, random, listener);
    }
    static void writeReport(ReportWriter& report, const Result& result) { WriteMantelReport(report, result); }
};

} // namespace tessaloc
