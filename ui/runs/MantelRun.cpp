#include "ui/runs/AnalysisRuns.h"

#include "core/ReportWriter.h"

namespace tessaloc::ui {

MantelResult runMantelTest(RunContext& context, RunListener& listener)
{
    const MantelInput input{context.files, context.settings.mantel};
    MantelResult result = RunMantelTest(input, context.random, listener, permutationOptions(context.settings));
    listener.throwIfCancelled();
    writeReportFile(context.folder, kMantelReportFileName,
                    [&](ReportWriter& report) { WriteMantelReport(report, result); });
    return result;
}

} // namespace tessaloc::ui
