#pragma once

#include "ui/ResultsWindow.h"

#include "analyses/mantel/MantelTest.h"

namespace tessaloc::ui {

/// "Mantel Test Analysis Results": the scatterplot of genetic against geographic distance with its
/// regression line on the "Scatterplot" page, the report "IBDResults.txt" on the "Results" page.
class MantelResultsWindow : public ResultsWindow {
    Q_OBJECT
public:
    /// Shows `result`; the report lies in `reportDirectory` and goes when the window closes.
    MantelResultsWindow(ProgramState& state, const MantelResult& result, std::unique_ptr<QTemporaryDir> reportDirectory,
                        QWidget* parent = nullptr);
};

} // namespace tessaloc::ui
