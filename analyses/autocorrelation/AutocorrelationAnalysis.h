#pragma once

#include "analyses/Analysis.h"
#include "analyses/autocorrelation/Autocorrelation.h"

#include <string_view>

namespace tessaloc {

/// The spatial autocorrelation analysis as both front ends run it (see AnalysisDefinition).
struct AutocorrelationAnalysis {
    using Settings = AutocorrelationSettings;
    using Result = AutocorrelationResult;
    static constexpr std::string_view kName = "autocorrelation";
    static constexpr std::string_view kReportFileName = kAutocorrelationReportFileName;
    static constexpr bool kReadsGenotypes = true;

    static Result run(const AutocorrelationInput& input, RandomUniform& random, RunListener& listener)
    {
        return RunAutocorrelation(input, random, listener);
    }
    static void writeReport(ReportWriter& report, const Result& result) { WriteAutocorrelationReport(report, result); }
};

} // namespace tessaloc
