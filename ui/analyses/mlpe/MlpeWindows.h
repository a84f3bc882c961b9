#pragma once

#include "ui/analyses/mlpe/MlpeOptionsDialog.h"
#include "ui/analyses/mlpe/MlpeResultsWindow.h"
#include "ui/shell/AnalysisWindows.h"

#include "analyses/mlpe/MlpeAnalysis.h"

namespace tessaloc::ui {

template <> struct AnalysisWindows<MlpeAnalysis> {
    static QString listText() { return QStringLiteral("Mixed-Model Regression (MLPE)"); }
    static OptionsMenuItem optionsMenuItem()
    {
        return {QStringLiteral("Mixed-Model Regression (MLPE)"), 8, &makeOptionsWindow<MlpeOptionsDialog>};
    }
    static MlpeSettings settings(const ProgramSettings& program) { return program.mlpe; }
    using ResultsWindow = MlpeResultsWindow;
};

} // namespace tessaloc::ui
