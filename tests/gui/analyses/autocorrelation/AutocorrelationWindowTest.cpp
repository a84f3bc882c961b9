// The spatial autocorrelation run from the main window and its results window: the distogram, the
// report, the menus, the symbols of significant classes and their tooltips.
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

/// Six classes whose probabilities lie on both sides of 5 %, as the report prints them.
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
    return result;
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

        const QString reportFile =
            QDir(results->runFolderPath()).filePath(QString::fromLatin1(kAutocorrelationReportFileName));
        QVERIFY(QFile::exists(reportFile));
        results->close();
        QTRY_VERIFY(results.isNull());
        QVERIFY(!QDir(QFileInfo(reportFile).path()).exists());
    }

    void theSymbolsFollowTheProbabilitiesTheReportPrints()
    {
        const AutocorrelationInput input{exampleFiles(QStringLiteral("microsatellites")), {}};
        RandomUniform random(kSeed1, kSeed2);
        const AutocorrelationResult result = RunAutocorrelation(input, random, RunListener::none());
        auto window = makeWindow(result);

        // Each class row of the report ends in "P = <upper>" and "P = <lower>".
        const QRegularExpression row(QStringLiteral("P = ([.0-9]+) +P = ([.0-9]+)\\r\\n"));
        int f = 0;
        int filled = 0;
        for (const QRegularExpressionMatch& match : row.globalMatch(window->reportText())) {
            const bool significant = match.captured(1).toDouble() <= 0.05 || match.captured(2).toDouble() <= 0.05;
            QCOMPARE(window->chart()->isHollow(f), !significant);
            filled += significant ? 1 : 0;
            ++f;
        }
        QCOMPARE(f, 10);
        // The example's distogram rises with distance: most classes differ from the mean.
        QVERIFY(filled >= 5);
    }

    void aClassIsSignificantWhenEitherPrintedTailIsAtMostFivePercent()
    {
        auto window = makeWindow(sixClasses());
        QList<bool> hollow;
        for (int f = 0; f < 6; ++f)
            hollow << window->chart()->isHollow(f);
        QCOMPARE(hollow, (QList<bool>{false, false, true, false, true, false}));
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
                                                "Lower-tail P: 0.95");
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
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Distogram"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Results"));
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(window->reportView()->font().fixedPitch());

        QCOMPARE(menu(*window, "MantelPlotMnu")->title(), QStringLiteral("Copy/Print/Save"));
        QCOMPARE(itemCaptions(*menu(*window, "MantelPlotMnu")),
                 (QStringList{QStringLiteral("Copy to Clipboard as Metafile"), QStringLiteral("Print Graph"),
                              QStringLiteral("-"), QStringLiteral("Copy text to clipboard"),
                              QStringLiteral("Save Text to File")}));
        QCOMPARE(menu(*window, "chrtedit")->title(), QStringLiteral("Edit Chart"));
        QVERIFY(menu(*window, "chrtedit")->actions().isEmpty());
        QCOMPARE(menu(*window, "chartsymbols")->title(), QStringLiteral("Symbols"));
        QCOMPARE(itemCaptions(*menu(*window, "chartsymbols")),
                 (QStringList{QStringLiteral("Color"), QStringLiteral("Shape"), QStringLiteral("Size")}));
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
