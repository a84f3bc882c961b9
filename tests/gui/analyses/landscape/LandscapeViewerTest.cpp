// The landscape viewer: its pages, "Start", the surface's data, the menus and the grid files. The
// surface is checked through its data, which the view keeps whether or not the display offers
// OpenGL; LandscapeSurfaceRenderTest draws it.
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/landscape/LandscapeResultsWindow.h"
#include "ui/shell/AnalysisTable.h"
#include "ui/shell/HelpWindow.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/shell/RunController.h"
#include "ui/widgets/LandscapeSurfaceView.h"
#include "ui/widgets/MapView.h"
#include "ui/widgets/ZoomDialog.h"

#include "analyses/landscape/GridInterpolation.h"
#include "analyses/landscape/Landscape.h"
#include "core/NumberText.h"
#include "core/ReportWriter.h"
#include "formats/GridExport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QSurfaceDataProxy>
#include <QtDataVisualization/QValue3DAxis>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace tessaloc;
using namespace tessaloc::ui;
using tessaloc::ui::test::examplePath;
using tessaloc::ui::test::ScriptedDialogs;

Q_DECLARE_METATYPE(tessaloc::RunOutcome)

namespace {

std::string localPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// The landscape run of the microsatellite example with the default settings, or of a copy of it
/// whose X and Y are exchanged (a sample area longer north to south than east to west).
LandscapeResult exampleShape(bool exchangeXAndY = false)
{
    LandscapeInput input;
    input.coordinatePath = localPath(examplePath(QStringLiteral("microsatellites/coordinates.txt")));
    input.genotypePath = localPath(examplePath(QStringLiteral("microsatellites/genotypes.txt")));
    if (!exchangeXAndY)
        return RunLandscape(input);
    // name, X, Y on each line, then ";": the same file with the two coordinates exchanged.
    static QTemporaryDir folder;
    const QString exchanged = folder.filePath(QStringLiteral("exchanged.txt"));
    QFile out(exchanged);
    if (!out.exists()) {
        QString text;
        for (const QString& line :
             QString::fromLatin1(readAll(examplePath(QStringLiteral("microsatellites/coordinates.txt"))))
                 .split(QLatin1Char('\n'))) {
            QStringList fields = line.trimmed().split(QLatin1Char(','));
            if (fields.size() == 3)
                std::swap(fields[1], fields[2]);
            text += fields.join(QLatin1Char(',')) + QLatin1Char('\n');
        }
        if (!out.open(QIODevice::WriteOnly) || out.write(text.toLatin1()) < 0)
            qFatal("cannot write %s", qPrintable(exchanged));
        out.close();
    }
    input.coordinatePath = localPath(exchanged);
    return RunLandscape(input);
}

/// Three samples close together in the middle of a 10 x 10 area: no node of a 2 x 2 grid lies inside
/// their hull.
LandscapeResult tinyHullShape()
{
    LandscapeResult shape;
    shape.data = {0, 10, 0, 10};
    shape.map = WidenByFivePercent(shape.data);
    shape.ranges = {10, 10};
    shape.SampleX = {5.1, 5.2, 5.1};
    shape.SampleY = {5.1, 5.1, 5.2};
    LandscapeEdge edge;
    edge.X1 = 5.1;
    edge.Y1 = 5.1;
    edge.X2 = 5.2;
    edge.Y2 = 5.1;
    edge.MidX = 5.15;
    edge.MidY = 5.1;
    edge.Height = 0.25;
    shape.LandscapeEdges = {edge};
    return shape;
}

/// The heights the view was given, row by row (NaN for a node left out).
struct SurfaceData {
    int rows = 0;
    int columns = 0;
    std::vector<float> x;
    std::vector<float> y;
    std::vector<float> z;
};

SurfaceData surfaceData(const LandscapeSurfaceView& view)
{
    SurfaceData data;
    const QSurfaceDataArray* array = view.series()->dataProxy()->array();
    data.rows = static_cast<int>(array->size());
    data.columns = data.rows > 0 ? static_cast<int>(array->at(0)->size()) : 0;
    for (const QSurfaceDataRow* row : *array) {
        for (const QSurfaceDataItem& item : *row) {
            data.x.push_back(item.x());
            data.y.push_back(item.y());
            data.z.push_back(item.z());
        }
    }
    return data;
}

int nanCount(const SurfaceData& data)
{
    return static_cast<int>(std::count_if(data.y.begin(), data.y.end(), [](float y) { return std::isnan(y); }));
}

} // namespace

class LandscapeViewerTest : public QObject {
    Q_OBJECT

    ProgramState m_state;
    LandscapeResult m_shape;
    QTemporaryDir m_saved;

    std::unique_ptr<LandscapeResultsWindow> makeWindow(const LandscapeResult& shape)
    {
        auto folder = std::make_unique<QTemporaryDir>();
        writeReportFile(localPath(folder->path()), kLandscapeReportFileName, LandscapeReport(shape));
        auto window = std::make_unique<LandscapeResultsWindow>(m_state, shape, std::move(folder));
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->show();
        return window;
    }

    template <typename T> T* child(QWidget& window, const char* name)
    {
        T* found = window.findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    QAction* action(QWidget& window, const char* name) { return child<QAction>(window, name); }

    /// Fills the three boxes, presses "Start" and waits for the press to end.
    RunOutcome start(LandscapeResultsWindow& window, const QString& xBins, const QString& yBins, const QString& weight)
    {
        child<QLineEdit>(window, "Text1")->setText(xBins);
        child<QLineEdit>(window, "Text2")->setText(yBins);
        child<QLineEdit>(window, "Text3")->setText(weight);
        QSignalSpy finished(&window, &LandscapeResultsWindow::interpolationFinished);
        child<QPushButton>(window, "Command1")->click();
        if (finished.isEmpty() && !finished.wait(120000))
            return static_cast<RunOutcome>(-1);
        return finished.takeFirst().at(0).value<RunOutcome>();
    }

    QString reportFile(const LandscapeResultsWindow& window)
    {
        return QDir(window.runFolderPath()).filePath(QString::fromLatin1(kLandscapeReportFileName));
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<tessaloc::RunOutcome>();
        m_shape = exampleShape();
        QVERIFY(m_saved.isValid());
        // The example is a transect from west to east: the X bins run across.
        QVERIFY(m_shape.ranges.RangeX >= m_shape.ranges.RangeY);
    }

    void showsItsPagesWithTheParametersFirst()
    {
        auto window = makeWindow(m_shape);
        QCOMPARE(window->objectName(), QStringLiteral("InterpolateForm"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Landscape Shape"));
        QTabWidget* tabs = window->tabs();
        QCOMPARE(tabs->count(), 4);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Landscape Shape Plot"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Text Results"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("Interpolation Parameters"));
        QCOMPARE(tabs->tabText(3), QStringLiteral("Connectivity Network"));
        QCOMPARE(tabs->currentIndex(), 2);

        QCOMPARE(child<QLineEdit>(*window, "Text1")->text(), QStringLiteral("50"));
        QCOMPARE(child<QLineEdit>(*window, "Text2")->text(), QStringLiteral("50"));
        QCOMPARE(child<QLineEdit>(*window, "Text3")->text(), QStringLiteral("1"));
        QCOMPARE(child<QPushButton>(*window, "Command1")->text(), QStringLiteral("Start"));
        QCOMPARE(child<QPushButton>(*window, "Command2")->text(), QStringLiteral("Help"));
        QStringList captions;
        for (const QLabel* label : window->findChildren<QLabel*>())
            captions << label->text();
        for (const char* caption : {"Inverse distance weighted interpolation", "# of bins (X coord: 1-500)",
                                    "# of bins (Y coord: 1-500)", "Distance weight value"})
            QVERIFY2(captions.contains(QLatin1String(caption)), caption);

        // The ranges are the plain differences of the extreme coordinates.
        const auto [minX, maxX] = std::minmax_element(m_shape.SampleX.begin(), m_shape.SampleX.end());
        const auto [minY, maxY] = std::minmax_element(m_shape.SampleY.begin(), m_shape.SampleY.end());
        QCOMPARE(child<QLabel>(*window, "XRange")->text(),
                 QStringLiteral("X Range = ") + QString::fromStdString(plainText(*maxX - *minX)));
        QCOMPARE(child<QLabel>(*window, "YRange")->text(),
                 QStringLiteral("Y Range = ") + QString::fromStdString(plainText(*maxY - *minY)));

        QCOMPARE(window->reportText(), QString::fromLatin1(LandscapeReport(m_shape)));
        QCOMPARE(window->reportView()->font().styleHint(), QFont::Monospace);
        QCOMPARE(child<QLabel>(*window, "XLabel")->text(), QStringLiteral("X:"));
        QCOMPARE(child<QLabel>(*window, "Ylabel")->text(), QStringLiteral("Y:"));
        QCOMPARE(child<QLabel>(*window, "Zlabel")->text(), QStringLiteral("Z:"));
        QVERIFY(window->grid() == nullptr);
        QCOMPARE(surfaceData(*window->surfaceView()).rows, 0);
        QVERIFY(!action(*window, "savegrid")->isEnabled());
    }

    void itsMenusCarryTheViewersCommands()
    {
        auto window = makeWindow(m_shape);
        const auto items = [&](const char* menu) {
            QStringList texts;
            for (QAction* item : child<QMenu>(*window, menu)->actions())
                texts << (item->isSeparator() ? QStringLiteral("-") : item->text());
            return texts;
        };
        QCOMPARE(
            items("copyprintsave"),
            (QStringList{QStringLiteral("Copy 3D Graph to Clipboard as Metafile"), QStringLiteral("Print 3D Graph"),
                         QStringLiteral("Copy Connectivity Plot to Clipboard as Bitmap"),
                         QStringLiteral("Print Connectivity Plot"), QStringLiteral("-"),
                         QStringLiteral("Copy text to clipboard"), QStringLiteral("Save Text to file"),
                         QStringLiteral("-"), QStringLiteral("Save Grid...")}));
        QCOMPARE(items("edit3dchart"),
                 (QStringList{QStringLiteral("Show Wireframe"), QStringLiteral("Edit Colors"), QStringLiteral("Zoom"),
                              QStringLiteral("Swap labels on X axis"), QStringLiteral("Swap labels on Y axis"),
                              QStringLiteral("Remove background/base lines"), QStringLiteral("Remove axis labels"),
                              QStringLiteral("Show full rectangular grid")}));
        QCOMPARE(items("editcolors"),
                 (QStringList{QStringLiteral("Base Color"), QStringLiteral("Maximum Color"),
                              QStringLiteral("Minimum Color"), QStringLiteral("Set background color")}));
        QCOMPARE(action(*window, "InterpolateHelp")->text(), QStringLiteral("Help"));
        for (const char* name :
             {"wireframe", "swapxlabels", "swapylabels", "removebaselines", "removeaxislabels", "fullgrid"}) {
            QVERIFY2(action(*window, name)->isCheckable(), name);
            QVERIFY2(!action(*window, name)->isChecked(), name);
        }
    }

    void startAppendsOneSectionPerPressAndDrawsTheGrid()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow(m_shape);
        QCOMPARE(start(*window, QStringLiteral("50"), QStringLiteral("50"), QStringLiteral("1")), RunOutcome::Success);
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(window->tabs()->currentIndex(), 0);
        QVERIFY(child<QLabel>(*window, "Label5")->text().isEmpty());

        const InterpolationGrid first = InterpolateLandscape(m_shape, 50, 50, 1.0);
        const QByteArray afterFirst = QByteArray::fromStdString(LandscapeReport(m_shape) + InterpolationSection(first));
        QCOMPARE(readAll(reportFile(*window)), afterFirst);
        QCOMPARE(window->reportText(), QString::fromLatin1(afterFirst));
        QVERIFY(window->reportView()->toPlainText().contains(QStringLiteral("INTERPOLATION OUTPUT")));
        QVERIFY(window->grid() != nullptr);
        QCOMPARE(window->grid()->GridHeight, first.GridHeight);
        QVERIFY(action(*window, "savegrid")->isEnabled());

        // X bins across, Y bins in depth: row r, column c is node (c + 1, r + 1); the nodes outside
        // the hull are left out.
        const SurfaceData data = surfaceData(*window->surfaceView());
        QCOMPARE(data.rows, 50);
        QCOMPARE(data.columns, 50);
        int outside = 0;
        for (int r = 0; r < 50; ++r) {
            for (int c = 0; c < 50; ++c) {
                const size_t item = static_cast<size_t>(r * 50 + c);
                const size_t node = first.at(c + 1, r + 1);
                QCOMPARE(data.x[item], static_cast<float>(c + 1));
                QCOMPARE(data.z[item], static_cast<float>(r + 1));
                if (first.GridInside[node] != 0) {
                    QCOMPARE(data.y[item], static_cast<float>(first.GridHeight[node]));
                } else {
                    QVERIFY(std::isnan(data.y[item]));
                    ++outside;
                }
            }
        }
        QVERIFY(outside > 0);
        QVERIFY(outside < 2500);
        QCOMPARE(nanCount(data), outside);
        QCOMPARE(window->surfaceView()->acrossAxis()->title(), QStringLiteral("X (Southern edge)"));
        QCOMPARE(window->surfaceView()->depthAxis()->title(), QStringLiteral("Y (Eastern edge)"));

        // A second press with other values appends a second section after the first.
        QCOMPARE(start(*window, QStringLiteral("10"), QStringLiteral("5"), QStringLiteral("2")), RunOutcome::Success);
        const QByteArray afterSecond =
            afterFirst + QByteArray::fromStdString(InterpolationSection(InterpolateLandscape(m_shape, 10, 5, 2.0)));
        QCOMPARE(readAll(reportFile(*window)), afterSecond);
        QCOMPARE(window->reportText().count(QStringLiteral("INTERPOLATION OUTPUT")), 2);
        QCOMPARE(surfaceData(*window->surfaceView()).columns, 10);
        QCOMPARE(surfaceData(*window->surfaceView()).rows, 5);
    }

    void badBinCountsShowTheirMessageAndChangeNothing_data()
    {
        QTest::addColumn<QString>("xBins");
        QTest::addColumn<QString>("yBins");
        QTest::addColumn<QString>("message");
        const QString x = QStringLiteral("Invalid # of X coordinate bins.");
        const QString y = QStringLiteral("Invalid # of Y coordinate bins.");
        QTest::newRow("X zero") << QStringLiteral("0") << QStringLiteral("5") << x;
        QTest::newRow("X 501") << QStringLiteral("501") << QStringLiteral("5") << x;
        QTest::newRow("X not a number") << QStringLiteral("abc") << QStringLiteral("5") << x;
        QTest::newRow("X rounds to 0") << QStringLiteral("0.5") << QStringLiteral("5") << x;
        QTest::newRow("Y zero") << QStringLiteral("5") << QStringLiteral("0") << y;
        QTest::newRow("Y empty") << QStringLiteral("5") << QString() << y;
        QTest::newRow("Y 500.6") << QStringLiteral("5") << QStringLiteral("500.6") << y;
        QTest::newRow("both: X first") << QStringLiteral("-1") << QStringLiteral("999") << x;
    }

    void badBinCountsShowTheirMessageAndChangeNothing()
    {
        QFETCH(QString, xBins);
        QFETCH(QString, yBins);
        QFETCH(QString, message);
        ScriptedDialogs dialogs;
        auto window = makeWindow(m_shape);
        QCOMPARE(start(*window, QStringLiteral("4"), QStringLiteral("3"), QStringLiteral("1")), RunOutcome::Success);
        const QByteArray report = readAll(reportFile(*window));
        const std::vector<double> heights = window->grid()->GridHeight;
        const std::vector<float> drawn = surfaceData(*window->surfaceView()).y;
        window->tabs()->setCurrentIndex(2);

        QCOMPARE(start(*window, xBins, yBins, QStringLiteral("1")), RunOutcome::DataProblem);
        QCOMPARE(dialogs.messages, QStringList{message});
        QCOMPARE(readAll(reportFile(*window)), report);
        QCOMPARE(window->reportText(), QString::fromLatin1(report));
        QCOMPARE(window->grid()->GridHeight, heights);
        QCOMPARE(window->grid()->XBinCount, 4);
        const std::vector<float> after = surfaceData(*window->surfaceView()).y;
        QCOMPARE(after.size(), drawn.size());
        QVERIFY(std::equal(after.begin(), after.end(), drawn.begin(),
                           [](float a, float b) { return (std::isnan(a) && std::isnan(b)) || a == b; }));
        QCOMPARE(window->tabs()->currentIndex(), 2);
        QVERIFY(child<QLabel>(*window, "Label5")->text().isEmpty());
        QVERIFY(child<QPushButton>(*window, "Command1")->isEnabled());
    }

    void aFailedInterpolationKeepsThePreviousGrid()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow(m_shape);
        QCOMPARE(start(*window, QStringLiteral("4"), QStringLiteral("3"), QStringLiteral("1")), RunOutcome::Success);
        const QByteArray report = readAll(reportFile(*window));
        // A weight this large makes every weight underflow to 0.
        QCOMPARE(start(*window, QStringLiteral("6"), QStringLiteral("6"), QStringLiteral("100000")),
                 RunOutcome::DataProblem);
        QCOMPARE(dialogs.messages, QStringList{QString::fromLatin1(kInterpolationFailedMessage)});
        QCOMPARE(readAll(reportFile(*window)), report);
        QCOMPARE(window->grid()->XBinCount, 4);
        QCOMPARE(surfaceData(*window->surfaceView()).columns, 4);
    }

    void aCancelledPressKeepsThePreviousGridChartAndReport()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow(m_shape);
        QCOMPARE(start(*window, QStringLiteral("4"), QStringLiteral("3"), QStringLiteral("1")), RunOutcome::Success);
        const QByteArray report = readAll(reportFile(*window));
        window->tabs()->setCurrentIndex(2);

        child<QLineEdit>(*window, "Text1")->setText(QStringLiteral("500"));
        child<QLineEdit>(*window, "Text2")->setText(QStringLiteral("500"));
        QSignalSpy finished(window.get(), &LandscapeResultsWindow::interpolationFinished);
        window->startInterpolation();
        QVERIFY(window->interpolating());
        QVERIFY(child<QProgressBar>(*window, "InterpolationProgress")->isVisible());
        QVERIFY(!child<QPushButton>(*window, "Command1")->isEnabled());
        child<QPushButton>(*window, "CancelInterpolation")->click();
        QVERIFY(finished.wait(120000));
        QCOMPARE(finished.takeFirst().at(0).value<RunOutcome>(), RunOutcome::Cancelled);
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(readAll(reportFile(*window)), report);
        QCOMPARE(window->reportText(), QString::fromLatin1(report));
        QCOMPARE(window->grid()->XBinCount, 4);
        QCOMPARE(surfaceData(*window->surfaceView()).columns, 4);
        QCOMPARE(window->tabs()->currentIndex(), 2);
        QVERIFY(!child<QProgressBar>(*window, "InterpolationProgress")->isVisible());
        QVERIFY(child<QPushButton>(*window, "Command1")->isEnabled());
    }

    void aTallAreaRunsTheYBinsAcross()
    {
        const LandscapeResult tall = exampleShape(true);
        QVERIFY(tall.ranges.RangeY > tall.ranges.RangeX);
        auto window = makeWindow(tall);
        QCOMPARE(start(*window, QStringLiteral("6"), QStringLiteral("4"), QStringLiteral("1")), RunOutcome::Success);
        const InterpolationGrid grid = InterpolateLandscape(tall, 6, 4, 1.0);
        const SurfaceData data = surfaceData(*window->surfaceView());
        QCOMPARE(data.columns, 4); // Y bins across
        QCOMPARE(data.rows, 6);    // X bins in depth
        for (int r = 0; r < 6; ++r) {
            for (int c = 0; c < 4; ++c) {
                const size_t node = grid.at(r + 1, c + 1);
                const float y = data.y[static_cast<size_t>(r * 4 + c)];
                if (grid.GridInside[node] != 0)
                    QCOMPARE(y, static_cast<float>(grid.GridHeight[node]));
                else
                    QVERIFY(std::isnan(y));
            }
        }
        QCOMPARE(window->surfaceView()->acrossAxis()->title(), QStringLiteral("Y (Western edge)"));
        QCOMPARE(window->surfaceView()->depthAxis()->title(), QStringLiteral("X (Southern edge)"));
        // The Y bins run from right to left, so that the plot is the map turned, not mirrored.
        QVERIFY(window->surfaceView()->acrossAxis()->reversed());
        QVERIFY(!window->surfaceView()->depthAxis()->reversed());

        // The readout of row 2, column 3 is node i = 3 (the depth), j = 4 (across).
        window->showNodeReadout(2, 3);
        const size_t node = grid.at(3, 4);
        QCOMPARE(child<QLabel>(*window, "XLabel")->text(),
                 QStringLiteral("X: 3: ") + QString::fromStdString(plainText(grid.GridX[node])));
        QCOMPARE(child<QLabel>(*window, "Ylabel")->text(),
                 QStringLiteral("Y: 4: ") + QString::fromStdString(plainText(grid.GridY[node])));
        QCOMPARE(child<QLabel>(*window, "Zlabel")->text(),
                 QStringLiteral("Z: ") + QString::fromStdString(plainText(grid.GridHeight[node])));
    }

    void theReadoutsShowTheNodeUnderTheMouse()
    {
        auto window = makeWindow(m_shape);
        window->showNodeReadout(0, 0); // before "Start": nothing to show
        QVERIFY(child<QLabel>(*window, "XLabel")->text().isEmpty());
        QCOMPARE(start(*window, QStringLiteral("5"), QStringLiteral("4"), QStringLiteral("1")), RunOutcome::Success);
        const InterpolationGrid grid = InterpolateLandscape(m_shape, 5, 4, 1.0);
        // Row 1 (depth, Y bin 2), column 4 (across, X bin 5).
        emit window->surfaceView()->nodeHovered(1, 4);
        const size_t node = grid.at(5, 2);
        QCOMPARE(child<QLabel>(*window, "XLabel")->text(),
                 QStringLiteral("X: 5: ") + QString::fromStdString(plainText(grid.GridX[node])));
        QCOMPARE(child<QLabel>(*window, "Ylabel")->text(),
                 QStringLiteral("Y: 2: ") + QString::fromStdString(plainText(grid.GridY[node])));
        QCOMPARE(child<QLabel>(*window, "Zlabel")->text(),
                 QStringLiteral("Z: ") + QString::fromStdString(plainText(grid.GridHeight[node])));
        emit window->surfaceView()->nodeHovered(-1, -1);
        for (const char* name : {"XLabel", "Ylabel", "Zlabel"})
            QVERIFY2(child<QLabel>(*window, name)->text().isEmpty(), name);
        window->showNodeReadout(4, 0); // beyond the 4 rows
        QVERIFY(child<QLabel>(*window, "XLabel")->text().isEmpty());
    }

    void swapAndFullGridTogglesRestoreTheDefaultTitles()
    {
        auto window = makeWindow(m_shape);
        QCOMPARE(start(*window, QStringLiteral("8"), QStringLiteral("6"), QStringLiteral("1")), RunOutcome::Success);
        LandscapeSurfaceView* view = window->surfaceView();
        const auto titles = [view] {
            return view->acrossAxis()->title() + QLatin1Char('|') + view->depthAxis()->title();
        };
        const QString defaults = QStringLiteral("X (Southern edge)|Y (Eastern edge)");
        QCOMPARE(titles(), defaults);

        action(*window, "swapxlabels")->trigger();
        QCOMPARE(titles(), QStringLiteral("X (Northern edge)|Y (Eastern edge)"));
        QVERIFY(action(*window, "swapxlabels")->isChecked());
        action(*window, "swapxlabels")->trigger();
        QCOMPARE(titles(), defaults);
        QVERIFY(!action(*window, "swapxlabels")->isChecked());
        action(*window, "swapylabels")->trigger();
        QCOMPARE(titles(), QStringLiteral("X (Southern edge)|Y (Western edge)"));
        QVERIFY(action(*window, "swapylabels")->isChecked());
        action(*window, "swapxlabels")->trigger();
        QCOMPARE(titles(), QStringLiteral("X (Northern edge)|Y (Western edge)"));

        // The full grid draws every node, and either way the titles return to their defaults.
        const int outside = nanCount(surfaceData(*view));
        QVERIFY(outside > 0);
        action(*window, "fullgrid")->trigger();
        QCOMPARE(titles(), defaults);
        QVERIFY(!action(*window, "swapxlabels")->isChecked());
        QVERIFY(!action(*window, "swapylabels")->isChecked());
        QCOMPARE(nanCount(surfaceData(*view)), 0);
        action(*window, "swapylabels")->trigger();
        action(*window, "fullgrid")->trigger();
        QCOMPARE(titles(), defaults);
        QCOMPARE(nanCount(surfaceData(*view)), outside);

        // A press while the check mark is on draws the full grid.
        action(*window, "fullgrid")->trigger();
        QCOMPARE(start(*window, QStringLiteral("8"), QStringLiteral("7"), QStringLiteral("1")), RunOutcome::Success);
        QCOMPARE(nanCount(surfaceData(*view)), 0);
        QCOMPARE(surfaceData(*view).rows, 7);
    }

    void theViewDirectionDecidesEachTitle_data()
    {
        QTest::addColumn<bool>("swapped");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("titles");
        QTest::addColumn<bool>("xSwapped");
        QTest::addColumn<bool>("ySwapped");
        const auto row = [](const char* name, bool swapped, QStringList commands, const char* titles, bool x, bool y) {
            QTest::newRow(name) << swapped << commands << QString::fromLatin1(titles) << x << y;
        };
        const QString x = QStringLiteral("x");
        const QString y = QStringLiteral("y");
        row("wide, as drawn", false, {}, "X (Southern edge)|Y (Eastern edge)", false, false);
        row("wide, X swapped", false, {x}, "X (Northern edge)|Y (Eastern edge)", true, false);
        row("wide, X swapped twice", false, {x, x}, "X (Southern edge)|Y (Eastern edge)", false, false);
        row("wide, Y swapped", false, {y}, "X (Southern edge)|Y (Western edge)", false, true);
        row("wide, both swapped", false, {y, x}, "X (Northern edge)|Y (Western edge)", true, true);
        row("tall, as drawn", true, {}, "Y (Western edge)|X (Southern edge)", false, false);
        row("tall, X swapped", true, {x}, "Y (Western edge)|X (Northern edge)", true, false);
        row("tall, Y swapped", true, {y}, "Y (Eastern edge)|X (Southern edge)", false, true);
        row("tall, Y swapped twice", true, {y, y}, "Y (Western edge)|X (Southern edge)", false, false);
        row("tall, both swapped", true, {x, y}, "Y (Eastern edge)|X (Northern edge)", true, true);
    }

    void theViewDirectionDecidesEachTitle()
    {
        QFETCH(bool, swapped);
        QFETCH(QStringList, commands);
        QFETCH(QString, titles);
        QFETCH(bool, xSwapped);
        QFETCH(bool, ySwapped);
        // A 3 x 2 grid with every node inside.
        SurfaceLayout layout;
        layout.swapped = swapped;
        layout.depthPercent = 50;
        layout.across = 3;
        layout.deep = 2;
        for (int x = 1; x <= 3; ++x)
            for (int z = 1; z <= 2; ++z)
                layout.points.push_back({x, 0.5 * x + z, z, true});
        LandscapeSurfaceView view;
        QVERIFY(view.showSurface(layout, false));
        for (const QString& command : commands) {
            if (command == QLatin1String("x"))
                view.swapXLabels();
            else
                view.swapYLabels();
        }
        QCOMPARE(view.acrossTitle() + QLatin1Char('|') + view.depthTitle(), titles);
        QCOMPARE(view.acrossAxis()->title() + QLatin1Char('|') + view.depthAxis()->title(), titles);
        QCOMPARE(view.xLabelsSwapped(), xSwapped);
        QCOMPARE(view.yLabelsSwapped(), ySwapped);
        // Turning the view by hand to the default side gives the default titles back.
        view.restoreDefaultSides();
        QCOMPARE(view.xLabelsSwapped() || view.yLabelsSwapped(), false);
    }

    void aLargeSurfaceIsThinnedOnlyWhileItIsTurned()
    {
        // 300 x 300 nodes, more than kTurningNodes: every second row and column while turning.
        SurfaceLayout layout;
        layout.depthPercent = 100;
        layout.across = 300;
        layout.deep = 300;
        for (int x = 1; x <= 300; ++x)
            for (int z = 1; z <= 300; ++z)
                layout.points.push_back({x, x * 0.001 + z, z, (x + z) % 7 != 0});
        LandscapeSurfaceView view;
        QVERIFY(view.showSurface(layout, false));
        const SurfaceData full = surfaceData(view);
        view.beginTurning();
        QVERIFY(view.turning());
        const SurfaceData thin = surfaceData(view);
        QCOMPARE(thin.rows, 151); // 1, 3, ..., 299 and the last, 300
        QCOMPARE(thin.columns, 151);
        QCOMPARE(thin.x[1], 3.0f);
        QCOMPARE(thin.x[150], 300.0f);
        QCOMPARE(thin.z[151], 3.0f);
        // Node (3, 3) keeps its height.
        QCOMPARE(thin.y[151 + 1], static_cast<float>(3 * 0.001 + 3));
        view.endTurning();
        QVERIFY(!view.turning());
        const SurfaceData again = surfaceData(view);
        QCOMPARE(again.rows, 300);
        QCOMPARE(again.x, full.x);
        QCOMPARE(nanCount(again), nanCount(full));

        // A small surface is drawn whole while turning.
        layout.across = 3;
        layout.deep = 2;
        layout.points = {{1, 1, 1, true}, {1, 2, 2, true}, {2, 3, 1, true},
                         {2, 4, 2, true}, {3, 5, 1, true}, {3, 6, 2, true}};
        QVERIFY(view.showSurface(layout, false));
        view.beginTurning();
        QVERIFY(!view.turning());
        QCOMPARE(surfaceData(view).columns, 3);
    }

    void aGridWithNothingInsideTheHullLeavesAnEmptyChartAndSaysWhy()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow(tinyHullShape());
        QCOMPARE(start(*window, QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("1")), RunOutcome::Success);
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(std::count(window->grid()->GridInside.begin(), window->grid()->GridInside.end(), 1), 0);
        QCOMPARE(surfaceData(*window->surfaceView()).rows, 0);
        auto* status = child<QLabel>(*window, "SurfaceStatus");
        QVERIFY(status->isVisible());
        QVERIFY(status->text().contains(QStringLiteral("inside the hull")));
        // The full grid draws all four nodes.
        action(*window, "fullgrid")->trigger();
        QCOMPARE(surfaceData(*window->surfaceView()).rows, 2);
        QCOMPARE(nanCount(surfaceData(*window->surfaceView())), 0);
        QVERIFY(!status->isVisible());
        // One bin in a direction has no surface either, and says so.
        QCOMPARE(start(*window, QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("1")), RunOutcome::Success);
        QCOMPARE(surfaceData(*window->surfaceView()).rows, 0);
        QVERIFY(status->isVisible());
        QVERIFY(status->text().contains(QStringLiteral("one bin")));
    }

    void styleCommandsChangeTheSurface()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow(m_shape);
        LandscapeSurfaceView* view = window->surfaceView();
        const auto stops = [view] { return view->series()->baseGradient().stops(); };
        QCOMPARE(stops().first().second, QColor(Qt::blue));
        QCOMPARE(view->series()->colorStyle(), Q3DTheme::ColorStyleRangeGradient);

        dialogs.colorAnswer = QColor(Qt::darkGreen);
        action(*window, "minimumcolor")->trigger();
        QCOMPARE(stops().first().second, QColor(Qt::darkGreen));
        dialogs.colorAnswer = QColor(Qt::red);
        action(*window, "maximumcolor")->trigger();
        QCOMPARE(stops().last().second, QColor(Qt::red));
        dialogs.colorAnswer = QColor(Qt::yellow);
        action(*window, "basecolor")->trigger();
        QCOMPARE(view->baseColor(), QColor(Qt::yellow));
        dialogs.colorAnswer = QColor(Qt::cyan);
        action(*window, "backgroundcolor")->trigger();
        QCOMPARE(view->backgroundColor(), QColor(Qt::cyan));
        for (const char* name : {"XLabel", "Ylabel", "Zlabel"})
            QCOMPARE(child<QLabel>(*window, name)->palette().color(QPalette::Window), QColor(Qt::cyan));
        dialogs.colorAnswer.reset(); // cancelled: nothing changes
        action(*window, "minimumcolor")->trigger();
        action(*window, "backgroundcolor")->trigger();
        QCOMPARE(stops().first().second, QColor(Qt::darkGreen));
        QCOMPARE(view->backgroundColor(), QColor(Qt::cyan));

        action(*window, "wireframe")->trigger();
        QVERIFY(view->wireframe());
        QCOMPARE(view->series()->drawMode(), QSurface3DSeries::DrawWireframe);
        action(*window, "wireframe")->trigger();
        QCOMPARE(view->series()->drawMode(), QSurface3DSeries::DrawSurface);
        action(*window, "removebaselines")->trigger();
        QVERIFY(!view->baseLinesVisible());
        action(*window, "removebaselines")->trigger();
        QVERIFY(view->baseLinesVisible());
        action(*window, "removeaxislabels")->trigger();
        QVERIFY(!view->axisLabelsVisible());
        QVERIFY(action(*window, "removeaxislabels")->isChecked());
        action(*window, "removeaxislabels")->trigger();
        QVERIFY(view->axisLabelsVisible());
    }

    void zoomTakesTheWholeNumberBelowTheEntry()
    {
        auto window = makeWindow(m_shape);
        QCOMPARE(window->surfaceView()->zoom(), LandscapeSurfaceView::kDefaultZoom);
        QTimer::singleShot(0, this, [] {
            auto* dialog = qobject_cast<ZoomDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->objectName(), QStringLiteral("ZoomForm"));
            auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("Text1"));
            QCOMPARE(box->text(), QStringLiteral("100"));
            box->setText(QStringLiteral("150.7"));
            dialog->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        });
        action(*window, "zoom")->trigger();
        QCOMPARE(window->surfaceView()->zoom(), 150);
    }

    void saveGridWritesARasterOrATable()
    {
        ScriptedDialogs dialogs;
        m_state.lastSaveFolder.clear();
        auto window = makeWindow(m_shape);
        QCOMPARE(start(*window, QStringLiteral("7"), QStringLiteral("5"), QStringLiteral("1")), RunOutcome::Success);
        const InterpolationGrid grid = InterpolateLandscape(m_shape, 7, 5, 1.0);

        // A name without an ending is saved as a raster with the raster's ending.
        dialogs.saveAnswer = m_saved.filePath(QStringLiteral("landscape"));
        action(*window, "savegrid")->trigger();
        QCOMPARE(dialogs.dialogTitles, QStringList{QStringLiteral("Save Grid")});
        QCOMPARE(dialogs.saveFilters.size(), 1);
        QCOMPARE(dialogs.saveFilters.first().size(), 2);
        QVERIFY(dialogs.saveFilters.first().first().contains(QStringLiteral("*.asc")));
        QCOMPARE(readAll(m_saved.filePath(QStringLiteral("landscape.asc"))),
                 QByteArray::fromStdString(EsriAsciiGrid(grid)));
        QCOMPARE(m_state.lastSaveFolder, m_saved.path());

        dialogs.saveAnswer = m_saved.filePath(QStringLiteral("landscape.csv"));
        action(*window, "savegrid")->trigger();
        QCOMPARE(readAll(dialogs.saveAnswer), QByteArray::fromStdString(GridCsv(grid)));
        QCOMPARE(dialogs.saveFolders.last(), m_saved.path());

        // A cancelled dialog writes nothing; a folder that does not exist gives a message.
        dialogs.saveAnswer.clear();
        action(*window, "savegrid")->trigger();
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(!window->saveGridTo(m_saved.filePath(QStringLiteral("no-such-folder/grid.asc"))));
        QCOMPARE(dialogs.messages, QStringList{QStringLiteral("The grid could not be saved.")});
    }

    void theNetworkIsDrawnInMapCoordinatesWithAReadout()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow(m_shape);
        window->tabs()->setCurrentIndex(3);
        MapView* map = window->networkMap();
        QCOMPARE(map->objectName(), QStringLiteral("Picture1"));
        QCOMPARE(map->extents().MapMinX, m_shape.map.MapMinX);
        QCOMPARE(map->extents().MapMaxY, m_shape.map.MapMaxY);
        QCOMPARE(map->layerCount(), 1);
        const MapLayer& lines = map->layer(0);
        QCOMPARE(lines.lines.size(), static_cast<qsizetype>(m_shape.LandscapeEdges.size()));
        const LandscapeEdge& first = m_shape.LandscapeEdges.front();
        QCOMPARE(lines.lines.first(), QLineF(first.X1, first.Y1, first.X2, first.Y2));
        QCOMPARE(lines.color, QColor(Qt::black));

        auto* readout = child<QLabel>(*window, "Label1");
        const QPointF position(map->width() / 3.0, map->height() / 2.0);
        QMouseEvent move(QEvent::MouseMove, position, map->mapToGlobal(position), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(map, &move);
        QCOMPARE(readout->text(), MapView::readoutText(map->toMap(position)));
        QVERIFY(readout->text().startsWith(QStringLiteral("X: ")));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(map, &leave);
        QVERIFY(readout->text().isEmpty());

        QApplication::clipboard()->setText(QStringLiteral("something else"));
        action(*window, "copynetwork")->trigger();
        QCOMPARE(QApplication::clipboard()->image().size(), map->size());
        action(*window, "printnetwork")->trigger();
        QCOMPARE(dialogs.messages, QStringList{QStringLiteral("not enabled")});
    }

    void theGraphCommandsSayWhenThereIsNoOpenGL()
    {
        auto window = makeWindow(m_shape);
        if (window->surfaceView()->hasGraph())
            QSKIP("this display offers OpenGL; LandscapeSurfaceRenderTest covers the drawn graph");
        ScriptedDialogs dialogs;
        QCOMPARE(start(*window, QStringLiteral("5"), QStringLiteral("5"), QStringLiteral("1")), RunOutcome::Success);
        QVERIFY(window->findChild<QLabel*>(QStringLiteral("NoOpenGLNote")));
        action(*window, "copy3dgraph")->trigger();
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages.first().contains(QStringLiteral("OpenGL")));
        dialogs.printToPdf = m_saved.filePath(QStringLiteral("surface.pdf"));
        action(*window, "print3dgraph")->trigger();
        QCOMPARE(dialogs.messages.last(), QStringLiteral("The 3-D graph could not be printed."));
    }

    void helpOpensTheViewersPage()
    {
        auto window = makeWindow(m_shape);
        child<QPushButton>(*window, "Command2")->click();
        auto* help = window->findChild<HelpWindow*>();
        QVERIFY(help);
        QCOMPARE(help->browser()->source().toString(), QStringLiteral("qrc:/help/landscape-viewer.html"));
        QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Save Grid")));
        help->close();
    }

    void closingDuringAPressStopsItAndRemovesTheReport()
    {
        auto window = makeWindow(m_shape);
        const QString folder = window->runFolderPath();
        QVERIFY(QFile::exists(reportFile(*window)));
        child<QLineEdit>(*window, "Text1")->setText(QStringLiteral("500"));
        child<QLineEdit>(*window, "Text2")->setText(QStringLiteral("500"));
        window->startInterpolation();
        QVERIFY(window->interpolating());
        window->close();
        QVERIFY(!window->interpolating());
        QVERIFY(!QDir(folder).exists());
    }

    void aRunFromTheMainWindowOpensTheViewer()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        MainWindow window(state);
        window.show();
        window.findChild<QLineEdit*>(QStringLiteral("Text1"))
            ->setText(examplePath(QStringLiteral("microsatellites/coordinates.txt")));
        window.findChild<QLineEdit*>(QStringLiteral("Text2"))
            ->setText(examplePath(QStringLiteral("microsatellites/genotypes.txt")));
        window.findChild<QComboBox*>(QStringLiteral("Combo1"))->setCurrentIndex(3);
        QSignalSpy finished(&window, &MainWindow::runFinished);
        QSignalSpy statuses(window.findChild<RunController*>(), &RunController::statusChanged);
        window.findChild<QPushButton*>(QStringLiteral("Command3"))->click();
        QVERIFY(finished.wait(120000));
        QCOMPARE(finished.takeFirst().at(0).value<RunOutcome>(), RunOutcome::Success);
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(statuses.first().at(0).toString(), QStringLiteral("Reading"));

        QPointer<ResultsWindow> results = window.resultsWindow();
        auto* viewer = qobject_cast<LandscapeResultsWindow*>(results.data());
        QVERIFY(viewer);
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Landscape Shape"));
        QCOMPARE(viewer->windowModality(), Qt::ApplicationModal);
        // The report names the files as the main window shows them, and is the engine's.
        LandscapeResult expected = m_shape;
        expected.coordinatePath = localPath(examplePath(QStringLiteral("microsatellites/coordinates.txt")));
        expected.genotypePath = localPath(examplePath(QStringLiteral("microsatellites/genotypes.txt")));
        QCOMPARE(viewer->reportText(), QString::fromLatin1(LandscapeReport(expected)));

        QCOMPARE(start(*viewer, QStringLiteral("3"), QStringLiteral("3"), QStringLiteral("1")), RunOutcome::Success);
        QVERIFY(viewer->reportText().contains(QStringLiteral("INTERPOLATION OUTPUT")));
        const QString folder = viewer->runFolderPath();
        viewer->close();
        QTRY_VERIFY(results.isNull());
        QVERIFY(!QDir(folder).exists());
    }
};

TESSALOC_GUI_TEST_MAIN(LandscapeViewerTest)
#include "LandscapeViewerTest.moc"
