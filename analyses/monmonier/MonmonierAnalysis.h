#pragma once

#include "analyses/Analysis.h"
#include "analyses/monmonier/Monmonier.h"

#include <string_view>

namespace tessaloc {

/// Monmonier's maximum difference barriers as both front ends run them (see AnalysisDefinition).
struct MonmonierAnalysis {
    using Settings = MonmonierSettings;
    using Result = MonmonierResult;
    static constexpr std::string_view kName = "monmonier";
    static constexpr std::string_view kReportFileName = kMonmonierReportFileName;
    static constexpr bool kReadsGenotypes = true;

    /// Draws numbers only for bootstrap replicates, after the observed search.
    static Result run(const MonmonierInput& input, RandomUniform& random, RunListener& listener)
    {
        return RunMonmonier(input, random, listener);
    }
    static void writeReport(ReportWriter& report, const Result& result) { WriteMonmonierReport(report, result); }
};

} // namespace tessaloc
