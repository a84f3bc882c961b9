#pragma once

#include "ui/shell/ScatterplotResultsWindow.h"

#include "analyses/partialmantel/PartialMantel.h"

#include <memory>

namespace tessaloc::ui {

/// "Partial Mantel Test Analysis Results": on the "Scatterplot" page the residuals of the genetic
/// distances after Z against the residuals of X after Z, pair by pair, with their regression line
/// (its slope is the partial regression coefficient, and the correlation of the points is the
/// partial r); the report "PartialMantel-Results.txt" on the "Results" page.
class PartialMantelResultsWindow : public ScatterplotResultsWindow {
    Q_OBJECT
public:
    /// Shows `result`, taking it over; the report lies in `runFolder` and goes when the window
    /// closes.
    PartialMantelResultsWindow(ProgramState& state, PartialMantelResult result,
                               std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent = nullptr);

    const PartialMantelResult& result() const { return *m_result; }

private:
    std::shared_ptr<const PartialMantelResult> m_result;
};

} // namespace tessaloc::ui
