#pragma once

#include "ui/shell/OptionsDialog.h"

#include "resistance/GeoDistances.h"

#include <vector>

class QListWidget;

namespace tessaloc::ui {

class GeoDistanceGroup;

/// "Mixed-Model Regression (MLPE) Options": the predictor matrices (a list, each added from the
/// choice of distances below it: straight lines, a resistance surface or a distance matrix file).
class MlpeOptionsDialog : public OptionsDialog {
    Q_OBJECT
public:
    explicit MlpeOptionsDialog(ProgramState& state, QWidget* parent = nullptr);

    /// The predictors as the list holds them.
    const std::vector<GeoDistanceSettings>& predictors() const { return m_predictors; }

public slots:
    /// Appends the choice of the distances group to the list, unless the list holds it already.
    void addPredictor();
    /// Removes the predictor selected in the list.
    void removePredictor();

protected:
    void ok() override;

private:
    void showPredictors();

    std::vector<GeoDistanceSettings> m_predictors;
    QListWidget* m_predictorList;
    GeoDistanceGroup* m_choice;
};

} // namespace tessaloc::ui
