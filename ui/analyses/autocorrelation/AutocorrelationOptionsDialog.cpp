#include "ui/analyses/autocorrelation/AutocorrelationOptionsDialog.h"

#include "ui/shell/ProgramState.h"
#include "ui/widgets/NumericText.h"
#include "ui/widgets/WindowParts.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tessaloc::ui {

AutocorrelationOptionsDialog::AutocorrelationOptionsDialog(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Spatial Autocorrelation Analysis"), parent)
{
    setObjectName(QStringLiteral("SpatialAutocorrForm"));
    setWindowTitle(QStringLiteral("Spatial Autocorrelation Options"));
    const AutocorrelationSettings& settings = m_state.settings.autocorrelation;
    m_classCountEdit = numberBox(this, "Text1", QString::number(settings.classCount));
    m_equalDistances =
        named(new QRadioButton(QStringLiteral("Equal distances/Unequal numbers of observations"), this), "Option1");
    m_equalCounts =
        named(new QRadioButton(QStringLiteral("Unequal distances/Equal numbers of observations"), this), "Option2");
    m_permutationsEdit = numberBox(this, "Text2", QString::number(settings.permutations.count));
    m_bootstrapEdit = numberBox(this, "Text3", QString::number(settings.bootstrapResamples));
    (settings.classMode == ClassMode::EqualCounts ? m_equalCounts : m_equalDistances)->setChecked(true);

    auto* layout = fixedSizeLayout(this);
    layout->addLayout(labelled(this, "Label1", QStringLiteral("Number of distance classes"), m_classCountEdit));
    layout->addWidget(
        optionGroup(this, "Frame1", QStringLiteral("Distance Class Options"), {m_equalDistances, m_equalCounts}));
    layout->addLayout(labelled(this, "Label2", QStringLiteral("Number of permutations"), m_permutationsEdit));
    layout->addLayout(labelled(this, "Label3", QStringLiteral("Bootstrap resamples (0: none)"), m_bootstrapEdit));
    addButtons(QStringLiteral("Command1"), QStringLiteral("Command2"));
}

void AutocorrelationOptionsDialog::ok()
{
    AutocorrelationSettings& settings = m_state.settings.autocorrelation;
    settings.classCount = roundHalfEven32(numericValue(m_classCountEdit->text()));
    settings.classMode = m_equalDistances->isChecked() ? ClassMode::EqualDistances : ClassMode::EqualCounts;
    settings.permutations.count = roundHalfEven32(numericValue(m_permutationsEdit->text()));
    settings.bootstrapResamples = roundHalfEven32(numericValue(m_bootstrapEdit->text()));
    accept();
}

} // namespace tessaloc::ui
