#include "ui/analyses/matrixregression/MatrixRegressionResultsWindow.h"

#include "ui/widgets/ChartPoints.h"
#include "ui/widgets/NumericText.h"

#include <QHeaderView>
#include <QTabWidget>
#include <QTableWidget>

namespace tessaloc::ui {

namespace {

QTableWidget* makeCoefficientTable(const MatrixRegressionResult& result, QWidget* parent)
{
    auto* table = new QTableWidget(static_cast<int>(result.terms.size()), 3, parent);
    table->setObjectName(QStringLiteral("CoefficientGrid"));
    table->setHorizontalHeaderLabels({QStringLiteral("Estimate"), QStringLiteral("t"), QStringLiteral("P")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int row = 0; row < static_cast<int>(result.terms.size()); ++row) {
        const RegressionTerm& term = result.terms[static_cast<size_t>(row)];
        table->setVerticalHeaderItem(row, new QTableWidgetItem(QString::fromStdString(term.name)));
        const double values[] = {term.estimate, term.t, term.p};
        for (int column = 0; column < 3; ++column) {
            auto* item = new QTableWidgetItem(reportNumberText(values[column]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(row, column, item);
        }
    }
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    return table;
}

} // namespace

MatrixRegressionResultsWindow::MatrixRegressionResultsWindow(ProgramState& state, MatrixRegressionResult result,
                                                             std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent)
    : ScatterplotResultsWindow(state, QStringLiteral("Multiple Matrix Regression"), std::move(runFolder), parent)
    , m_result(std::make_shared<const MatrixRegressionResult>(std::move(result)))
    , m_fitted(std::make_shared<const PackedDistances>(FittedDistances(*m_result)))
{
    setObjectName(QStringLiteral("MatrixRegressionPlotForm"));
    setWindowTitle(QStringLiteral("Multiple Matrix Regression Results"));

    m_table = makeCoefficientTable(*m_result, this);
    tabs()->addTab(m_table, QStringLiteral("Coefficients"));
    showScatterplot({.title = QStringLiteral("Observed against Fitted Genetic Distance"),
                     .xTitle = QStringLiteral("Fitted Genetic Distance"),
                     .yTitle = QStringLiteral("Genetic Distance"),
                     .pairs = std::make_shared<const MatrixPairs>(
                         m_fitted, std::shared_ptr<const PackedDistances>(m_result, &m_result->genetic)),
                     .names = std::shared_ptr<const std::vector<std::string>>(m_result, &m_result->names),
                     .pairText =
                         [result = m_result, fitted = m_fitted](int i, int j) {
                             return QStringLiteral("Fitted Genetic Distance %1\nGenetic Distance %2")
                                 .arg(reportNumberText((*fitted)(i, j)), reportNumberText(result->genetic(i, j)));
                         }},
                    QString::fromLatin1(kMatrixRegressionReportFileName), QStringLiteral("MatrixRegressionHelp"));
}

} // namespace tessaloc::ui
