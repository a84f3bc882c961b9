#include "ui/runs/AnalysisRuns.h"

#include "core/ReportWriter.h"

namespace tessaloc::ui {

MonmonierResult runMonmonier(RunContext& context, RunListener& listener)
{
    const MonmonierInput input{context.files, context.settings.monmonier};
    MonmonierResult result = RunMonmonier(input, listener);
    listener.throwIfCancelled();
    writeReportFile(context.folder, kMonmonierReportFileName,
                    [&](ReportWriter& report) { WriteMonmonierReport(report, result); });
    return result;
}

} // namespace tessaloc::ui
