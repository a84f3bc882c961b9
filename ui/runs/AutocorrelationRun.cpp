#include "ui/runs/AnalysisRuns.h"

#include "core/ReportWriter.h"

namespace tessaloc::ui {

AutocorrelationResult runSpatialAutocorrelation(RunContext& context, RunListener& listener)
{
    const AutocorrelationInput input{context.files, context.settings.autocorrelation};
    AutocorrelationResult result =
        RunSpatialAutocorrelation(input, context.random, listener, permutationOptions(context.settings));
    listener.throwIfCancelled();
    writeReportFile(context.folder, kAutocorrelationReportFileName,
                    [&](ReportWriter& report) { WriteAutocorrelationReport(report, result); });
    return result;
}

} // namespace tessaloc::ui
