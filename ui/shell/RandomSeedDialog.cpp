#include "ui/shell/RandomSeedDialog.h"

#include "ui/shell/ProgramState.h"
#include "ui/widgets/UiHooks.h"
#include "ui/widgets/WindowParts.h"

#include "core/RandomUniform.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <optional>

namespace tessaloc::ui {

namespace {

std::optional<std::int64_t> wholeNumber(const QString& text)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<std::int64_t>(value) : std::nullopt;
}

} // namespace

RandomSeedDialog::RandomSeedDialog(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Random Seed"), parent)
{
    setObjectName(QStringLiteral("RandomSeedForm"));
    setWindowTitle(QStringLiteral("Random Seed"));
    m_fromClock = named(new QRadioButton(QStringLiteral("From the clock at every run"), this), "Option1");
    m_fixed = named(new QRadioButton(QStringLiteral("The same seed for every run"), this), "Option2");
    const std::optional<std::pair<std::int64_t, std::int64_t>> shown =
        m_state.fixedSeed ? m_state.fixedSeed : m_state.lastRunSeed;
    m_seed1Edit = numberBox(this, "Text1", shown ? QString::number(shown->first) : QString());
    m_seed2Edit = numberBox(this, "Text2", shown ? QString::number(shown->second) : QString());
    (m_state.fixedSeed ? m_fixed : m_fromClock)->setChecked(true);

    auto* explanation = named(new QLabel(QStringLiteral("A run that starts from the same seed, with the same files "
                                                        "and settings, gives the same results. The status line and "
                                                        "every results window show the seed of their run."),
                                         this),
                              "Label3");
    explanation->setWordWrap(true);
    explanation->setMinimumWidth(380);
    auto* layout = fixedSizeLayout(this);
    layout->addWidget(
        optionGroup(this, "Frame1", QStringLiteral("Seed of the random generator"), {m_fromClock, m_fixed}));
    layout->addLayout(labelled(this, "Label1", QStringLiteral("S1 (1 to 2147483562)"), m_seed1Edit));
    layout->addLayout(labelled(this, "Label2", QStringLiteral("S2 (1 to 2147483398)"), m_seed2Edit));
    layout->addWidget(explanation);
    addButtons(QStringLiteral("Command1"), QStringLiteral("Command2"));
    // Typing a seed chooses it.
    for (QLineEdit* box : {m_seed1Edit, m_seed2Edit})
        connect(box, &QLineEdit::textEdited, this, [this] { m_fixed->setChecked(true); });
}

void RandomSeedDialog::ok()
{
    if (m_fromClock->isChecked()) {
        m_state.fixedSeed.reset();
        accept();
        return;
    }
    const std::optional<std::int64_t> seed1 = wholeNumber(m_seed1Edit->text());
    const std::optional<std::int64_t> seed2 = wholeNumber(m_seed2Edit->text());
    if (!seed1 || !seed2 || !RandomUniform::validSeed(*seed1, *seed2)) {
        showMessage(this, QStringLiteral("The seed takes S1, a whole number from %1 to %2, and S2 from %1 to %3.")
                              .arg(RandomUniform::kSmallestSeed)
                              .arg(RandomUniform::kLargestSeed1)
                              .arg(RandomUniform::kLargestSeed2));
        return;
    }
    m_state.fixedSeed = std::make_pair(*seed1, *seed2);
    accept();
}

} // namespace tessaloc::ui
