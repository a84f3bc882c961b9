// The current map run from the main window over the microsatellite example's resistance surface, and
// its window: the map under the samples, the log scale, the cell under the mouse, zoom, "Save Map..."
// and help.
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/currentmap/CurrentMapResultsWindow.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/widgets/RasterMapView.h"

#include "analyses/AnalysisList.h"
#include "analyses/currentmap/CurrentMapAnalysis.h"
#include "formats/RasterFile.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <cmath>

using namespace tessaloc;
using namespace tessaloc::ui;
using namespace tessaloc::ui::test;

namespace {

constexpr std::int64_t kSeed1 = 11;
constexpr std::int64_t kSeed2 = 13;

// The analysis's position in the main window's list: its place in the list of analyses.
int currentMapPosition()
{
    int position = 0;
    int found = -1;
    forEachAnalysis([&]<typename A>() {
        if (std::is_same_v<A, CurrentMapAnalysis>)
            found = position;
        ++position;
    });
    return found;
}

// A strip of five cells 10 units wide from (100, 20), the fourth impassable, with locations in the
// first three cells: the pairs (1, 2), (1, 3) and (2, 3) give cells 1 to 3 the currents 2, 3 and 2
// amperes (a terminal carries one ampere per pair, a cell between two terminals too); cell 5 is cut
// off and carries none.
CurrentMapResult stripResult()
{
    CurrentMapResult result;
    result.coordinatePath = "coordinates.txt";
    result.surfacePath = "strip.tif";
    result.neighbours = 4;
    result.geometry.columns = 5;
    result.geometry.rows = 1;
    result.geometry.transform = {100.0, 10.0, 0.0, 20.0, 0.0, -10.0};
    result.currents.cumulative = {2.0, 3.0, 2.0, std::nan(""), 0.0};
    result.currents.locations = {0, 1, 2};
    result.names = {"a", "b", "c"};
    result.x = {105.0, 115.0, 125.0};
    result.y = {15.0, 15.0, 15.0};
    result.total = 7.0;
    result.largestCell = 1;
    result.largest = 3.0;
    return result;
}

} // namespace

class CurrentMapWindowTest : public QObject {
    Q_OBJECT

    ProgramState m_state;

    std::unique_ptr<CurrentMapResultsWindow> makeWindow()
    {
        const CurrentMapResult result = stripResult();
        return showResultsWindow<CurrentMapResultsWindow>(m_state, CurrentMapResult(result),
                                                          std::string(kCurrentMapReportFileName).c_str(),
                                                          CurrentMapReport(result));
    }

private slots:
    void runsFromTheMainWindowOverTheSurfaceOfTheGeographicDistances()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        auto window = mainWindowWithExample(state, QStringLiteral("microsatellites"), kSeed1, kSeed2);
        auto* kinds = window->findChild<QComboBox*>(QStringLiteral("geoDistanceKind"));
        QVERIFY(kinds);
        kinds->setCurrentIndex(kinds->findData(static_cast<int>(GeoDistanceKind::Circuit)));
        const QString surface = examplePath(QStringLiteral("microsatellites/resistance.asc"));
        dialogs.openAnswer = surface;
        window->findChild<QPushButton*>(QStringLiteral("geoDistanceBrowse"))->click();

        QCOMPARE(runAnalysis(*window, currentMapPosition()), std::optional<RunOutcome>(RunOutcome::Success));
        QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.messages.join(QLatin1Char('|'))));
        auto* results = qobject_cast<CurrentMapResultsWindow*>(window->resultsWindow());
        QVERIFY(results);
        QVERIFY(results->reportText().startsWith(QStringLiteral("Results of Cumulative Current Map\r\n")));
        const RasterFile raster(QFile::encodeName(surface).toStdString(), "resistance surface");
        QCOMPARE(results->mapView()->columns(), raster.geometry().columns);
        QCOMPARE(results->mapView()->rows(), raster.geometry().rows);
        results->close();
    }

    void withoutAResistanceSurfaceTheRunSaysWhatItNeeds()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        auto window = mainWindowWithExample(state, QStringLiteral("microsatellites"), kSeed1, kSeed2);
        QCOMPARE(runAnalysis(*window, currentMapPosition()), std::optional<RunOutcome>(RunOutcome::DataProblem));
        QCOMPARE(dialogs.messages.value(0),
                 QStringLiteral("The current map needs a resistance surface: choose least-cost paths or circuit "
                                "resistance over a resistance surface for the geographic distances, and name its "
                                "file."));
    }

    void drawsTheMapOnALogScaleAtFirst()
    {
        auto window = makeWindow();
        RasterMapView* map = window->mapView();
        QVERIFY(map->logScale());
        QVERIFY(window->logScaleAction()->isChecked());
        // On the log scale the ramp spans the currents above 0, and the cut-off cell (0 A) takes its
        // low end, as the smallest current does.
        QCOMPARE(map->rampLow(), 2.0);
        QCOMPARE(map->rampHigh(), 3.0);
        QCOMPARE(map->colorOf(0.0), map->colorOf(2.0));
        QVERIFY(map->colorOf(3.0) != map->colorOf(2.0));
        window->logScaleAction()->trigger();
        QVERIFY(!map->logScale());
        QCOMPARE(map->rampLow(), 0.0);
        QCOMPARE(map->rampHigh(), 3.0);
    }

    void showsTheCellUnderTheMouse()
    {
        auto window = makeWindow();
        RasterMapView* map = window->mapView();
        // The centre of the second cell, found through the view's own placing of the cells.
        QPointF position;
        bool found = false;
        for (int x = 0; x < map->width() && !found; ++x) {
            const QPointF at(x, map->height() / 2.0);
            const auto cell = map->cellAt(at);
            if (cell && cell->second == 1) {
                position = at;
                found = true;
            }
        }
        QVERIFY(found);
        QTest::mouseMove(map, position.toPoint());
        QTRY_COMPARE(window->readout()->text(), QStringLiteral("row 1, column 2 (x 115, y 15): 3 A"));
        window->showCell(0, 3);
        QCOMPARE(window->readout()->text(), QStringLiteral("row 1, column 4 (x 135, y 15): impassable"));
        window->showCell(-1, -1);
        QVERIFY(window->readout()->text().isEmpty());
    }

    void zoomsInAndBackToTheWholeMap()
    {
        auto window = makeWindow();
        RasterMapView* map = window->mapView();
        const QRectF whole = map->visibleCells();
        QCOMPARE(whole, QRectF(0, 0, 5, 1));
        menuItem(*window, "ZoomIn")->trigger();
        QVERIFY(map->visibleCells().width() < whole.width());
        menuItem(*window, "WholeMap")->trigger();
        QCOMPARE(map->visibleCells(), whole);
    }

    void savesTheMapAsAGeoTiffOnTheSurfacesGrid()
    {
        ScriptedDialogs dialogs;
        QTemporaryDir folder;
        dialogs.saveAnswer = folder.filePath(QStringLiteral("map.tif"));
        auto window = makeWindow();
        menuItem(*window, "SaveMap")->trigger();
        QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.details.join(QLatin1Char('|'))));
        const RasterFile saved(QFile::encodeName(dialogs.saveAnswer).toStdString(), "map");
        QCOMPARE(saved.geometry().columns, 5);
        QCOMPARE(saved.geometry().transform[0], 100.0);
        QCOMPARE(saved.geometry().transform[5], -10.0);
        const std::vector<double> cells = saved.readCells();
        QCOMPARE(cells[1], 3.0);
        QVERIFY(std::isnan(cells[3]));
        QCOMPARE(cells[4], 0.0);
        QCOMPARE(m_state.lastSaveFolder, QFileInfo(dialogs.saveAnswer).absolutePath());
    }

    void savesThePictureAsPngSvgAndPdf()
    {
        ScriptedDialogs dialogs;
        QTemporaryDir folder;
        auto window = makeWindow();
        for (const char* name : {"map.png", "map.svg", "map.pdf"}) {
            dialogs.saveAnswer = folder.filePath(QLatin1String(name));
            menuItem(*window, "SaveMap")->trigger();
            QVERIFY2(QFileInfo(dialogs.saveAnswer).size() > 0, name);
        }
        QVERIFY(dialogs.messages.isEmpty());
        QImage picture(folder.filePath(QStringLiteral("map.png")));
        QCOMPARE(picture.size(), window->mapView()->size());
    }

    void aCancelledSaveWritesNothing()
    {
        ScriptedDialogs dialogs;
        QTemporaryDir folder;
        m_state.lastSaveFolder = folder.path();
        auto window = makeWindow();
        menuItem(*window, "SaveMap")->trigger();
        QCOMPARE(dialogs.dialogTitles.value(0), QStringLiteral("Save Map"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());
    }

    void theHelpOpensThePageOfTheMap()
    {
        auto window = makeWindow();
        QCOMPARE(helpPageOpenedBy(*window, "CurrentMapHelp"), QStringLiteral("qrc:/help/current-map.html"));
    }
};

TESSALOC_GUI_TEST_MAIN(CurrentMapWindowTest)
#include "CurrentMapWindowTest.moc"
