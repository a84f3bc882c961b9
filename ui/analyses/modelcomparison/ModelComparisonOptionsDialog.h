#pragma once

#include "ui/shell/OptionsDialog.h"

#include "analyses/modelcomparison/ModelComparison.h"

#include <vector>

class QLineEdit;
class QListWidget;

namespace tessaloc::ui {

class GeoDistanceGroup;

/// "Compare Hypotheses Options": the list of named models, and the model being made: its name and
/// its predictors, each added from the choice of distances below them. "Add Model" puts it into the
/// list (the null model is always added by the analysis).
class ModelComparisonOptionsDialog : public OptionsDialog {
    Q_OBJECT
public:
    explicit ModelComparisonOptionsDialog(ProgramState& state, QWidget* parent = nullptr);

    const std::vector<HypothesisModel>& models() const { return m_models; }
    /// The predictors of the model being made.
    const std::vector<GeoDistanceSettings>& newPredictors() const { return m_newModel.predictors; }

public slots:
    /// Adds the choice of the distances group to the model being made.
    void addPredictor();
    /// Puts the model being made, under the name in its box, into the list.
    void addModel();
    /// Removes the model selected in the list.
    void removeModel();

protected:
    void ok() override;

private:
    void showModels();
    void showNewPredictors();

    std::vector<HypothesisModel> m_models;
    HypothesisModel m_newModel;
    QListWidget* m_modelList;
    QLineEdit* m_nameEdit;
    QListWidget* m_newPredictorList;
    GeoDistanceGroup* m_choice;
};

} // namespace tessaloc::ui
