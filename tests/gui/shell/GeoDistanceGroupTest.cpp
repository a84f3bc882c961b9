// The main window's choice of geographic distances: its controls, and a Mantel run on each choice
// driven from the window as a user drives it.
#include "tests/gui/GuiTestSupport.h"

#include "ui/shell/MainWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/shell/ResultsWindow.h"
#include "ui/shell/RunController.h"

#include "analyses/mantel/Mantel.h"
#include "core/Errors.h"
#include "core/GeographicDistances.h"
#include "formats/OwnFormatReaders.h"
#include "tests/support/MatrixBuilders.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessaloc;
using namespace tessaloc::ui;
using tessaloc::ui::test::exampleMantelInput;
using tessaloc::ui::test::examplePath;
using tessaloc::ui::test::ScriptedDialogs;

namespace {

constexpr std::int64_t kSeed1 = 1234;
constexpr std::int64_t kSeed2 = 56789;
constexpr long long kPermutations = 99;
constexpr int kMantel = 0;

template <typename T> T* child(const QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

/// The report the Mantel engine writes for the microsatellite example on `distances`, with the
/// window's seeds.
QString engineReport(const GeoDistanceSettings& distances)
{
    MantelInput input = exampleMantelInput(QStringLiteral("microsatellites"), kPermutations);
    input.geoDistances = distances;
    RandomUniform random(kSeed1, kSeed2);
    return QString::fromLatin1(MantelReport(RunMantel(input, random, RunListener::none())));
}

/// The straight-line distances of the microsatellite example written as a matrix file, every
/// digit kept, its columns in reverse order.
QString writeStraightMatrix(const QTemporaryDir& folder)
{
    SampleTable table;
    ReadCoordinates(QFile::encodeName(examplePath(QStringLiteral("microsatellites/coordinates.txt"))).toStdString(),
                    table);
    const SquareMatrix straight = BuildGeographicDistances(table, false).square();
    const std::string csv = tessaloc::testing::matrixFileText(table.names, straight);
    const QString path = folder.filePath(QStringLiteral("straight.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv.data(), static_cast<qint64>(csv.size())) < 0)
        qFatal("cannot write the matrix file");
    return path;
}

} // namespace

class GeoDistanceGroupTest : public QObject {
    Q_OBJECT

private:
    /// Chooses `kind` in the group, names `file` through "Browse", and runs the Mantel test from
    /// the main window. Returns the report shown, with the status texts of the run in `statuses`.
    QString runMantel(GeoDistanceKind kind, const QString& file, int neighbours, QStringList& statuses,
                      bool& progressShown)
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        state.settings.mantel.permutations.count = kPermutations;
        auto window = test::mainWindowWithExample(state, QStringLiteral("microsatellites"), kSeed1, kSeed2);
        auto* kinds = child<QComboBox>(*window, "geoDistanceKind");
        kinds->setCurrentIndex(kinds->findData(static_cast<int>(kind)));
        if (!file.isEmpty()) {
            dialogs.openAnswer = file;
            child<QPushButton>(*window, "geoDistanceBrowse")->click();
            if (child<QLineEdit>(*window, "geoDistanceFile")->text() != QDir::toNativeSeparators(file))
                return QStringLiteral("(Browse did not fill the file box)");
        }
        auto* neighbourList = child<QComboBox>(*window, "geoDistanceNeighbours");
        neighbourList->setCurrentIndex(neighbourList->findData(neighbours));

        auto* controller = window->findChild<RunController*>();
        QSignalSpy statusSpy(controller, &RunController::statusChanged);
        QSignalSpy progressSpy(controller, &RunController::progressChanged);
        const std::optional<RunOutcome> outcome = test::runAnalysis(*window, kMantel);
        for (const QList<QVariant>& status : statusSpy)
            statuses << status.at(0).toString();
        progressShown = !progressSpy.isEmpty();
        if (outcome != RunOutcome::Success)
            return QStringLiteral("(run failed: %1)").arg(dialogs.messages.join(QLatin1Char('|')));
        if (!dialogs.messages.isEmpty())
            return QStringLiteral("(messages: %1)").arg(dialogs.messages.join(QLatin1Char('|')));
        const QString report = window->resultsWindow()->reportText();
        window->resultsWindow()->close();
        return report;
    }

private slots:
    void startsWithStraightLinesBetweenTheLatitudeBoxAndTheAnalysisList()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        MainWindow window(state);
        window.show();
        auto* group = child<QGroupBox>(window, "geoDistanceGroup");
        QCOMPARE(group->title(), QStringLiteral("Geographic Distances"));
        auto* kinds = child<QComboBox>(window, "geoDistanceKind");
        QCOMPARE(kinds->count(), 4);
        QCOMPARE(kinds->currentData().toInt(), static_cast<int>(GeoDistanceKind::Straight));
        QVERIFY(!child<QLineEdit>(window, "geoDistanceFile")->isEnabled());
        QVERIFY(!child<QPushButton>(window, "geoDistanceBrowse")->isEnabled());
        QCOMPARE(child<QPushButton>(window, "geoDistanceBrowse")->text(), QStringLiteral("Browse"));
        QVERIFY(!child<QComboBox>(window, "geoDistanceNeighbours")->isEnabled());

        // Below the latitude/longitude box and above the analysis list, whose captions stay as they were.
        const auto top = [&](const char* name) { return child<QWidget>(window, name)->mapTo(&window, QPoint()).y(); };
        QVERIFY(top("Check1") < top("geoDistanceGroup"));
        QVERIFY(top("geoDistanceGroup") < top("Label4"));
        QVERIFY(top("Label4") < top("Combo1"));
        QCOMPARE(child<QLabel>(window, "Label4")->text(), QStringLiteral("Analysis type"));
        QCOMPARE(child<QCheckBox>(window, "Check1")->text(), QStringLiteral("Coordinates are Latitude/Longitude"));

        // The file box and "Browse" serve the three choices that take a file; the neighbours the surfaces.
        kinds->setCurrentIndex(kinds->findData(static_cast<int>(GeoDistanceKind::Matrix)));
        QVERIFY(child<QLineEdit>(window, "geoDistanceFile")->isEnabled());
        QVERIFY(!child<QComboBox>(window, "geoDistanceNeighbours")->isEnabled());
        kinds->setCurrentIndex(kinds->findData(static_cast<int>(GeoDistanceKind::Circuit)));
        QVERIFY(child<QPushButton>(window, "geoDistanceBrowse")->isEnabled());
        QVERIFY(child<QComboBox>(window, "geoDistanceNeighbours")->isEnabled());

        // A cancelled file dialog leaves the box as it was; the title says what is asked for.
        child<QLineEdit>(window, "geoDistanceFile")->setText(QStringLiteral("kept.asc"));
        child<QPushButton>(window, "geoDistanceBrowse")->click();
        QCOMPARE(child<QLineEdit>(window, "geoDistanceFile")->text(), QStringLiteral("kept.asc"));
        kinds->setCurrentIndex(kinds->findData(static_cast<int>(GeoDistanceKind::Matrix)));
        child<QPushButton>(window, "geoDistanceBrowse")->click();
        QCOMPARE(dialogs.dialogTitles, (QStringList{QStringLiteral("Select resistance surface"),
                                                    QStringLiteral("Select distance matrix file")}));
    }

    void straightLinesGiveTheReportOfToday()
    {
        QStringList statuses;
        bool progress = false;
        const QString report = runMantel(GeoDistanceKind::Straight, {}, 8, statuses, progress);
        QCOMPARE(report, engineReport({}));
        QVERIFY(!report.contains(QStringLiteral("Geographic Distances")));
        QVERIFY(!statuses.contains(QStringLiteral("Reading the resistance surface")));
    }

    void leastCostPathsRunOverTheSurfaceOnTheWorkerThread()
    {
        const QString surface = examplePath(QStringLiteral("microsatellites/resistance.asc"));
        QStringList statuses;
        bool progress = false;
        const QString report = runMantel(GeoDistanceKind::LeastCost, surface, 4, statuses, progress);
        GeoDistanceSettings settings;
        settings.kind = GeoDistanceKind::LeastCost;
        settings.file = QFile::encodeName(QDir::toNativeSeparators(surface)).toStdString();
        settings.neighbours = 4;
        QCOMPARE(report, engineReport(settings));
        QVERIFY(report.contains(QStringLiteral("\nGeographic Distances: least-cost paths over the resistance "
                                               "surface \"%1\" (4 neighbours)\r\n")
                                    .arg(QDir::toNativeSeparators(surface))));
        QVERIFY(report != engineReport({}));
        QVERIFY(statuses.contains(QStringLiteral("Least-cost paths")));
        QVERIFY(progress);
    }

    void circuitResistanceRunsOverTheSurfaceOnTheWorkerThread()
    {
        const QString surface = examplePath(QStringLiteral("microsatellites/resistance.asc"));
        QStringList statuses;
        bool progress = false;
        const QString report = runMantel(GeoDistanceKind::Circuit, surface, 8, statuses, progress);
        GeoDistanceSettings settings;
        settings.kind = GeoDistanceKind::Circuit;
        settings.file = QFile::encodeName(QDir::toNativeSeparators(surface)).toStdString();
        QCOMPARE(report, engineReport(settings));
        QVERIFY(report.contains(QStringLiteral("\nGeographic Distances: circuit resistance over the resistance "
                                               "surface \"%1\" (8 neighbours)\r\n")
                                    .arg(QDir::toNativeSeparators(surface))));
        QVERIFY(statuses.contains(QStringLiteral("Circuit resistance: factoring")));
        QVERIFY(progress);
    }

    void aMatrixOfTheStraightLinesGivesTheSameReportButForOneLine()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString file = writeStraightMatrix(folder);
        QStringList statuses;
        bool progress = false;
        const QString report = runMantel(GeoDistanceKind::Matrix, file, 8, statuses, progress);
        QString expected = engineReport({});
        const QString genotypeLine = QStringLiteral("\nGenotype File: ");
        const qsizetype after = expected.indexOf(QLatin1Char('\n'), expected.indexOf(genotypeLine) + 1) + 1;
        expected.insert(after, QStringLiteral("Geographic Distances: the distance matrix file \"%1\"\r\n")
                                   .arg(QDir::toNativeSeparators(file)));
        QCOMPARE(report, expected);
    }

    void aSurfaceProblemShowsItsOwnMessageAndNoReport()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        auto window = test::mainWindowWithExample(state, QStringLiteral("microsatellites"), kSeed1, kSeed2);
        auto* kinds = child<QComboBox>(*window, "geoDistanceKind");
        kinds->setCurrentIndex(kinds->findData(static_cast<int>(GeoDistanceKind::LeastCost)));
        QCOMPARE(test::runAnalysis(*window, kMantel), RunOutcome::DataProblem);
        QCOMPARE(dialogs.messages,
                 QStringList{QStringLiteral("No resistance surface is named for the least-cost paths.")});
        QVERIFY(!window->resultsWindow());
        // The status line keeps only the seed of the run.
        const QString status = child<QLabel>(*window, "Label5")->text();
        QVERIFY2(status.startsWith(QStringLiteral("Seed: ")), qPrintable(status));
    }
};

TESSALOC_GUI_TEST_MAIN(GeoDistanceGroupTest)
#include "GeoDistanceGroupTest.moc"
