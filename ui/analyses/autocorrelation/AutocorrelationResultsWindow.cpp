#include "ui/analyses/autocorrelation/AutocorrelationResultsWindow.h"

#include "ui/widgets/NumericText.h"

#include "core/NumberText.h"

#include <QTabWidget>

#include <algorithm>

namespace tessaloc::ui {

namespace {

QString plain(double value)
{
    return QString::fromStdString(plainText(value));
}

/// What resting the mouse on the symbol of class `f` (0-based) shows.
QString classToolTip(const AutocorrelationResult& result, int f)
{
    const DistogramResult& distogram = result.distogram;
    return QStringLiteral("Class %1: from %2 to %3\nPairs: %4\nAy: %5\nUpper-tail P: %6\nLower-tail P: %7")
        .arg(f + 1)
        .arg(plain(distogram.lowerLimit[f]), plain(distogram.upperLimit[f]))
        .arg(result.pairCounts[f])
        .arg(plain(distogram.ay[f]), plain(result.upperTailP[f]), plain(result.lowerTailP[f]));
}

} // namespace

bool significantAtFivePercent(double probability)
{
    // Read back from the report's own text, so that the symbol agrees with the printed value.
    return numericValue(QString::fromStdString(formatMask(probability, NumberMask::Hash5))) <= 0.05;
}

AutocorrelationResultsWindow::AutocorrelationResultsWindow(ProgramState& state, const AutocorrelationResult& result,
                                                           std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent)
    : ResultsWindow(state, QStringLiteral("Spatial Autocorrelation Analysis"), std::move(runFolder), parent)
{
    setObjectName(QStringLiteral("SAAPlotForm"));
    setWindowTitle(QStringLiteral("Spatial Autocorrelation Analysis Results"));

    Chart* plot = addChartPage(QStringLiteral("Distogram"));
    addReportPage(QStringLiteral("Results"));
    tabs()->setCurrentIndex(0);
    loadReport(QString::fromLatin1(kAutocorrelationReportFileName));

    plot->setTitle(QStringLiteral("Spatial Autocorrelation Analysis Results"));
    plot->setAxisTitles(QStringLiteral("Geographical Distance"), QStringLiteral("Ay"));
    const DistogramResult& distogram = result.distogram;
    const int classes = distogram.classCount;
    QList<QPointF> points;
    QList<bool> hollow;
    QStringList toolTips;
    double top = distogram.meanGeneticDistance;
    for (int f = 0; f < classes; ++f) {
        points.append(QPointF(distogram.upperLimit[f], distogram.ay[f]));
        hollow.append(!significantAtFivePercent(result.upperTailP[f]) &&
                      !significantAtFivePercent(result.lowerTailP[f]));
        toolTips.append(classToolTip(result, f));
        top = std::max(top, distogram.ay[f]);
    }
    plot->setPoints(points, Qt::black);
    plot->setPointLine(QPen(Qt::black, 1));
    plot->setHollowPoints(hollow);
    plot->setPointToolTips(toolTips);
    const double end = classes > 0 ? distogram.upperLimit[classes - 1] : 0.0;
    plot->setLine({QPointF(0.0, distogram.meanGeneticDistance), QPointF(end, distogram.meanGeneticDistance)},
                  QPen(Qt::black, 1, Qt::DotLine));
    // Both axes start at 0 and end where the distogram ends.
    plot->setAxisRanges(0.0, end, 0.0, top);

    addCopyPrintSaveMenu({.copyGraph = QStringLiteral("Copy to Clipboard as Metafile"),
                          .printGraph = QStringLiteral("Print Graph"),
                          .copyText = QStringLiteral("Copy text to clipboard"),
                          .saveText = QStringLiteral("Save Text to File")});
    addEditChartAndSymbolsMenus();
    addHelpMenu(QStringLiteral("PSGDAHelp"));
}

} // namespace tessaloc::ui
