#pragma once

#include "ui/analyses/landscape/LandscapeOptionsDialog.h"
#include "ui/analyses/landscape/LandscapeResultsWindow.h"
#include "ui/shell/AnalysisWindows.h"

#include "analyses/landscape/LandscapeAnalysis.h"

namespace tessaloc::ui {

template <> struct AnalysisWindows<LandscapeAnalysis> {
    static QString listText() { return QStringLiteral("Interpolate Genetic Landscape Shape"); }
    static OptionsMenuItem optionsMenuItem()
    {
        return {QStringLiteral("Landscape Shape Interpolation"), 4, &makeOptionsWindow<LandscapeOptionsDialog>};
    }
    static LandscapeSettings settings(const ProgramSettings& program) { return program.landscape; }
    using ResultsWindow = LandscapeResultsWindow;
};

} // namespace tessaloc::ui
