#pragma once

#include "ui/shell/OptionsDialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace tessaloc::ui {

/// "Fine-Scale Spatial Structure Options": the distance classes (bounds, or a number of classes of
/// equal width or equal counts), the permutations, the estimators and the jackknife.
class KinshipOptionsDialog : public OptionsDialog {
    Q_OBJECT
public:
    explicit KinshipOptionsDialog(ProgramState& state, QWidget* parent = nullptr);

protected:
    void ok() override;

private:
    QLineEdit* m_boundsEdit;
    QLineEdit* m_classCountEdit;
    QRadioButton* m_equalDistances;
    QRadioButton* m_equalCounts;
    QLineEdit* m_permutationsEdit;
    QComboBox* m_estimators;
    QCheckBox* m_jackknife;
};

} // namespace tessaloc::ui
