#include "ui/shell/PermutationSchemeDialog.h"

#include "ui/shell/ProgramState.h"
#include "ui/widgets/WindowParts.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tessaloc::ui {

PermutationSchemeDialog::PermutationSchemeDialog(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Permutation Scheme"), parent)
{
    setObjectName(QStringLiteral("PermutationSchemeForm"));
    setWindowTitle(QStringLiteral("Permutation Scheme"));
    m_exchanges = named(new QRadioButton(QStringLiteral("Exchanges (default)"), this), "Option1");
    m_uniform = named(new QRadioButton(QStringLiteral("Independent uniform shuffles"), this), "Option2");
    m_complete = named(new QRadioButton(QStringLiteral("Complete enumeration (exact test)"), this), "Option3");

    auto* frame = named(new QGroupBox(QStringLiteral("Replicates of the permutation tests"), this), "Frame1");
    auto* frameLayout = new QVBoxLayout(frame);
    auto* group = new QButtonGroup(frame);
    const struct {
        QRadioButton* option;
        const char* labelName;
        QString explanation;
    } choices[] = {
        {m_exchanges, "Label1",
         QStringLiteral("N random exchanges of two observations per replicate, continuing from the replicate "
                        "before. With an even N only the even half of the arrangements can occur.")},
        {m_uniform, "Label2",
         QStringLiteral("A new, uniformly random arrangement for every replicate; for samples of any size.")},
        {m_complete, "Label3",
         QStringLiteral("Every arrangement exactly once, for an exact P value: at most 9 observations; the number "
                        "of permutations is then ignored.")},
    };
    for (const auto& choice : choices) {
        group->addButton(choice.option);
        frameLayout->addWidget(choice.option);
        auto* explanation = named(new QLabel(choice.explanation, frame), choice.labelName);
        explanation->setWordWrap(true);
        explanation->setBuddy(choice.option);
        // Indented under its option button, as the option's own description.
        explanation->setContentsMargins(24, 0, 0, 6);
        explanation->setMinimumWidth(420);
        frameLayout->addWidget(explanation);
    }

    switch (m_state.settings.permutationScheme) {
    case PermutationScheme::Exchanges:
        m_exchanges->setChecked(true);
        break;
    case PermutationScheme::Uniform:
        m_uniform->setChecked(true);
        break;
    case PermutationScheme::Complete:
        m_complete->setChecked(true);
        break;
    }

    auto* layout = fixedSizeLayout(this);
    layout->addWidget(frame);
    addButtons(QStringLiteral("Command1"), QStringLiteral("Command2"));
}

void PermutationSchemeDialog::ok()
{
    PermutationScheme& scheme = m_state.settings.permutationScheme;
    if (m_uniform->isChecked())
        scheme = PermutationScheme::Uniform;
    else if (m_complete->isChecked())
        scheme = PermutationScheme::Complete;
    else
        scheme = PermutationScheme::Exchanges;
    accept();
}

} // namespace tessaloc::ui
