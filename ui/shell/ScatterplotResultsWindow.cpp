#include "ui/shell/ScatterplotResultsWindow.h"

#include "ui/widgets/NumericText.h"

#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

namespace tessaloc::ui {

Chart* ScatterplotResultsWindow::showScatterplot(const Scatterplot& scatterplot, const QString& reportFileName,
                                                 const QString& helpObjectName)
{
    Chart* plot = addChartPage(QStringLiteral("Scatterplot"));
    addReportPage(QStringLiteral("Results"));
    tabs()->setCurrentIndex(0);
    loadReport(reportFileName);

    plot->setTitle(scatterplot.title);
    plot->setAxisTitles(scatterplot.xTitle, scatterplot.yTitle);
    plot->setPoints(scatterplot.pairs, Qt::blue);
    plot->addRegressionLine();
    plot->setPointToolTips([pairs = scatterplot.pairs, names = scatterplot.names,
                            pairText = scatterplot.pairText](qsizetype index) {
        const auto [i, j] = pairs->pairOf(index);
        return QStringLiteral("%1, %2\n%3").arg(observationName(*names, i), observationName(*names, j), pairText(i, j));
    });

    addCopyPrintSaveMenu({.copyGraph = QStringLiteral("Copy Graph to Clipboard as Metafile"),
                          .printGraph = QStringLiteral("Print Graph"),
                          .copyText = QStringLiteral("Copy text to clipboard"),
                          .saveText = QStringLiteral("Save Text to file")});
    QMenu* editChart = menuBar()->addMenu(QStringLiteral("Edit Chart"));
    editChart->setObjectName(QStringLiteral("chartmnu1"));
    addSymbolMenus(editChart, SymbolMenuCaptions{});
    addHelpMenu(helpObjectName);
    return plot;
}

} // namespace tessaloc::ui
