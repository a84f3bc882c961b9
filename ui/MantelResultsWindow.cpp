#include "ui/MantelResultsWindow.h"

#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

namespace tessaloc::ui {

MantelResultsWindow::MantelResultsWindow(ProgramState& state, const MantelResult& result,
                                         std::unique_ptr<QTemporaryDir> reportDirectory, QWidget* parent)
    : ResultsWindow(state, QStringLiteral("Mantel Test"), std::move(reportDirectory), parent)
{
    setObjectName(QStringLiteral("MantelPlotForm"));
    setWindowTitle(QStringLiteral("Mantel Test Analysis Results"));

    Chart* plot = addChartPage(QStringLiteral("Scatterplot"));
    addReportPage(QStringLiteral("Results"));
    tabs()->setCurrentIndex(0);
    loadReport(QString::fromLatin1(kMantelReportFileName));

    plot->setTitle(QStringLiteral("Mantel Test Results"));
    plot->setAxisTitles(QStringLiteral("Geographical Distance"), QStringLiteral("Genetic Distance"));
    const int n = result.sampleCount();
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(n) * (n - 1) / 2);
    for (int i = 0; i < n - 1; ++i)
        for (int j = i + 1; j < n; ++j)
            points.append(QPointF(result.geographic(i, j), result.genetic(i, j)));
    plot->setPoints(points, Qt::blue);
    plot->addRegressionLine();

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
