#pragma once

#include "ui/AnalysisTable.h"
#include "ui/SamplePlotWindow.h"

#include "analyses/aggregation/AllelicAggregation.h"
#include "analyses/autocorrelation/SpatialAutocorrelation.h"
#include "analyses/landscape/LandscapeShape.h"
#include "analyses/mantel/MantelTest.h"
#include "analyses/monmonier/MonmonierSearch.h"

namespace tessaloc::ui {

// The analyses as the window program runs them, one file each in this folder. Each runs on the
// worker thread: it fills its analysis's input from the context, runs the engine, writes the report
// into the run's folder and returns what its results window shows.

/// The permutation options of a run's permutation test: the scheme of the settings.
inline PermutationOptions permutationOptions(const ProgramSettings& settings)
{
    PermutationOptions options;
    options.scheme = settings.permutationScheme;
    return options;
}

MantelResult runMantelTest(RunContext& context, RunListener& listener);
LandscapeShape runLandscapeShape(RunContext& context, RunListener& listener);
MonmonierResult runMonmonier(RunContext& context, RunListener& listener);
AutocorrelationResult runSpatialAutocorrelation(RunContext& context, RunListener& listener);
AggregationResult runAllelicAggregation(RunContext& context, RunListener& listener);
SamplePlotResult runSamplePlot(RunContext& context, RunListener& listener);

} // namespace tessaloc::ui
