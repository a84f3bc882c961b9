#pragma once

#include "ui/shell/OptionsDialog.h"

class QLineEdit;

namespace tessaloc::ui {

/// "Paired-Sample Genetic Distance Analysis": the permutation count of the paired-sample analysis.
/// The program offers no such analysis yet, so no menu opens this window.
class PairedSampleOptionsDialog : public OptionsDialog {
    Q_OBJECT
public:
    explicit PairedSampleOptionsDialog(ProgramState& state, QWidget* parent = nullptr);

protected:
    void ok() override;

private:
    QLineEdit* m_permutationsEdit;
};

} // namespace tessaloc::ui
