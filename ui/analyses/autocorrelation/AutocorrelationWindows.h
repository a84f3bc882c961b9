#pragma once

#include "ui/analyses/autocorrelation/AutocorrelationOptionsDialog.h"
#include "ui/analyses/autocorrelation/AutocorrelationResultsWindow.h"
#include "ui/shell/AnalysisWindows.h"

#include "analyses/autocorrelation/AutocorrelationAnalysis.h"

namespace tessaloc::ui {

template <> struct AnalysisWindows<AutocorrelationAnalysis> {
    static QString listText() { return QStringLiteral("Spatial Autocorrelation Analysis"); }
    static OptionsMenuItem optionsMenuItem()
    {
        return {QStringLiteral("Spatial Autocorrelation"), 1, &makeOptionsWindow<AutocorrelationOptionsDialog>};
    }
    static AutocorrelationSettings settings(const ProgramSettings& program) { return program.autocorrelation; }
    using ResultsWindow = AutocorrelationResultsWindow;
};

} // namespace tessaloc::ui
