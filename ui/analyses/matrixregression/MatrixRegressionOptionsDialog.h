#pragma once

#include "ui/shell/OptionsDialog.h"

#include "resistance/GeoDistances.h"

#include <vector>

class QCheckBox;
class QLineEdit;
class QListWidget;

namespace tessaloc::ui {

class GeoDistanceGroup;

/// "Multiple Matrix Regression Options": the predictor matrices (a list, each added from the choice
/// of distances below it: straight lines, a resistance surface or a distance matrix file), the
/// permutation count, ranks and standardised estimates.
class MatrixRegressionOptionsDialog : public OptionsDialog {
    Q_OBJECT
public:
    explicit MatrixRegressionOptionsDialog(ProgramState& state, QWidget* parent = nullptr);

    /// The predictors as the list holds them.
    const std::vector<GeoDistanceSettings>& predictors() const { return m_predictors; }

public slots:
    /// Appends the choice of the distances group to the list.
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
    QLineEdit* m_permutationsEdit;
    QCheckBox* m_rank;
    QCheckBox* m_standardise;
};

} // namespace tessaloc::ui
