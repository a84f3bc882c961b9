#pragma once

#include "analyses/Analysis.h"
#include "analyses/currentmap/CurrentMap.h"

#include <string_view>

namespace tessaloc {

/// The cumulative current map as both front ends run it (see AnalysisDefinition): it reads the
/// coordinate file and the resistance surface, no genotypes.
struct CurrentMapAnalysis {
    using Settings = CurrentMapSettings;
    using Result = CurrentMapResult;
    static constexpr std::string_view kName = "currentmap";
    static constexpr std::string_view kReportFileName = kCurrentMapReportFileName;
    static constexpr bool kReadsGenotypes = false;

    /// Draws no numbers.
    static Result run(const CurrentMapInput& input, RandomUniform&, RunListener& listener)
    {
        return RunCurrentMap(input, listener);
    }
    static void writeReport(ReportWriter& report, const Result& result) { WriteCurrentMapReport(report, result); }
};

} // namespace tessaloc
