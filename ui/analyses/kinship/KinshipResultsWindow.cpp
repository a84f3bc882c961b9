#include "ui/analyses/kinship/KinshipResultsWindow.h"

#include "ui/analyses/autocorrelation/AutocorrelationResultsWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/widgets/ChartPoints.h"
#include "ui/widgets/UiHooks.h"

#include "core/Errors.h"
#include "core/NumberText.h"

#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTabWidget>

#include <algorithm>
#include <cmath>

namespace tessaloc::ui {
namespace {

QString plain(double value)
{
    return std::isnan(value) ? QStringLiteral("undefined") : QString::fromStdString(plainText(value));
}

QString classToolTip(const KinshipResult& result, size_t c)
{
    const KinshipClassRow& row = result.rows[c];
    QString text =
        QStringLiteral("Class %1: %2 to %3\nPairs: %4\nMean distance: %5\nMean F: %6 (SE %7)\n"
                       "P lower: %8\nP upper: %9\nTwo-sided P: %10\nCorrected P: %11")
            .arg(c + 1)
            .arg(plain(row.lower), plain(row.upper))
            .arg(row.pairs)
            .arg(plain(row.meanDistance), plain(row.kinship.estimate), plain(row.kinship.jackknifeSe),
                 plain(row.kinship.pLower), plain(row.kinship.pUpper), plain(row.kinship.pTwoSided), plain(row.pHolm));
    if (result.rousset)
        text += QStringLiteral("\nMean a: %1 (SE %2)").arg(plain(row.rousset.estimate), plain(row.rousset.jackknifeSe));
    return text;
}

} // namespace

KinshipResultsWindow::KinshipResultsWindow(ProgramState& state, KinshipResult result,
                                           std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent)
    : ResultsWindow(state, QStringLiteral("Fine-Scale Spatial Structure (Kinship)"), std::move(runFolder), parent)
    , m_result(std::move(result))
{
    setObjectName(QStringLiteral("KinshipPlotForm"));
    setWindowTitle(QStringLiteral("Fine-Scale Spatial Structure Results"));
    m_correlogram = addChartPage(QStringLiteral("Correlogram"));
    m_kinshipPlot = addChartPage(QStringLiteral("Kinship"));
    m_roussetPlot = addChartPage(QStringLiteral("Rousset's a"));
    addReportPage(QStringLiteral("Results"));
    tabs()->setCurrentIndex(0);
    loadReport(QString::fromLatin1(kKinshipReportFileName));
    drawCorrelogram();
    drawPairs(m_kinshipPlot, m_result.kinshipCoefficients, m_result.bLog.estimate, m_result.interceptLog,
              QStringLiteral("Kinship F"));
    if (m_result.rousset)
        drawPairs(m_roussetPlot, m_result.roussetCoefficients, m_result.aSlope.estimate, m_result.aInterceptLog,
                  QStringLiteral("Rousset's a"));
    else
        m_roussetPlot->setCaption(QStringLiteral("Rousset's a was not estimated: it needs diploid genotypes (data "
                                                 "type 1), and the options may leave it out."));

    QMenu* copyPrintSave = addCopyPrintSaveMenu({.copyGraph = QStringLiteral("Copy to Clipboard as Metafile"),
                                                 .printGraph = QStringLiteral("Print Graph"),
                                                 .copyText = QStringLiteral("Copy text to clipboard"),
                                                 .saveText = QStringLiteral("Save Text to File")});
    copyPrintSave->addAction(QStringLiteral("Save Class Table..."), this, &KinshipResultsWindow::saveClassTable)
        ->setObjectName(QStringLiteral("saveClassTable"));
    copyPrintSave->addAction(QStringLiteral("Save Summary..."), this, &KinshipResultsWindow::saveSummary)
        ->setObjectName(QStringLiteral("saveSummary"));
    addEditChartAndSymbolsMenus();
    addHelpMenu(QStringLiteral("KinshipHelp"));
}

void KinshipResultsWindow::drawCorrelogram()
{
    Chart* plot = m_correlogram;
    plot->setTitle(QStringLiteral("Kinship Correlogram"));
    plot->setAxisTitles(QStringLiteral("Mean distance of the class"), QStringLiteral("Mean kinship F"));
    QList<QPointF> points;
    QStringList toolTips;
    QList<QPointF> bandLower;
    QList<QPointF> bandUpper;
    QList<IntervalBar> bars;
    QList<bool> hollow;
    double low = 0.0;
    double high = 0.0;
    double end = 0.0;
    int classes = 0;
    for (size_t c = 0; c < m_result.rows.size(); ++c) {
        const KinshipClassRow& row = m_result.rows[c];
        if (!std::isfinite(row.kinship.estimate) || !std::isfinite(row.meanDistance))
            continue;
        ++classes;
        const double x = row.meanDistance;
        end = std::max(end, x);
        points.append(QPointF(x, row.kinship.estimate));
        toolTips.append(classToolTip(m_result, c));
        hollow.append(!significantAfterCorrection(row.pHolm));
        low = std::min(low, row.kinship.estimate);
        high = std::max(high, row.kinship.estimate);
        if (row.envelope.defined()) {
            bandLower.append(QPointF(x, row.envelope.low));
            bandUpper.append(QPointF(x, row.envelope.high));
            low = std::min(low, row.envelope.low);
            high = std::max(high, row.envelope.high);
        }
        if (std::isfinite(row.kinship.jackknifeSe)) {
            bars.append(
                {x, row.kinship.estimate - row.kinship.jackknifeSe, row.kinship.estimate + row.kinship.jackknifeSe});
            low = std::min(low, row.kinship.estimate - row.kinship.jackknifeSe);
            high = std::max(high, row.kinship.estimate + row.kinship.jackknifeSe);
        }
    }
    plot->setPoints(points, Qt::black);
    plot->setPointLine(QPen(Qt::black, 1));
    plot->setPointToolTips(toolTips);
    plot->setHollowPoints(hollow);
    if (bandLower.size() == classes)
        plot->setBand(bandLower, bandUpper, QColor(210, 210, 210, 160));
    plot->setIntervalBars(bars, QPen(QColor(70, 70, 70), 1));
    plot->setLine({QPointF(0.0, 0.0), QPointF(end > 0.0 ? end : 1.0, 0.0)}, QPen(Qt::black, 1, Qt::DotLine));
    const double pad = std::max(0.01, 0.1 * (high - low));
    plot->setAxisRanges(0.0, end > 0.0 ? end * 1.05 : 1.0, low - pad, high + pad);
    QStringList legend;
    legend << QStringLiteral("Filled symbols: classes whose two-sided P, corrected by Holm's method over the classes "
                             "up to them, is at most 0.05; hollow: the others.");
    if (!bandLower.isEmpty())
        legend << QStringLiteral("Grey band: 2.5 % to 97.5 % of the class mean over the %1 permutations.")
                      .arg(m_result.permutations);
    if (!bars.isEmpty())
        legend << QStringLiteral("Bars: mean F plus and minus its jackknife standard error over the %1 loci.")
                      .arg(m_result.jackknifeLoci);
    legend << QStringLiteral("Sp = %1, b_log = %2").arg(plain(m_result.sp.estimate), plain(m_result.bLog.estimate));
    plot->setCaption(legend.join(QLatin1Char('\n')));
}

void KinshipResultsWindow::drawPairs(Chart* plot, const SquareMatrix& values, double slope, double intercept,
                                     const QString& name)
{
    plot->setTitle(name + QStringLiteral(" against ln(distance)"));
    plot->setAxisTitles(QStringLiteral("ln(distance)"), name);
    QList<QPointF> points;
    double first = 0.0;
    double last = 0.0;
    const int n = values.size();
    for (int i = 0; i < n - 1; ++i)
        for (int j = i + 1; j < n; ++j) {
            const double d = m_result.geographic(i, j);
            const double v = values(i, j);
            if (!(d > 0.0) || std::isnan(v))
                continue;
            const double x = std::log(d);
            if (points.isEmpty() || x < first)
                first = x;
            if (points.isEmpty() || x > last)
                last = x;
            points.append(QPointF(x, v));
        }
    plot->setPoints(points, Qt::blue);
    QString caption;
    if (std::isfinite(slope) && std::isfinite(intercept)) {
        plot->setLine({QPointF(first, intercept + slope * first), QPointF(last, intercept + slope * last)},
                      QPen(Qt::red, 2));
        caption = QStringLiteral("Line: least squares, slope %1 over %2 pairs at distances above 0.")
                      .arg(plain(slope))
                      .arg(points.size());
    } else {
        caption = QStringLiteral("No regression line: the slope is undefined.");
    }
    if (plot->drawsDensity())
        caption += QLatin1Char('\n') + plot->densityLegend();
    plot->setCaption(caption);
}

QString KinshipResultsWindow::askCsvName(const QString& title)
{
    QString fileName =
        uiHooks().saveFileNameOfType(this, title, m_state.lastSaveFolder, {QStringLiteral("CSV table (*.csv)")});
    if (fileName.isEmpty())
        return fileName;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".csv");
    m_state.lastSaveFolder = QFileInfo(fileName).absolutePath();
    return fileName;
}

void KinshipResultsWindow::saveClassTable()
{
    const QString fileName = askCsvName(QStringLiteral("Save Class Table"));
    if (!fileName.isEmpty())
        saveClassTableTo(fileName);
}

void KinshipResultsWindow::saveSummary()
{
    const QString fileName = askCsvName(QStringLiteral("Save Summary"));
    if (!fileName.isEmpty())
        saveSummaryTo(fileName);
}

bool KinshipResultsWindow::saveClassTableTo(const QString& fileName)
{
    const RunStatus status =
        runGuarded([&] { WriteKinshipClassTableFile(QFile::encodeName(fileName).toStdString(), m_result); });
    if (status.outcome == RunOutcome::Success)
        return true;
    showMessage(this, QStringLiteral("The class table could not be saved."), QString::fromLocal8Bit(status.text));
    return false;
}

bool KinshipResultsWindow::saveSummaryTo(const QString& fileName)
{
    const RunStatus status =
        runGuarded([&] { WriteKinshipSummaryFile(QFile::encodeName(fileName).toStdString(), m_result); });
    if (status.outcome == RunOutcome::Success)
        return true;
    showMessage(this, QStringLiteral("The summary could not be saved."), QString::fromLocal8Bit(status.text));
    return false;
}

} // namespace tessaloc::ui
