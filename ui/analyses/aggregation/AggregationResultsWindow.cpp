#include "ui/analyses/aggregation/AggregationResultsWindow.h"

#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

namespace tessaloc::ui {

AggregationResultsWindow::AggregationResultsWindow(ProgramState& state, const AggregationResult& /*result*/,
                                                   std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent)
    : ResultsWindow(state, QStringLiteral("Allelic Aggregation Index Analysis"), std::move(runFolder), parent)
{
    setObjectName(QStringLiteral("AAIAResultsForm"));
    setWindowTitle(QStringLiteral("AAIA Results"));

    // The report is the window's only page, so no tab is shown.
    ReportView* report = addReportPage(QStringLiteral("Results"));
    tabs()->setTabBarAutoHide(true);
    QFont font = reportFont();
    font.setPointSize(10);
    report->setFont(font);
    loadReport(QString::fromLatin1(kAggregationReportFileName));

    QMenu* copySave = menuBar()->addMenu(QStringLiteral("Copy/Save"));
    copySave->setObjectName(QStringLiteral("AAIACopySave"));
    copySave->addAction(QStringLiteral("Copy text to clipboard"), this, &ResultsWindow::copyText)
        ->setObjectName(QStringLiteral("AAIAResults0"));
    copySave->addAction(QStringLiteral("Save text to file"), this, &ResultsWindow::saveText)
        ->setObjectName(QStringLiteral("AAIAResults1"));
    addHelpMenu(QStringLiteral("AAIAHelp"));
}

} // namespace tessaloc::ui
