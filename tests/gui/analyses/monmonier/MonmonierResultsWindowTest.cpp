// The barrier map window: the map and its layers, the appearance menus, the barrier editor, the
// figure and report commands.
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/monmonier/BarrierEditorDialog.h"
#include "ui/analyses/monmonier/MonmonierResultsWindow.h"
#include "ui/shell/HelpWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/widgets/MapView.h"

#include "analyses/monmonier/BarrierDrawing.h"
#include "analyses/monmonier/Monmonier.h"
#include "analyses/monmonier/SupportTable.h"
#include "core/ReportWriter.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

using namespace tessaloc;
using namespace tessaloc::ui;
using tessaloc::ui::test::exampleFiles;
using tessaloc::ui::test::readAll;
using tessaloc::ui::test::rtfToPlainText;
using tessaloc::ui::test::ScriptedDialogs;

namespace {

MonmonierResult exampleResult(long long barriers)
{
    const MonmonierInput input{exampleFiles(QStringLiteral("microsatellites")),
                               {MonmonierDistanceKind::Residual, barriers}};
    return RunMonmonier(input);
}

/// Two barriers over the microsatellite example with the support of 40 bootstrap replicates.
MonmonierResult exampleResultWithSupport()
{
    MonmonierInput input{exampleFiles(QStringLiteral("microsatellites")), {MonmonierDistanceKind::Residual, 2}};
    input.settings.bootstrapReplicates = 40;
    RandomUniform random(1, 1);
    return RunMonmonier(input, random);
}

/// The support of barrier `barrier` at each midpoint of an edge it crosses.
QMap<QPair<double, double>, double> supportAtMidpoints(const MonmonierResult& result, int barrier)
{
    QMap<QPair<double, double>, double> support;
    for (const SupportMark& mark : BarrierSupportMarks(result, barrier))
        support.insert({mark.midX, mark.midY}, mark.percent);
    return support;
}

/// The lines a barrier draws, counted from its slots: the first segment joins slots 1..U, every
/// later segment slots 0..U.
qsizetype barrierLineCount(const BarrierRecord& barrier)
{
    qsizetype count = 0;
    for (size_t s = 0; s < barrier.Segments.size(); ++s) {
        const auto slotCount = static_cast<qsizetype>(barrier.Segments[s].Triangles.size());
        count += s == 0 ? std::max<qsizetype>(slotCount - 2, 0) : slotCount - 1;
    }
    return count;
}

/// What a repaint of `window`'s map draws.
qsizetype linesDrawn(MonmonierResultsWindow& window)
{
    window.map()->grab();
    return window.map()->linesDrawn();
}

/// Runs `answer` on the modal barrier editor as soon as `open` has shown it.
void withBarrierEditor(const std::function<void()>& open, const std::function<void(BarrierEditorDialog&)>& answer)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<BarrierEditorDialog*>(QApplication::activeModalWidget());
        QVERIFY(editor);
        seen = true;
        answer(*editor);
    });
    open();
    QVERIFY(seen);
}

} // namespace

class MonmonierResultsWindowTest : public QObject {
    Q_OBJECT

    ProgramState m_state;
    MonmonierResult m_result; // three barriers over the microsatellite example
    QTemporaryDir m_saved;

    std::unique_ptr<MonmonierResultsWindow> makeWindow(const MonmonierResult& result)
    {
        auto folder = std::make_unique<QTemporaryDir>();
        writeReportFile(QFile::encodeName(folder->path()).toStdString(), kMonmonierReportFileName,
                        MonmonierReport(result));
        auto window = std::make_unique<MonmonierResultsWindow>(m_state, result, std::move(folder));
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->resize(700, 500);
        window->show();
        return window;
    }
    std::unique_ptr<MonmonierResultsWindow> makeWindow() { return makeWindow(m_result); }

    QAction* action(QWidget& window, const QString& name)
    {
        auto* found = window.findChild<QAction*>(name);
        if (!found)
            qFatal("no menu item %s", qPrintable(name));
        return found;
    }

    QStringList itemsOf(QWidget& window, const char* menu)
    {
        QStringList items;
        for (QAction* item : window.findChild<QMenu*>(QLatin1String(menu))->actions())
            items << (item->isSeparator() ? QStringLiteral("-") : item->text());
        return items;
    }

private slots:
    void initTestCase()
    {
        m_result = exampleResult(3);
        QVERIFY(m_saved.isValid());
    }

    void showsThePagesMenusAndReport()
    {
        auto window = makeWindow();
        QCOMPARE(window->objectName(), QStringLiteral("Monmonierform"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Monmonier Maximum Difference Algorithm"));
        QCOMPARE(window->tabs()->count(), 2);
        QCOMPARE(window->tabs()->tabText(0), QStringLiteral("Graphical Results"));
        QCOMPARE(window->tabs()->tabText(1), QStringLiteral("Text Results"));
        QCOMPARE(window->tabs()->currentIndex(), 0);
        QCOMPARE(window->reportText(), QString::fromLatin1(MonmonierReport(m_result)));
        QVERIFY(window->reportView()->toPlainText().startsWith(
            QStringLiteral("Monmonier's Maximum Difference Algorithm Analysis Results\n")));
        // Loaded by the name it was written under, then removed: the page is the only copy.
        QVERIFY(QDir(window->runFolderPath()).exists());
        QVERIFY(!QFile::exists(QDir(window->runFolderPath()).filePath(QStringLiteral("monmonierresults.txt"))));

        QCOMPARE(itemsOf(*window, "CopyPrintSaveMenu"),
                 (QStringList{QStringLiteral("Copy to Figure Clipboard as Bitmap"), QStringLiteral("Save Figure..."),
                              QStringLiteral("-"), QStringLiteral("Copy text to clipboard"),
                              QStringLiteral("Save Text to file")}));
        QCOMPARE(itemsOf(*window, "EditFigureMenu"),
                 (QStringList{QStringLiteral("Triangulation"), QStringLiteral("Barriers"),
                              QStringLiteral("Background color")}));
        QCOMPARE(itemsOf(*window, "TriangulationMenu"),
                 (QStringList{QStringLiteral("Show Triangulation"), QStringLiteral("Triangulation Color"),
                              QStringLiteral("Triangulation line thickness")}));
        QCOMPARE(itemsOf(*window, "TriangulationThicknessMenu"),
                 (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                              QStringLiteral("5")}));
        QCOMPARE(itemsOf(*window, "BarriersMenu"),
                 (QStringList{QStringLiteral("Barrier 1"), QStringLiteral("Barrier2"), QStringLiteral("Barrier3")}));
        QVERIFY(action(*window, QStringLiteral("ShowTriangulation"))->isChecked());
        QCOMPARE(action(*window, QStringLiteral("MonmonierHelp"))->text(), QStringLiteral("Help"));
    }

    void drawsEveryTriangleEdgeThenEveryBarrierSegment()
    {
        auto window = makeWindow();
        const MapView& map = *window->map();
        QCOMPARE(map.extents().MapMinX, m_result.map.MapMinX);
        QCOMPARE(map.extents().MapMaxY, m_result.map.MapMaxY);
        QCOMPARE(map.layerCount(), 1 + 3);
        const auto triangleEdges = static_cast<qsizetype>(3 * m_result.BarrierTriangles.size());
        QVERIFY(triangleEdges > 0);
        QCOMPARE(map.layer(0).lines.size(), triangleEdges);
        qsizetype barrierLines = 0;
        for (int b = 1; b <= 3; ++b) {
            const BarrierRecord& barrier = m_result.BarrierList[static_cast<size_t>(b - 1)];
            QCOMPARE(map.layer(b).lines.size(), barrierLineCount(barrier));
            barrierLines += barrierLineCount(barrier);
        }
        QVERIFY(barrierLines > 0);
        // The scale mark's two lines, the triangulation, the barriers.
        QCOMPARE(linesDrawn(*window), 2 + triangleEdges + barrierLines);
    }

    void barriersStartInPaletteColoursAndTheFifteenthInBlack()
    {
        const MonmonierResult result = exampleResult(15);
        QCOMPARE(result.BarrierList.size(), size_t(15));
        auto window = makeWindow(result);
        const QStringList items = itemsOf(*window, "BarriersMenu");
        QCOMPARE(items.size(), 15);
        QCOMPARE(items.at(13), QStringLiteral("Barrier14"));
        QCOMPARE(items.last(), QStringLiteral("Barrier15"));
        const std::pair<int, QColor> colours[] = {{1, QColor(0, 0, 128)},    {2, QColor(0, 128, 0)},
                                                  {3, QColor(0, 128, 128)},  {12, QColor(255, 0, 0)},
                                                  {14, QColor(255, 255, 0)}, {15, QColor(0, 0, 0)}};
        for (const auto& [barrier, colour] : colours) {
            QCOMPARE(window->barrierStyle(barrier).color, colour);
            QCOMPARE(window->map()->layer(barrier).color, colour);
            QCOMPARE(window->map()->layer(barrier).width, 3);
            QVERIFY(window->map()->layer(barrier).visible);
        }
        QCOMPARE(window->map()->layer(0).color, QColor(Qt::black));
        QCOMPARE(window->map()->layer(0).width, 1);
    }

    void hidingTheTriangulationKeepsTheScaleMarkAndTheBarriers()
    {
        auto window = makeWindow();
        const qsizetype all = linesDrawn(*window);
        const qsizetype triangleEdges = window->map()->layer(0).lines.size();
        QAction* show = action(*window, QStringLiteral("ShowTriangulation"));
        show->trigger();
        QVERIFY(!show->isChecked());
        QVERIFY(!window->triangulationStyle().visible);
        QCOMPARE(linesDrawn(*window), all - triangleEdges);
        for (int b = 1; b <= 3; ++b)
            QVERIFY(window->map()->layer(b).visible);
        show->trigger();
        QVERIFY(show->isChecked());
        QCOMPARE(linesDrawn(*window), all);
    }

    void theTriangulationTakesItsColourAndThickness()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        dialogs.colorAnswer = QColor(Qt::darkGreen);
        action(*window, QStringLiteral("TriangulationColor"))->trigger();
        QCOMPARE(window->map()->layer(0).color, QColor(Qt::darkGreen));
        dialogs.colorAnswer.reset(); // a cancelled colour dialog keeps the colour
        action(*window, QStringLiteral("TriangulationColor"))->trigger();
        QCOMPARE(window->map()->layer(0).color, QColor(Qt::darkGreen));
        action(*window, QStringLiteral("TriangulationThickness4"))->trigger();
        QCOMPARE(window->map()->layer(0).width, 4);
        QVERIFY(action(*window, QStringLiteral("TriangulationThickness4"))->isChecked());
        QVERIFY(!action(*window, QStringLiteral("TriangulationThickness1"))->isChecked());
        // The barriers keep their look.
        QCOMPARE(window->map()->layer(1).width, 3);
        QCOMPARE(window->map()->layer(1).color, QColor(0, 0, 128));
    }

    void theEditorRestylesOneBarrierAndRedraws()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        const qsizetype all = linesDrawn(*window);
        dialogs.colorAnswer = QColor(Qt::red);
        withBarrierEditor([&] { action(*window, QStringLiteral("Barrier2"))->trigger(); },
                          [](BarrierEditorDialog& editor) {
                              QCOMPARE(editor.windowTitle(), QStringLiteral("Edit Barrier2"));
                              QCOMPARE(editor.currentColor(), QColor(0, 128, 0));
                              auto* thickness = editor.findChild<QComboBox*>(QStringLiteral("LineThickness"));
                              QCOMPARE(thickness->currentText(), QStringLiteral("3"));
                              thickness->setCurrentIndex(4);
                              editor.findChild<QPushButton*>(QStringLiteral("SelectColor"))->click();
                              editor.findChild<QCheckBox*>(QStringLiteral("Visible"))->setChecked(false);
                              editor.findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
                          });
        QCOMPARE(window->barrierStyle(2).color, QColor(Qt::red));
        QCOMPARE(window->barrierStyle(2).lineWidth, 5);
        QVERIFY(!window->barrierStyle(2).visible);
        const MapLayer& second = window->map()->layer(2);
        QCOMPARE(second.color, QColor(Qt::red));
        QCOMPARE(second.width, 5);
        QVERIFY(!second.visible);
        QCOMPARE(linesDrawn(*window), all - second.lines.size());
        // The other barriers are untouched.
        QCOMPARE(window->map()->layer(1).color, QColor(0, 0, 128));
        QCOMPARE(window->map()->layer(3).width, 3);
        QVERIFY(window->map()->layer(3).visible);
    }

    void closingTheEditorWithoutOkChangesNothing()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        const qsizetype all = linesDrawn(*window);
        dialogs.colorAnswer = QColor(Qt::red);
        withBarrierEditor([&] { action(*window, QStringLiteral("Barrier1"))->trigger(); },
                          [](BarrierEditorDialog& editor) {
                              editor.findChild<QComboBox*>(QStringLiteral("LineThickness"))->setCurrentIndex(0);
                              editor.findChild<QPushButton*>(QStringLiteral("SelectColor"))->click();
                              editor.findChild<QCheckBox*>(QStringLiteral("Visible"))->setChecked(false);
                              editor.reject();
                          });
        QCOMPARE(window->barrierStyle(1).color, QColor(0, 0, 128));
        QCOMPARE(window->barrierStyle(1).lineWidth, 3);
        QVERIFY(window->barrierStyle(1).visible);
        QCOMPARE(window->map()->layer(1).color, QColor(0, 0, 128));
        QCOMPARE(linesDrawn(*window), all);
    }

    void savesTheFigureAsItLooksAndNothingOnFailure()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        dialogs.colorAnswer = QColor(0x12, 0x34, 0x56);
        action(*window, QStringLiteral("BackgroundColor"))->trigger();
        QCOMPARE(window->map()->background(), QColor(0x12, 0x34, 0x56));

        dialogs.saveAnswer = m_saved.filePath(QStringLiteral("map.svg"));
        action(*window, QStringLiteral("SaveFigure"))->trigger();
        QCOMPARE(dialogs.dialogTitles, QStringList{QStringLiteral("Save Figure")});
        QCOMPARE(dialogs.saveFilters.value(0),
                 (QStringList{QStringLiteral("SVG drawing (*.svg)"), QStringLiteral("PDF document (*.pdf)"),
                              QStringLiteral("PNG picture (*.png)")}));
        QSvgRenderer renderer(dialogs.saveAnswer);
        QVERIFY(renderer.isValid());
        QCOMPARE(renderer.viewBox().size(), window->map()->size());
        const QByteArray svg = readAll(dialogs.saveAnswer);
        QVERIFY(svg.contains("#123456")); // the background
        QVERIFY(svg.contains("#000080")); // barrier 1
        QCOMPARE(m_state.lastSaveFolder, m_saved.path());

        dialogs.saveAnswer = m_saved.filePath(QStringLiteral("map.pdf"));
        action(*window, QStringLiteral("SaveFigure"))->trigger();
        QVERIFY(readAll(dialogs.saveAnswer).startsWith("%PDF-"));
        dialogs.saveAnswer = m_saved.filePath(QStringLiteral("map.png"));
        action(*window, QStringLiteral("SaveFigure"))->trigger();
        QCOMPARE(QImage(dialogs.saveAnswer).pixelColor(0, 0), QColor(0x12, 0x34, 0x56));

        dialogs.saveAnswer.clear(); // cancelled
        action(*window, QStringLiteral("SaveFigure"))->trigger();
        QVERIFY(dialogs.messages.isEmpty());
        const QString unwritable = m_saved.filePath(QStringLiteral("no-such-folder/map.svg"));
        dialogs.saveAnswer = unwritable;
        action(*window, QStringLiteral("SaveFigure"))->trigger();
        QVERIFY(!QFile::exists(unwritable));
        QCOMPARE(dialogs.messages, QStringList{QStringLiteral("The figure could not be saved.")});
        QVERIFY(!dialogs.details.constFirst().isEmpty());
        QCOMPARE(m_state.lastSaveFolder, m_saved.path());
    }

    void copiesTheMapAsABitmap()
    {
        auto window = makeWindow();
        QApplication::clipboard()->setText(QStringLiteral("something else"));
        action(*window, QStringLiteral("CopyFigure"))->trigger();
        const QImage copied = QApplication::clipboard()->image();
        QCOMPARE(copied.size(), window->map()->size());
        QCOMPARE(copied.pixelColor(copied.width() - 1, 0), QColor(Qt::white));
    }

    void savesTheReportAsRichTextOrAsPlainTextForTxt()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        dialogs.saveAnswer = m_saved.filePath(QStringLiteral("barriers.txt"));
        action(*window, QStringLiteral("SaveText"))->trigger();
        QCOMPARE(dialogs.dialogTitles, QStringList{QString()}); // a save dialog without a title
        QCOMPARE(readAll(dialogs.saveAnswer), QByteArray::fromStdString(MonmonierReport(m_result)));

        dialogs.saveAnswer = m_saved.filePath(QStringLiteral("barriers.rtf"));
        action(*window, QStringLiteral("SaveText"))->trigger();
        const QByteArray rtf = readAll(dialogs.saveAnswer);
        QVERIFY(rtf.startsWith("{\\rtf1"));
        QString expected = QString::fromLatin1(MonmonierReport(m_result));
        expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(rtfToPlainText(rtf).trimmed(), expected.trimmed());

        const QString unwritable = m_saved.filePath(QStringLiteral("no-such-folder/barriers.rtf"));
        dialogs.saveAnswer = unwritable;
        action(*window, QStringLiteral("SaveText"))->trigger();
        QVERIFY(!QFile::exists(unwritable));
        QVERIFY(window->isVisible());

        QApplication::clipboard()->clear();
        action(*window, QStringLiteral("CopyText"))->trigger();
        QCOMPARE(QApplication::clipboard()->text(), expected);
    }

    void theReadoutFollowsTheMouseOverTheMapOnly()
    {
        auto window = makeWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        MapView* map = window->map();
        QLabel* readout = window->readout();
        const QPoint at(map->width() / 3, map->height() / 2);
        QTest::mouseMove(map, at);
        QTRY_COMPARE(readout->text(), MapView::readoutText(map->toMap(at)));
        QVERIFY(readout->text().startsWith(QStringLiteral("X: ")));
        QVERIFY(readout->text().contains(QStringLiteral("; Y: ")));
        emit map->mouseLeft();
        QVERIFY(readout->text().isEmpty());
        QTest::mouseMove(map, at + QPoint(5, 5));
        QTRY_VERIFY(!readout->text().isEmpty());
        window->tabs()->setCurrentIndex(1);
        QVERIFY(readout->text().isEmpty());
    }

    void namesTheSamplesNearTheMouse()
    {
        auto window = makeWindow();
        const MapView* map = window->map();
        const QPointF first = map->toWidget({m_result.SampleX[0], m_result.SampleY[0]});
        QVERIFY(map->samplesNear(first).contains(QString::fromStdString(m_result.SampleNames[0])));
        QVERIFY(map->samplesNear(QPointF(-100, -100)).isEmpty());
    }

    void withoutSupportTheMapAndMenusHaveNoneOfIt()
    {
        auto window = makeWindow();
        QVERIFY(!window->hasSupport());
        QCOMPARE(window->map()->layerCount(), window->barrierCount() + 1);
        QVERIFY(!window->findChild<QAction*>(QStringLiteral("ShowSupport")));
        QVERIFY(!window->findChild<QAction*>(QStringLiteral("SaveSupportTable")));
        for (int barrier = 1; barrier <= window->barrierCount(); ++barrier) {
            QVERIFY(window->map()->layer(barrier).widths.isEmpty());
            QVERIFY(window->map()->layer(barrier).labels.isEmpty());
        }
    }

    void everyCrossedEdgeIsLabelledWithItsSupportAndTheBarrierAsWideAsIt()
    {
        const MonmonierResult result = exampleResultWithSupport();
        auto window = makeWindow(result);
        QVERIFY(window->hasSupport());
        QCOMPARE(itemsOf(*window, "EditFigureMenu").mid(3),
                 (QStringList{QStringLiteral("-"), QStringLiteral("Show Support"),
                              QStringLiteral("Show All Supported Edges")}));
        QVERIFY(action(*window, QStringLiteral("ShowSupport"))->isChecked());
        QVERIFY(!action(*window, QStringLiteral("ShowAllSupportedEdges"))->isChecked());
        QCOMPARE(itemsOf(*window, "CopyPrintSaveMenu").last(), QStringLiteral("Save Support Table..."));

        for (int barrier = 1; barrier <= 2; ++barrier) {
            const MapLayer& layer = window->map()->layer(barrier);
            const auto support = supportAtMidpoints(result, barrier);
            // One label per crossed edge, at its midpoint, with the whole percentage.
            QCOMPARE(layer.labels.size(), support.size());
            for (const MapLabel& label : layer.labels) {
                const auto at = support.constFind({label.at.x(), label.at.y()});
                QVERIFY(at != support.constEnd());
                QCOMPARE(label.text, QString::number(std::llround(*at)) + QStringLiteral("%"));
            }
            // Every line in two halves; each half as wide as the support of the edge whose midpoint
            // it touches: 1 pixel at 0 %, 2 x 3 at 100 %.
            QCOMPARE(layer.widths.size(), layer.lines.size());
            QCOMPARE(
                layer.lines.size(),
                2 * qsizetype(BarrierLines(result.BarrierTriangles, result.BarrierList[size_t(barrier - 1)]).size()));
            for (qsizetype k = 0; k < layer.lines.size(); ++k) {
                const QPointF end = k % 2 == 0 ? layer.lines[k].p1() : layer.lines[k].p2();
                const double percent = support.value({end.x(), end.y()}, -1.0);
                QVERIFY2(percent >= 0.0, "a half line that touches no crossed edge");
                QCOMPARE(layer.widths[k], 1.0 + 5.0 * percent / 100.0);
            }
        }
        QVERIFY(window->map()->layer(1).labels.size() > 0);
        window->map()->grab();
        QCOMPARE(window->map()->labelsDrawn(),
                 window->map()->layer(1).labels.size() + window->map()->layer(2).labels.size());
    }

    void showSupportOffDrawsThePlainBarriersAndTheEditorsWidthScalesTheSupport()
    {
        ScriptedDialogs dialogs;
        const MonmonierResult result = exampleResultWithSupport();
        auto window = makeWindow(result);
        const qsizetype lines = linesDrawn(*window);
        action(*window, QStringLiteral("ShowSupport"))->trigger();
        QVERIFY(!action(*window, QStringLiteral("ShowSupport"))->isChecked());
        QVERIFY(window->map()->layer(1).widths.isEmpty());
        QVERIFY(window->map()->layer(1).labels.isEmpty());
        QCOMPARE(window->map()->layer(1).width, 3);
        QCOMPARE(linesDrawn(*window), lines);
        QCOMPARE(window->map()->labelsDrawn(), qsizetype(0));

        window->showSupport(true);
        QVERIFY(action(*window, QStringLiteral("ShowSupport"))->isChecked());
        withBarrierEditor([&] { action(*window, QStringLiteral("Barrier1"))->trigger(); },
                          [](BarrierEditorDialog& editor) {
                              editor.findChild<QComboBox*>(QStringLiteral("LineThickness"))->setCurrentIndex(4);
                              editor.findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
                          });
        const MapLayer& first = window->map()->layer(1);
        const auto support = supportAtMidpoints(result, 1);
        QCOMPARE(first.widths.size(), first.lines.size());
        // 5 pixels wide: 1 + 9 x the share.
        QCOMPARE(first.widths[0], 1.0 + 9.0 * support.value({first.lines[0].x1(), first.lines[0].y1()}) / 100.0);
        QVERIFY(!first.labels.isEmpty());
    }

    void theFaintLayerShowsTheLinesOnlyReplicatesDrew()
    {
        const MonmonierResult result = exampleResultWithSupport();
        auto window = makeWindow(result);
        const int layerIndex = window->alternativeLinesLayer();
        QCOMPARE(layerIndex, 3);
        QCOMPARE(window->map()->layerCount(), 4);
        const MapLayer& layer = window->map()->layer(layerIndex);
        QVERIFY(!layer.visible);
        qsizetype elsewhere = 0;
        for (const PieceSupport& piece : result.support.pieces)
            elsewhere += piece.observed ? 0 : 1;
        QVERIFY(elsewhere > 0);
        QCOMPARE(layer.lines.size(), elsewhere);
        QCOMPARE(layer.widths.size(), elsewhere);
        QVERIFY(layer.color.alpha() < 255);
        const qsizetype before = linesDrawn(*window);
        action(*window, QStringLiteral("ShowAllSupportedEdges"))->trigger();
        QVERIFY(window->map()->layer(layerIndex).visible);
        QCOMPARE(linesDrawn(*window), before + elsewhere);
        window->showAllSupportedEdges(false);
        QVERIFY(!action(*window, QStringLiteral("ShowAllSupportedEdges"))->isChecked());
        QCOMPARE(linesDrawn(*window), before);
    }

    void savesTheSupportTableAndNothingOnFailure()
    {
        ScriptedDialogs dialogs;
        const MonmonierResult result = exampleResultWithSupport();
        auto window = makeWindow(result);
        dialogs.saveAnswer = m_saved.filePath(QStringLiteral("support.csv"));
        action(*window, QStringLiteral("SaveSupportTable"))->trigger();
        QCOMPARE(dialogs.dialogTitles, QStringList{QStringLiteral("Save Support Table")});
        QCOMPARE(dialogs.saveFilters.value(0), QStringList{QStringLiteral("CSV table (*.csv)")});
        QCOMPARE(readAll(dialogs.saveAnswer), QByteArray::fromStdString(SupportTable(result)));
        QVERIFY(readAll(dialogs.saveAnswer)
                    .startsWith("name1,x1,y1,name2,x2,y2,mid_x,mid_y,observed,support_any,support_1,support_2\r\n"));
        QCOMPARE(m_state.lastSaveFolder, m_saved.path());

        dialogs.saveAnswer.clear(); // cancelled
        action(*window, QStringLiteral("SaveSupportTable"))->trigger();
        QVERIFY(dialogs.messages.isEmpty());
        const QString unwritable = m_saved.filePath(QStringLiteral("no-such-folder/support.csv"));
        dialogs.saveAnswer = unwritable;
        action(*window, QStringLiteral("SaveSupportTable"))->trigger();
        QVERIFY(!QFile::exists(unwritable));
        QCOMPARE(dialogs.messages, QStringList{QStringLiteral("The support table could not be saved.")});
        QVERIFY(!dialogs.details.constFirst().isEmpty());
    }

    void helpOpensTheMapPageAndTheEditorItsOwn()
    {
        auto window = makeWindow();
        action(*window, QStringLiteral("MonmonierHelp"))->trigger();
        auto* help = window->findChild<HelpWindow*>();
        QVERIFY(help);
        QCOMPARE(help->browser()->source().toString(), QStringLiteral("qrc:/help/monmonier.html"));
        help->close();
        QCOMPARE(helpPageForKeyword(QStringLiteral("Monmonier's Maximum Difference Algorithm")),
                 QStringLiteral("qrc:/help/barrier-editor.html"));
    }
};

TESSALOC_GUI_TEST_MAIN(MonmonierResultsWindowTest)
#include "MonmonierResultsWindowTest.moc"
