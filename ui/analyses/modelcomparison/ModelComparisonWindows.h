#pragma once

#include "ui/analyses/modelcomparison/ModelComparisonOptionsDialog.h"
#include "ui/analyses/modelcomparison/ModelComparisonResultsWindow.h"
#include "ui/shell/AnalysisWindows.h"

#include "analyses/modelcomparison/ModelComparisonAnalysis.h"

namespace tessaloc::ui {

template <> struct AnalysisWindows<ModelComparisonAnalysis> {
    static QString listText() { return QStringLiteral("Compare Hypotheses"); }
    static OptionsMenuItem optionsMenuItem()
    {
        return {QStringLiteral("Compare Hypotheses"), 9, &makeOptionsWindow<ModelComparisonOptionsDialog>};
    }
    static ModelComparisonSettings settings(const ProgramSettings& program) { return program.modelComparison; }
    using ResultsWindow = ModelComparisonResultsWindow;
};

} // namespace tessaloc::ui
