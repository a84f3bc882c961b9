#pragma once

#include "ui/analyses/kinship/KinshipOptionsDialog.h"
#include "ui/analyses/kinship/KinshipResultsWindow.h"
#include "ui/shell/AnalysisWindows.h"

#include "analyses/kinship/KinshipAnalysis.h"

namespace tessaloc::ui {

template <> struct AnalysisWindows<KinshipAnalysis> {
    static QString listText() { return QStringLiteral("Fine-Scale Spatial Structure (Kinship)"); }
    static OptionsMenuItem optionsMenuItem()
    {
        return {QStringLiteral("Fine-Scale Spatial Structure"), 10, &makeOptionsWindow<KinshipOptionsDialog>};
    }
    static KinshipSettings settings(const ProgramSettings& program) { return program.kinship; }
    using ResultsWindow = KinshipResultsWindow;
};

} // namespace tessaloc::ui
