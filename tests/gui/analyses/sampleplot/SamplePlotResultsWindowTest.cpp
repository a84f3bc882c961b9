// The plot of sample locations run from the main window and its window: the samples, the bounding
// polygon and its area, the polygon's menu and the names shown on the points.
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/sampleplot/SamplePlotResultsWindow.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ProgramState.h"

#include "analyses/sampleplot/SamplePlot.h"

#include <QApplication>
#include <QChart>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QValueAxis>
#include <QtTest>

using namespace tessaloc;
using namespace tessaloc::ui;
using namespace tessaloc::ui::test;

namespace {

constexpr std::int64_t kSeed1 = 11;
constexpr std::int64_t kSeed2 = 13;
constexpr int kSamplePlot = 5;

double cross(const QPointF& a, const QPointF& b, const QPointF& p)
{
    return (b.x() - a.x()) * (p.y() - a.y()) - (b.y() - a.y()) * (p.x() - a.x());
}

/// The plot of samples named and placed as given.
SamplePlotResult plotOf(const std::vector<std::pair<const char*, std::pair<const char*, const char*>>>& samples)
{
    SampleTable table;
    for (const auto& [name, xy] : samples) {
        table.names.push_back(name);
        table.xTexts.push_back(xy.first);
        table.yTexts.push_back(xy.second);
    }
    return ComputeSamplePlot(table);
}

/// The corners of the unit square, a second sample at (0, 0) and one in the middle.
SamplePlotResult unitSquare()
{
    return plotOf({{"A", {"0", "0"}},
                   {"B", {"1", "0"}},
                   {"C", {"1", "1"}},
                   {"D", {"0", "1"}},
                   {"E", {"0", "0"}},
                   {"F", {"0.5", "0.5"}}});
}

} // namespace

class SamplePlotResultsWindowTest : public QObject {
    Q_OBJECT

    ProgramState m_state;
    QTemporaryDir m_saved;

    std::unique_ptr<SamplePlotResultsWindow> makeWindow(const SamplePlotResult& result = unitSquare())
    {
        return showResultsWindow<SamplePlotResultsWindow>(m_state, result, "", std::string());
    }

private slots:
    void theOutlineOfThreeLocationsIsClosed()
    {
        // Regression: the hull of three locations came back open, so the window drew the outline
        // without its closing side and stated the area of an open polyline ("Polygon Area: 1" for
        // this triangle, whose legs of 1 give it the area 1/2).
        auto window = makeWindow(plotOf({{"A", {"1", "1"}}, {"B", {"2", "1"}}, {"C", {"1", "2"}}}));
        QCOMPARE(window->chart()->points(1), (QList<QPointF>{{1, 2}, {1, 1}, {2, 1}, {1, 2}}));
        QCOMPARE(window->areaLabel()->text(), QStringLiteral("Polygon Area: 0.5"));
    }

    void aCompleteRunShowsTheSamplesThePolygonAndItsArea()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        auto window = mainWindowWithExample(state, QStringLiteral("microsatellites"), kSeed1, kSeed2);
        QCOMPARE(runAnalysis(*window, kSamplePlot), RunOutcome::Success);
        QVERIFY(dialogs.messages.isEmpty());
        QPointer<ResultsWindow> results = window->resultsWindow();
        auto* plotWindow = qobject_cast<SamplePlotResultsWindow*>(results.data());
        QVERIFY(plotWindow);
        QCOMPARE(results->windowModality(), Qt::ApplicationModal);
        QCOMPARE(results->windowTitle(), QStringLiteral("Sample Location Plot"));

        const SamplePlotResult expected = RunSamplePlot(exampleFiles(QStringLiteral("microsatellites")));
        Chart* chart = results->chart();
        QCOMPARE(chart->pointCount(0), 30);
        for (int i = 0; i < 30; ++i)
            QCOMPARE(chart->points(0)[i], QPointF(expected.PlotX[i], expected.PlotY[i]));
        QCOMPARE(chart->seriesTitle(0), QStringLiteral("Sample Locations"));
        QCOMPARE(chart->symbolColor(), QColor(Qt::blue));
        QCOMPARE(chart->symbolShape(), SymbolShape::Circle);

        // The polygon is the closed hull: every sample lies inside or on it, and its area is the
        // one the label states.
        const QList<QPointF> polygon = chart->points(1);
        QVERIFY(polygon.size() > 4);
        QCOMPARE(polygon.first(), polygon.last());
        for (qsizetype k = 0; k < polygon.size(); ++k)
            QCOMPARE(polygon[k], QPointF(expected.PlotHullX[k], expected.PlotHullY[k]));
        double twiceArea = 0.0;
        for (qsizetype k = 0; k + 1 < polygon.size(); ++k)
            twiceArea += polygon[k].x() * polygon[k + 1].y() - polygon[k + 1].x() * polygon[k].y();
        const double sign = twiceArea > 0 ? 1.0 : -1.0;
        for (const QPointF& sample : chart->points(0))
            for (qsizetype k = 0; k + 1 < polygon.size(); ++k)
                QVERIFY(sign * cross(polygon[k], polygon[k + 1], sample) >= -1e-9);
        QVERIFY(std::abs(std::abs(twiceArea) / 2 - expected.area) < 1e-9 * expected.area);
        QCOMPARE(plotWindow->areaLabel()->text(), QString::fromStdString(polygonAreaCaption(expected.area)));
        QVERIFY(plotWindow->areaLabel()->text().startsWith(QStringLiteral("Polygon Area: ")));
        QCOMPARE(chart->seriesTitle(1), QStringLiteral("Perimeter"));
        QCOMPARE(chart->linePen().color(), QColor(Qt::red));
        QCOMPARE(chart->linePen().width(), 1);
        QVERIFY(chart->lineVisible());

        QCOMPARE(chartAxis(*chart, Qt::Horizontal)->titleText(), QStringLiteral("X Coordinate"));
        QCOMPARE(chartAxis(*chart, Qt::Vertical)->titleText(), QStringLiteral("Y Coordinate"));
        QCOMPARE(chartAxis(*chart, Qt::Horizontal)->min(), double(expected.map.MapMinX));
        QCOMPARE(chartAxis(*chart, Qt::Vertical)->max(), double(expected.map.MapMaxY));

        const QString folder = results->runFolderPath();
        QVERIFY(QDir(folder).exists());
        results->close();
        QTRY_VERIFY(results.isNull());
        QVERIFY(!QDir(folder).exists());
    }

    void latitudeAndLongitudeArePlottedLongitudeAcross()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        auto window = mainWindowWithExample(state, QStringLiteral("haplotypes-latlong"), kSeed1, kSeed2);
        window->findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(true);
        QCOMPARE(runAnalysis(*window, kSamplePlot), RunOutcome::Success);
        Chart* chart = window->resultsWindow()->chart();
        QCOMPARE(chartAxis(*chart, Qt::Horizontal)->titleText(), QStringLiteral("Longitude"));
        QCOMPARE(chartAxis(*chart, Qt::Vertical)->titleText(), QStringLiteral("Latitude"));
        // The first record of the example: longitude 18.788, latitude 69.7148.
        QCOMPARE(chart->points(0).first(), QPointF(18.788, 69.7148));
        window->resultsWindow()->close();
    }

    void aMissingGenotypeFileShowsTheGeneralErrorMessage()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        auto window = mainWindowWithExample(state, QStringLiteral("microsatellites"), kSeed1, kSeed2);
        window->findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(examplePath(QStringLiteral("no-such-file")));
        QCOMPARE(runAnalysis(*window, kSamplePlot), RunOutcome::AnalysisError);
        QCOMPARE(dialogs.messages, QStringList{generalErrorMessage()});
        QVERIFY(!window->resultsWindow());
    }

    void fourCornersOfAUnitSquareGiveAnAreaOfOne()
    {
        auto window = makeWindow();
        QCOMPARE(window->areaLabel()->text(), QStringLiteral("Polygon Area: 1"));
        QCOMPARE(window->areaLabel()->objectName(), QStringLiteral("Label1"));
        QVERIFY(window->areaLabel()->isVisible());
        QCOMPARE(window->chart()->pointCount(1), 5);
    }

    void showPolygonHidesAndShowsThePolygon()
    {
        auto window = makeWindow();
        QAction* show = menuItem(*window, "showpolygon");
        QVERIFY(show->isCheckable());
        QVERIFY(show->isChecked());
        QVERIFY(window->chart()->lineVisible());
        show->trigger();
        QVERIFY(!show->isChecked());
        QVERIFY(!window->chart()->lineVisible());
        show->trigger();
        QVERIFY(show->isChecked());
        QVERIFY(window->chart()->lineVisible());
        QCOMPARE(window->chart()->pointCount(1), 5);
    }

    void thePolygonTakesTheChosenColourAndThickness()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        Chart* chart = window->chart();
        dialogs.colorAnswer = QColor(Qt::darkGreen);
        menuItem(*window, "polygoncolor")->trigger();
        QCOMPARE(chart->linePen().color(), QColor(Qt::darkGreen));
        dialogs.colorAnswer.reset();
        menuItem(*window, "polygoncolor")->trigger();
        QCOMPARE(chart->linePen().color(), QColor(Qt::darkGreen));
        menuItem(*window, "polygonwidth4")->trigger();
        QCOMPARE(chart->linePen().width(), 5);
        menuItem(*window, "polygonwidth1")->trigger();
        QCOMPARE(chart->linePen().width(), 2);
        // The samples keep their look.
        QCOMPARE(chart->symbolColor(), QColor(Qt::blue));
    }

    void theSymbolMenusChangeTheSamplesOnly()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        Chart* chart = window->chart();
        menuItem(*window, "symbolsize4")->trigger();
        menuItem(*window, "symbolshape3")->trigger();
        dialogs.colorAnswer = QColor(Qt::magenta);
        menuItem(*window, "symbolcolor")->trigger();
        QCOMPARE(chart->symbolSize(), 5);
        QCOMPARE(chart->symbolShape(), SymbolShape::Cross);
        QCOMPARE(chart->symbolColor(), QColor(Qt::magenta));
        QCOMPARE(chart->linePen().color(), QColor(Qt::red));
    }

    void hasTheMenusOfThePlot()
    {
        auto window = makeWindow();
        QCOMPARE(window->objectName(), QStringLiteral("PointPlotForm"));
        QCOMPARE(menu(*window, "MantelPlotMnu")->title(), QStringLiteral("Copy/Print/Save"));
        QCOMPARE(itemCaptions(*menu(*window, "MantelPlotMnu")),
                 (QStringList{QStringLiteral("Copy Graph to Clipboard as Metafile"), QStringLiteral("Print Graph")}));
        QCOMPARE(menu(*window, "chrtedit")->title(), QStringLiteral("Edit Chart"));
        QCOMPARE(itemCaptions(*menu(*window, "chrtedit")),
                 (QStringList{QStringLiteral("Symbols"), QStringLiteral("Bounding Polygon")}));
        QCOMPARE(itemCaptions(*menu(*window, "chartsymbol")),
                 (QStringList{QStringLiteral("Color"), QStringLiteral("Shape"), QStringLiteral("Size")}));
        QCOMPARE(itemCaptions(*menu(*window, "shapemenu")),
                 (QStringList{QStringLiteral("Square"), QStringLiteral("Circle"), QStringLiteral("Triangle"),
                              QStringLiteral("Cross")}));
        QCOMPARE(menu(*window, "symbolsze")->actions().size(), 5);
        QCOMPARE(itemCaptions(*menu(*window, "polygonmenu")),
                 (QStringList{QStringLiteral("Show Polygon"), QStringLiteral("Color"), QStringLiteral("Thickness")}));
        QCOMPARE(itemCaptions(*menu(*window, "polygonthickness")),
                 (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                              QStringLiteral("5")}));
        QCOMPARE(menuItem(*window, "PointPlotHelp")->text(), QStringLiteral("Help"));
        QVERIFY(!window->reportView());
    }

    void restingOnAPointShowsTheNamesOfEveryoneThere()
    {
        auto window = makeWindow();
        QTest::qWait(50); // laid out
        Chart* chart = window->chart();
        QCOMPARE(chart->toolTipAt(chart->pointPosition(0)), QStringLiteral("A\nE"));
        QCOMPARE(chart->toolTipAt(chart->pointPosition(4)), QStringLiteral("A\nE"));
        QCOMPARE(chart->toolTipAt(chart->pointPosition(1)), QStringLiteral("B"));
        QCOMPARE(chart->toolTipAt(chart->pointPosition(5)), QStringLiteral("F"));
    }

    void copyAndPrintTheGraph()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        QApplication::clipboard()->setText(QStringLiteral("something else"));
        menuItem(*window, "MantelPlotMenu0")->trigger();
        QVERIFY(QApplication::clipboard()->mimeData()->hasImage());
        const QString problem =
            checkPrintGraph(dialogs, *window, "MantelPlotMenu1", m_saved.filePath(QStringLiteral("plot.pdf")));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void helpOpensTheSamplePlotPage()
    {
        auto window = makeWindow();
        QCOMPARE(helpPageOpenedBy(*window, "PointPlotHelp"), QStringLiteral("qrc:/help/sample-plot.html"));
    }
};

TESSALOC_GUI_TEST_MAIN(SamplePlotResultsWindowTest)
#include "SamplePlotResultsWindowTest.moc"
