#include "ui/analyses/mlpe/MlpeOptionsDialog.h"

#include "ui/shell/GeoDistanceGroup.h"
#include "ui/shell/ProgramState.h"
#include "ui/widgets/UiHooks.h"
#include "ui/widgets/WindowParts.h"

#include "analyses/PredictorMatrices.h"
#include "core/Errors.h"
#include "resistance/GeoDistances.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaloc::ui {

MlpeOptionsDialog::MlpeOptionsDialog(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Mixed-Model Regression (MLPE)"), parent)
{
    setObjectName(QStringLiteral("MlpeForm"));
    setWindowTitle(QStringLiteral("Mixed-Model Regression (MLPE) Options"));
    m_predictors = m_state.settings.mlpe.predictors;

    auto* predictorsFrame = named(new QGroupBox(QStringLiteral("Predictor matrices"), this), "Frame1");
    auto* predictorsLayout = new QVBoxLayout(predictorsFrame);
    m_predictorList = named(new QListWidget(predictorsFrame), "List1");
    m_predictorList->setMinimumWidth(420);
    m_predictorList->setMaximumHeight(110);
    predictorsLayout->addWidget(m_predictorList);
    m_choice = new GeoDistanceGroup([this] { return m_state.RunDirectory; }, predictorsFrame);
    m_choice->setTitle(QStringLiteral("Matrix to add"));
    predictorsLayout->addWidget(m_choice);
    auto* buttons = new QHBoxLayout;
    auto* add = named(new QPushButton(QStringLiteral("Add"), predictorsFrame), "Command2");
    auto* remove = named(new QPushButton(QStringLiteral("Remove"), predictorsFrame), "Command3");
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    predictorsLayout->addLayout(buttons);
    connect(add, &QPushButton::clicked, this, &MlpeOptionsDialog::addPredictor);
    connect(remove, &QPushButton::clicked, this, &MlpeOptionsDialog::removePredictor);

    auto* layout = fixedSizeLayout(this);
    layout->addWidget(predictorsFrame);
    addButtons(QStringLiteral("OKButton"), QStringLiteral("Command1"));
    showPredictors();
}

void MlpeOptionsDialog::showPredictors()
{
    m_predictorList->clear();
    const std::vector<std::string> names = predictorNames(m_predictors);
    for (size_t k = 0; k < m_predictors.size(); ++k)
        m_predictorList->addItem(QString::fromStdString(names[k] + ": " + describeGeoDistances(m_predictors[k])));
}

void MlpeOptionsDialog::addPredictor()
{
    const GeoDistanceSettings choice = m_choice->settings();
    if (const std::string problem = missingFileProblem(choice); !problem.empty()) {
        showMessage(this, QString::fromStdString(problem));
        return;
    }
    std::vector<GeoDistanceSettings> extended = m_predictors;
    extended.push_back(choice);
    try {
        requireDistinctPredictors(extended, "The regression");
    } catch (const DataProblem& problem) {
        showMessage(this, QString::fromStdString(problem.what()));
        return;
    }
    m_predictors = std::move(extended);
    showPredictors();
    m_predictorList->setCurrentRow(m_predictorList->count() - 1);
}

void MlpeOptionsDialog::removePredictor()
{
    const int row = m_predictorList->currentRow();
    if (row < 0 || row >= static_cast<int>(m_predictors.size()))
        return;
    m_predictors.erase(m_predictors.begin() + row);
    showPredictors();
}

void MlpeOptionsDialog::ok()
{
    m_state.settings.mlpe.predictors = m_predictors;
    accept();
}

} // namespace tessaloc::ui
