#pragma once

#include "ui/shell/OptionsDialog.h"

class QLineEdit;
class QRadioButton;

namespace tessaloc::ui {

/// "AAIA Options": permutation count and how the study area is found.
class AggregationOptionsDialog : public OptionsDialog {
    Q_OBJECT
public:
    explicit AggregationOptionsDialog(ProgramState& state, QWidget* parent = nullptr);

protected:
    void ok() override;

private:
    QLineEdit* m_permutationsEdit;
    QRadioButton* m_estimatedArea;
    QRadioButton* m_empiricalArea;
    QLineEdit* m_areaEdit;
};

} // namespace tessaloc::ui
