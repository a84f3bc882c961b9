#pragma once

#include "ui/analyses/aggregation/AggregationOptionsDialog.h"
#include "ui/analyses/aggregation/AggregationResultsWindow.h"
#include "ui/shell/AnalysisWindows.h"

#include "analyses/aggregation/AggregationAnalysis.h"

namespace tessaloc::ui {

// The Options menu items are numbered 0, 1, 3, 4, 5: their object names skip 2.
template <> struct AnalysisWindows<AggregationAnalysis> {
    static QString listText() { return QStringLiteral("Allelic Aggregation Index Analysis"); }
    static OptionsMenuItem optionsMenuItem()
    {
        return {QStringLiteral("AAIA"), 3, &makeOptionsWindow<AggregationOptionsDialog>};
    }
    static AggregationSettings settings(const ProgramSettings& program) { return program.aggregation; }
    using ResultsWindow = AggregationResultsWindow;
};

} // namespace tessaloc::ui
