// The chart's axes: ticks on round numbers, each labelled with its value.
#include "tests/gui/GuiTestSupport.h"

#include "ui/widgets/Chart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QtTest>

using namespace tessaloc::ui;
using tessaloc::ui::test::chartAxis;

namespace {

QStringList tickLabels(const Chart& chart, Qt::Orientation orientation)
{
    auto* axis = qobject_cast<QCategoryAxis*>(chartAxis(chart, orientation));
    return axis ? axis->categoriesLabels() : QStringList{QStringLiteral("not a category axis")};
}

/// The texts the chart draws (no titles are set, so the axes' tick labels).
QStringList drawnTexts(const Chart& chart)
{
    QStringList texts;
    for (const QGraphicsItem* item : chart.chart()->scene()->items())
        if (const auto* text = dynamic_cast<const QGraphicsTextItem*>(item); text && text->isVisible())
            texts << text->toPlainText();
    return texts;
}

} // namespace

class ChartAxisTest : public QObject {
    Q_OBJECT

private slots:
    void theZeroTickReadsZeroWhenAnAxisCrossesZero()
    {
        // Points from x = -0.13 to 0.05 and y = -0.3 to 0.6. Widened by 5 % of their span and rounded
        // out to whole steps (by hand: x -0.139..0.059 in steps of 0.05, y -0.345..0.645 in steps of
        // 0.2). Summed from the lower end, as Qt's own axis does, the ticks at zero came out as
        // -2.776e-17 and 5.551e-17.
        Chart chart;
        chart.resize(640, 480);
        chart.setPoints({QPointF(-0.13, -0.3), QPointF(0.05, 0.6)}, Qt::blue);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        QCOMPARE(tickLabels(chart, Qt::Horizontal), (QStringList{"-0.15", "-0.1", "-0.05", "0", "0.05", "0.1"}));
        QCOMPARE(tickLabels(chart, Qt::Vertical), (QStringList{"-0.4", "-0.2", "0", "0.2", "0.4", "0.6", "0.8"}));
        const QStringList drawn = drawnTexts(chart);
        QVERIFY2(drawn.count(QStringLiteral("0")) == 2, qPrintable(drawn.join(QLatin1Char(' '))));
        for (const QString& text : drawn)
            QVERIFY2(!text.contains(QLatin1Char('e')), qPrintable(text));
    }

    void fixedRangesTickTheRoundNumbersInsideAndZeroReadsZero()
    {
        // -0.35..0.35 in steps of 0.1 (seven intervals at most); from the first tick inside, -0.3,
        // added up step by step, zero came out as -2.776e-17.
        Chart chart;
        chart.setAxisRanges(-0.35, 0.35, 0.0, 4.0);
        QCOMPARE(chartAxis(chart, Qt::Horizontal)->min(), -0.35);
        QCOMPARE(chartAxis(chart, Qt::Horizontal)->max(), 0.35);
        QCOMPARE(tickLabels(chart, Qt::Horizontal), (QStringList{"-0.3", "-0.2", "-0.1", "0", "0.1", "0.2", "0.3"}));
        QCOMPARE(tickLabels(chart, Qt::Vertical), (QStringList{"0", "1", "2", "3", "4"}));
    }

    void neighbouringTicksThatWouldReadAlikeGetMoreDigits()
    {
        // Steps of 0.05 at 1000: four significant digits would read "1000" for three of the ticks.
        Chart chart;
        chart.setAxisRanges(1000.0, 1000.2, 0.0, 1.0);
        QCOMPARE(tickLabels(chart, Qt::Horizontal), (QStringList{"1000", "1000.05", "1000.1", "1000.15", "1000.2"}));
    }
};

TESSALOC_GUI_TEST_MAIN(ChartAxisTest)
#include "ChartAxisTest.moc"
