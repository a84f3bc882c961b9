#include "ui/analyses/mlpe/MlpeResultsWindow.h"

#include "ui/widgets/NumericText.h"

#include <QHeaderView>
#include <QTabWidget>
#include <QTableWidget>

namespace tessaloc::ui {

namespace {

QTableWidget* makeCoefficientTable(const MlpeResult& result, QWidget* parent)
{
    auto* table = new QTableWidget(static_cast<int>(result.terms.size()), 4, parent);
    table->setObjectName(QStringLiteral("CoefficientGrid"));
    table->setHorizontalHeaderLabels(
        {QStringLiteral("Estimate"), QStringLiteral("SE"), QStringLiteral("t"), QStringLiteral("P")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int row = 0; row < static_cast<int>(result.terms.size()); ++row) {
        const MlpeTerm& term = result.terms[static_cast<size_t>(row)];
        table->setVerticalHeaderItem(row, new QTableWidgetItem(QString::fromStdString(term.name)));
        const double values[] = {term.estimate, term.standardError, term.t, term.p};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(reportNumberText(values[column]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(row, column, item);
        }
    }
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    return table;
}

} // namespace

MlpeResultsWindow::MlpeResultsWindow(ProgramState& state, MlpeResult result, std::unique_ptr<QTemporaryDir> runFolder,
                                     QWidget* parent)
    : ResultsWindow(state, QStringLiteral("Mixed-Model Regression (MLPE)"), std::move(runFolder), parent)
    , m_result(std::move(result))
{
    setObjectName(QStringLiteral("MlpeResultsForm"));
    setWindowTitle(QStringLiteral("Mixed-Model Regression (MLPE) Results"));
    m_table = makeCoefficientTable(m_result, this);
    tabs()->addTab(m_table, QStringLiteral("Coefficients"));
    addReportPage(QStringLiteral("Results"));
    tabs()->setCurrentIndex(0);
    loadReport(QString::fromLatin1(kMlpeReportFileName));
    // No chart to copy or print: the menu holds the report's commands only.
    CopyPrintSaveCaptions captions;
    captions.copyText = QStringLiteral("Copy text to clipboard");
    captions.saveText = QStringLiteral("Save Text to file");
    addCopyPrintSaveMenu(captions);
    addHelpMenu(QStringLiteral("MlpeHelp"));
}

} // namespace tessaloc::ui
