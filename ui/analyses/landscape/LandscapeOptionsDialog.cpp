#include "ui/analyses/landscape/LandscapeOptionsDialog.h"

#include "ui/shell/ProgramState.h"
#include "ui/widgets/WindowParts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tessaloc::ui {

LandscapeOptionsDialog::LandscapeOptionsDialog(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Landscape Shape Interpolation"), parent)
{
    setObjectName(QStringLiteral("InterpolateOptions"));
    setWindowTitle(QStringLiteral("Options for Interpolation of Landscape Shape"));
    m_networkDelaunay = named(
        new QRadioButton(QStringLiteral("Midpoints of edges derived from Delaunay triangulation"), this), "Option1");
    m_networkPairwise =
        named(new QRadioButton(QStringLiteral("Midpoints of pairwise distances of all observations"), this), "Option2");
    m_heightsRaw = named(new QRadioButton(QStringLiteral("Raw genetic distances between points"), this), "Option3");
    m_heightsPseudoslope =
        named(new QRadioButton(QStringLiteral("Pseudoslopes (distance-corrected genetic distances)"), this), "Option4");
    m_heightsResidual = named(new QRadioButton(QStringLiteral("Residual genetic distances"), this), "Option5");
    m_logHeights = named(new QCheckBox(QStringLiteral("Log(10) transform surface heights"), this), "Check2");

    // The two groups are framed before any option is selected, so that each group is exclusive
    // on its own.
    auto* layout = fixedSizeLayout(this);
    layout->addWidget(optionGroup(this, "Frame1", QStringLiteral("Calculate surface based on"),
                                  {m_networkDelaunay, m_networkPairwise}));
    layout->addWidget(optionGroup(this, "Frame2", QStringLiteral("Calculate surface heights based on"),
                                  {m_heightsRaw, m_heightsPseudoslope, m_heightsResidual}));
    layout->addWidget(m_logHeights);
    addButtons(QStringLiteral("Command1"), QStringLiteral("Command2"));

    const LandscapeSettings& settings = m_state.settings.landscape;
    (settings.network == LandscapeNetwork::Delaunay ? m_networkDelaunay : m_networkPairwise)->setChecked(true);
    (settings.heightMode == LandscapeHeightMode::Pseudoslope ? m_heightsPseudoslope
     : settings.heightMode == LandscapeHeightMode::Residual  ? m_heightsResidual
                                                             : m_heightsRaw)
        ->setChecked(true);
    m_logHeights->setChecked(settings.logHeights);
    updateLogBox();
    for (QRadioButton* heights : {m_heightsRaw, m_heightsPseudoslope, m_heightsResidual})
        connect(heights, &QRadioButton::toggled, this, &LandscapeOptionsDialog::updateLogBox);
}

void LandscapeOptionsDialog::updateLogBox()
{
    // Only pseudoslopes may be log-transformed; a tick in the disabled box stays visible but is not
    // stored.
    m_logHeights->setEnabled(m_heightsPseudoslope->isChecked());
}

void LandscapeOptionsDialog::ok()
{
    LandscapeSettings& settings = m_state.settings.landscape;
    settings.network = m_networkDelaunay->isChecked() ? LandscapeNetwork::Delaunay : LandscapeNetwork::Pairwise;
    settings.heightMode = m_heightsPseudoslope->isChecked() ? LandscapeHeightMode::Pseudoslope
                          : m_heightsResidual->isChecked()  ? LandscapeHeightMode::Residual
                                                            : LandscapeHeightMode::Raw;
    settings.logHeights = m_logHeights->isChecked() && m_logHeights->isEnabled();
    accept();
}

} // namespace tessaloc::ui
