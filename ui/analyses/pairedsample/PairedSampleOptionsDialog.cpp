#include "ui/analyses/pairedsample/PairedSampleOptionsDialog.h"

#include "ui/shell/ProgramState.h"
#include "ui/widgets/NumericText.h"
#include "ui/widgets/WindowParts.h"

#include <QLineEdit>
#include <QVBoxLayout>

namespace tessaloc::ui {

PairedSampleOptionsDialog::PairedSampleOptionsDialog(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Paired-Sample Genetic Distance Analysis"), parent)
{
    setObjectName(QStringLiteral("PairGenDistForm"));
    setWindowTitle(QStringLiteral("Paired-Sample Genetic Distance Analysis"));
    m_permutationsEdit = numberBox(this, "Text1", printFormText(m_state.settings.psgdaPermutationCount));
    auto* layout = fixedSizeLayout(this);
    layout->addLayout(labelled(this, "Label1", QStringLiteral("Number of permutations"), m_permutationsEdit));
    addButtons(QStringLiteral("Command1"), QStringLiteral("Command3"));
}

void PairedSampleOptionsDialog::ok()
{
    m_state.settings.psgdaPermutationCount = roundHalfEven32(numericValue(m_permutationsEdit->text()));
    accept();
}

} // namespace tessaloc::ui
