#include "ui/analyses/modelcomparison/ModelComparisonResultsWindow.h"

#include "ui/widgets/NumericText.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHeaderView>
#include <QTabWidget>
#include <QTableWidget>
#include <QValueAxis>

namespace tessaloc::ui {

namespace {

QTableWidget* makeModelTable(const ModelComparisonResult& result, QWidget* parent)
{
    auto* table = new QTableWidget(static_cast<int>(result.ranking.size()), 7, parent);
    table->setObjectName(QStringLiteral("ModelGrid"));
    table->setHorizontalHeaderLabels({QStringLiteral("k"), QStringLiteral("Log-likelihood"), QStringLiteral("AIC"),
                                      QStringLiteral("AICc"), QStringLiteral("Delta AICc"), QStringLiteral("Weight"),
                                      QStringLiteral("Marginal R2")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int row = 0; row < static_cast<int>(result.ranking.size()); ++row) {
        const RankedModel& model = result.ranking[static_cast<size_t>(row)];
        table->setVerticalHeaderItem(row, new QTableWidgetItem(QString::fromStdString(model.name)));
        auto* k = new QTableWidgetItem(QString::number(model.parameters));
        k->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, 0, k);
        const double values[] = {model.logLikelihood, model.criteria.aic, model.criteria.aicc,
                                 model.deltaAicc,     model.weight,       model.marginalRSquared};
        for (int column = 0; column < 6; ++column) {
            auto* item = new QTableWidgetItem(reportNumberText(values[column]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(row, column + 1, item);
        }
    }
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    return table;
}

} // namespace

ModelComparisonResultsWindow::ModelComparisonResultsWindow(ProgramState& state, ModelComparisonResult result,
                                                           std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent)
    : ResultsWindow(state, QStringLiteral("Compare Hypotheses"), std::move(runFolder), parent)
    , m_result(std::move(result))
{
    setObjectName(QStringLiteral("ModelComparisonResultsForm"));
    setWindowTitle(QStringLiteral("Compare Hypotheses Results"));
    m_table = makeModelTable(m_result, this);
    tabs()->addTab(m_table, QStringLiteral("Models"));

    m_weights = new QBarSet(QStringLiteral("Akaike weight"));
    QStringList names;
    for (const RankedModel& model : m_result.ranking) {
        *m_weights << model.weight;
        names << QString::fromStdString(model.name);
    }
    auto* series = new QBarSeries;
    series->append(m_weights);
    auto* chart = new QChart;
    chart->addSeries(series);
    chart->setTitle(QStringLiteral("Akaike Weights of the Models"));
    chart->legend()->hide();
    auto* categories = new QBarCategoryAxis;
    categories->append(names);
    chart->addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);
    auto* weights = new QValueAxis;
    weights->setRange(0.0, 1.0);
    weights->setTitleText(QStringLiteral("Weight"));
    chart->addAxis(weights, Qt::AlignLeft);
    series->attachAxis(weights);
    auto* view = new QChartView(chart, this);
    view->setObjectName(QStringLiteral("WeightChart"));
    tabs()->addTab(view, QStringLiteral("Weights"));

    addReportPage(QStringLiteral("Results"));
    tabs()->setCurrentIndex(0);
    loadReport(QString::fromLatin1(kModelComparisonReportFileName));
    // No chart to copy or print: the menu holds the report's commands only.
    CopyPrintSaveCaptions captions;
    captions.copyText = QStringLiteral("Copy text to clipboard");
    captions.saveText = QStringLiteral("Save Text to file");
    addCopyPrintSaveMenu(captions);
    addHelpMenu(QStringLiteral("ModelComparisonHelp"));
}

} // namespace tessaloc::ui
