#include "ui/runs/AnalysisRuns.h"

#include "core/ReportWriter.h"

namespace tessaloc::ui {

AggregationResult runAllelicAggregation(RunContext& context, RunListener& listener)
{
    // The options window keeps the area choice and the empirical area in the engine's own settings.
    const AggregationInput input{context.files, context.settings.aggregation};
    AggregationResult result =
        RunAllelicAggregation(input, context.random, listener, permutationOptions(context.settings));
    listener.throwIfCancelled();
    writeReportFile(context.folder, kAggregationReportFileName,
                    [&](ReportWriter& report) { WriteAggregationReport(report, result); });
    return result;
}

} // namespace tessaloc::ui
