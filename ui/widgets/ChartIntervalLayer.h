#pragma once

#include <QChart>
#include <QColor>
#include <QGraphicsItem>
#include <QList>
#include <QPen>
#include <QPointF>
#include <QValueAxis>

namespace tessaloc::ui {

/// A vertical bar from `low` to `high` at `x`, as an error bar shows an interval.
struct IntervalBar {
    double x = 0.0;
    double low = 0.0;
    double high = 0.0;
};

/// What a chart draws beneath its points: a shaded band (between a lower and an upper line, joined
/// in the order of their points) and interval bars with short caps. Both are clipped to the plot
/// area and lie above the axes and below the points and the derived line.
class IntervalLayer : public QGraphicsItem {
public:
    IntervalLayer(QChart* chart, QValueAxis* axisX, QValueAxis* axisY);

    /// The band between `lower` and `upper` (the same number of points, in order along x); empty
    /// lists remove it.
    void setBand(const QList<QPointF>& lower, const QList<QPointF>& upper, const QColor& color);
    const QList<QPointF>& bandLower() const { return m_bandLower; }
    const QList<QPointF>& bandUpper() const { return m_bandUpper; }
    QColor bandColor() const { return m_bandColor; }

    /// The bars, drawn in `pen`; an empty list removes them.
    void setBars(const QList<IntervalBar>& bars, const QPen& pen);
    const QList<IntervalBar>& bars() const { return m_bars; }

    /// The plot area moved or resized.
    void areaChanged()
    {
        prepareGeometryChange();
        update();
    }

    QRectF boundingRect() const override { return m_chart->plotArea(); }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;

private:
    QChart* m_chart;
    QValueAxis* m_axisX;
    QValueAxis* m_axisY;
    QList<QPointF> m_bandLower;
    QList<QPointF> m_bandUpper;
    QColor m_bandColor;
    QList<IntervalBar> m_bars;
    QPen m_barPen;
};

} // namespace tessaloc::ui
