#include "ui/analyses/mantel/MantelResultsWindow.h"

#include "ui/widgets/ChartPoints.h"
#include "ui/widgets/NumericText.h"

#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

namespace tessaloc::ui {

MantelResultsWindow::MantelResultsWindow(ProgramState& state, MantelResult result,
                                         std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent)
    : ResultsWindow(state, QStringLiteral("Mantel Test"), std::move(runFolder), parent)
    , m_result(std::make_shared<const MantelResult>(std::move(result)))
{
    setObjectName(QStringLiteral("MantelPlotForm"));
    setWindowTitle(QStringLiteral("Mantel Test Analysis Results"));

    Chart* plot = addChartPage(QStringLiteral("Scatterplot"));
    addReportPage(QStringLiteral("Results"));
    tabs()->setCurrentIndex(0);
    loadReport(QString::fromLatin1(kMantelReportFileName));

    plot->setTitle(QStringLiteral("Mantel Test Results"));
    plot->setAxisTitles(QStringLiteral("Geographical Distance"), QStringLiteral("Genetic Distance"));
    // The pairs i < j in the report's order, read from the result's matrices.
    auto pairs =
        std::make_shared<const MatrixPairs>(std::shared_ptr<const PackedDistances>(m_result, &m_result->geographic),
                                            std::shared_ptr<const PackedDistances>(m_result, &m_result->genetic));
    plot->setPoints(pairs, Qt::blue);
    plot->addRegressionLine();
    plot->setPointToolTips([result = m_result, pairs](qsizetype index) {
        const auto [i, j] = pairs->pairOf(index);
        return QStringLiteral("%1, %2\nGeographical Distance %3\nGenetic Distance %4")
            .arg(observationName(result->names, i), observationName(result->names, j),
                 reportNumberText(result->geographic(i, j)), reportNumberText(result->genetic(i, j)));
    });

    QMenu* copyPrintSave = menuBar()->addMenu(QStringLiteral("Copy/Print/Save"));
    copyPrintSave->setObjectName(QStringLiteral("MantelPlotMnu"));
    copyPrintSave->addAction(QStringLiteral("Copy Graph to Clipboard as Metafile"), this, &ResultsWindow::copyChart)
        ->setObjectName(QStringLiteral("MantelPlotMenu0"));
    copyPrintSave->addAction(QStringLiteral("Print Graph"), this, &ResultsWindow::printChart)
        ->setObjectName(QStringLiteral("MantelPlotMenu1"));
    copyPrintSave->addSeparator();
    copyPrintSave->addAction(QStringLiteral("Copy text to clipboard"), this, &ResultsWindow::copyText)
        ->setObjectName(QStringLiteral("MantelPlotMenu3"));
    copyPrintSave->addAction(QStringLiteral("Save Text to file"), this, &ResultsWindow::saveText)
        ->setObjectName(QStringLiteral("MantelPlotMenu4"));

    QMenu* editChart = menuBar()->addMenu(QStringLiteral("Edit Chart"));
    editChart->setObjectName(QStringLiteral("chartmnu1"));
    addSymbolMenus(editChart, SymbolMenuCaptions{});
    addHelpMenu(QStringLiteral("MantelHelp"));
}

} // namespace tessaloc::ui
