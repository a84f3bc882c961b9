#include "ui/analyses/partialmantel/PartialMantelOptionsDialog.h"

#include "ui/shell/GeoDistanceGroup.h"
#include "ui/shell/ProgramState.h"
#include "ui/widgets/NumericText.h"
#include "ui/widgets/WindowParts.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tessaloc::ui {

PartialMantelOptionsDialog::PartialMantelOptionsDialog(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Partial Mantel Test"), parent)
{
    setObjectName(QStringLiteral("PartialMantelForm"));
    setWindowTitle(QStringLiteral("Partial Mantel Test Options"));
    const PartialMantelSettings& settings = m_state.settings.partialMantel;
    m_permutationsEdit = numberBox(this, "permutations", printFormText(settings.permutations.count));
    const auto startFolder = [this] { return m_state.RunDirectory; };
    m_x = new GeoDistanceGroup(QStringLiteral("X: the distances tested"), QStringLiteral("x"),
                               QStringLiteral("Distances tested"), QStringLiteral("File of the distances tested"),
                               startFolder, this);
    m_z = new GeoDistanceGroup(QStringLiteral("Z: the distances held constant"), QStringLiteral("z"),
                               QStringLiteral("Distances held constant"),
                               QStringLiteral("File of the distances held constant"), startFolder, this);
    m_x->setSettings(settings.x);
    m_z->setSettings(settings.z);
    m_rank =
        named(new QCheckBox(QStringLiteral("Rank correlations (every distance replaced by its rank)"), this), "rank");
    m_rank->setChecked(settings.rank);
    m_pairTable =
        named(new QCheckBox(QStringLiteral("List every pair of observations in the report"), this), "pairTable");
    m_pairTable->setChecked(settings.pairTable);

    auto* layout = fixedSizeLayout(this);
    layout->addLayout(
        labelled(this, "permutationsLabel", QStringLiteral("Number of permutations"), m_permutationsEdit));
    layout->addWidget(m_x);
    layout->addWidget(m_z);
    layout->addWidget(m_rank);
    layout->addWidget(m_pairTable);
    addButtons(QStringLiteral("OKButton"), QStringLiteral("helpButton"));
}

void PartialMantelOptionsDialog::ok()
{
    PartialMantelSettings& settings = m_state.settings.partialMantel;
    settings.permutations.count = roundHalfEven32(numericValue(m_permutationsEdit->text()));
    settings.x = m_x->settings();
    settings.z = m_z->settings();
    settings.rank = m_rank->isChecked();
    settings.pairTable = m_pairTable->isChecked();
    accept();
}

} // namespace tessaloc::ui
