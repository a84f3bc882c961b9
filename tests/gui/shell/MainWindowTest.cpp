// The main window driven as a user drives it: runs, failures, cancelling, menus.
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/mantel/MantelOptionsDialog.h"
#include "ui/analyses/mantel/MantelResultsWindow.h"
#include "ui/analyses/monmonier/MonmonierResultsWindow.h"
#include "ui/shell/AboutDialog.h"
#include "ui/shell/AnalysisTable.h"
#include "ui/shell/HelpWindow.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/PermutationSchemeDialog.h"
#include "ui/shell/ProgramState.h"
#include "ui/shell/RunController.h"
#include "ui/widgets/MapView.h"

#include "analyses/mantel/Mantel.h"
#include "analyses/monmonier/BarrierDrawing.h"
#include "analyses/monmonier/Monmonier.h"
#include "core/Errors.h"
#include "core/SampleTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

using namespace tessaloc;
using namespace tessaloc::ui;
using tessaloc::ui::test::exampleMantelInput;
using tessaloc::ui::test::examplePath;
using tessaloc::ui::test::ScriptedDialogs;

namespace {

constexpr std::int64_t kSeed1 = 4321;
constexpr std::int64_t kSeed2 = 987654;

QString generalErrorMessage()
{
    return QString::fromLatin1(kGeneralErrorMessage.data(), kGeneralErrorMessage.size());
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    template <typename T> T* child(const MainWindow& window, const char* name)
    {
        T* found = window.findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    void pickExample(MainWindow& window, const QString& folder)
    {
        child<QLineEdit>(window, "Text1")->setText(examplePath(folder + QStringLiteral("/coordinates.txt")));
        child<QLineEdit>(window, "Text2")->setText(examplePath(folder + QStringLiteral("/genotypes.txt")));
    }

    /// A shown main window with the microsatellite example picked and the runs seeded with fixed
    /// states.
    std::unique_ptr<MainWindow> readyWindow(ProgramState& state)
    {
        auto window = std::make_unique<MainWindow>(state);
        window->setRunGenerator([] { return RandomUniform(kSeed1, kSeed2); });
        window->show();
        pickExample(*window, QStringLiteral("microsatellites"));
        return window;
    }

    /// Writes `text` as `name` in `folder` and returns its path.
    QString writeFile(const QTemporaryDir& folder, const char* name, const char* text)
    {
        const QString path = folder.filePath(QLatin1String(name));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) < 0)
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    /// Presses "Go" and waits until the run has ended; returns its outcome.
    RunOutcome go(MainWindow& window, int timeoutMs = 120000)
    {
        QSignalSpy finished(&window, &MainWindow::runFinished);
        child<QPushButton>(window, "Command3")->click();
        if (finished.isEmpty() && !finished.wait(timeoutMs))
            return static_cast<RunOutcome>(-1);
        return finished.takeFirst().at(0).value<RunOutcome>();
    }

private slots:
    void startsWithItsControlsCaptionsAndMenus()
    {
        ProgramState state;
        MainWindow window(state);
        QCOMPARE(window.objectName(), QStringLiteral("mainform"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Tessaloc"));
        QVERIFY(child<QLineEdit>(window, "Text1")->text().isEmpty());
        QVERIFY(child<QLineEdit>(window, "Text2")->text().isEmpty());
        QVERIFY(child<QRadioButton>(window, "Option1")->isChecked());
        QCOMPARE(child<QRadioButton>(window, "Option2")->text(),
                 QStringLiteral("Haploid Markers/Dominant Markers/Full Genotypes"));
        QVERIFY(!child<QCheckBox>(window, "Check1")->isChecked());
        QCOMPARE(child<QCheckBox>(window, "Check1")->text(), QStringLiteral("Coordinates are Latitude/Longitude"));
        QComboBox* analyses = child<QComboBox>(window, "Combo1");
        const QStringList expected = {QStringLiteral("Mantel Test"),
                                      QStringLiteral("Spatial Autocorrelation Analysis"),
                                      QStringLiteral("Allelic Aggregation Index Analysis"),
                                      QStringLiteral("Interpolate Genetic Landscape Shape"),
                                      QStringLiteral("Monmonier Maximum Difference Algorithm"),
                                      QStringLiteral("Show Plot of Sample Locations"),
                                      QStringLiteral("Partial Mantel Test"),
                                      QStringLiteral("Multiple Matrix Regression"),
                                      QStringLiteral("Mixed-Model Regression (MLPE)"),
                                      QStringLiteral("Compare Hypotheses"),
                                      QStringLiteral("Fine-Scale Spatial Structure (Kinship)"),
                                      QStringLiteral("Current Flow Map")};
        QCOMPARE(analyses->count(), expected.size());
        for (int i = 0; i < analyses->count(); ++i)
            QCOMPARE(analyses->itemText(i), expected[i]);
        QCOMPARE(analyses->currentIndex(), 0);
        QCOMPARE(child<QPushButton>(window, "Command3")->text(), QStringLiteral("Go"));
        QVERIFY(child<QLabel>(window, "Label5")->text().isEmpty());

        QMenu* options = child<QMenu>(window, "optionsmenu");
        QCOMPARE(options->title(), QStringLiteral("&Options"));
        QStringList captions;
        for (QAction* action : options->actions())
            captions << action->objectName() + QLatin1Char('=') + action->text();
        QCOMPARE(captions, (QStringList{QStringLiteral("analysisoptions0=Mantel test"),
                                        QStringLiteral("analysisoptions1=Spatial Autocorrelation"),
                                        QStringLiteral("analysisoptions3=AAIA"),
                                        QStringLiteral("analysisoptions4=Landscape Shape Interpolation"),
                                        QStringLiteral("analysisoptions5=Monmonier's Algorithm"),
                                        QStringLiteral("analysisoptions6=Partial Mantel Test"),
                                        QStringLiteral("analysisoptions7=Multiple Matrix Regression"),
                                        QStringLiteral("analysisoptions8=Mixed-Model Regression (MLPE)"),
                                        QStringLiteral("analysisoptions9=Compare Hypotheses"),
                                        QStringLiteral("analysisoptions10=Fine-Scale Spatial Structure"),
                                        QStringLiteral("="), // the separator
                                        QStringLiteral("permutationscheme=Permutation Scheme"),
                                        QStringLiteral("randomseed=Random Seed...")}));
        QMenu* help = child<QMenu>(window, "helpmnu");
        QCOMPARE(help->actions().at(1)->text(), QStringLiteral("&About/Citing this program"));
    }

    void browseFillsThePathBoxesAndKeepsThemOnCancel()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        MainWindow window(state);
        dialogs.openAnswer = examplePath(QStringLiteral("microsatellites/coordinates.txt"));
        child<QPushButton>(window, "Command1")->click();
        QCOMPARE(child<QLineEdit>(window, "Text1")->text(), QDir::toNativeSeparators(dialogs.openAnswer));
        dialogs.openAnswer.clear();
        child<QPushButton>(window, "Command1")->click();
        QCOMPARE(child<QLineEdit>(window, "Text1")->text(),
                 QDir::toNativeSeparators(examplePath(QStringLiteral("microsatellites/coordinates.txt"))));
        child<QPushButton>(window, "Command2")->click();
        QCOMPARE(dialogs.dialogTitles,
                 (QStringList{QStringLiteral("Select coordinate file"), QStringLiteral("Select coordinate file"),
                              QStringLiteral("Select genotype file")}));
    }

    void aCompleteMantelRunShowsReportAndScatterplot()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        state.settings.mantel.permutations.count = 200;
        auto owned = readyWindow(state);
        MainWindow& window = *owned;
        auto* controller = window.findChild<RunController*>();
        QVERIFY(controller);
        QSignalSpy statuses(controller, &RunController::statusChanged);

        QCOMPARE(go(window), RunOutcome::Success);
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(!statuses.isEmpty());
        QCOMPARE(statuses.first().at(0).toString(), QStringLiteral("Calculating"));
        // The status line keeps the seed the run started from.
        QCOMPARE(child<QLabel>(window, "Label5")->text(), QStringLiteral("Seed: 4321,987654"));
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(state.RunDirectory, QDir::currentPath());

        QPointer<ResultsWindow> results = window.resultsWindow();
        QVERIFY(results);
        QVERIFY(qobject_cast<MantelResultsWindow*>(results.data()));
        QCOMPARE(results->windowTitle(), QStringLiteral("Mantel Test Analysis Results"));
        QCOMPARE(results->windowModality(), Qt::ApplicationModal);
        QVERIFY(results->isVisible());

        // The same run through the engine directly, with the same seed, gives the same report.
        const MantelInput input = exampleMantelInput(QStringLiteral("microsatellites"), 200);
        RandomUniform random(kSeed1, kSeed2);
        const MantelResult expected = RunMantel(input, random, RunListener::none());
        QCOMPARE(results->reportText(), QString::fromLatin1(MantelReport(expected)));
        QVERIFY(results->reportView()->toPlainText().startsWith(QStringLiteral("Results of Mantel Test\n")));

        const int n = expected.sampleCount();
        QCOMPARE(n, 30);
        QCOMPARE(results->chart()->pointCount(0), n * (n - 1) / 2);
        QCOMPARE(results->chart()->seriesCount(), 2);

        const QString reportFile = QDir(results->runFolderPath()).filePath(QStringLiteral("IBDResults.txt"));
        QVERIFY(QFile::exists(reportFile));
        QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("IBDResults.txt"))));
        results->close();
        QTRY_VERIFY(results.isNull());
        QVERIFY(!QFile::exists(reportFile));
        QVERIFY(!QDir(QFileInfo(reportFile).path()).exists());
        QVERIFY(child<QPushButton>(window, "Command3")->isEnabled());
    }

    void aMissingFileShowsTheGeneralErrorMessage()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        MainWindow window(state);
        child<QLineEdit>(window, "Text1")->setText(examplePath(QStringLiteral("no-such-file.txt")));
        child<QLineEdit>(window, "Text2")->setText(examplePath(QStringLiteral("microsatellites/genotypes.txt")));
        QCOMPARE(go(window), RunOutcome::AnalysisError);
        QCOMPARE(dialogs.messages, QStringList{generalErrorMessage()});
        QVERIFY(child<QLabel>(window, "Label5")->text().isEmpty());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(!window.resultsWindow());
        QVERIFY(!window.running());
    }

    void anEmptyPathShowsTheGeneralErrorMessage()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        MainWindow window(state);
        QCOMPARE(go(window), RunOutcome::AnalysisError);
        QCOMPARE(dialogs.messages, QStringList{generalErrorMessage()});
    }

    void aDataProblemShowsItsOwnMessageOnly()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        MainWindow window(state);
        // Haploid-style genotypes read as codominant alleles lack the allele separator.
        pickExample(window, QStringLiteral("haplotypes-latlong"));
        QCOMPARE(go(window), RunOutcome::DataProblem);
        QCOMPARE(dialogs.messages, QStringList{QString::fromLatin1(kMissingSeparatorMessage)});
        QVERIFY(!window.resultsWindow());
        // The status line keeps the seed of the run (taken from the clock here), and nothing else.
        const QString status = child<QLabel>(window, "Label5")->text();
        QVERIFY2(QRegularExpression(QStringLiteral("^Seed: [0-9]+,[0-9]+$")).match(status).hasMatch(),
                 qPrintable(status));
    }

    void anUnreadableDataSetShowsTheGeneralErrorMessage()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        MainWindow window(state);
        QTemporaryDir folder;
        const QString coordinates = folder.filePath(QStringLiteral("coordinates.txt"));
        QFile file(coordinates);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\"A\",north,1\r\n\"B\",2,2\r\n\"C\",3,1\r\n;\r\n");
        file.close();
        child<QLineEdit>(window, "Text1")->setText(coordinates);
        child<QLineEdit>(window, "Text2")->setText(examplePath(QStringLiteral("microsatellites/genotypes.txt")));
        QCOMPARE(go(window), RunOutcome::AnalysisError);
        QCOMPARE(dialogs.messages, QStringList{generalErrorMessage()});
        QVERIFY(!dialogs.details.constFirst().isEmpty());
    }

    void aRecordThatSlipsOffItsLineWarnsInTheStatusLineAfterTheRun()
    {
        // One locus declared, two fields per record: the second record's name is read as a
        // genotype, which the readers warn of without stopping the run.
        ScriptedDialogs dialogs;
        ProgramState state;
        auto window = readyWindow(state);
        QTemporaryDir folder;
        writeFile(folder, "coordinates.txt", "\"a\",0,0\r\n\"b\",1,0\r\n\"c\",0,1\r\n\"d\",1,1\r\n;\r\n");
        writeFile(folder, "genotypes.txt", "1\r\n\"a\",A,B\r\n\"b\",A,A\r\n\"c\",B,B\r\n\"d\",A,B\r\n");
        child<QLineEdit>(*window, "Text1")->setText(folder.filePath(QStringLiteral("coordinates.txt")));
        child<QLineEdit>(*window, "Text2")->setText(folder.filePath(QStringLiteral("genotypes.txt")));
        child<QRadioButton>(*window, "Option2")->setChecked(true);
        state.settings.mantel.permutations.count = 9;
        QCOMPARE(go(*window), RunOutcome::Success);
        const QString status = child<QLabel>(*window, "Label5")->text();
        QVERIFY2(status.startsWith(QStringLiteral("Warning: ")), qPrintable(status));
        QVERIFY(status.contains(QStringLiteral("does not start a line")));

        window->resultsWindow()->close();
        pickExample(*window, QStringLiteral("microsatellites"));
        child<QRadioButton>(*window, "Option1")->setChecked(true);
        QCOMPARE(go(*window), RunOutcome::Success);
        // No warning left: only the seed.
        QCOMPARE(child<QLabel>(*window, "Label5")->text(), QStringLiteral("Seed: 4321,987654"));
    }

    void aVcfFileIsMatchedByNameAndTheSamplesLeftOutAreCounted()
    {
        // The format is recognised from the content; the coordinate file names four of the 36
        // individuals of the VCF example.
        ScriptedDialogs dialogs;
        ProgramState state;
        auto window = readyWindow(state);
        QTemporaryDir folder;
        QFile file(folder.filePath(QStringLiteral("coordinates.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\"site1-01\",0,0\r\n\"site2-01\",4,1\r\n\"site3-01\",8,0\r\n\"site4-01\",12,2\r\n;\r\n");
        file.close();
        child<QLineEdit>(*window, "Text1")->setText(file.fileName());
        child<QLineEdit>(*window, "Text2")->setText(examplePath(QStringLiteral("vcf/genotypes.vcf")));
        child<QRadioButton>(*window, "Option1")->setChecked(true);
        state.settings.mantel.permutations.count = 9;
        QCOMPARE(go(*window), RunOutcome::Success);
        const QString status = child<QLabel>(*window, "Label5")->text();
        QVERIFY2(status.contains(QStringLiteral("32 samples of the genotype file")), qPrintable(status));
        QVERIFY2(status.contains(QStringLiteral("have no coordinates and were left out")), qPrintable(status));
    }

    void aGenepopFileWithOneNamePerSiteRunsByOrderInTheFiles()
    {
        // The site's name on every line of it, in both files: by name the run stops and says what to
        // choose; by order it gives the report of the same data in the program's own format.
        ScriptedDialogs dialogs;
        ProgramState state;
        state.settings.mantel.permutations.count = 9;
        auto window = readyWindow(state);
        QRadioButton* byName = child<QRadioButton>(*window, "matchByName");
        QRadioButton* byOrder = child<QRadioButton>(*window, "matchByOrder");
        QCOMPARE(byName->text(), QStringLiteral("Match samples by name"));
        QCOMPARE(byOrder->text(), QStringLiteral("by order in the files"));
        QVERIFY(byName->isChecked());
        QVERIFY(!byOrder->isChecked());

        QTemporaryDir folder;
        writeFile(folder, "coordinates.txt",
                  "\"north\",0,0\r\n\"north\",1,0.2\r\n\"south\",4,3\r\n\"south\",5,3.5\r\n;\r\n");
        writeFile(folder, "sites.gen",
                  "Two sites\r\nL1, L2\r\nPOP\r\nnorth , 0102 0303\r\nnorth , 0101 0304\r\nPOP\r\n"
                  "south , 0202 0000\r\nsouth , 0102 0404\r\n");
        writeFile(folder, "genotypes.txt",
                  "2\r\n\"north\",1\\2,3\\3\r\n\"north\",1\\1,3\\4\r\n\"south\",2\\2,0\\0\r\n"
                  "\"south\",1\\2,4\\4\r\n");
        child<QLineEdit>(*window, "Text1")->setText(folder.filePath(QStringLiteral("coordinates.txt")));
        child<QLineEdit>(*window, "Text2")->setText(folder.filePath(QStringLiteral("sites.gen")));

        QCOMPARE(go(*window), RunOutcome::DataProblem);
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.messages.first().contains(QStringLiteral("appears twice in the coordinate file")),
                 qPrintable(dialogs.messages.first()));
        QVERIFY2(dialogs.messages.first().contains(QStringLiteral("\"by order in the files\" in the main window")),
                 qPrintable(dialogs.messages.first()));
        QVERIFY(!window->resultsWindow());

        byOrder->click();
        QVERIFY(!byName->isChecked());
        // The kind of data is a choice of its own.
        QVERIFY(child<QRadioButton>(*window, "Option1")->isChecked());
        QCOMPARE(go(*window), RunOutcome::Success);
        QCOMPARE(dialogs.messages.size(), 1);
        QPointer<ResultsWindow> results = window->resultsWindow();
        QVERIFY(results);

        MantelInput own{{}, {}};
        own.coordinatePath = QFile::encodeName(folder.filePath(QStringLiteral("coordinates.txt"))).toStdString();
        own.genotypePath = QFile::encodeName(folder.filePath(QStringLiteral("genotypes.txt"))).toStdString();
        own.settings.permutations.count = 9;
        RandomUniform random(kSeed1, kSeed2);
        QString expected = QString::fromLatin1(MantelReport(RunMantel(own, random, RunListener::none())));
        expected.replace(QStringLiteral("genotypes.txt"), QStringLiteral("sites.gen"));
        QCOMPARE(results->reportText(), expected);
        results->close();
        QTRY_VERIFY(results.isNull());
    }

    void aMonmonierRunShowsTheBarrierMapAndItsReport()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        state.settings.monmonier.barrierCount = 2;
        auto owned = readyWindow(state);
        MainWindow& window = *owned;
        child<QComboBox>(window, "Combo1")->setCurrentIndex(4);
        QSignalSpy statuses(window.findChild<RunController*>(), &RunController::statusChanged);

        QCOMPARE(go(window), RunOutcome::Success);
        QVERIFY(dialogs.messages.isEmpty());
        QStringList shown;
        for (const QList<QVariant>& status : statuses)
            shown << status.at(0).toString();
        QCOMPARE(shown, (QStringList{QStringLiteral("Reading"), QStringLiteral("Calculating Distances"),
                                     QStringLiteral("Calculating Residuals"), QStringLiteral("Triangulating"),
                                     QStringLiteral("Implementing Algorithm")}));
        QCOMPARE(child<QLabel>(window, "Label5")->text(), QStringLiteral("Seed: 4321,987654"));

        QPointer<ResultsWindow> results = window.resultsWindow();
        QVERIFY(results);
        auto* map = qobject_cast<MonmonierResultsWindow*>(results.data());
        QVERIFY(map);
        QCOMPARE(map->windowTitle(), QStringLiteral("Monmonier Maximum Difference Algorithm"));
        QCOMPARE(map->windowModality(), Qt::ApplicationModal);

        // The same run through the engine gives the same report and the same drawing.
        MonmonierInput input{test::exampleFiles(QStringLiteral("microsatellites")), state.settings.monmonier};
        const MonmonierResult expected = RunMonmonier(input);
        QCOMPARE(map->reportText(), QString::fromLatin1(MonmonierReport(expected)));
        QCOMPARE(map->barrierCount(), 2);
        qsizetype barrierLines = 0;
        for (const BarrierRecord& barrier : expected.BarrierList)
            barrierLines += static_cast<qsizetype>(BarrierLines(expected.BarrierTriangles, barrier).size());
        map->map()->grab();
        QCOMPARE(map->map()->linesDrawn(),
                 2 + static_cast<qsizetype>(3 * expected.BarrierTriangles.size()) + barrierLines);
        QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("monmonierresults.txt"))));
        const QString folder = results->runFolderPath();
        results->close();
        QTRY_VERIFY(results.isNull());
        QVERIFY(!QDir(folder).exists());
    }

    void aMonmonierRunWithBootstrapShowsTheSupportOfTheRunsSeed()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        state.settings.monmonier.barrierCount = 2;
        state.settings.monmonier.bootstrapReplicates = 20;
        auto owned = readyWindow(state);
        child<QComboBox>(*owned, "Combo1")->setCurrentIndex(4);
        QCOMPARE(go(*owned), RunOutcome::Success);
        QVERIFY(dialogs.messages.isEmpty());
        auto* map = qobject_cast<MonmonierResultsWindow*>(owned->resultsWindow());
        QVERIFY(map);
        QVERIFY(map->hasSupport());
        // The engine with the run's generator gives the same report, bootstrap section included.
        RandomUniform random(kSeed1, kSeed2);
        const MonmonierResult expected = RunMonmonier(
            MonmonierInput{test::exampleFiles(QStringLiteral("microsatellites")), state.settings.monmonier}, random);
        QCOMPARE(map->reportText(), QString::fromLatin1(MonmonierReport(expected)));
        QVERIFY(map->reportText().contains(QStringLiteral("Bootstrap support: 20 replicates")));
        map->close();
    }

    void aBarrierSearchWithoutAStartEdgeShowsItsOwnMessage()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        state.settings.monmonier.barrierCount = 1000;
        auto owned = readyWindow(state);
        child<QComboBox>(*owned, "Combo1")->setCurrentIndex(4);
        QCOMPARE(go(*owned), RunOutcome::AnalysisError);
        // The engine's own words for the barrier it stopped at, instead of the general message.
        QString expected;
        try {
            RunMonmonier(
                MonmonierInput{test::exampleFiles(QStringLiteral("microsatellites")), state.settings.monmonier});
        } catch (const OwnMessageAnalysisError& error) {
            expected = QString::fromLatin1(error.what());
        }
        QVERIFY(expected.startsWith(QStringLiteral("No start edge left for barrier ")));
        QCOMPARE(dialogs.messages, QStringList{expected});
        QVERIFY(!owned->resultsWindow());
        QVERIFY(owned->runFolder().isEmpty());
    }

    void aNegativeBarrierCountShowsTheGeneralErrorMessage()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        state.settings.monmonier.barrierCount = -2;
        auto owned = readyWindow(state);
        child<QComboBox>(*owned, "Combo1")->setCurrentIndex(4);
        QCOMPARE(go(*owned), RunOutcome::AnalysisError);
        QCOMPARE(dialogs.messages, QStringList{generalErrorMessage()});
        QVERIFY(!dialogs.details.constFirst().isEmpty());
        QVERIFY(!owned->resultsWindow());
    }

    void cancellingALongRunEndsItWithNoReportAndNoMessage()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        state.settings.mantel.permutations.count = 2000000000;
        auto owned = readyWindow(state);
        MainWindow& window = *owned;
        auto* controller = window.findChild<RunController*>();
        QSignalSpy statuses(controller, &RunController::statusChanged);
        QSignalSpy finished(&window, &MainWindow::runFinished);

        child<QPushButton>(window, "Command3")->click();
        QVERIFY(window.running());
        QPushButton* cancel = child<QPushButton>(window, "CancelRun");
        QVERIFY(cancel->isVisible());
        QVERIFY(child<QProgressBar>(window, "RunProgress")->isVisible());
        QVERIFY(!child<QPushButton>(window, "Command3")->isEnabled());
        QVERIFY(!child<QLineEdit>(window, "Text1")->isEnabled());
        QVERIFY(!window.menuBar()->isEnabled());
        QVERIFY(QApplication::overrideCursor() != nullptr);
        // A second "Go" while the run goes starts nothing.
        child<QPushButton>(window, "Command3")->click();

        // Wait for the replicates to be under way, then cancel.
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(statuses.cbegin(), statuses.cend(),
                                             [](const QList<QVariant>& s) {
                                                 return s.at(0).toString().startsWith(QStringLiteral("Replicate: "));
                                             }),
                                 60000);
        QTRY_VERIFY(child<QLabel>(window, "Label5")->text().startsWith(QStringLiteral("Replicate:  ")));
        const QString folder = window.runFolder();
        QVERIFY(QDir(folder).exists());
        QTest::mouseClick(cancel, Qt::LeftButton);
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().at(0).value<RunOutcome>(), RunOutcome::Cancelled);
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(!window.resultsWindow());
        QVERIFY(!cancel->isVisible());
        QVERIFY(child<QPushButton>(window, "Command3")->isEnabled());
        QVERIFY(child<QLabel>(window, "Label5")->text().isEmpty());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(!QDir(folder).exists());
    }

    void closingTheWindowDuringARunStopsIt()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        state.settings.mantel.permutations.count = 2000000000;
        QString folder;
        {
            MainWindow window(state);
            window.show();
            pickExample(window, QStringLiteral("microsatellites"));
            child<QPushButton>(window, "Command3")->click();
            QVERIFY(window.running());
            folder = window.runFolder();
            QVERIFY(QDir(folder).exists());
            window.close();
            QVERIFY(!window.running());
        }
        QCoreApplication::processEvents();
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(!QDir(folder).exists());
    }

    void optionsChangeTheNextRunOnly()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        auto owned = readyWindow(state);
        MainWindow& window = *owned;
        // The Mantel options window opened from the menu, answered as a user would.
        QTimer::singleShot(0, [&window] {
            auto* options = window.findChild<MantelOptionsDialog*>();
            QVERIFY(options);
            options->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("0"));
            options->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        });
        window.findChild<QAction*>(QStringLiteral("analysisoptions0"))->trigger();
        QCOMPARE(state.settings.mantel.permutations.count, 0);
        QCOMPARE(go(window), RunOutcome::Success);
        QTRY_VERIFY(window.resultsWindow());
        QVERIFY(window.resultsWindow()->reportText().contains(QStringLiteral("\r\n 0 replicates performed\r\n")));
        window.resultsWindow()->close();
    }

    void eachOptionsItemOpensItsWindow()
    {
        ProgramState state;
        MainWindow window(state);
        window.show();
        struct Item {
            const char* action;
            QString title;
            QString objectName;
        };
        const Item items[] = {
            {"analysisoptions0", QStringLiteral("Mantel Test Options"), QStringLiteral("MantelForm")},
            {"analysisoptions1", QStringLiteral("Spatial Autocorrelation Options"),
             QStringLiteral("SpatialAutocorrForm")},
            {"analysisoptions3", QStringLiteral("AAIA Options"), QStringLiteral("AAIAForm")},
            {"analysisoptions4", QStringLiteral("Options for Interpolation of Landscape Shape"),
             QStringLiteral("InterpolateOptions")},
            {"analysisoptions5", QStringLiteral("Monmonier Algorithm Options"), QStringLiteral("MonMonierOptionsForm")},
            {"analysisoptions6", QStringLiteral("Partial Mantel Test Options"), QStringLiteral("PartialMantelForm")},
            {"analysisoptions7", QStringLiteral("Multiple Matrix Regression Options"),
             QStringLiteral("MatrixRegressionForm")},
            {"analysisoptions8", QStringLiteral("Mixed-Model Regression (MLPE) Options"), QStringLiteral("MlpeForm")},
            {"analysisoptions9", QStringLiteral("Compare Hypotheses Options"), QStringLiteral("ModelComparisonForm")},
            {"analysisoptions10", QStringLiteral("Fine-Scale Spatial Structure Options"),
             QStringLiteral("KinshipForm")},
            {"permutationscheme", QStringLiteral("Permutation Scheme"), QStringLiteral("PermutationSchemeForm")},
        };
        for (const Item& item : items) {
            QString opened;
            QTimer::singleShot(0, [&opened] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                if (!dialog)
                    return;
                opened = dialog->windowTitle() + QLatin1Char('/') + dialog->objectName();
                dialog->reject();
            });
            window.findChild<QAction*>(QLatin1String(item.action))->trigger();
            QCOMPARE(opened, item.title + QLatin1Char('/') + item.objectName);
        }
        QCOMPARE(state.settings.mantel.permutations.count, 1000);
    }

    void tabGoesFromEachFileBoxToItsOwnBrowse()
    {
        ProgramState state;
        MainWindow window(state);
        window.show();
        // The next control that Tab reaches from `from`: enabled, shown, and taking focus by Tab.
        const auto nextTabStop = [](QWidget* from) {
            QWidget* next = from->nextInFocusChain();
            while (next != from && !(next->isEnabled() && next->isVisible() && (next->focusPolicy() & Qt::TabFocus)))
                next = next->nextInFocusChain();
            return next;
        };
        QWidget* coordinates = child<QLineEdit>(window, "Text1");
        QWidget* coordinateBrowse = child<QPushButton>(window, "Command1");
        QWidget* genotypes = child<QLineEdit>(window, "Text2");
        QWidget* genotypeBrowse = child<QPushButton>(window, "Command2");
        QCOMPARE(nextTabStop(coordinates), coordinateBrowse);
        QCOMPARE(nextTabStop(coordinateBrowse), genotypes);
        QCOMPARE(nextTabStop(genotypes), genotypeBrowse);
        QCOMPARE(nextTabStop(genotypeBrowse), child<QRadioButton>(window, "Option1"));
    }

    void aTallerWindowKeepsLabelsByTheirBoxesAndTheStatusLineAtTheBottom()
    {
        ProgramState state;
        MainWindow window(state);
        window.show();
        const std::pair<const char*, const char*> pairs[] = {
            {"Label1", "Text1"}, {"Label2", "Text2"}, {"Label4", "Combo1"}};
        // For each pair: the space between label and box, and how far their left edges differ.
        const auto placement = [&] {
            QList<int> result;
            for (const auto& [label, box] : pairs) {
                const QRect labelArea = child<QWidget>(window, label)->geometry();
                const QRect boxArea = child<QWidget>(window, box)->geometry();
                result << boxArea.top() - labelArea.bottom() << boxArea.left() - labelArea.left();
            }
            return result;
        };
        const QList<int> before = placement();
        for (qsizetype i = 0; i < before.size(); i += 2) {
            QVERIFY(before[i] >= 0 && before[i] <= 12);
            QCOMPARE(before[i + 1], 0);
        }
        // The extra height goes below the controls: the status line moves down, keeping its height.
        QWidget* status = child<QLabel>(window, "Label5");
        const auto topAndHeight = [&] { return QPoint(status->mapTo(&window, QPoint(0, 0)).y(), status->height()); };
        const QPoint statusBefore = topAndHeight();
        window.resize(window.size() + QSize(200, 150));
        QTRY_COMPARE(topAndHeight(), statusBefore + QPoint(150, 0));
        QCOMPARE(placement(), before);
    }

    void helpOpensTheWelcomePageAndAboutShowsTheCitation()
    {
        ProgramState state;
        MainWindow window(state);
        window.show();
        child<QPushButton>(window, "Command4")->click();
        auto* help = window.findChild<HelpWindow*>();
        QVERIFY(help);
        QCOMPARE(help->browser()->source().toString(), QStringLiteral("qrc:/help/welcome.html"));
        help->close();

        bool sawAbout = false;
        QTimer::singleShot(0, [&window, &sawAbout] {
            auto* about = window.findChild<AboutDialog*>();
            sawAbout = about && about->isVisible() && about->windowTitle() == QStringLiteral("About Tessaloc");
            if (about)
                about->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        });
        window.findChild<QAction*>(QStringLiteral("hlpmnucont1"))->trigger();
        QVERIFY(sawAbout);
    }

    void sixPopulationsGetAnExactMantelTestWhenCompleteEnumerationIsChosen()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        auto owned = readyWindow(state);
        MainWindow& window = *owned;
        // "Complete enumeration" chosen in the Options menu's window, as a user would.
        QTimer::singleShot(0, [&window] {
            auto* scheme = window.findChild<PermutationSchemeDialog*>();
            QVERIFY(scheme);
            scheme->findChild<QRadioButton*>(QStringLiteral("Option3"))->click();
            scheme->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        });
        window.findChild<QAction*>(QStringLiteral("permutationscheme"))->trigger();
        QCOMPARE(state.settings.permutationScheme, PermutationScheme::Complete);

        QTemporaryDir folder;
        writeFile(folder, "coordinates.txt",
                  "\"P1\",0,0\r\n\"P2\",3,1\r\n\"P3\",7,2\r\n\"P4\",12,0\r\n\"P5\",15,4\r\n"
                  "\"P6\",20,3\r\n;\r\n");
        writeFile(folder, "genotypes.txt",
                  "2\r\n\"P1\",1\\2,5\\5\r\n\"P2\",1\\1,5\\6\r\n\"P3\",1\\3,6\\6\r\n"
                  "\"P4\",2\\3,6\\7\r\n\"P5\",3\\3,7\\7\r\n\"P6\",3\\4,7\\8\r\n");
        child<QLineEdit>(window, "Text1")->setText(folder.filePath(QStringLiteral("coordinates.txt")));
        child<QLineEdit>(window, "Text2")->setText(folder.filePath(QStringLiteral("genotypes.txt")));
        QCOMPARE(go(window), RunOutcome::Success);
        QVERIFY(dialogs.messages.isEmpty());
        const QString report = window.resultsWindow()->reportText();
        QVERIFY2(report.contains(QStringLiteral("\r\n 719 replicates performed\r\n"
                                                "Permutations: all 720 arrangements (exact test)\r\n")),
                 qPrintable(report));

        // The same test through the engine directly gives the same report, whatever the seed.
        MantelInput input = exampleMantelInput(QStringLiteral("microsatellites"), 1000);
        input.coordinatePath = child<QLineEdit>(window, "Text1")->text().toStdString();
        input.genotypePath = child<QLineEdit>(window, "Text2")->text().toStdString();
        RandomUniform random(1, 2);
        input.settings.permutations.scheme = PermutationScheme::Complete;
        QCOMPARE(report, QString::fromStdString(MantelReport(RunMantel(input, random, RunListener::none()))));
        window.resultsWindow()->close();

        // The thirty observations of the example have too many arrangements: the run says so.
        pickExample(window, QStringLiteral("microsatellites"));
        QCOMPARE(go(window), RunOutcome::AnalysisError);
        QCOMPARE(dialogs.messages, QStringList{generalErrorMessage()});
        QVERIFY(dialogs.details.constFirst().contains(QStringLiteral("at most 9 observations")));
    }

    void theChosenSchemeServesEveryPermutationTest_data()
    {
        QTest::addColumn<int>("analysis");
        QTest::addColumn<QString>("replicatesLine");
        QTest::newRow("Mantel test") << 0 << QStringLiteral(" 40 replicates performed");
        QTest::newRow("spatial autocorrelation") << 1 << QStringLiteral(" 40 permutations performed");
        QTest::newRow("aggregation") << 2 << QStringLiteral("P (Rave<=RND) = ");
    }

    void theChosenSchemeServesEveryPermutationTest()
    {
        QFETCH(int, analysis);
        QFETCH(QString, replicatesLine);
        ScriptedDialogs dialogs;
        ProgramState state;
        state.settings.mantel.permutations.count = 40;
        state.settings.autocorrelation.permutations.count = 40;
        state.settings.aggregation.permutations.count = 40;
        state.settings.permutationScheme = PermutationScheme::Uniform;
        auto owned = readyWindow(state);
        child<QComboBox>(*owned, "Combo1")->setCurrentIndex(analysis);
        QCOMPARE(go(*owned), RunOutcome::Success);
        const QString report = owned->resultsWindow()->reportText();
        const qsizetype line = report.indexOf(replicatesLine);
        QVERIFY2(line >= 0, qPrintable(report));
        QCOMPARE(report.indexOf(QStringLiteral("Permutations: independent uniform shuffles\r\n")),
                 report.indexOf(QStringLiteral("\r\n"), line) + 2);
        owned->resultsWindow()->close();
    }

    void aNegativePermutationCountShowsTheGeneralErrorMessage()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        state.settings.mantel.permutations.count = -1;
        MainWindow window(state);
        pickExample(window, QStringLiteral("microsatellites"));
        QCOMPARE(go(window), RunOutcome::AnalysisError);
        QCOMPARE(dialogs.messages, QStringList{generalErrorMessage()});
        QVERIFY(!window.resultsWindow());
    }
};

TESSALOC_GUI_TEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
