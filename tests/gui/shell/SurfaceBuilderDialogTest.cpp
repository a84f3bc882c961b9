// "Tools" > "Build Resistance Surface...": the layers and their rules, the preview, saving the
// surface and its report, handing it to the main window, and the messages for what cannot be built.
#include "tests/gui/GuiTestSupport.h"

#include "ui/shell/MainWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/shell/SurfaceBuilderDialog.h"
#include "ui/widgets/SurfacePreview.h"

#include "formats/RasterFile.h"
#include "resistance/GeoDistances.h"
#include "resistance/SurfaceBuilder.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cmath>

using namespace tessaloc;
using namespace tessaloc::ui;
using tessaloc::ui::test::ScriptedDialogs;

namespace {

template <typename T> T* child(const QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// A folder with a land-cover grid of codes 1 and 2 (3 x 2 cells of 10), its class table, and an
// elevation grid on the same cells; ESRI ASCII grids, so no coordinate system.
struct Layers {
    QTemporaryDir folder;
    QString landcover = write("landcover.asc", "ncols 3\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 10\n"
                                               "1 1 2\n2 1 2\n");
    QString elevation = write("elevation.asc", "ncols 3\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 10\n"
                                               "100 150 200\n100 200 200\n");
    QString table = write("landcover.csv", "class,resistance\n1,1\n2,10\n");

    QString write(const QString& name, const QByteArray& content)
    {
        const QString path = folder.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
};

// Adds `file` as a layer through "Add..." and types `rule` for it.
void addLayer(SurfaceBuilderDialog& dialog, ScriptedDialogs& dialogs, const QString& file, const QString& rule)
{
    dialogs.openAnswer = file;
    QTest::mouseClick(child<QPushButton>(dialog, "surfaceAdd"), Qt::LeftButton);
    auto* ruleEdit = child<QLineEdit>(dialog, "surfaceLayerRule");
    ruleEdit->clear();
    QTest::keyClicks(ruleEdit, rule);
}

// Presses `button` and waits until the build it starts has ended.
std::optional<RunOutcome> pressAndWait(SurfaceBuilderDialog& dialog, const char* button)
{
    QSignalSpy finished(&dialog, &SurfaceBuilderDialog::buildFinished);
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
    if (!finished.wait(60000))
        return std::nullopt;
    return finished.takeFirst().at(0).value<RunOutcome>();
}

} // namespace

class SurfaceBuilderDialogTest : public QObject {
    Q_OBJECT

private slots:
    void savesShowsAndHandsTheSurfaceToTheMainWindow()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        MainWindow window(state);
        Layers layers;
        SurfaceBuilderDialog dialog(
            state, [&](const QString& file) { window.useResistanceSurface(file); }, &window);
        dialog.show();
        QVERIFY(!child<QPushButton>(dialog, "surfaceUse")->isEnabled());
        addLayer(dialog, dialogs, layers.landcover, QStringLiteral("classes=") + layers.table);
        addLayer(dialog, dialogs, layers.elevation, QStringLiteral("linear=4"));
        auto* list = child<QListWidget>(dialog, "surfaceLayers");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QStringLiteral("elevation.asc   linear=4"));

        // A name without an ending gets .tif; the report goes beside it.
        dialogs.saveAnswer = layers.folder.filePath(QStringLiteral("surface"));
        QVERIFY(pressAndWait(dialog, "surfaceSave") == RunOutcome::Success);
        QVERIFY(dialogs.messages.isEmpty());
        const QString saved = layers.folder.filePath(QStringLiteral("surface.tif"));
        QCOMPARE(dialog.savedFile(), saved);
        QVERIFY(QFileInfo::exists(layers.folder.filePath(QLatin1String(kSurfaceReportFileName))));
        // Classes 1, 1, 10 / 10, 1, 10 plus linear=4 over 100..200 (1, 3, 5 / 1, 5, 5) less one.
        const RasterFile surface(QFile::encodeName(saved).toStdString(), "surface");
        QCOMPARE(surface.readCells(), (std::vector<double>{1, 3, 14, 10, 5, 14}));

        auto* preview = child<SurfacePreview>(dialog, "surfacePreview");
        QVERIFY(preview->hasSurface());
        QCOMPARE(preview->image().size(), QSize(3, 2));
        QCOMPARE(preview->minimumText(), QStringLiteral("1"));
        QCOMPARE(preview->maximumText(), QStringLiteral("14"));
        // The smallest resistance pale, the largest dark red.
        QCOMPARE(preview->image().pixel(0, 0), SurfacePreview::colourAt(0.0));
        QCOMPARE(preview->image().pixel(2, 0), SurfacePreview::colourAt(1.0));

        // "Use in the analyses": the main window measures least-cost paths over the saved file.
        QVERIFY(child<QPushButton>(dialog, "surfaceUse")->isEnabled());
        QTest::mouseClick(child<QPushButton>(dialog, "surfaceUse"), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>(window, "geoDistanceFile")->text(), QDir::toNativeSeparators(saved));
        QCOMPARE(child<QComboBox>(window, "geoDistanceKind")->currentData().toInt(),
                 static_cast<int>(GeoDistanceKind::LeastCost));
    }

    void circuitResistanceStaysChosenWhenASurfaceIsUsed()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        MainWindow window(state);
        auto* kinds = child<QComboBox>(window, "geoDistanceKind");
        kinds->setCurrentIndex(kinds->findData(static_cast<int>(GeoDistanceKind::Circuit)));
        window.useResistanceSurface(QStringLiteral("new.tif"));
        QCOMPARE(kinds->currentData().toInt(), static_cast<int>(GeoDistanceKind::Circuit));
        QCOMPARE(child<QLineEdit>(window, "geoDistanceFile")->text(), QStringLiteral("new.tif"));
    }

    void layersMoveUpAndDownAndKeepTheirRules()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        Layers layers;
        SurfaceBuilderDialog dialog(state, {});
        addLayer(dialog, dialogs, layers.landcover, QStringLiteral("classes=t.csv"));
        addLayer(dialog, dialogs, layers.elevation, QStringLiteral("ricker=2,10"));
        auto* list = child<QListWidget>(dialog, "surfaceLayers");
        QTest::mouseClick(child<QPushButton>(dialog, "surfaceUp"), Qt::LeftButton);
        QCOMPARE(list->item(0)->text(), QStringLiteral("elevation.asc   ricker=2,10"));
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(child<QLineEdit>(dialog, "surfaceLayerRule")->text(), QStringLiteral("ricker=2,10"));
        QTest::mouseClick(child<QPushButton>(dialog, "surfaceDown"), Qt::LeftButton);
        QCOMPARE(list->item(1)->text(), QStringLiteral("elevation.asc   ricker=2,10"));
        list->setCurrentRow(0);
        QCOMPARE(child<QLineEdit>(dialog, "surfaceLayerRule")->text(), QStringLiteral("classes=t.csv"));
        QTest::mouseClick(child<QPushButton>(dialog, "surfaceRemove"), Qt::LeftButton);
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("elevation.asc   ricker=2,10"));
    }

    void whatCannotBeBuiltShowsAMessageAndWritesNothing()
    {
        const struct {
            const char* name;
            QString rule;    // of the land-cover layer; "@" stands for the folder
            QString output;  // the file the save dialog answers, in the folder
            QString message; // the start of the message
        } cases[] = {
            {"a shape of 0", QStringLiteral("ricker=0,5"), QStringLiteral("out.tif"),
             QStringLiteral("Layer 1 (landcover.asc) has no rule that can be used.")},
            {"no rule", QString(), QStringLiteral("out.tif"),
             QStringLiteral("Layer 1 (landcover.asc) has no rule that can be used.")},
            {"a code missing from the table", QStringLiteral("classes=@/short.csv"), QStringLiteral("out.tif"),
             QStringLiteral("The layer 1 \"")},
            {"the output is the layer", QStringLiteral("linear=1"), QStringLiteral("landcover.asc"),
             QStringLiteral("\"")},
        };
        for (const auto& c : cases) {
            ScriptedDialogs dialogs;
            ProgramState state;
            Layers layers;
            layers.write(QStringLiteral("short.csv"), "class,resistance\n1,1\n");
            SurfaceBuilderDialog dialog(state, {});
            QString rule = c.rule;
            rule.replace(QLatin1Char('@'), layers.folder.path());
            addLayer(dialog, dialogs, layers.landcover, rule);
            dialogs.saveAnswer = layers.folder.filePath(c.output);
            QSignalSpy finished(&dialog, &SurfaceBuilderDialog::buildFinished);
            QTest::mouseClick(child<QPushButton>(dialog, "surfaceSave"), Qt::LeftButton);
            if (dialog.running())
                QVERIFY2(finished.wait(60000), c.name);
            QVERIFY2(dialogs.messages.size() == 1, c.name);
            QVERIFY2(dialogs.messages.front().startsWith(c.message), qPrintable(dialogs.messages.front()));
            QCOMPARE(QDir(layers.folder.path()).entryList(QDir::Files),
                     (QStringList{"elevation.asc", "landcover.asc", "landcover.csv", "short.csv"}));
            QVERIFY(!child<SurfacePreview>(dialog, "surfacePreview")->hasSurface());
            QVERIFY(!child<QPushButton>(dialog, "surfaceUse")->isEnabled());
        }
    }

    void theToolsMenuOpensTheBuilder()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        MainWindow window(state);
        window.show();
        QAction* item = test::menuItem(window, "buildsurface");
        QCOMPARE(item->text(), QStringLiteral("Build Resistance Surface..."));
        QString title;
        QTimer::singleShot(0, [&] {
            if (auto* builder = qobject_cast<SurfaceBuilderDialog*>(QApplication::activeModalWidget())) {
                title = builder->windowTitle();
                builder->reject();
            }
        });
        item->trigger();
        QCOMPARE(title, QStringLiteral("Build Resistance Surface"));
    }
};

TESSALOC_GUI_TEST_MAIN(SurfaceBuilderDialogTest)
#include "SurfaceBuilderDialogTest.moc"
