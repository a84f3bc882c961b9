#pragma once

#include "ui/analyses/sampleplot/SamplePlotResultsWindow.h"
#include "ui/shell/AnalysisWindows.h"

#include "analyses/sampleplot/SamplePlotAnalysis.h"

namespace tessaloc::ui {

/// The plot has no options window.
template <> struct AnalysisWindows<SamplePlotAnalysis> {
    static QString listText() { return QStringLiteral("Show Plot of Sample Locations"); }
    static OptionsMenuItem optionsMenuItem() { return {}; }
    static SamplePlotSettings settings(const ProgramSettings&) { return {}; }
    using ResultsWindow = SamplePlotResultsWindow;
};

} // namespace tessaloc::ui
