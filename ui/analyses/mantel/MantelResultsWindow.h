#pragma once

#include "ui/shell/ResultsWindow.h"

#include "analyses/mantel/Mantel.h"

#include <memory>

namespace tessaloc::ui {

/// "Mantel Test Analysis Results": the scatterplot of genetic against geographic distance with its
/// regression line on the "Scatterplot" page, the report "IBDResults.txt" on the "Results" page.
/// The window keeps the result, whose two distance matrices the chart reads its pairs from (no copy
/// of them per point), and shows the names of the pair under the mouse.
class MantelResultsWindow : public ResultsWindow {
    Q_OBJECT
public:
    /// Shows `result`, taking it over; the report lies in `runFolder` and goes when the
    /// window closes.
    MantelResultsWindow(ProgramState& state, MantelResult result, std::unique_ptr<QTemporaryDir> runFolder,
                        QWidget* parent = nullptr);

    const MantelResult& result() const { return *m_result; }

private:
    std::shared_ptr<const MantelResult> m_result;
};

} // namespace tessaloc::ui
