#pragma once

#include "analyses/Analysis.h"
#include "analyses/sampleplot/SamplePlot.h"

#include <string_view>

namespace tessaloc {

/// The plot of sample locations as both front ends run it (see AnalysisDefinition): it reads the
/// coordinate file only and writes no report (the batch program prints the hull instead).
struct SamplePlotAnalysis {
    using Settings = SamplePlotSettings;
    using Result = SamplePlotResult;
    static constexpr std::string_view kName = "sampleplot";
    static constexpr std::string_view kReportFileName = {};
    static constexpr bool kReadsGenotypes = false;

    /// Draws no numbers.
    static Result run(const SamplePlotInput& input, RandomUniform&, RunListener& listener)
    {
        return RunSamplePlot(input, listener);
    }
    /// Never called: the plot has no report file.
    static void writeReport(ReportWriter&, const Result&) {}
};

} // namespace tessaloc
