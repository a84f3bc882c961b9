#include "ui/analyses/kinship/KinshipOptionsDialog.h"

#include "ui/shell/ProgramState.h"
#include "ui/widgets/NumericText.h"
#include "ui/widgets/UiHooks.h"
#include "ui/widgets/WindowParts.h"

#include "core/Errors.h"
#include "core/NumberText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tessaloc::ui {
namespace {

QString boundsText(const std::vector<double>& bounds)
{
    QStringList texts;
    for (const double bound : bounds)
        texts << QString::fromStdString(shortestText(bound));
    return texts.join(QStringLiteral(", "));
}

} // namespace

KinshipOptionsDialog::KinshipOptionsDialog(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Fine-Scale Spatial Structure (Kinship)"), parent)
{
    setObjectName(QStringLiteral("KinshipForm"));
    setWindowTitle(QStringLiteral("Fine-Scale Spatial Structure Options"));
    const KinshipSettings& settings = m_state.settings.kinship;
    m_boundsEdit = named(new QLineEdit(boundsText(settings.classBounds), this), "boundsEdit");
    m_boundsEdit->setPlaceholderText(QStringLiteral("e.g. 10, 20, 50, 100 (empty: classes below)"));
    m_classCountEdit = numberBox(this, "classCountEdit", QString::number(settings.classCount));
    m_equalDistances = named(new QRadioButton(QStringLiteral("Equal widths"), this), "equalDistances");
    m_equalCounts = named(new QRadioButton(QStringLiteral("Equal numbers of pairs"), this), "equalCounts");
    (settings.classMode == ClassMode::EqualCounts ? m_equalCounts : m_equalDistances)->setChecked(true);
    m_permutationsEdit = numberBox(this, "permutationsEdit", QString::number(settings.permutations.count));
    m_estimators = named(new QComboBox(this), "estimators");
    m_estimators->addItem(QStringLiteral("Kinship, and Rousset's a for diploid data"));
    m_estimators->addItem(QStringLiteral("Kinship and Rousset's a"));
    m_estimators->addItem(QStringLiteral("Kinship only"));
    m_estimators->setCurrentIndex(static_cast<int>(settings.rousset));
    m_jackknife = named(new QCheckBox(QStringLiteral("Jackknife over loci (standard errors)"), this), "jackknife");
    m_jackknife->setChecked(settings.jackknife);

    auto* layout = fixedSizeLayout(this);
    auto* bounds = new QHBoxLayout;
    bounds->addWidget(new QLabel(QStringLiteral("Class upper bounds"), this));
    bounds->addWidget(m_boundsEdit);
    layout->addLayout(bounds);
    layout->addLayout(
        labelled(this, "classCountLabel", QStringLiteral("Number of distance classes"), m_classCountEdit));
    layout->addWidget(optionGroup(this, "classModeGroup", QStringLiteral("Classes without bounds"),
                                  {m_equalDistances, m_equalCounts}));
    layout->addLayout(
        labelled(this, "permutationsLabel", QStringLiteral("Number of permutations"), m_permutationsEdit));
    layout->addWidget(m_estimators);
    layout->addWidget(m_jackknife);
    addButtons(QStringLiteral("okButton"), QStringLiteral("helpButton"));
}

void KinshipOptionsDialog::ok()
{
    std::vector<double> bounds;
    for (const QString& text : m_boundsEdit->text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool number = false;
        const double value = text.trimmed().toDouble(&number);
        if (!number) {
            showMessage(this, QStringLiteral("The class bounds must be numbers separated by commas."), text);
            return;
        }
        bounds.push_back(value);
    }
    const RunStatus status = runGuarded([&] { requireClassBounds(bounds); });
    if (status.outcome != RunOutcome::Success) {
        showMessage(this, QStringLiteral("The class bounds must be positive and increasing."),
                    QString::fromStdString(status.text));
        return;
    }
    KinshipSettings& settings = m_state.settings.kinship;
    settings.classBounds = bounds;
    settings.classCount = roundHalfEven32(numericValue(m_classCountEdit->text()));
    settings.classMode = m_equalDistances->isChecked() ? ClassMode::EqualDistances : ClassMode::EqualCounts;
    settings.permutations.count = roundHalfEven32(numericValue(m_permutationsEdit->text()));
    settings.rousset = static_cast<RoussetChoice>(m_estimators->currentIndex());
    settings.jackknife = m_jackknife->isChecked();
    accept();
}

} // namespace tessaloc::ui
