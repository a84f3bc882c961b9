// The spatial autocorrelation run from the main window and its results window: the distogram with
// its band and bars, the report, the Mantel correlogram, the menus, the symbols of significant
// classes and their tooltips, the class table and the run's seed.
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/autocorrelation/AutocorrelationResultsWindow.h"
#include "ui/shell/HelpWindow.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/shell/RunController.h"

#include "analyses/autocorrelation/Autocorrelation.h"
#include "core/SampleTable.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolTip>
#include <QValueAxis>
#include <QtTest>

using namespace tessaloc;
using namespace tessaloc::ui;
using namespace tessaloc::ui::test;

namespace {

constexpr std::int64_t kSeed1 = 2718;
constexpr std::int64_t kSeed2 = 314159;
constexpr int kAutocorrelation = 1;

/// Six classes whose corrected probabilities lie on both sides of 5 %.
AutocorrelationResult sixClasses()
{
    AutocorrelationResult result;
    result.coordinatePath = "coordinates.txt";
    result.genotypePath = "genotypes.txt";
    result.permutations = 1000;
    result.distogram.classCount = 6;
    result.distogram.lowerLimit = {0, 1, 2, 3, 4, 5};
    result.distogram.upperLimit = {1, 2, 3, 4, 5, 7};
    result.distogram.ay = {0.2, 0.3, 0.4, 0.5, 0.6, 0.7};
    result.distogram.meanGeneticDistance = 0.45;
    result.pairCounts = {3, 4, 5, 6, 7, 8};
    // 0.050004 prints as .05000, 0.0501 as .05010.
    result.upperTailP = {0.05, 0.050004, 0.0501, 0.99, 0.5, 1.0};
    result.lowerTailP = {0.96, 0.96, 0.95, 0.01, 0.5, 0.0};
    result.upperTailCounts = {50, 50, 50, 990, 500, 1000};
    result.lowerTailCounts = {960, 960, 950, 10, 500, 0};
    result.v = 0.1;
    result.vP = 0.2;
    result.twoSidedP = {0.01, 0.02, 0.1, 0.02, 1.0, 0.0};
    // The window marks by the corrected values as they come: these are given, not worked out.
    result.holmP = {0.01, 0.02, 0.1, 0.04, 1.0, 0.0};
    result.envelope = {{0.1, 0.5}, {0.2, 0.5}, {0.3, 0.5}, {0.3, 0.6}, {0.4, 0.6}, {0.4, 0.65}};
    result.vEnvelope = {0.01, 0.3};
    result.bootstrapResamples = 200;
    result.usableResamples = 200;
    result.confidence = {{0.15, 0.25}, {0.25, 0.35}, {}, {0.45, 0.55}, {0.55, 0.65}, {0.6, 0.69}};
    result.intervalGaps = {IntervalGap::None, IntervalGap::None, IntervalGap::TooFewDistinctValues,
                           IntervalGap::None, IntervalGap::None, IntervalGap::None};
    result.correlogram.r = {0.3, 0.1, std::nan(""), -0.05, -0.2, -0.4};
    result.correlogram.p = {0.001, 0.2, std::nan(""), 0.4, 0.01, 0.002};
    result.correlogram.holmP = {0.001, 0.2, std::nan(""), 0.6, 0.03, 0.008};
    return result;
}

/// Holm's correction of class f over classes 1..f, worked literally: the prefix sorted, ties in
/// their order, the running largest of (m - j + 1) x p(j) up to the class's own rank, at most 1.
double literalProgressiveHolm(const QList<double>& p, int f)
{
    QList<QPair<double, int>> prefix;
    for (int k = 0; k <= f; ++k)
        prefix.append({p[k], k});
    std::stable_sort(prefix.begin(), prefix.end(),
                     [](const QPair<double, int>& a, const QPair<double, int>& b) { return a.first < b.first; });
    double largest = 0.0;
    for (int j = 0; j < prefix.size(); ++j) {
        largest = std::max(largest, static_cast<double>(prefix.size() - j) * prefix[j].first);
        if (prefix[j].second == f)
            break;
    }
    return std::min(1.0, largest);
}

} // namespace

class AutocorrelationWindowTest : public QObject {
    Q_OBJECT

    ProgramState m_state;
    QTemporaryDir m_saved;

    std::unique_ptr<AutocorrelationResultsWindow> makeWindow(const AutocorrelationResult& result)
    {
        return showResultsWindow<AutocorrelationResultsWindow>(m_state, result, kAutocorrelationReportFileName,
                                                               AutocorrelationReport(result));
    }

private slots:
    void aCompleteRunShowsTheDistogramAndTheReport()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        auto window = mainWindowWithExample(state, QStringLiteral("microsatellites"), kSeed1, kSeed2);
        QSignalSpy statuses(window->findChild<RunController*>(), &RunController::statusChanged);
        QCOMPARE(runAnalysis(*window, kAutocorrelation), RunOutcome::Success);
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(statuses.first().at(0).toString(), QStringLiteral("Calculating"));

        QPointer<ResultsWindow> results = window->resultsWindow();
        QVERIFY(qobject_cast<AutocorrelationResultsWindow*>(results.data()));
        QCOMPARE(results->windowModality(), Qt::ApplicationModal);

        // The same run through the engine, with the default settings and the same seed.
        const AutocorrelationInput input{exampleFiles(QStringLiteral("microsatellites")), {}};
        RandomUniform random(kSeed1, kSeed2);
        const AutocorrelationResult expected = RunAutocorrelation(input, random, RunListener::none());
        QCOMPARE(results->reportText(), QString::fromLatin1(AutocorrelationReport(expected)));
        QVERIFY(results->reportView()->toPlainText().startsWith(
            QStringLiteral("Results of Spatial Autocorrelation Analyses\n")));

        const DistogramResult& distogram = expected.distogram;
        QCOMPARE(distogram.classCount, 10);
        Chart* chart = results->chart();
        QCOMPARE(chart->pointCount(0), 10);
        for (int f = 0; f < 10; ++f)
            QCOMPARE(chart->points(0)[f], QPointF(distogram.upperLimit[f], distogram.ay[f]));
        const double mean = distogram.meanGeneticDistance;
        QCOMPARE(chart->points(1), (QList<QPointF>{QPointF(0, mean), QPointF(distogram.upperLimit[9], mean)}));

        // The run's seed, in the main window's status line and in the results window's status bar.
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label5"))->text(), QStringLiteral("Seed: 2718,314159"));
        QCOMPARE(results->runSeedText(), QStringLiteral("Seed: 2718,314159"));
        // The bootstrap (200 resamples at start) drew after the report's test: the window's
        // intervals are those of the same run through the engine.
        auto* shown = qobject_cast<AutocorrelationResultsWindow*>(results.data());
        // (A resample may leave a pair of the example without a common locus.)
        QCOMPARE(expected.bootstrapResamples, 200LL);
        QVERIFY(expected.usableResamples > 100);
        QList<IntervalBar> bars;
        for (int f = 0; f < 10; ++f)
            if (expected.confidence[f].defined())
                bars.append({distogram.upperLimit[f], expected.confidence[f].low, expected.confidence[f].high});
        QVERIFY(!bars.isEmpty());
        QCOMPARE(shown->distogram()->intervalBars().size(), bars.size());
        for (qsizetype b = 0; b < bars.size(); ++b) {
            QCOMPARE(shown->distogram()->intervalBars()[b].x, bars[b].x);
            QCOMPARE(shown->distogram()->intervalBars()[b].low, bars[b].low);
            QCOMPARE(shown->distogram()->intervalBars()[b].high, bars[b].high);
        }

        const QString reportFile =
            QDir(results->runFolderPath()).filePath(QString::fromLatin1(kAutocorrelationReportFileName));
        QVERIFY(QFile::exists(reportFile));
        results->close();
        QTRY_VERIFY(results.isNull());
        QVERIFY(!QDir(QFileInfo(reportFile).path()).exists());
    }

    void aSeedFixedInTheOptionsStartsTheRunAndIsShown()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        state.fixedSeed = std::make_pair(std::int64_t{61234}, std::int64_t{98765});
        state.settings.autocorrelation.permutations.count = 99;
        state.settings.autocorrelation.bootstrapResamples = 20;
        MainWindow window(state);
        window.show();
        pickExample(window, QStringLiteral("microsatellites"));
        QCOMPARE(runAnalysis(window, kAutocorrelation), RunOutcome::Success);
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("Label5"))->text(), QStringLiteral("Seed: 61234,98765"));
        QPointer<ResultsWindow> results = window.resultsWindow();
        QCOMPARE(results->runSeedText(), QStringLiteral("Seed: 61234,98765"));
        QCOMPARE(state.lastRunSeed, state.fixedSeed);

        AutocorrelationInput input{exampleFiles(QStringLiteral("microsatellites")), state.settings.autocorrelation};
        RandomUniform random(61234, 98765);
        QCOMPARE(results->reportText(),
                 QString::fromLatin1(AutocorrelationReport(RunAutocorrelation(input, random, RunListener::none()))));
        results->close();
        QTRY_VERIFY(results.isNull());
    }

    void theSymbolsFollowTheCorrectedTwoSidedProbabilitiesOfTheReportsTails()
    {
        const AutocorrelationInput input{exampleFiles(QStringLiteral("microsatellites")), {}};
        RandomUniform random(kSeed1, kSeed2);
        const AutocorrelationResult result = RunAutocorrelation(input, random, RunListener::none());
        auto window = makeWindow(result);

        // Each class row of the report ends in "P = <upper>" and "P = <lower>" (1000 permutations:
        // printed exactly). Two-sided: twice the smaller, at most 1; then Holm over classes 1..f.
        const QRegularExpression row(QStringLiteral("P = ([.0-9]+) +P = ([.0-9]+)\\r\\n"));
        QList<double> twoSided;
        for (const QRegularExpressionMatch& match : row.globalMatch(window->reportText()))
            twoSided << std::min(1.0, 2.0 * std::min(match.captured(1).toDouble(), match.captured(2).toDouble()));
        QCOMPARE(twoSided.size(), 10);
        int filled = 0;
        for (int f = 0; f < 10; ++f) {
            const double corrected = literalProgressiveHolm(twoSided, f);
            QVERIFY(std::abs(result.holmP[f] - corrected) <= 1e-12);
            QCOMPARE(window->chart()->isHollow(f), corrected > 0.05);
            filled += corrected <= 0.05 ? 1 : 0;
        }
        // The example's distogram rises with distance: several classes differ from the mean even
        // after the correction.
        QVERIFY(filled >= 3);
    }

    void aClassIsMarkedWhenItsCorrectedPIsAtMostFivePercent()
    {
        auto window = makeWindow(sixClasses());
        QList<bool> hollow;
        for (int f = 0; f < 6; ++f)
            hollow << window->chart()->isHollow(f);
        QCOMPARE(hollow, (QList<bool>{false, false, true, false, true, false}));
        QVERIFY(window->marksSignificantClasses());
        QVERIFY(window->distogram()->caption().startsWith(
            QStringLiteral("Filled symbols: classes whose two-sided P, corrected by Holm's method")));

        // "Mark significant classes" off: all alike, filled; on again: as before.
        QAction* marking = menuItem(*window, "marksignificant");
        QCOMPARE(marking->text(), QStringLiteral("Mark significant classes"));
        QVERIFY(marking->isCheckable() && marking->isChecked());
        marking->trigger();
        for (int f = 0; f < 6; ++f)
            QVERIFY(!window->chart()->isHollow(f));
        QVERIFY(window->distogram()->caption().startsWith(QStringLiteral("Significant classes are not marked.")));
        marking->trigger();
        QVERIFY(window->chart()->isHollow(2));
        QVERIFY(!window->chart()->isHollow(3));
    }

    void theDistogramShadesTheEnvelopeAndBarsTheIntervals()
    {
        auto window = makeWindow(sixClasses());
        Chart* chart = window->distogram();
        QCOMPARE(chart->bandLower(), (QList<QPointF>{QPointF(1, 0.1), QPointF(2, 0.2), QPointF(3, 0.3), QPointF(4, 0.3),
                                                     QPointF(5, 0.4), QPointF(7, 0.4)}));
        QCOMPARE(chart->bandUpper(), (QList<QPointF>{QPointF(1, 0.5), QPointF(2, 0.5), QPointF(3, 0.5), QPointF(4, 0.6),
                                                     QPointF(5, 0.6), QPointF(7, 0.65)}));
        // Class 3 has no interval: no bar, and the legend says why.
        const QList<IntervalBar> bars = chart->intervalBars();
        QCOMPARE(bars.size(), 5);
        QCOMPARE(bars[2].x, 4.0);
        QCOMPARE(bars[2].low, 0.45);
        QCOMPARE(bars[2].high, 0.55);
        const QString legend = chart->caption();
        QVERIFY2(legend.contains(QStringLiteral("Grey band: 2.5 % to 97.5 % of Ay over the 1000 permutations")),
                 qPrintable(legend));
        QVERIFY2(
            legend.contains(QStringLiteral("Bars: 95 % bootstrap intervals of Ay over 200 resamples of the loci.")),
            qPrintable(legend));
        QVERIFY2(legend.contains(
                     QStringLiteral("No bar for class 3: the resamples gave fewer than 2 distinct values of Ay.")),
                 qPrintable(legend));
        QVERIFY2(legend.contains(QStringLiteral("V = 0.1; 95 % of V over the permutations: 0.01 to 0.3.")),
                 qPrintable(legend));
        QVERIFY(!chart->toImage().isNull());
    }

    void withoutBootstrapTheDistogramHasNoBarsAndSaysSo()
    {
        AutocorrelationResult result = sixClasses();
        result.bootstrapResamples = 0;
        result.usableResamples = 0;
        result.confidence.assign(6, Band{});
        result.intervalGaps.assign(6, IntervalGap::BootstrapOff);
        auto window = makeWindow(result);
        QVERIFY(window->distogram()->intervalBars().isEmpty());
        QVERIFY(window->distogram()->caption().contains(QStringLiteral("No bars: no bootstrap resamples.")));
    }

    void theCorrelogramPagePlotsMantelRWithItsCorrectedMarking()
    {
        auto window = makeWindow(sixClasses());
        Chart* chart = window->correlogram();
        QCOMPARE(window->tabs()->tabText(2), QStringLiteral("Mantel Correlogram"));
        QCOMPARE(window->tabs()->widget(2), chart);
        QCOMPARE(chart->objectName(), QStringLiteral("TChart2"));
        QCOMPARE(chart->chart()->title(), QStringLiteral("Mantel Correlogram"));
        // Class 3 has no r: no point.
        QCOMPARE(chart->points(0), (QList<QPointF>{QPointF(1, 0.3), QPointF(2, 0.1), QPointF(4, -0.05),
                                                   QPointF(5, -0.2), QPointF(7, -0.4)}));
        QCOMPARE(chart->points(1), (QList<QPointF>{QPointF(0, 0), QPointF(7, 0)}));
        QList<bool> hollow;
        for (int point = 0; point < 5; ++point)
            hollow << chart->isHollow(point);
        QCOMPARE(hollow, (QList<bool>{false, true, true, false, false}));
        QCOMPARE(chartAxis(*chart, Qt::Vertical)->titleText(), QStringLiteral("Mantel r"));
        QVERIFY(
            chart->caption().startsWith(QStringLiteral("Mantel r of genetic distance with each class's membership")));

        // The copy command takes the chart of the page shown.
        window->tabs()->setCurrentIndex(2);
        QCOMPARE(window->shownChart(), chart);
        window->tabs()->setCurrentIndex(1);
        QCOMPARE(window->shownChart(), window->distogram());
    }

    void saveClassTableWritesTheTableOfTheRun()
    {
        ScriptedDialogs dialogs;
        const AutocorrelationResult result = sixClasses();
        auto window = makeWindow(result);
        dialogs.saveAnswer = m_saved.filePath(QStringLiteral("classes"));
        QAction* save = menuItem(*window, "MantelPlotMenu5");
        QCOMPARE(save->text(), QStringLiteral("Save Class Table..."));
        save->trigger();
        QFile file(m_saved.filePath(QStringLiteral("classes.csv")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray::fromStdString(AutocorrelationClassTable(result)));
        QVERIFY(dialogs.messages.isEmpty());

        // A folder that does not exist: a message, and no file.
        QVERIFY(!window->saveClassTableTo(m_saved.filePath(QStringLiteral("missing/classes.csv"))));
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages.first(), QStringLiteral("The class table could not be saved."));
        QVERIFY(!QFile::exists(m_saved.filePath(QStringLiteral("missing/classes.csv"))));
    }

    void seriesZeroIsABlackLineWithCirclesAndSeriesOneIsDotted()
    {
        auto window = makeWindow(sixClasses());
        Chart* chart = window->chart();
        QCOMPARE(chart->chart()->title(), QStringLiteral("Spatial Autocorrelation Analysis Results"));
        QCOMPARE(chart->pointLine().style(), Qt::SolidLine);
        QCOMPARE(chart->pointLine().color(), QColor(Qt::black));
        QCOMPARE(chart->symbolShape(), SymbolShape::Circle);
        QCOMPARE(chart->symbolColor(), QColor(Qt::black));
        QCOMPARE(chart->linePen().style(), Qt::DotLine);
        QCOMPARE(chart->linePen().color(), QColor(Qt::black));
        QCOMPARE(chart->seriesCount(), 2);
    }

    void bothAxesRunFromZeroToWhereTheDataEnd()
    {
        auto window = makeWindow(sixClasses());
        Chart* chart = window->chart();
        QValueAxis* bottom = chartAxis(*chart, Qt::Horizontal);
        QValueAxis* left = chartAxis(*chart, Qt::Vertical);
        QCOMPARE(bottom->titleText(), QStringLiteral("Geographical Distance"));
        QCOMPARE(left->titleText(), QStringLiteral("Ay"));
        QCOMPARE(bottom->min(), 0.0);
        QCOMPARE(bottom->max(), 7.0);
        QCOMPARE(left->min(), 0.0);
        QCOMPARE(left->max(), 0.7);
    }

    void restingOnASymbolShowsItsClass()
    {
        auto window = makeWindow(sixClasses());
        QTest::qWait(50); // laid out
        Chart* chart = window->chart();
        const QPoint third = chart->pointPosition(2);
        QCOMPARE(chart->pointAt(third), 2);
        const QString expected = QStringLiteral("Class 3: from 2 to 3\nPairs: 5\nAy: 0.4\nUpper-tail P: 0.0501\n"
                                                "Lower-tail P: 0.95\nTwo-sided P: 0.1\nCorrected P: 0.1\n"
                                                "Envelope: 0.3 to 0.5\nInterval: none (the resamples gave fewer "
                                                "than 2 distinct values of Ay)");
        QCOMPARE(chart->toolTipAt(third + QPoint(2, -1)), expected);
        QVERIFY(chart->toolTipAt(third + QPoint(0, 40)).isEmpty());

        // The tooltip event of the chart's view shows the text.
        QWidget* viewport = chart->findChild<QChartView*>()->viewport();
        const QPoint at = viewport->mapFrom(chart, third);
        QHelpEvent event(QEvent::ToolTip, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &event);
        QTRY_COMPARE(QToolTip::text(), expected);
        QToolTip::hideText();
    }

    void showsItsCaptionPagesAndMenus()
    {
        auto window = makeWindow(sixClasses());
        QCOMPARE(window->objectName(), QStringLiteral("SAAPlotForm"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Spatial Autocorrelation Analysis Results"));
        QTabWidget* tabs = window->tabs();
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Distogram"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Results"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("Mantel Correlogram"));
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(window->reportView()->font().fixedPitch());

        QCOMPARE(menu(*window, "MantelPlotMnu")->title(), QStringLiteral("Copy/Print/Save"));
        QCOMPARE(itemCaptions(*menu(*window, "MantelPlotMnu")),
                 (QStringList{QStringLiteral("Copy to Clipboard as Metafile"), QStringLiteral("Print Graph"),
                              QStringLiteral("-"), QStringLiteral("Copy text to clipboard"),
                              QStringLiteral("Save Text to File"), QStringLiteral("Save Class Table...")}));
        QCOMPARE(menu(*window, "chrtedit")->title(), QStringLiteral("Edit Chart"));
        QVERIFY(menu(*window, "chrtedit")->actions().isEmpty());
        QCOMPARE(menu(*window, "chartsymbols")->title(), QStringLiteral("Symbols"));
        QCOMPARE(itemCaptions(*menu(*window, "chartsymbols")),
                 (QStringList{QStringLiteral("Color"), QStringLiteral("Shape"), QStringLiteral("Size"),
                              QStringLiteral("-"), QStringLiteral("Mark significant classes")}));
        QCOMPARE(itemCaptions(*menu(*window, "shapemenu")),
                 (QStringList{QStringLiteral("Rectangle"), QStringLiteral("Circle"), QStringLiteral("Triangle"),
                              QStringLiteral("Cross")}));
        QCOMPARE(itemCaptions(*menu(*window, "symbolsze")),
                 (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                              QStringLiteral("5")}));
        QCOMPARE(menuItem(*window, "PSGDAHelp")->text(), QStringLiteral("Help"));
    }

    void theSymbolMenusChangeBothKindsOfSymbol()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow(sixClasses());
        Chart* chart = window->chart();
        menuItem(*window, "symbolsize4")->trigger();
        menuItem(*window, "symbolshape0")->trigger();
        dialogs.colorAnswer = QColor(Qt::darkRed);
        menuItem(*window, "symbolcolor")->trigger();
        QCOMPARE(chart->symbolSize(), 5);
        QCOMPARE(chart->symbolShape(), SymbolShape::Square);
        QCOMPARE(chart->symbolColor(), QColor(Qt::darkRed));
        // Both charts alike.
        QCOMPARE(window->correlogram()->symbolSize(), 5);
        QCOMPARE(window->correlogram()->symbolShape(), SymbolShape::Square);
        QCOMPARE(window->correlogram()->symbolColor(), QColor(Qt::darkRed));
        QVERIFY(chart->isHollow(2));
        QVERIFY(!chart->isHollow(0));
        QVERIFY(!chart->toImage().isNull());
    }

    void theTextCommandsCopyAndSaveTheReport()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow(sixClasses());
        const QString problem =
            checkTextCommands(dialogs, *window, "MantelPlotMenu3", "MantelPlotMenu4", m_saved.path());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void printGraphPrintsTheDistogram()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow(sixClasses());
        const QString problem =
            checkPrintGraph(dialogs, *window, "MantelPlotMenu1", m_saved.filePath(QStringLiteral("distogram.pdf")));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void helpOpensTheSpatialAutocorrelationPageThatExplainsTheSymbols()
    {
        auto window = makeWindow(sixClasses());
        QCOMPARE(helpPageOpenedBy(*window, "PSGDAHelp"), QStringLiteral("qrc:/help/autocorrelation.html"));
        QVERIFY(window->findChild<HelpWindow*>()->browser()->toPlainText().contains(QStringLiteral("filled")));
    }

    void aDataProblemShowsItsOwnMessageAndNoWindow()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        // Haploid genotypes read as codominant alleles lack the allele separator.
        auto window = mainWindowWithExample(state, QStringLiteral("haplotypes-latlong"), kSeed1, kSeed2);
        QCOMPARE(runAnalysis(*window, kAutocorrelation), RunOutcome::DataProblem);
        QCOMPARE(dialogs.messages, QStringList{QString::fromLatin1(kMissingSeparatorMessage)});
        QVERIFY(!window->resultsWindow());
    }

    void cancellingALongRunOpensNoWindowAndLeavesNoFolder()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        state.settings.autocorrelation.permutations.count = 2000000000;
        auto window = mainWindowWithExample(state, QStringLiteral("microsatellites"), kSeed1, kSeed2);
        QSignalSpy statuses(window->findChild<RunController*>(), &RunController::statusChanged);
        QSignalSpy finished(window.get(), &MainWindow::runFinished);
        window->findChild<QComboBox*>(QStringLiteral("Combo1"))->setCurrentIndex(kAutocorrelation);
        window->findChild<QPushButton*>(QStringLiteral("Command3"))->click();
        const QString folder = window->runFolder();
        QVERIFY(QDir(folder).exists());
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(statuses.cbegin(), statuses.cend(),
                                             [](const QList<QVariant>& status) {
                                                 return status.at(0).toString().startsWith(QStringLiteral("Rep: "));
                                             }),
                                 60000);
        window->findChild<QPushButton*>(QStringLiteral("CancelRun"))->click();
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().at(0).value<RunOutcome>(), RunOutcome::Cancelled);
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(!window->resultsWindow());
        QVERIFY(!QDir(folder).exists());
    }
};

TESSALOC_GUI_TEST_MAIN(AutocorrelationWindowTest)
#include "AutocorrelationWindowTest.moc"
