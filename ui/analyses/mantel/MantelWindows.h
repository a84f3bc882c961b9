#pragma once

#include "ui/analyses/mantel/MantelOptionsDialog.h"
#include "ui/analyses/mantel/MantelResultsWindow.h"
#include "ui/shell/AnalysisWindows.h"

#include "analyses/mantel/MantelAnalysis.h"

namespace tessaloc::ui {

template <> struct AnalysisWindows<MantelAnalysis> {
    static QString listText() { return QStringLiteral("Mantel Test"); }
    static OptionsMenuItem optionsMenuItem()
    {
        return {QStringLiteral("Mantel test"), 0, &makeOptionsWindow<MantelOptionsDialog>};
    }
    static MantelSettings settings(const ProgramSettings& program) { return program.mantel; }
    using ResultsWindow = MantelResultsWindow;
};

} // namespace tessaloc::ui
