#include "ui/runs/AnalysisRuns.h"

#include "core/ReportWriter.h"

namespace tessaloc::ui {

LandscapeShape runLandscapeShape(RunContext& context, RunListener& listener)
{
    const LandscapeInput input{context.files, context.settings.landscape};
    LandscapeShape shape = RunLandscapeShape(input, listener);
    listener.throwIfCancelled();
    writeReportFile(context.folder, kLandscapeReportFileName,
                    [&](ReportWriter& report) { WriteLandscapeReport(report, shape); });
    return shape;
}

} // namespace tessaloc::ui
