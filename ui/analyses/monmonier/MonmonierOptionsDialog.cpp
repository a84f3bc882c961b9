#include "ui/analyses/monmonier/MonmonierOptionsDialog.h"

#include "ui/shell/ProgramState.h"
#include "ui/widgets/NumericText.h"
#include "ui/widgets/UiHooks.h"
#include "ui/widgets/WindowParts.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tessaloc::ui {

MonmonierOptionsDialog::MonmonierOptionsDialog(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Monmonier Maximum Difference Algorithm"), parent)
{
    setObjectName(QStringLiteral("MonMonierOptionsForm"));
    setWindowTitle(QStringLiteral("Monmonier Algorithm Options"));
    m_raw = named(new QRadioButton(QStringLiteral("Raw genetic distances"), this), "OptionRaw");
    m_pseudoslopes =
        named(new QRadioButton(QStringLiteral("Pseudoslopes (distance corrected genetic distances)"), this),
              "OptionPseudoslopes");
    m_residuals = named(new QRadioButton(QStringLiteral("Residual genetic distances"), this), "OptionResiduals");
    const MonmonierSettings& settings = m_state.settings.monmonier;
    (settings.distanceKind == MonmonierDistanceKind::Residual      ? m_residuals
     : settings.distanceKind == MonmonierDistanceKind::Pseudoslope ? m_pseudoslopes
                                                                   : m_raw)
        ->setChecked(true);
    m_barrierCountEdit = numberBox(this, "BarrierCount", QString::number(settings.barrierCount));
    m_bootstrapEdit = numberBox(this, "BootstrapReplicates", QString::number(settings.bootstrapReplicates));

    auto* layout = fixedSizeLayout(this);
    layout->addWidget(optionGroup(this, "Frame1", QStringLiteral("Use"), {m_raw, m_pseudoslopes, m_residuals}));
    layout->addLayout(labelled(this, "Label1", QStringLiteral("# of barriers to detect"), m_barrierCountEdit));
    layout->addLayout(labelled(this, "Label2", QStringLiteral("Bootstrap replicates (0 = none)"), m_bootstrapEdit));
    addButtons(QStringLiteral("OKButton"), QStringLiteral("HelpButton"));
}

void MonmonierOptionsDialog::ok()
{
    MonmonierSettings& settings = m_state.settings.monmonier;
    // The distance kind is stored even when the count is refused.
    settings.distanceKind = m_residuals->isChecked()      ? MonmonierDistanceKind::Residual
                            : m_pseudoslopes->isChecked() ? MonmonierDistanceKind::Pseudoslope
                                                          : MonmonierDistanceKind::Raw;
    const std::int32_t count = floor32(numericValue(m_barrierCountEdit->text()));
    if (count == 0) {
        showMessage(this, QStringLiteral("Number of barriers must be a non-zero integer."));
        return;
    }
    // The replicates must be a whole number in range: neither rounded nor taken in part.
    bool whole = false;
    const long long replicates = m_bootstrapEdit->text().trimmed().toLongLong(&whole);
    if (!whole || replicates < 0 || replicates > kMostBootstrapReplicates) {
        showMessage(
            this,
            QStringLiteral("Bootstrap replicates must be a whole number from 0 to %1.").arg(kMostBootstrapReplicates));
        return;
    }
    settings.barrierCount = count;
    settings.bootstrapReplicates = replicates;
    accept();
}

} // namespace tessaloc::ui
