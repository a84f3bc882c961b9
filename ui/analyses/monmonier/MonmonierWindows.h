#pragma once

#include "ui/analyses/monmonier/MonmonierOptionsDialog.h"
#include "ui/analyses/monmonier/MonmonierResultsWindow.h"
#include "ui/shell/AnalysisWindows.h"

#include "analyses/monmonier/MonmonierAnalysis.h"

namespace tessaloc::ui {

template <> struct AnalysisWindows<MonmonierAnalysis> {
    static QString listText() { return QStringLiteral("Monmonier Maximum Difference Algorithm"); }
    static OptionsMenuItem optionsMenuItem()
    {
        return {QStringLiteral("Monmonier's Algorithm"), 5, &makeOptionsWindow<MonmonierOptionsDialog>};
    }
    static MonmonierSettings settings(const ProgramSettings& program) { return program.monmonier; }
    using ResultsWindow = MonmonierResultsWindow;
};

} // namespace tessaloc::ui
