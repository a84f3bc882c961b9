#pragma once

#include "ui/shell/OptionsDialog.h"

class QLineEdit;
class QRadioButton;

namespace tessaloc::ui {

/// "Random Seed": whether every run seeds the generator from the clock (as at start) or starts from
/// a seed the user gives, S1 (1 to 2147483562) and S2 (1 to 2147483398). The boxes show the fixed
/// seed, else the seed of the last run, so that it can be kept with one click.
class RandomSeedDialog : public OptionsDialog {
    Q_OBJECT
public:
    explicit RandomSeedDialog(ProgramState& state, QWidget* parent = nullptr);

protected:
    /// Stores the choice; a fixed seed outside its ranges, or not a whole number, is refused with a
    /// message and the window stays open.
    void ok() override;

private:
    QRadioButton* m_fromClock;
    QRadioButton* m_fixed;
    QLineEdit* m_seed1Edit;
    QLineEdit* m_seed2Edit;
};

} // namespace tessaloc::ui
