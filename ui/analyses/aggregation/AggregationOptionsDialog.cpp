#include "ui/analyses/aggregation/AggregationOptionsDialog.h"

#include "ui/shell/ProgramState.h"
#include "ui/widgets/NumericText.h"
#include "ui/widgets/UiHooks.h"
#include "ui/widgets/WindowParts.h"

#include "core/NumberText.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tessaloc::ui {

AggregationOptionsDialog::AggregationOptionsDialog(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Allelic Aggregation Index Analysis"), parent)
{
    setObjectName(QStringLiteral("AAIAForm"));
    setWindowTitle(QStringLiteral("AAIA Options"));
    const AggregationSettings& settings = m_state.settings.aggregation;
    const bool empirical = settings.areaMode == AreaMode::Empirical;
    m_permutationsEdit = numberBox(this, "Text1", QString::number(settings.permutations.count));
    m_estimatedArea = named(new QRadioButton(QStringLiteral("Estimated from data (rectangular)"), this), "Option1");
    m_empiricalArea = named(new QRadioButton(QStringLiteral("Empirical"), this), "Option2");
    m_areaEdit = numberBox(this, "Text2", QString());
    if (empirical) {
        m_empiricalArea->setChecked(true);
        m_areaEdit->setText(QString::fromStdString(plainText(settings.empiricalArea)));
    } else {
        m_estimatedArea->setChecked(true);
    }
    m_areaEdit->setEnabled(empirical);
    connect(m_estimatedArea, &QRadioButton::clicked, m_areaEdit, [this] { m_areaEdit->setEnabled(false); });
    connect(m_empiricalArea, &QRadioButton::clicked, m_areaEdit, [this] { m_areaEdit->setEnabled(true); });

    auto* layout = fixedSizeLayout(this);
    layout->addLayout(labelled(this, "Label1", QStringLiteral("# permutations"), m_permutationsEdit));
    QGroupBox* frame =
        optionGroup(this, "Frame1", QStringLiteral("Area estimation"), {m_estimatedArea, m_empiricalArea});
    static_cast<QVBoxLayout*>(frame->layout())->addWidget(m_areaEdit);
    layout->addWidget(frame);
    addButtons(QStringLiteral("Command1"), QStringLiteral("Command2"));
}

void AggregationOptionsDialog::ok()
{
    AggregationSettings& settings = m_state.settings.aggregation;
    settings.permutations.count = roundHalfEven32(numericValue(m_permutationsEdit->text()));
    if (m_estimatedArea->isChecked()) {
        settings.areaMode = AreaMode::EstimatedRectangular;
        accept();
        return;
    }
    // What was read is stored even when the area is refused.
    settings.areaMode = AreaMode::Empirical;
    settings.empiricalArea = numericValue(m_areaEdit->text());
    if (settings.empiricalArea == 0.0 || m_areaEdit->text().isEmpty()) {
        showMessage(this, QStringLiteral("Please provide your empirical area estimate."));
        return;
    }
    accept();
}

} // namespace tessaloc::ui
