#include "ui/AnalysisTable.h"

#include "ui/AggregationOptionsDialog.h"
#include "ui/AutocorrelationOptionsDialog.h"
#include "ui/LandscapeOptionsDialog.h"
#include "ui/LandscapeResultsWindow.h"
#include "ui/MantelOptionsDialog.h"
#include "ui/MantelResultsWindow.h"
#include "ui/MonmonierOptionsDialog.h"
#include "ui/MonmonierResultsWindow.h"
#include "ui/runs/AnalysisRuns.h"

namespace tessaloc::ui {

const std::vector<AnalysisEntry>& analysisTable()
{
    // One entry per analysis: its list item; its Options menu item (the indices skip 2) and window;
    // how it starts. An analysis without a start function is not available in this version.
    // clang-format off
    static const std::vector<AnalysisEntry> table = {
        {QStringLiteral("Mantel Test"),
         {QStringLiteral("Mantel test"), 0, &makeOptionsWindow<MantelOptionsDialog>},
         startWith(&runMantelTest, &makeResultsWindow<MantelResultsWindow, MantelResult>)},
        {QStringLiteral("Spatial Autocorrelation Analysis"),
         {QStringLiteral("Spatial Autocorrelation"), 1, &makeOptionsWindow<AutocorrelationOptionsDialog>},
         {}},
        {QStringLiteral("Allelic Aggregation Index Analysis"),
         {QStringLiteral("AAIA"), 3, &makeOptionsWindow<AggregationOptionsDialog>},
         {}},
        {QStringLiteral("Interpolate Genetic Landscape Shape"),
         {QStringLiteral("Landscape Shape Interpolation"), 4, &makeOptionsWindow<LandscapeOptionsDialog>},
         startWith(&runLandscapeShape, &makeResultsWindow<LandscapeResultsWindow, LandscapeShape>)},
        {QStringLiteral("Monmonier Maximum Difference Algorithm"),
         {QStringLiteral("Monmonier's Algorithm"), 5, &makeOptionsWindow<MonmonierOptionsDialog>},
         startWith(&runMonmonier, &makeResultsWindow<MonmonierResultsWindow, MonmonierResult>)},
        {QStringLiteral("Show Plot of Sample Locations"),
         {},
         {}},
    };
    // clang-format on
    return table;
}

} // namespace tessaloc::ui
