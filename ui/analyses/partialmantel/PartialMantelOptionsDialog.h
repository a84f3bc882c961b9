#pragma once

#include "ui/shell/OptionsDialog.h"

class QCheckBox;
class QLineEdit;

namespace tessaloc::ui {

class GeoDistanceGroup;

/// "Partial Mantel Test Options": the permutation count, the distances tested (X) and those held
/// constant (Z), each straight lines, distances over a resistance surface or a matrix file, whether
/// the statistics take ranks, and whether the report lists every pair.
class PartialMantelOptionsDialog : public OptionsDialog {
    Q_OBJECT
public:
    explicit PartialMantelOptionsDialog(ProgramState& state, QWidget* parent = nullptr);

protected:
    void ok() override;

private:
    QLineEdit* m_permutationsEdit;
    GeoDistanceGroup* m_x;
    GeoDistanceGroup* m_z;
    QCheckBox* m_rank;
    QCheckBox* m_pairTable;
};

} // namespace tessaloc::ui
