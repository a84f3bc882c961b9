#pragma once

#include "ui/shell/ResultsWindow.h"

#include "analyses/modelcomparison/ModelComparison.h"

#include <memory>

class QBarSet;
class QTableWidget;

namespace tessaloc::ui {

/// "Compare Hypotheses Results": the models ranked by AICc on the "Models" page (k, log-likelihood,
/// AIC, AICc, delta AICc, Akaike weight and marginal R2), a bar chart of the Akaike weights on the
/// "Weights" page and the report "Models-Results.txt" on the "Results" page.
class ModelComparisonResultsWindow : public ResultsWindow {
    Q_OBJECT
public:
    ModelComparisonResultsWindow(ProgramState& state, ModelComparisonResult result,
                                 std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent = nullptr);

    const ModelComparisonResult& result() const { return m_result; }
    QTableWidget* modelTable() const { return m_table; }
    /// The bars of the weights, one per model in the order of the ranking.
    QBarSet* weightBars() const { return m_weights; }

private:
    ModelComparisonResult m_result;
    QTableWidget* m_table;
    QBarSet* m_weights;
};

} // namespace tessaloc::ui
