#pragma once

#include "ui/shell/OptionsDialog.h"

class QLineEdit;
class QRadioButton;

namespace tessaloc::ui {

/// "Spatial Autocorrelation Options": distance classes, how they are built, permutation count and
/// the bootstrap resamples of the intervals of Ay.
class AutocorrelationOptionsDialog : public OptionsDialog {
    Q_OBJECT
public:
    explicit AutocorrelationOptionsDialog(ProgramState& state, QWidget* parent = nullptr);

protected:
    void ok() override;

private:
    QLineEdit* m_classCountEdit;
    QRadioButton* m_equalDistances;
    QRadioButton* m_equalCounts;
    QLineEdit* m_permutationsEdit;
    QLineEdit* m_bootstrapEdit;
};

} // namespace tessaloc::ui
