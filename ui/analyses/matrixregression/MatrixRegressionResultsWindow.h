#pragma once

#include "ui/shell/ScatterplotResultsWindow.h"

#include "analyses/matrixregression/MatrixRegression.h"

#include <memory>

class QTableWidget;

namespace tessaloc::ui {

/// "Multiple Matrix Regression Results": the table of the terms (estimate, t and P) on the
/// "Coefficients" page, the observed genetic distances against the fitted ones on the "Scatterplot"
/// page, the report "MMRR-Results.txt" on the "Results" page. The chart reads its pairs from the
/// result's genetic matrix and the fitted distances, which the window keeps.
class MatrixRegressionResultsWindow : public ScatterplotResultsWindow {
    Q_OBJECT
public:
    MatrixRegressionResultsWindow(ProgramState& state, MatrixRegressionResult result,
                                  std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent = nullptr);

    const MatrixRegressionResult& result() const { return *m_result; }
    QTableWidget* coefficientTable() const { return m_table; }

private:
    std::shared_ptr<const MatrixRegressionResult> m_result;
    std::shared_ptr<const PackedDistances> m_fitted;
    QTableWidget* m_table;
};

} // namespace tessaloc::ui
