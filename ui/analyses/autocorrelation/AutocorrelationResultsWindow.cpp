#include "ui/analyses/autocorrelation/AutocorrelationResultsWindow.h"

#include "ui/shell/ProgramState.h"
#include "ui/widgets/UiHooks.h"

#include "core/Errors.h"
#include "core/NumberText.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTabWidget>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessaloc::ui {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

QString plain(double value)
{
    return std::isnan(value) ? QStringLiteral("undefined") : QString::fromStdString(plainText(value));
}

/// A number for a legend: five significant digits.
QString brief(double value)
{
    return QString::number(value, 'g', 5);
}

template <typename T> T valueAt(const std::vector<T>& values, int f, T missing)
{
    return f >= 0 && static_cast<size_t>(f) < values.size() ? values[static_cast<size_t>(f)] : missing;
}

QString classHeading(const AutocorrelationResult& result, int f)
{
    const DistogramResult& distogram = result.distogram;
    return QStringLiteral("Class %1: from %2 to %3\nPairs: %4")
        .arg(f + 1)
        .arg(plain(distogram.lowerLimit[f]), plain(distogram.upperLimit[f]))
        .arg(result.pairCounts[f]);
}

/// What resting the mouse on the distogram's symbol of class `f` (0-based) shows.
QString distogramToolTip(const AutocorrelationResult& result, int f)
{
    const Band envelope = valueAt(result.envelope, f, Band{});
    const Band interval = valueAt(result.confidence, f, Band{});
    const IntervalGap gap = valueAt(result.intervalGaps, f, IntervalGap::BootstrapOff);
    QString text = classHeading(result, f) +
                   QStringLiteral("\nAy: %1\nUpper-tail P: %2\nLower-tail P: %3\nTwo-sided P: %4\nCorrected P: %5")
                       .arg(plain(result.distogram.ay[f]), plain(result.upperTailP[f]), plain(result.lowerTailP[f]),
                            plain(valueAt(result.twoSidedP, f, kNaN)), plain(valueAt(result.holmP, f, kNaN)));
    if (envelope.defined())
        text += QStringLiteral("\nEnvelope: %1 to %2").arg(plain(envelope.low), plain(envelope.high));
    if (interval.defined())
        text += QStringLiteral("\nInterval: %1 to %2").arg(plain(interval.low), plain(interval.high));
    else
        text += QStringLiteral("\nInterval: none (%1)").arg(QString::fromStdString(intervalGapReason(gap)));
    return text;
}

QString correlogramToolTip(const AutocorrelationResult& result, int f)
{
    const MantelCorrelogram& correlogram = result.correlogram;
    return classHeading(result, f) + QStringLiteral("\nMantel r: %1\nP: %2\nCorrected P: %3")
                                         .arg(plain(valueAt(correlogram.r, f, kNaN)),
                                              plain(valueAt(correlogram.p, f, kNaN)),
                                              plain(valueAt(correlogram.holmP, f, kNaN)));
}

/// "1, 2 and 5"
QString classList(const QList<int>& classes)
{
    QString text;
    for (qsizetype i = 0; i < classes.size(); ++i) {
        if (i > 0)
            text += i + 1 == classes.size() ? QStringLiteral(" and ") : QStringLiteral(", ");
        text += QString::number(classes[i] + 1);
    }
    return text;
}

QString markingLegend(bool marking, const QString& probability)
{
    if (!marking)
        return QStringLiteral("Significant classes are not marked.");
    return QStringLiteral("Filled symbols: classes whose %1, corrected by Holm's method over the classes up to "
                          "them, is at most 0.05; hollow: the others.")
        .arg(probability);
}

/// The legend under the distogram.
QString distogramLegend(const AutocorrelationResult& result, bool marking)
{
    QStringList lines;
    lines << markingLegend(marking, QStringLiteral("two-sided P"));
    lines << QStringLiteral("Grey band: 2.5 % to 97.5 % of Ay over the %1 permutations (no spatial structure).")
                 .arg(result.permutations);
    const int classes = result.distogram.classCount;
    QList<int> barred;
    // The classes without a bar, by reason.
    std::vector<std::pair<IntervalGap, QList<int>>> gaps;
    for (int f = 0; f < classes; ++f) {
        const IntervalGap gap = valueAt(result.intervalGaps, f, IntervalGap::BootstrapOff);
        if (gap == IntervalGap::None) {
            barred << f;
            continue;
        }
        auto it = std::find_if(gaps.begin(), gaps.end(), [gap](const auto& entry) { return entry.first == gap; });
        if (it == gaps.end())
            gaps.push_back({gap, {f}});
        else
            it->second << f;
    }
    if (!barred.isEmpty()) {
        const QString units = result.dataType == DataType::Sequences ? QStringLiteral("sites") : QStringLiteral("loci");
        QString line = QStringLiteral("Bars: 95 % bootstrap intervals of Ay over %1 resamples of the %2")
                           .arg(result.usableResamples)
                           .arg(units);
        if (result.usableResamples < result.bootstrapResamples)
            line += QStringLiteral(" (of %1 drawn; the others left a pair without a common locus)")
                        .arg(result.bootstrapResamples);
        lines << line + QLatin1Char('.');
    }
    for (const auto& [gap, list] : gaps) {
        const QString reason = QString::fromStdString(intervalGapReason(gap));
        lines << (list.size() == classes
                      ? QStringLiteral("No bars: %1.").arg(reason)
                      : QStringLiteral("No bar for class%1 %2: %3.")
                            .arg(list.size() > 1 ? QStringLiteral("es") : QString(), classList(list), reason));
    }
    if (result.vEnvelope.defined())
        lines << QStringLiteral("V = %1; 95 % of V over the permutations: %2 to %3.")
                     .arg(brief(result.v), brief(result.vEnvelope.low), brief(result.vEnvelope.high));
    return lines.join(QLatin1Char('\n'));
}

QString correlogramLegend(bool marking)
{
    return QStringLiteral("Mantel r of genetic distance with each class's membership (0 for its pairs, 1 for the "
                          "others): above 0, the pairs of the class are genetically more alike than average.\n") +
           markingLegend(marking, QStringLiteral("P (in the direction of r)"));
}

} // namespace

bool significantAfterCorrection(double probability)
{
    // The products of the correction (k x count / replicates) may land a rounding above 0.05.
    return probability <= 0.05 * (1.0 + 1e-12);
}

AutocorrelationResultsWindow::AutocorrelationResultsWindow(ProgramState& state, AutocorrelationResult result,
                                                           std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent)
    : ResultsWindow(state, QStringLiteral("Spatial Autocorrelation Analysis"), std::move(runFolder), parent)
    , m_result(std::move(result))
{
    // The window draws from the classes; the matrices are not needed any more.
    m_result.genetic = SquareMatrix();
    m_result.geographic = SquareMatrix();
    setObjectName(QStringLiteral("SAAPlotForm"));
    setWindowTitle(QStringLiteral("Spatial Autocorrelation Analysis Results"));

    m_distogram = addChartPage(QStringLiteral("Distogram"));
    addReportPage(QStringLiteral("Results"));
    m_correlogram = addChartPage(QStringLiteral("Mantel Correlogram"));
    tabs()->setCurrentIndex(0);
    loadReport(QString::fromLatin1(kAutocorrelationReportFileName));
    drawDistogram();
    drawCorrelogram();
    updateMarking();

    QMenu* copyPrintSave = addCopyPrintSaveMenu({.copyGraph = QStringLiteral("Copy to Clipboard as Metafile"),
                                                 .printGraph = QStringLiteral("Print Graph"),
                                                 .copyText = QStringLiteral("Copy text to clipboard"),
                                                 .saveText = QStringLiteral("Save Text to File")});
    copyPrintSave->addAction(QStringLiteral("Save Class Table..."), this, &AutocorrelationResultsWindow::saveClassTable)
        ->setObjectName(QStringLiteral("MantelPlotMenu5"));
    QMenu* symbols = addEditChartAndSymbolsMenus();
    symbols->addSeparator();
    QAction* marking = symbols->addAction(QStringLiteral("Mark significant classes"));
    marking->setObjectName(QStringLiteral("marksignificant"));
    marking->setCheckable(true);
    marking->setChecked(m_marking);
    connect(marking, &QAction::toggled, this, &AutocorrelationResultsWindow::setMarkSignificantClasses);
    addHelpMenu(QStringLiteral("PSGDAHelp"));
}

void AutocorrelationResultsWindow::drawDistogram()
{
    Chart* plot = m_distogram;
    plot->setTitle(QStringLiteral("Spatial Autocorrelation Analysis Results"));
    plot->setAxisTitles(QStringLiteral("Geographical Distance"), QStringLiteral("Ay"));
    const DistogramResult& distogram = m_result.distogram;
    const int classes = distogram.classCount;
    QList<QPointF> points;
    QStringList toolTips;
    QList<QPointF> bandLower;
    QList<QPointF> bandUpper;
    QList<IntervalBar> bars;
    double top = distogram.meanGeneticDistance;
    for (int f = 0; f < classes; ++f) {
        const double x = distogram.upperLimit[f];
        points.append(QPointF(x, distogram.ay[f]));
        toolTips.append(distogramToolTip(m_result, f));
        top = std::max(top, distogram.ay[f]);
        const Band envelope = valueAt(m_result.envelope, f, Band{});
        if (envelope.defined()) {
            bandLower.append(QPointF(x, envelope.low));
            bandUpper.append(QPointF(x, envelope.high));
            top = std::max(top, envelope.high);
        }
        const Band interval = valueAt(m_result.confidence, f, Band{});
        if (interval.defined()) {
            bars.append({x, interval.low, interval.high});
            top = std::max(top, interval.high);
        }
    }
    plot->setPoints(points, Qt::black);
    plot->setPointLine(QPen(Qt::black, 1));
    plot->setPointToolTips(toolTips);
    // A band needs every class's envelope; a partial one would join classes that are not neighbours.
    if (bandLower.size() == classes)
        plot->setBand(bandLower, bandUpper, QColor(210, 210, 210, 160));
    plot->setIntervalBars(bars, QPen(QColor(70, 70, 70), 1));
    const double end = classes > 0 ? distogram.upperLimit[classes - 1] : 0.0;
    plot->setLine({QPointF(0.0, distogram.meanGeneticDistance), QPointF(end, distogram.meanGeneticDistance)},
                  QPen(Qt::black, 1, Qt::DotLine));
    // Both axes start at 0 and end where the distogram, its band and its bars end.
    plot->setAxisRanges(0.0, end, 0.0, top);
}

void AutocorrelationResultsWindow::drawCorrelogram()
{
    Chart* plot = m_correlogram;
    plot->setTitle(QStringLiteral("Mantel Correlogram"));
    plot->setAxisTitles(QStringLiteral("Geographical Distance"), QStringLiteral("Mantel r"));
    const DistogramResult& distogram = m_result.distogram;
    const int classes = distogram.classCount;
    QList<QPointF> points;
    QStringList toolTips;
    double low = 0.0;
    double high = 0.0;
    m_correlogramClasses.clear();
    for (int f = 0; f < classes; ++f) {
        const double r = valueAt(m_result.correlogram.r, f, kNaN);
        if (!std::isfinite(r))
            continue;
        points.append(QPointF(distogram.upperLimit[f], r));
        toolTips.append(correlogramToolTip(m_result, f));
        m_correlogramClasses.append(f);
        low = std::min(low, r);
        high = std::max(high, r);
    }
    plot->setPoints(points, Qt::black);
    plot->setPointLine(QPen(Qt::black, 1));
    plot->setPointToolTips(toolTips);
    const double end = classes > 0 ? distogram.upperLimit[classes - 1] : 1.0;
    plot->setLine({QPointF(0.0, 0.0), QPointF(end, 0.0)}, QPen(Qt::black, 1, Qt::DotLine));
    // Room around the values, 0 always in view.
    const double pad = std::max(0.05, 0.1 * (high - low));
    plot->setAxisRanges(0.0, end, low < 0.0 ? low - pad : 0.0, high > 0.0 ? high + pad : 0.0);
}

void AutocorrelationResultsWindow::setMarkSignificantClasses(bool mark)
{
    m_marking = mark;
    updateMarking();
}

void AutocorrelationResultsWindow::updateMarking()
{
    QList<bool> hollow;
    for (int f = 0; f < m_result.distogram.classCount; ++f)
        hollow.append(m_marking && !significantAfterCorrection(valueAt(m_result.holmP, f, kNaN)));
    m_distogram->setHollowPoints(hollow);
    m_distogram->setCaption(distogramLegend(m_result, m_marking));

    QList<bool> hollowCorrelogram;
    for (const int f : m_correlogramClasses)
        hollowCorrelogram.append(m_marking &&
                                 !significantAfterCorrection(valueAt(m_result.correlogram.holmP, f, kNaN)));
    m_correlogram->setHollowPoints(hollowCorrelogram);
    m_correlogram->setCaption(correlogramLegend(m_marking));
}

void AutocorrelationResultsWindow::saveClassTable()
{
    QString fileName = uiHooks().saveFileNameOfType(this, QStringLiteral("Save Class Table"), m_state.lastSaveFolder,
                                                    {QStringLiteral("Class table (*.csv)")});
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".csv");
    m_state.lastSaveFolder = QFileInfo(fileName).absolutePath();
    saveClassTableTo(fileName);
}

bool AutocorrelationResultsWindow::saveClassTableTo(const QString& fileName)
{
    const RunStatus status =
        runGuarded([&] { WriteAutocorrelationClassTableFile(QFile::encodeName(fileName).toStdString(), m_result); });
    if (status.outcome == RunOutcome::Success)
        return true;
    showMessage(this, QStringLiteral("The class table could not be saved."), QString::fromLocal8Bit(status.text));
    return false;
}

} // namespace tessaloc::ui
