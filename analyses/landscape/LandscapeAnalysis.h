#pragma once

#include "analyses/Analysis.h"
#include "analyses/landscape/Landscape.h"

#include <string_view>

namespace tessaloc {

/// The genetic landscape shape as both front ends run it (see AnalysisDefinition). The grids
/// interpolated afterwards (GridInterpolation.h) append their sections to the same report.
struct LandscapeAnalysis {
    using Settings = LandscapeSettings;
    using Result = LandscapeResult;
    static constexpr std::string_view kName = "landscape";
    static constexpr std::string_view kReportFileName = kLandscapeReportFileName;
    static constexpr bool kReadsGenotypes = true;

    /// Draws no numbers.
    static Result run(const LandscapeInput& input, RandomUniform&, RunListener& listener)
    {
        return RunLandscape(input, listener);
    }
    static void writeReport(ReportWriter& report, const Result& result) { WriteLandscapeReport(report, result); }
};

} // namespace tessaloc
