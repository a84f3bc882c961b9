#pragma once

#include "ui/shell/OptionsDialog.h"

class QRadioButton;

namespace tessaloc::ui {

/// "Permutation Scheme": how every permutation test draws its replicates, one choice for the whole
/// program (exchanges, independent uniform shuffles or complete enumeration), each with a line that
/// explains it.
class PermutationSchemeDialog : public OptionsDialog {
    Q_OBJECT
public:
    explicit PermutationSchemeDialog(ProgramState& state, QWidget* parent = nullptr);

protected:
    void ok() override;

private:
    QRadioButton* m_exchanges;
    QRadioButton* m_uniform;
    QRadioButton* m_complete;
};

} // namespace tessaloc::ui
