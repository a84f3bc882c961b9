#pragma once

#include "ui/shell/ResultsWindow.h"

#include "analyses/mlpe/Mlpe.h"

#include <memory>

class QTableWidget;

namespace tessaloc::ui {

/// "Mixed-Model Regression (MLPE) Results": the table of the terms (REML estimate, standard error, t
/// and the likelihood-ratio P) on the "Coefficients" page and the report "MLPE-Results.txt" on the
/// "Results" page.
class MlpeResultsWindow : public ResultsWindow {
    Q_OBJECT
public:
    MlpeResultsWindow(ProgramState& state, MlpeResult result, std::unique_ptr<QTemporaryDir> runFolder,
                      QWidget* parent = nullptr);

    const MlpeResult& result() const { return m_result; }
    QTableWidget* coefficientTable() const { return m_table; }

private:
    MlpeResult m_result;
    QTableWidget* m_table;
};

} // namespace tessaloc::ui
