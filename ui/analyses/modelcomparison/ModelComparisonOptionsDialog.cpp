#include "ui/analyses/modelcomparison/ModelComparisonOptionsDialog.h"

#include "ui/shell/GeoDistanceGroup.h"
#include "ui/shell/ProgramState.h"
#include "ui/widgets/UiHooks.h"
#include "ui/widgets/WindowParts.h"

#include "analyses/PredictorMatrices.h"
#include "core/Errors.h"
#include "resistance/GeoDistances.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaloc::ui {

ModelComparisonOptionsDialog::ModelComparisonOptionsDialog(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Compare Hypotheses"), parent)
{
    setObjectName(QStringLiteral("ModelComparisonForm"));
    setWindowTitle(QStringLiteral("Compare Hypotheses Options"));
    m_models = m_state.settings.modelComparison.models;

    auto* modelsFrame = named(new QGroupBox(QStringLiteral("Models (the null model is always added)"), this), "Frame1");
    auto* modelsLayout = new QVBoxLayout(modelsFrame);
    m_modelList = named(new QListWidget(modelsFrame), "List1");
    m_modelList->setMinimumWidth(420);
    m_modelList->setMaximumHeight(110);
    modelsLayout->addWidget(m_modelList);
    auto* removeModel = named(new QPushButton(QStringLiteral("Remove Model"), modelsFrame), "Command3");
    auto* modelButtons = new QHBoxLayout;
    modelButtons->addWidget(removeModel);
    modelButtons->addStretch();
    modelsLayout->addLayout(modelButtons);

    auto* newFrame = named(new QGroupBox(QStringLiteral("New model"), this), "Frame2");
    auto* newLayout = new QVBoxLayout(newFrame);
    m_nameEdit = named(new QLineEdit(newFrame), "Text1");
    newLayout->addLayout(labelled(newFrame, "Label1", QStringLiteral("Name"), m_nameEdit));
    m_newPredictorList = named(new QListWidget(newFrame), "List2");
    m_newPredictorList->setMaximumHeight(80);
    newLayout->addWidget(m_newPredictorList);
    m_choice = new GeoDistanceGroup([this] { return m_state.RunDirectory; }, newFrame);
    m_choice->setTitle(QStringLiteral("Predictor to add"));
    newLayout->addWidget(m_choice);
    auto* addPredictor = named(new QPushButton(QStringLiteral("Add Predictor"), newFrame), "Command2");
    auto* addModel = named(new QPushButton(QStringLiteral("Add Model"), newFrame), "Command4");
    auto* newButtons = new QHBoxLayout;
    newButtons->addWidget(addPredictor);
    newButtons->addWidget(addModel);
    newButtons->addStretch();
    newLayout->addLayout(newButtons);
    connect(addPredictor, &QPushButton::clicked, this, &ModelComparisonOptionsDialog::addPredictor);
    connect(addModel, &QPushButton::clicked, this, &ModelComparisonOptionsDialog::addModel);
    connect(removeModel, &QPushButton::clicked, this, &ModelComparisonOptionsDialog::removeModel);

    auto* layout = fixedSizeLayout(this);
    layout->addWidget(modelsFrame);
    layout->addWidget(newFrame);
    addButtons(QStringLiteral("OKButton"), QStringLiteral("Command1"));
    showModels();
}

void ModelComparisonOptionsDialog::showModels()
{
    m_modelList->clear();
    for (const HypothesisModel& model : m_models) {
        std::string text = model.name + ":";
        const std::vector<std::string> names = predictorNames(model.predictors);
        for (size_t k = 0; k < names.size(); ++k)
            text += (k == 0 ? " " : " + ") + names[k];
        m_modelList->addItem(QString::fromStdString(text));
    }
}

void ModelComparisonOptionsDialog::showNewPredictors()
{
    m_newPredictorList->clear();
    const std::vector<std::string> names = predictorNames(m_newModel.predictors);
    for (size_t k = 0; k < names.size(); ++k)
        m_newPredictorList->addItem(
            QString::fromStdString(names[k] + ": " + describeGeoDistances(m_newModel.predictors[k])));
}

void ModelComparisonOptionsDialog::addPredictor()
{
    const GeoDistanceSettings choice = m_choice->settings();
    if (const std::string problem = missingFileProblem(choice); !problem.empty()) {
        showMessage(this, QString::fromStdString(problem));
        return;
    }
    std::vector<GeoDistanceSettings> extended = m_newModel.predictors;
    extended.push_back(choice);
    try {
        requireDistinctPredictors(extended, "The new model");
    } catch (const DataProblem& problem) {
        showMessage(this, QString::fromStdString(problem.what()));
        return;
    }
    m_newModel.predictors = std::move(extended);
    showNewPredictors();
}

void ModelComparisonOptionsDialog::addModel()
{
    HypothesisModel model = m_newModel;
    model.name = m_nameEdit->text().trimmed().toStdString();
    std::vector<HypothesisModel> extended = m_models;
    extended.push_back(model);
    try {
        requireValidHypotheses(extended);
    } catch (const DataProblem& problem) {
        showMessage(this, QString::fromStdString(problem.what()));
        return;
    }
    m_models = std::move(extended);
    m_newModel = HypothesisModel{};
    m_nameEdit->clear();
    showNewPredictors();
    showModels();
    m_modelList->setCurrentRow(m_modelList->count() - 1);
}

void ModelComparisonOptionsDialog::removeModel()
{
    const int row = m_modelList->currentRow();
    if (row < 0 || row >= static_cast<int>(m_models.size()))
        return;
    m_models.erase(m_models.begin() + row);
    showModels();
}

void ModelComparisonOptionsDialog::ok()
{
    m_state.settings.modelComparison.models = m_models;
    accept();
}

} // namespace tessaloc::ui
