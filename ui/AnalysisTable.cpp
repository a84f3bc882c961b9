#include "ui/AnalysisTable.h"

#include "ui/AggregationOptionsDialog.h"
#include "ui/AggregationResultsWindow.h"
#include "ui/AutocorrelationOptionsDialog.h"
#include "ui/AutocorrelationResultsWindow.h"
#include "ui/LandscapeOptionsDialog.h"
#include "ui/LandscapeResultsWindow.h"
#include "ui/MantelOptionsDialog.h"
#include "ui/MantelResultsWindow.h"
#include "ui/MonmonierOptionsDialog.h"
#include "ui/MonmonierResultsWindow.h"
#include "ui/SamplePlotWindow.h"
#include "ui/runs/AnalysisRuns.h"

namespace tessaloc::ui {

const std::vector<AnalysisEntry>& analysisTable()
{
    // One entry per analysis: its list item; its Options menu item (the indices skip 2) and window;
    // how it starts.
    // clang-format off
    static const std::vector<AnalysisEntry> table = {
        {QStringLiteral("Mantel Test"),
         {QStringLiteral("Mantel test"), 0, &makeOptionsWindow<MantelOptionsDialog>},
         startWith(&runMantelTest, &makeResultsWindow<MantelResultsWindow, MantelResult>)},
        {QStringLiteral("Spatial Autocorrelation Analysis"),
         {QStringLiteral("Spatial Autocorrelation"), 1, &makeOptionsWindow<AutocorrelationOptionsDialog>},
         startWith(&runSpatialAutocorrelation,
                   &makeResultsWindow<AutocorrelationResultsWindow, AutocorrelationResult>)},
        {QStringLiteral("Allelic Aggregation Index Analysis"),
         {QStringLiteral("AAIA"), 3, &makeOptionsWindow<AggregationOptionsDialog>},
         startWith(&runAllelicAggregation, &makeResultsWindow<AggregationResultsWindow, AggregationResult>)},
        {QStringLiteral("Interpolate Genetic Landscape Shape"),
         {QStringLiteral("Landscape Shape Interpolation"), 4, &makeOptionsWindow<LandscapeOptionsDialog>},
         startWith(&runLandscapeShape, &makeResultsWindow<LandscapeResultsWindow, LandscapeShape>)},
        {QStringLiteral("Monmonier Maximum Difference Algorithm"),
         {QStringLiteral("Monmonier's Algorithm"), 5, &makeOptionsWindow<MonmonierOptionsDialog>},
         startWith(&runMonmonier, &makeResultsWindow<MonmonierResultsWindow, MonmonierResult>)},
        {QStringLiteral("Show Plot of Sample Locations"),
         {},
         startWith(&runSamplePlot, &makeResultsWindow<SamplePlotWindow, SamplePlotResult>)},
    };
    // clang-format on
    return table;
}

} // namespace tessaloc::ui
