// The chart with many points: density shading chosen by the number of points, the picture it
// draws, the grid that finds the point under the mouse, and the Mantel window's pairs read from
// the result's matrices.
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/mantel/MantelResultsWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/widgets/Chart.h"
#include "ui/widgets/ChartPoints.h"
#include "ui/widgets/PointDensity.h"

#include "analyses/mantel/Mantel.h"

#include <QChart>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QtTest>

#include <cmath>
#include <memory>
#include <random>

using namespace tessaloc;
using namespace tessaloc::ui;
using tessaloc::ui::test::exampleMantelInput;

namespace {

/// The point nearest to `value` as PointIndex::nearest defines it, by looking at every point.
qsizetype nearestByLookingAtAll(const QList<QPointF>& points, const QPointF& value, const QPointF& scale, double reach)
{
    qsizetype best = -1;
    double bestDistance = reach * reach;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const double dx = (points[i].x() - value.x()) * scale.x();
        const double dy = (points[i].y() - value.y()) * scale.y();
        const double distance = dx * dx + dy * dy;
        if (distance < bestDistance || (distance == bestDistance && best < 0)) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

/// `count` points spread over the unit square, from a fixed seed.
QList<QPointF> unitSquarePoints(qsizetype count, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    QList<QPointF> points;
    points.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const double x = unit(generator);
        points.append(QPointF(x, unit(generator)));
    }
    return points;
}

/// A Mantel result of `n` observations whose distances are i + j and i * j.
MantelResult pairResult(int n)
{
    MantelResult result;
    result.geographic = PackedDistances(n);
    result.genetic = PackedDistances(n);
    for (int i = 0; i < n; ++i) {
        result.names.push_back("obs" + std::to_string(i + 1));
        for (int j = i + 1; j < n; ++j) {
            result.geographic.setPair(i, j, i + j);
            result.genetic.setPair(i, j, static_cast<double>(i) * j);
        }
    }
    return result;
}

} // namespace

class ChartDensityTest : public QObject {
    Q_OBJECT

    ProgramState m_state;

private slots:
    void theChartShadesDensityBeyond50000Points_data()
    {
        QTest::addColumn<qsizetype>("points");
        QTest::addColumn<bool>("density");
        QTest::newRow("a few") << qsizetype(10) << false;
        QTest::newRow("50 000") << qsizetype(50000) << false;
        QTest::newRow("50 001") << qsizetype(50001) << true;
        QTest::newRow("200 000") << qsizetype(200000) << true;
    }

    void theChartShadesDensityBeyond50000Points()
    {
        QFETCH(qsizetype, points);
        QFETCH(bool, density);
        Chart chart;
        chart.resize(800, 600);
        chart.show();
        const qsizetype itemsBefore = chart.chart()->scene()->items().size();
        chart.setPoints(unitSquarePoints(points, 3), Qt::blue);
        chart.addRegressionLine();
        QCOMPARE(chart.drawsDensity(), density);
        QCOMPARE(chart.densityLegend().isEmpty(), !density);
        if (density)
            QVERIFY(chart.densityLegend().startsWith(QString::number(points) + QStringLiteral(" points")));
        QCOMPARE(chart.pointCount(0), static_cast<int>(points));
        QCOMPARE(chart.seriesCount(), 2);
        // The symbol commands still act on series 0, and the chart still draws.
        chart.setSymbolShape(SymbolShape::Square);
        chart.setSymbolSize(5);
        QCOMPARE(chart.symbolShape(), SymbolShape::Square);
        QCOMPARE(chart.symbolSize(), 5);
        QVERIFY(!chart.toImage().isNull());
        QVERIFY(chart.toSvg().contains("<svg"));
        const qsizetype added = chart.chart()->scene()->items().size() - itemsBefore;
        QVERIFY2(added < 100, qPrintable(QString::number(added)));
    }

    void aChartOfFewPointsLeavesDensityWhenGivenThem()
    {
        Chart chart;
        chart.setPoints(unitSquarePoints(60000, 4), Qt::blue);
        QVERIFY(chart.drawsDensity());
        chart.setPoints(unitSquarePoints(100, 4), Qt::blue);
        QVERIFY(!chart.drawsDensity());
        chart.setPoints(unitSquarePoints(60000, 4), Qt::blue);
        chart.clear();
        QVERIFY(!chart.drawsDensity());
        QCOMPARE(chart.pointCount(0), 0);
    }

    void countsPointsOnThePixelsTheyFallOn()
    {
        // x 0..10 left to right and y 0..10 bottom to top on 10 x 10 pixels: pixel (c, r) holds
        // x in [c, c + 1) and y in (9 - r, 10 - r]; the far edges fall on the last pixels.
        const PointList points({QPointF(0, 0), QPointF(10, 10), QPointF(5.5, 2.5), QPointF(5.9, 2.1), QPointF(11, 5),
                                QPointF(-0.1, 5), QPointF(std::nan(""), 5)});
        const DensityCounts counted =
            countPointsPerPixel(points, QRectF(QPointF(0, 0), QPointF(10, 10)), QSize(10, 10));
        QCOMPARE(counted.size, QSize(10, 10));
        std::vector<std::uint32_t> expected(100, 0);
        expected[9 * 10 + 0] = 1; // (0, 0): bottom left
        expected[0 * 10 + 9] = 1; // (10, 10): top right
        expected[7 * 10 + 5] = 2; // (5.5, 2.5) and (5.9, 2.1)
        QCOMPARE(counted.counts, expected);
    }

    void shadesEachPixelByTheSymbolsCoveringIt()
    {
        DensityCounts counted{QSize(5, 5), std::vector<std::uint32_t>(25, 0)};
        counted.counts[1 * 5 + 1] = 2; // two points on pixel (1, 1)
        counted.counts[4 * 5 + 4] = 1; // one on the bottom right pixel
        QImage symbol(3, 3, QImage::Format_ARGB32_Premultiplied);
        symbol.fill(Qt::black); // a 3 x 3 square covering its pixels whole
        const DensityPicture picture = shadeDensity(counted, symbol, QColor(0, 0, 200));
        // Half a symbol of room on every side.
        QCOMPARE(picture.image.size(), QSize(7, 7));
        QCOMPARE(picture.offset, QPoint(-1, -1));
        QCOMPARE(picture.maxOverlap, 2.0);
        // By hand: the pair covers the 3 x 3 pixels around (2, 2) of the picture twice, the most
        // of any pixel: full colour. The lone point covers those around (5, 5) once: opacity 0.3,
        // alpha 76.5 of 255.
        for (const QPoint pixel : {QPoint(1, 1), QPoint(2, 2), QPoint(3, 3)}) {
            QCOMPARE(qAlpha(picture.image.pixel(pixel)), 255);
            QCOMPARE(qBlue(picture.image.pixel(pixel)), 200);
        }
        for (const QPoint pixel : {QPoint(4, 4), QPoint(5, 5), QPoint(6, 6)}) {
            const int alpha = qAlpha(picture.image.pixel(pixel));
            QVERIFY2(std::abs(alpha - 76.5) <= 0.5, qPrintable(QString::number(alpha)));
            QCOMPARE(qBlue(picture.image.pixel(pixel)), 200 * alpha / 255);
        }
        for (const QPoint pixel : {QPoint(0, 0), QPoint(4, 3), QPoint(0, 6), QPoint(6, 0)})
            QCOMPARE(qAlpha(picture.image.pixel(pixel)), 0);
    }

    void opacityRisesWithTheLogarithmOfTheOverlap_data()
    {
        QTest::addColumn<double>("overlap");
        QTest::addColumn<double>("maxOverlap");
        QTest::addColumn<double>("opacity");
        // 0.3 + 0.7 log(overlap) / log(max), times the part of the pixel covered (at most 1).
        QTest::newRow("nothing") << 0.0 << 10.0 << 0.0;
        QTest::newRow("half a symbol") << 0.5 << 10.0 << 0.15;
        QTest::newRow("one symbol") << 1.0 << 10.0 << 0.3;
        QTest::newRow("square root of the most") << std::sqrt(10.0) << 10.0 << 0.65;
        QTest::newRow("the most") << 10.0 << 10.0 << 1.0;
        QTest::newRow("lone points only") << 1.0 << 1.0 << 1.0;
    }

    void opacityRisesWithTheLogarithmOfTheOverlap()
    {
        QFETCH(double, overlap);
        QFETCH(double, maxOverlap);
        QFETCH(double, opacity);
        QVERIFY(std::abs(densityOpacity(overlap, maxOverlap) - opacity) < 1e-12);
    }

    void theIndexFindsThePointALookAtEveryPointFinds_data()
    {
        QTest::addColumn<QPointF>("scale");
        QTest::addColumn<double>("reach");
        QTest::newRow("square pixels") << QPointF(8, 8) << 4.5;
        QTest::newRow("stretched across") << QPointF(40, 3) << 6.5;
        QTest::newRow("stretched up") << QPointF(2, 90) << 4.0;
    }

    void theIndexFindsThePointALookAtEveryPointFinds()
    {
        QFETCH(QPointF, scale);
        QFETCH(double, reach);
        // Clustered points on a 100 x 100 field, some of them repeated (ties go to the lower index).
        std::mt19937 generator(11);
        std::normal_distribution<double> spread(0.0, 6.0);
        QList<QPointF> points;
        for (int i = 0; i < 4000; ++i)
            points.append(QPointF(std::clamp(50.0 + spread(generator), 0.0, 100.0),
                                  std::clamp(30.0 + spread(generator) * 0.5, 0.0, 100.0)));
        for (int i = 0; i < 200; ++i)
            points.append(points[i * 7]);
        const PointList list(points);
        const PointIndex index(list);
        QVERIFY(index.columns() > 1 && index.rows() > 1);

        std::uniform_real_distribution<double> field(20.0, 80.0);
        int found = 0;
        for (int q = 0; q < 3000; ++q) {
            // Every third query stands on a point.
            const QPointF value = q % 3 == 0 ? points[q % points.size()] : QPointF(field(generator), field(generator));
            const qsizetype expected = nearestByLookingAtAll(points, value, scale, reach);
            QCOMPARE(index.nearest(list, value, scale, reach), expected);
            found += expected >= 0 ? 1 : 0;
        }
        QVERIFY(found > 1000); // the queries test hits, not only misses
        QCOMPARE(index.nearest(list, QPointF(-50, -50), scale, reach), qsizetype(-1));
    }

    void hoveringOverALargeChartNamesThePointUnderTheMouse()
    {
        // 60 000 points in the unit square and four lone points around it.
        QList<QPointF> points = unitSquarePoints(60000, 9);
        const QList<QPointF> lone{QPointF(3, 3), QPointF(3, 0.5), QPointF(0.5, 3), QPointF(2, 2)};
        points += lone;
        Chart chart;
        chart.resize(800, 600);
        chart.show();
        chart.setPoints(points, Qt::blue);
        chart.setPointToolTips([](qsizetype index) { return QStringLiteral("point %1").arg(index); });
        QVERIFY(chart.drawsDensity());
        for (qsizetype k = 60000; k < points.size(); ++k) {
            const QPoint at = chart.pointPosition(k);
            QCOMPARE(chart.pointAt(at), k);
            QCOMPARE(chart.toolTipAt(at + QPoint(2, -1)), QStringLiteral("point %1").arg(k));
            QVERIFY(chart.toolTipAt(at + QPoint(0, 30)).isEmpty());
        }
        // Among the many, some point within reach of the mouse.
        const QPoint middle = chart.pointPosition(0);
        const qsizetype near = chart.pointAt(middle);
        QVERIFY(near >= 0 && near < 60000);
        QVERIFY((chart.pointPosition(near) - middle).manhattanLength() <= 12);
    }

    void newPointsGiveTheHoverLookupTheirOwnGrid()
    {
        // The grid of the first, many points may still be building when the few replace them.
        Chart chart;
        chart.resize(800, 600);
        chart.show();
        chart.setPoints(unitSquarePoints(60000, 10), Qt::blue);
        const QList<QPointF> few{QPointF(0, 0), QPointF(10, 10), QPointF(5, 2)};
        chart.setPoints(few, Qt::blue);
        for (qsizetype k = 0; k < few.size(); ++k)
            QCOMPARE(chart.pointAt(chart.pointPosition(k)), k);
        chart.setPoints(unitSquarePoints(60000, 10), Qt::blue);
        chart.clear();
        QCOMPARE(chart.pointAt(QPoint(400, 300)), qsizetype(-1));
    }

    void matrixPairsRunInTheReportsOrder_data()
    {
        QTest::addColumn<int>("n");
        for (const int n : {2, 3, 4, 7, 50, 317})
            QTest::addRow("%d observations", n) << n;
    }

    void matrixPairsRunInTheReportsOrder()
    {
        QFETCH(int, n);
        const auto result = std::make_shared<const MantelResult>(pairResult(n));
        const MatrixPairs pairs(std::shared_ptr<const PackedDistances>(result, &result->geographic),
                                std::shared_ptr<const PackedDistances>(result, &result->genetic));
        QCOMPARE(pairs.size(), qsizetype(n) * (n - 1) / 2);
        qsizetype k = 0;
        for (int i = 0; i < n - 1; ++i) {
            for (int j = i + 1; j < n; ++j, ++k) {
                QCOMPARE(pairs.pairOf(k), std::make_pair(i, j));
                QCOMPARE(pairs.at(k), QPointF(i + j, static_cast<double>(i) * j));
            }
        }
        pairs.forEach([&pairs](qsizetype index, const QPointF& p) { QCOMPARE(p, pairs.at(index)); });
    }

    void theMantelWindowShadesDensityFromAbout50000Pairs_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<bool>("density");
        QTest::newRow("316 observations, 49 770 pairs") << 316 << false;
        QTest::newRow("317 observations, 50 086 pairs") << 317 << true;
    }

    void theMantelWindowShadesDensityFromAbout50000Pairs()
    {
        QFETCH(int, n);
        QFETCH(bool, density);
        MantelResultsWindow window(m_state, pairResult(n), nullptr);
        QCOMPARE(window.chart()->drawsDensity(), density);
        QCOMPARE(window.chart()->pointCount(0), n * (n - 1) / 2);
    }

    void theMantelWindowKeepsTheResultsMatricesRatherThanCopies()
    {
        MantelResult result = pairResult(40);
        const double* genetic = result.genetic.values().data();
        const double* geographic = result.geographic.values().data();
        MantelResultsWindow window(m_state, std::move(result), nullptr);
        QCOMPARE(window.result().genetic.values().data(), genetic);
        QCOMPARE(window.result().geographic.values().data(), geographic);
        const QList<QPointF> points = window.chart()->points(0);
        QCOMPARE(points.size(), 40 * 39 / 2);
        QCOMPARE(points.first(), QPointF(1, 0));
        QCOMPARE(points.last(), QPointF(38 + 39, 38.0 * 39));
    }

    void hoveringOverAPairOfTheMantelScatterplotNamesIt()
    {
        const MantelInput input = exampleMantelInput(QStringLiteral("microsatellites"), 9);
        RandomUniform random(3, 5);
        const MantelResult result = RunMantel(input, random, RunListener::none());
        MantelResultsWindow window(m_state, result, nullptr);
        window.resize(800, 600);
        window.show();
        Chart* chart = window.chart();
        const int n = result.sampleCount();
        int named = 0;
        for (qsizetype k = 0; k < chart->pointCount(0); k += 17) {
            const QPoint at = chart->pointPosition(k);
            const qsizetype under = chart->pointAt(at);
            QVERIFY(under >= 0);
            // The pair under the mouse (k or one drawn as near), named as the report names it.
            qsizetype pair = 0;
            int first = 0;
            int second = 0;
            for (int i = 0; i < n - 1; ++i)
                for (int j = i + 1; j < n; ++j, ++pair)
                    if (pair == under) {
                        first = i;
                        second = j;
                    }
            const QString text = chart->toolTipAt(at);
            QVERIFY2(text.startsWith(QString::fromStdString(result.names[static_cast<size_t>(first)] + ", " +
                                                            result.names[static_cast<size_t>(second)] + "\n")),
                     qPrintable(text));
            QVERIFY(text.contains(QStringLiteral("Genetic Distance")));
            ++named;
        }
        QVERIFY(named > 20);
    }
};

TESSALOC_GUI_TEST_MAIN(ChartDensityTest)
#include "ChartDensityTest.moc"
