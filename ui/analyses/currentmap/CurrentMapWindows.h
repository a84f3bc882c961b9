#pragma once

#include "ui/analyses/currentmap/CurrentMapResultsWindow.h"
#include "ui/shell/AnalysisWindows.h"

#include "analyses/currentmap/CurrentMapAnalysis.h"

namespace tessaloc::ui {

/// The map has no options window: it takes the resistance surface and its neighbours from the main
/// window's "Geographic Distances".
template <> struct AnalysisWindows<CurrentMapAnalysis> {
    static QString listText() { return QStringLiteral("Current Flow Map"); }
    static OptionsMenuItem optionsMenuItem() { return {}; }
    static CurrentMapSettings settings(const ProgramSettings&) { return {}; }
    using ResultsWindow = CurrentMapResultsWindow;
};

} // namespace tessaloc::ui
