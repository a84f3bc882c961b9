// The allelic aggregation run from the main window and its results window, which shows the report.
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/aggregation/AggregationResultsWindow.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ProgramState.h"

#include "analyses/aggregation/Aggregation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

using namespace tessaloc;
using namespace tessaloc::ui;
using namespace tessaloc::ui::test;

namespace {

constexpr std::int64_t kSeed1 = 1618;
constexpr std::int64_t kSeed2 = 33988;
constexpr int kAggregation = 2;

} // namespace

class AggregationWindowTest : public QObject {
    Q_OBJECT

    ProgramState m_state;
    AggregationResult m_result;
    QTemporaryDir m_saved;

    std::unique_ptr<AggregationResultsWindow> makeWindow()
    {
        return showResultsWindow<AggregationResultsWindow>(m_state, m_result, kAggregationReportFileName,
                                                           AggregationReport(m_result));
    }

private slots:
    void initTestCase()
    {
        AggregationInput input{exampleFiles(QStringLiteral("microsatellites")), {}};
        input.settings.permutations.count = 99;
        RandomUniform random(kSeed1, kSeed2);
        m_result = RunAggregation(input, random, RunListener::none());
    }

    void aCompleteRunShowsTheReport()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        auto window = mainWindowWithExample(state, QStringLiteral("microsatellites"), kSeed1, kSeed2);
        QCOMPARE(runAnalysis(*window, kAggregation), RunOutcome::Success);
        QVERIFY(dialogs.messages.isEmpty());
        QPointer<ResultsWindow> results = window->resultsWindow();
        QVERIFY(qobject_cast<AggregationResultsWindow*>(results.data()));
        QCOMPARE(results->windowModality(), Qt::ApplicationModal);

        // The same run through the engine, with the default settings and the same seed.
        const AggregationInput input{exampleFiles(QStringLiteral("microsatellites")), {}};
        RandomUniform random(kSeed1, kSeed2);
        const AggregationResult expected = RunAggregation(input, random, RunListener::none());
        QCOMPARE(expected.permutations, 1000);
        QCOMPARE(results->reportText(), QString::fromLatin1(AggregationReport(expected)));
        QVERIFY(results->reportView()->toPlainText().startsWith(QStringLiteral("AAIA results\n")));

        const QString reportFile =
            QDir(results->runFolderPath()).filePath(QString::fromLatin1(kAggregationReportFileName));
        QVERIFY(QFile::exists(reportFile));
        results->close();
        QTRY_VERIFY(results.isNull());
        QVERIFY(!QDir(QFileInfo(reportFile).path()).exists());
    }

    void theAreaChoiceOfTheOptionsReachesTheRun()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        state.settings.aggregation.areaMode = AreaMode::Empirical;
        state.settings.aggregation.empiricalArea = 5000.0;
        state.settings.aggregation.permutations.count = 10;
        auto window = mainWindowWithExample(state, QStringLiteral("microsatellites"), kSeed1, kSeed2);
        QCOMPARE(runAnalysis(*window, kAggregation), RunOutcome::Success);

        AggregationInput input{exampleFiles(QStringLiteral("microsatellites")), state.settings.aggregation};
        RandomUniform random(kSeed1, kSeed2);
        const AggregationResult expected = RunAggregation(input, random, RunListener::none());
        QCOMPARE(expected.area, 5000.0);
        QCOMPARE(window->resultsWindow()->reportText(), QString::fromLatin1(AggregationReport(expected)));
        window->resultsWindow()->close();
    }

    void anEmpiricalAreaOfZeroShowsTheGeneralErrorMessageAndNoWindow()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        state.settings.aggregation.areaMode = AreaMode::Empirical;
        state.settings.aggregation.empiricalArea = 0.0;
        auto window = mainWindowWithExample(state, QStringLiteral("microsatellites"), kSeed1, kSeed2);
        QCOMPARE(runAnalysis(*window, kAggregation), RunOutcome::AnalysisError);
        QCOMPARE(dialogs.messages, QStringList{generalErrorMessage()});
        QVERIFY(!dialogs.details.constFirst().isEmpty());
        QVERIFY(!window->resultsWindow());
        QVERIFY(window->runFolder().isEmpty());
    }

    void showsOnlyTheReportInItsFixedPitchFont()
    {
        auto window = makeWindow();
        QCOMPARE(window->objectName(), QStringLiteral("AAIAResultsForm"));
        QCOMPARE(window->windowTitle(), QStringLiteral("AAIA Results"));
        QVERIFY(!window->chart());
        QCOMPARE(window->tabs()->count(), 1);
        QVERIFY(!window->tabs()->tabBar()->isVisible());
        QVERIFY(window->reportView()->isVisible());
        QVERIFY(window->reportView()->isReadOnly());
        const QFont font = window->reportView()->font();
        QVERIFY(font.fixedPitch());
        QCOMPARE(font.styleHint(), QFont::Monospace);
        QCOMPARE(font.pointSize(), 10);
    }

    void hasTheCopySaveAndHelpMenus()
    {
        auto window = makeWindow();
        QCOMPARE(menu(*window, "AAIACopySave")->title(), QStringLiteral("Copy/Save"));
        QCOMPARE(itemCaptions(*menu(*window, "AAIACopySave")),
                 (QStringList{QStringLiteral("Copy text to clipboard"), QStringLiteral("Save text to file")}));
        QCOMPARE(menuItem(*window, "AAIAHelp")->text(), QStringLiteral("Help"));
    }

    void theTextCommandsCopyAndSaveTheReport()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        const QString problem = checkTextCommands(dialogs, *window, "AAIAResults0", "AAIAResults1", m_saved.path());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void helpOpensTheAggregationPage()
    {
        auto window = makeWindow();
        QCOMPARE(helpPageOpenedBy(*window, "AAIAHelp"), QStringLiteral("qrc:/help/aggregation.html"));
    }
};

TESSALOC_GUI_TEST_MAIN(AggregationWindowTest)
#include "AggregationWindowTest.moc"
