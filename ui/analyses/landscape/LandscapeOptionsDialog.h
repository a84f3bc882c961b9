#pragma once

#include "ui/shell/OptionsDialog.h"

class QCheckBox;
class QRadioButton;

namespace tessaloc::ui {

/// "Options for Interpolation of Landscape Shape": network, heights and their log10 transform.
class LandscapeOptionsDialog : public OptionsDialog {
    Q_OBJECT
public:
    explicit LandscapeOptionsDialog(ProgramState& state, QWidget* parent = nullptr);

protected:
    void ok() override;

private:
    void updateLogBox();

    QRadioButton* m_networkDelaunay;
    QRadioButton* m_networkPairwise;
    QRadioButton* m_heightsRaw;
    QRadioButton* m_heightsPseudoslope;
    QRadioButton* m_heightsResidual;
    QCheckBox* m_logHeights;
};

} // namespace tessaloc::ui
