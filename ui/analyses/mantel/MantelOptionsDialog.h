#pragma once

#include "ui/shell/OptionsDialog.h"

class QCheckBox;
class QLineEdit;

namespace tessaloc::ui {

/// "Mantel Test Options": permutation count, the two log10 transforms, ranks in place of the
/// distances, and whether the report lists every pair.
class MantelOptionsDialog : public OptionsDialog {
    Q_OBJECT
public:
    explicit MantelOptionsDialog(ProgramState& state, QWidget* parent = nullptr);

protected:
    void ok() override;

private:
    QLineEdit* m_permutationsEdit;
    QCheckBox* m_logGeographic;
    QCheckBox* m_logGenetic;
    QCheckBox* m_pairTable;
    QCheckBox* m_rank;
};

} // namespace tessaloc::ui
