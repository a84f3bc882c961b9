#pragma once

#include "ui/analyses/partialmantel/PartialMantelOptionsDialog.h"
#include "ui/analyses/partialmantel/PartialMantelResultsWindow.h"
#include "ui/shell/AnalysisWindows.h"

#include "analyses/partialmantel/PartialMantelAnalysis.h"

namespace tessaloc::ui {

template <> struct AnalysisWindows<PartialMantelAnalysis> {
    static QString listText() { return QStringLiteral("Partial Mantel Test"); }
    static OptionsMenuItem optionsMenuItem()
    {
        return {QStringLiteral("Partial Mantel Test"), 6, &makeOptionsWindow<PartialMantelOptionsDialog>};
    }
    static PartialMantelSettings settings(const ProgramSettings& program) { return program.partialMantel; }
    using ResultsWindow = PartialMantelResultsWindow;
};

} // namespace tessaloc::ui
