// The map of the landscape and barrier windows: coordinates, drawing, readout, tooltips, figures.
#include "tests/gui/GuiTestSupport.h"

#include "ui/widgets/MapView.h"

#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessaloc;
using namespace tessaloc::ui;

namespace {

/// A 400 x 200 map over x 0..40 and y 0..20: one unit is 10 pixels either way.
void prepare(MapView& map)
{
    map.resize(400, 200);
    map.setExtents({0.0f, 40.0f, 0.0f, 20.0f});
}

bool redNear(const QImage& image, int x, int y)
{
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QColor c = image.pixelColor(x + dx, y + dy);
            if (c.red() > 200 && c.green() < 80 && c.blue() < 80)
                return true;
        }
    }
    return false;
}

} // namespace

class MapViewTest : public QObject {
    Q_OBJECT
private slots:
    void mapsTheExtentsOntoThePictureWithYUpwards()
    {
        MapView map;
        prepare(map);
        QCOMPARE(map.toWidget({0.0, 20.0}), QPointF(0, 0));
        QCOMPARE(map.toWidget({40.0, 0.0}), QPointF(400, 200));
        QCOMPARE(map.toWidget({5.0, 2.5}), QPointF(50, 175));
        QCOMPARE(map.toMap({50, 175}), QPointF(5.0, 2.5));
    }

    void readoutShowsSinglePrecisionPlainText()
    {
        QCOMPARE(MapView::readoutText({1.5, -0.25}), QStringLiteral("X: 1.5; Y: -0.25"));
        QCOMPARE(MapView::readoutText({1.0 / 3.0, 123456789.0}), QStringLiteral("X: 0.3333333; Y: 1.234568E+08"));
    }

    void drawsVisibleLayersOverTheScaleMark()
    {
        MapView map;
        prepare(map);
        map.addLayer({{QLineF(4, 10, 36, 10)}, Qt::red, 3, true});
        QImage image = map.toImage();
        QVERIFY(redNear(image, 200, 100));
        // The scale mark: 2.5 % in from the lower left corner (10, 195), one tenth of the x range
        // (40 pixels) long, since the top edge 20 lies below the right edge 40.
        QVERIFY(image.pixelColor(45, 195).lightness() < 200);
        QVERIFY(image.pixelColor(10, 160).lightness() < 200);
        QCOMPARE(image.pixelColor(60, 195), QColor(Qt::white));

        map.setLayerStyle(0, Qt::red, 3, false);
        image = map.toImage();
        QVERIFY(!redNear(image, 200, 100));
    }

    void paintingCountsWhatWasDrawn()
    {
        MapView map;
        prepare(map);
        map.addLayer({{QLineF(0, 0, 1, 1), QLineF(1, 1, 2, 0)}, Qt::black, 1, true});
        map.addLayer({{QLineF(0, 0, 2, 0)}, Qt::blue, 3, false});
        map.grab();
        QCOMPARE(map.linesDrawn(), qsizetype(2 + 2));
        map.setLayerStyle(1, Qt::blue, 3, true);
        map.grab();
        QCOMPARE(map.linesDrawn(), qsizetype(2 + 3));
    }

    void linesOfTheirOwnWidthsAndLabelsAreDrawnWithTheLayer()
    {
        MapView map;
        prepare(map);
        MapLayer layer({QLineF(4, 10, 20, 10), QLineF(20, 10, 36, 10)}, Qt::red, 3, true);
        layer.widths = {1.0, 6.0};
        layer.labels = {{QPointF(20, 10), QPointF(20, 15), QStringLiteral("87%")},
                        {QPointF(4, 10), QPointF(4, 10), QStringLiteral("5%")}};
        map.addLayer(layer);
        map.grab();
        QCOMPARE(map.linesDrawn(), qsizetype(2 + 2));
        QCOMPARE(map.labelsDrawn(), qsizetype(2));
        // 10 pixels from (200, 100) towards (200, 50), up the map; without a direction 8 up and right.
        QCOMPARE(map.labelCentre(map.layer(0).labels[0]), QPointF(200, 90));
        QCOMPARE(map.labelCentre(map.layer(0).labels[1]), QPointF(48, 92));
        // The wide line reaches 3 pixels from its axis; the thin one does not.
        const QImage image = map.toImage();
        QVERIFY(redNear(image, 300, 97));
        QVERIFY(!redNear(image, 100, 96));

        map.setLayerStyle(0, Qt::red, 3, false);
        map.grab();
        QCOMPARE(map.labelsDrawn(), qsizetype(0));
    }

    void tooltipNamesEveryObservationAtTheNearestLocation()
    {
        MapView map;
        prepare(map);
        map.setSamples({"a", "b", "c"}, {5.0, 5.0, 15.0}, {5.0, 5.0, 5.0});
        QCOMPARE(map.samplesNear({52, 149}), QStringList({"a", "b"}));
        QCOMPARE(map.samplesNear({148, 150}), QStringList({"c"}));
        QVERIFY(map.samplesNear({100, 150}).isEmpty());
    }

    void savesAFigureThatReadsBackAndLeavesNothingOnFailure()
    {
        QTemporaryDir folder;
        MapView map;
        prepare(map);
        map.addLayer({{QLineF(4, 10, 36, 10)}, Qt::red, 3, true});

        const QString svg = folder.filePath(QStringLiteral("map.svg"));
        QVERIFY(map.saveFigure(svg));
        QSvgRenderer renderer(svg);
        QVERIFY(renderer.isValid());
        QCOMPARE(renderer.viewBox(), QRect(0, 0, 400, 200));

        const QString png = folder.filePath(QStringLiteral("map.png"));
        QVERIFY(map.saveFigure(png));
        QVERIFY(redNear(QImage(png), 200, 100));

        const QString pdf = folder.filePath(QStringLiteral("map.pdf"));
        QVERIFY(map.saveFigure(pdf));
        QFile written(pdf);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.read(5) == "%PDF-");

        QString error;
        const QString missing = folder.filePath(QStringLiteral("no-such-folder/map.svg"));
        QVERIFY(!map.saveFigure(missing, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFileInfo::exists(missing));
    }
};

TESSALOC_GUI_TEST_MAIN(MapViewTest)
#include "MapViewTest.moc"
