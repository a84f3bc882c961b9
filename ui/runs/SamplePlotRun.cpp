#include "ui/runs/AnalysisRuns.h"

namespace tessaloc::ui {

SamplePlotResult runSamplePlot(RunContext& context, RunListener& listener)
{
    // Only the coordinate file is read; the plot writes no report.
    SamplePlotResult result{RunSamplePlot(context.files, listener), context.files.useLatLong};
    listener.throwIfCancelled();
    return result;
}

} // namespace tessaloc::ui
