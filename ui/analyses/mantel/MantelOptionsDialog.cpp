#include "ui/analyses/mantel/MantelOptionsDialog.h"

#include "ui/shell/ProgramState.h"
#include "ui/widgets/NumericText.h"
#include "ui/widgets/WindowParts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tessaloc::ui {

MantelOptionsDialog::MantelOptionsDialog(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Mantel Test"), parent)
{
    setObjectName(QStringLiteral("MantelForm"));
    setWindowTitle(QStringLiteral("Mantel Test Options"));
    const MantelSettings& settings = m_state.settings.mantel;
    m_permutationsEdit = numberBox(this, "Text1", printFormText(settings.permutations.count));
    m_logGeographic = named(new QCheckBox(QStringLiteral("Log10 transform geographical distances"), this), "Check1");
    m_logGenetic = named(new QCheckBox(QStringLiteral("Log10 transform genetic distances"), this), "Check2");
    m_logGeographic->setChecked(settings.logGeographic);
    m_logGenetic->setChecked(settings.logGenetic);
    m_pairTable = named(new QCheckBox(QStringLiteral("List every pair of observations in the report"), this), "Check3");
    m_pairTable->setChecked(settings.pairTable);
    m_rank = named(new QCheckBox(QStringLiteral("Rank correlation (every distance replaced by its rank)"), this),
                   "rankCheck");
    m_rank->setChecked(settings.rank);

    auto* layout = fixedSizeLayout(this);
    layout->addLayout(labelled(this, "Label1", QStringLiteral("Number of permutations"), m_permutationsEdit));
    auto* frame = named(new QGroupBox(this), "Frame1");
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_logGeographic);
    frameLayout->addWidget(m_logGenetic);
    layout->addWidget(frame);
    layout->addWidget(m_rank);
    layout->addWidget(m_pairTable);
    addButtons(QStringLiteral("OKButton"), QStringLiteral("Command1"));
}

void MantelOptionsDialog::ok()
{
    MantelSettings& settings = m_state.settings.mantel;
    settings.permutations.count = roundHalfEven32(numericValue(m_permutationsEdit->text()));
    settings.logGeographic = m_logGeographic->isChecked();
    settings.logGenetic = m_logGenetic->isChecked();
    settings.pairTable = m_pairTable->isChecked();
    settings.rank = m_rank->isChecked();
    accept();
}

} // namespace tessaloc::ui
