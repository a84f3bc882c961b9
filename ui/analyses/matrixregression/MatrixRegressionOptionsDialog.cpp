#include "ui/analyses/matrixregression/MatrixRegressionOptionsDialog.h"

#include "ui/shell/GeoDistanceGroup.h"
#include "ui/shell/ProgramState.h"
#include "ui/widgets/NumericText.h"
#include "ui/widgets/UiHooks.h"
#include "ui/widgets/WindowParts.h"

#include "analyses/PredictorMatrices.h"
#include "resistance/GeoDistances.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaloc::ui {

MatrixRegressionOptionsDialog::MatrixRegressionOptionsDialog(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Multiple Matrix Regression"), parent)
{
    setObjectName(QStringLiteral("MatrixRegressionForm"));
    setWindowTitle(QStringLiteral("Multiple Matrix Regression Options"));
    const MatrixRegressionSettings& settings = m_state.settings.matrixRegression;
    m_predictors = settings.predictors;

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
    connect(add, &QPushButton::clicked, this, &MatrixRegressionOptionsDialog::addPredictor);
    connect(remove, &QPushButton::clicked, this, &MatrixRegressionOptionsDialog::removePredictor);

    m_permutationsEdit = numberBox(this, "Text1", printFormText(settings.permutations.count));
    m_rank =
        named(new QCheckBox(QStringLiteral("Replace distances by their ranks (rank correlation)"), this), "Check1");
    m_rank->setChecked(settings.rank);
    m_standardise = named(new QCheckBox(QStringLiteral("Standardised estimates (beta weights)"), this), "Check2");
    m_standardise->setChecked(settings.standardise);

    auto* layout = fixedSizeLayout(this);
    layout->addWidget(predictorsFrame);
    layout->addLayout(labelled(this, "Label1", QStringLiteral("Number of permutations"), m_permutationsEdit));
    layout->addWidget(m_rank);
    layout->addWidget(m_standardise);
    addButtons(QStringLiteral("OKButton"), QStringLiteral("Command1"));
    showPredictors();
}

void MatrixRegressionOptionsDialog::showPredictors()
{
    m_predictorList->clear();
    const std::vector<std::string> names = predictorNames(m_predictors);
    for (size_t k = 0; k < m_predictors.size(); ++k)
        m_predictorList->addItem(QString::fromStdString(names[k] + ": " + describeGeoDistances(m_predictors[k])));
}

void MatrixRegressionOptionsDialog::addPredictor()
{
    const GeoDistanceSettings choice = m_choice->settings();
    // A surface or matrix without its file could only fail when the analysis runs.
    if (const std::string problem = missingFileProblem(choice); !problem.empty()) {
        showMessage(this, QString::fromStdString(problem));
        return;
    }
    m_predictors.push_back(choice);
    showPredictors();
    m_predictorList->setCurrentRow(m_predictorList->count() - 1);
}

void MatrixRegressionOptionsDialog::removePredictor()
{
    const int row = m_predictorList->currentRow();
    if (row < 0 || row >= static_cast<int>(m_predictors.size()))
        return;
    m_predictors.erase(m_predictors.begin() + row);
    showPredictors();
}

void MatrixRegressionOptionsDialog::ok()
{
    MatrixRegressionSettings& settings = m_state.settings.matrixRegression;
    settings.predictors = m_predictors;
    settings.permutations.count = roundHalfEven32(numericValue(m_permutationsEdit->text()));
    settings.rank = m_rank->isChecked();
    settings.standardise = m_standardise->isChecked();
    accept();
}

} // namespace tessaloc::ui
