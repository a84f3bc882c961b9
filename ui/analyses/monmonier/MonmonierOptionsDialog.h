#pragma once

#include "ui/shell/OptionsDialog.h"

class QLineEdit;
class QRadioButton;

namespace tessaloc::ui {

/// "Monmonier Algorithm Options": which distances the barriers follow, and how many barriers.
class MonmonierOptionsDialog : public OptionsDialog {
    Q_OBJECT
public:
    explicit MonmonierOptionsDialog(ProgramState& state, QWidget* parent = nullptr);

protected:
    void ok() override;

private:
    QRadioButton* m_raw;
    QRadioButton* m_pseudoslopes;
    QRadioButton* m_residuals;
    QLineEdit* m_barrierCountEdit;
};

} // namespace tessaloc::ui
