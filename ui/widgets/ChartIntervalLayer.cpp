#include "ui/widgets/ChartIntervalLayer.h"

#include "ui/widgets/ChartPointLayer.h"

#include <QPainter>
#include <QPolygonF>

#include <cmath>

namespace tessaloc::ui {

namespace {

/// Half the width of a bar's caps, in pixels.
constexpr double kCapHalfWidth = 4.0;

} // namespace

IntervalLayer::IntervalLayer(QChart* chart, QValueAxis* axisX, QValueAxis* axisY)
    : QGraphicsItem(chart)
    , m_chart(chart)
    , m_axisX(axisX)
    , m_axisY(axisY)
{
    // Above the axes (3), below the points (3.5) and the chart's own series (4).
    setZValue(3.2);
}

void IntervalLayer::setBand(const QList<QPointF>& lower, const QList<QPointF>& upper, const QColor& color)
{
    m_bandLower = lower;
    m_bandUpper = upper;
    m_bandColor = color;
    update();
}

void IntervalLayer::setBars(const QList<IntervalBar>& bars, const QPen& pen)
{
    m_bars = bars;
    m_barPen = pen;
    update();
}

void IntervalLayer::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const QRectF area = m_chart->plotArea();
    if (!(m_axisX->max() > m_axisX->min()) || !(m_axisY->max() > m_axisY->min()))
        return;
    const auto place = [&](const QPointF& p) { return valuePosition(area, *m_axisX, *m_axisY, p); };
    painter->save();
    painter->setClipRect(area);
    painter->setRenderHint(QPainter::Antialiasing);
    if (!m_bandLower.isEmpty() && m_bandLower.size() == m_bandUpper.size()) {
        QPolygonF band;
        for (const QPointF& p : m_bandUpper)
            band << place(p);
        for (auto p = m_bandLower.crbegin(); p != m_bandLower.crend(); ++p)
            band << place(*p);
        painter->setPen(Qt::NoPen);
        painter->setBrush(m_bandColor);
        painter->drawPolygon(band);
    }
    painter->setPen(m_barPen);
    painter->setBrush(Qt::NoBrush);
    for (const IntervalBar& bar : m_bars) {
        if (!std::isfinite(bar.x) || !std::isfinite(bar.low) || !std::isfinite(bar.high))
            continue;
        const QPointF top = place(QPointF(bar.x, bar.high));
        const QPointF bottom = place(QPointF(bar.x, bar.low));
        painter->drawLine(top, bottom);
        painter->drawLine(top - QPointF(kCapHalfWidth, 0), top + QPointF(kCapHalfWidth, 0));
        painter->drawLine(bottom - QPointF(kCapHalfWidth, 0), bottom + QPointF(kCapHalfWidth, 0));
    }
    painter->restore();
}

} // namespace tessaloc::ui
