#pragma once

#include "ui/shell/OptionsDialog.h"

class QLineEdit;
class QRadioButton;

namespace tessaloc::ui {

/// "Monmonier Algorithm Options": which distances the barriers follow, how many barriers, and how
/// many bootstrap replicates measure their support (0, none, at first).
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
    QLineEdit* m_bootstrapEdit;
};

} // namespace tessaloc::ui
