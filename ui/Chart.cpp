#include "ui/Chart.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QGraphicsItem>
#include <QHelpEvent>
#include <QLineSeries>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <QSvgGenerator>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace tessaloc::ui {

namespace {

int symbolPixels(int size)
{
    return 2 * size + 1;
}

/// Draws one symbol of `side` pixels across, centred on `centre`, with the painter's pen and brush.
void drawSymbol(QPainter& painter, SymbolShape shape, const QPointF& centre, double side)
{
    const QRectF box(centre.x() - side / 2, centre.y() - side / 2, side, side);
    switch (shape) {
    case SymbolShape::Square:
        painter.drawRect(box);
        break;
    case SymbolShape::Circle:
        painter.drawEllipse(box);
        break;
    case SymbolShape::Triangle:
        painter.drawPolygon(QPolygonF{QPointF(box.center().x(), box.top()), box.bottomRight(), box.bottomLeft()});
        break;
    case SymbolShape::Cross:
        painter.drawLine(box.topLeft(), box.bottomRight());
        painter.drawLine(box.bottomLeft(), box.topRight());
        break;
    }
}

/// Where the value `p` lies in `area`, the plot area of a chart with the axes `x` and `y`.
QPointF valuePosition(const QRectF& area, const QValueAxis& x, const QValueAxis& y, const QPointF& p)
{
    return QPointF(area.left() + (p.x() - x.min()) * area.width() / (x.max() - x.min()),
                   area.bottom() - (p.y() - y.min()) * area.height() / (y.max() - y.min()));
}

} // namespace

/// The points of series 0, drawn over the plot area of the chart in one paint call. On screen
/// each point is a copy of one prepared symbol picture; on printers and in SVG drawings the
/// symbols are drawn as shapes, so that they stay sharp.
class PointLayer : public QGraphicsItem {
public:
    PointLayer(QChart* chart, QValueAxis* axisX, QValueAxis* axisY)
        : QGraphicsItem(chart)
        , m_chart(chart)
        , m_axisX(axisX)
        , m_axisY(axisY)
    {
        // Above the plot area, grid and axes, below the derived line.
        setZValue(3.5);
    }

    void setPoints(const QList<QPointF>* points)
    {
        m_data = points;
        update();
    }
    void setSymbol(SymbolShape shape, int pixels, const QColor& color)
    {
        m_shape = shape;
        m_pixels = pixels;
        m_color = color;
        m_stamp = QPixmap();
        m_hollowStamp = QPixmap();
        update();
    }
    /// Which points are hollow: `hollow` (may be null) holds one flag per point.
    void setHollow(const QList<bool>* hollow)
    {
        m_hollow = hollow;
        update();
    }
    /// The line that joins the points in their order; Qt::NoPen for none.
    void setLine(const QPen& pen)
    {
        m_line = pen;
        update();
    }
    QPen line() const { return m_line; }
    /// The plot area moved or resized.
    void areaChanged()
    {
        prepareGeometryChange();
        update();
    }

    QRectF boundingRect() const override { return m_chart->plotArea(); }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        if (!m_data || m_data->isEmpty())
            return;
        const QRectF area = m_chart->plotArea();
        const double spanX = m_axisX->max() - m_axisX->min();
        const double spanY = m_axisY->max() - m_axisY->min();
        if (!(spanX > 0.0) || !(spanY > 0.0))
            return;
        const auto place = [&](const QPointF& p) { return valuePosition(area, *m_axisX, *m_axisY, p); };
        painter->save();
        painter->setClipRect(area.adjusted(-m_pixels, -m_pixels, m_pixels, m_pixels));
        if (m_line.style() != Qt::NoPen)
            drawLine(*painter, place);
        const bool screen = painter->paintEngine() && painter->paintEngine()->type() == QPaintEngine::Raster &&
                            painter->transform().isIdentity();
        const qsizetype count = m_data->size();
        if (screen) {
            if (m_stamp.isNull())
                m_stamp = stamp(false);
            if (m_hollow && m_hollowStamp.isNull())
                m_hollowStamp = stamp(true);
            const QPointF offset(m_stamp.width() / 2.0, m_stamp.height() / 2.0);
            for (qsizetype i = 0; i < count; ++i)
                painter->drawPixmap(place((*m_data)[i]) - offset, hollow(i) ? m_hollowStamp : m_stamp);
        } else {
            painter->setRenderHint(QPainter::Antialiasing);
            for (qsizetype i = 0; i < count; ++i) {
                preparePainter(*painter, hollow(i));
                drawSymbol(*painter, m_shape, place((*m_data)[i]), m_pixels);
            }
        }
        painter->restore();
    }

private:
    bool hollow(qsizetype index) const { return m_hollow && index < m_hollow->size() && (*m_hollow)[index]; }

    template <typename Place> void drawLine(QPainter& painter, const Place& place) const
    {
        QPolygonF line;
        line.reserve(m_data->size());
        for (const QPointF& p : *m_data)
            line << place(p);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(m_line);
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(line);
    }

    void preparePainter(QPainter& painter, bool hollow) const
    {
        if (m_shape == SymbolShape::Cross) {
            painter.setPen(QPen(m_color, std::max(1.0, m_pixels / 5.0)));
            painter.setBrush(Qt::NoBrush);
        } else if (hollow) {
            // White inside, so that a line joining the points does not run through the symbol.
            painter.setPen(QPen(m_color, 1.0));
            painter.setBrush(Qt::white);
        } else {
            painter.setPen(QPen(m_color, 0.0));
            painter.setBrush(m_color);
        }
    }

    QPixmap stamp(bool hollow) const
    {
        QPixmap picture(m_pixels + 2, m_pixels + 2);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        preparePainter(painter, hollow);
        drawSymbol(painter, m_shape, QPointF(picture.width() / 2.0, picture.height() / 2.0), m_pixels);
        return picture;
    }

    QChart* m_chart;
    QValueAxis* m_axisX;
    QValueAxis* m_axisY;
    const QList<QPointF>* m_data = nullptr;
    const QList<bool>* m_hollow = nullptr;
    QPen m_line = QPen(Qt::NoPen);
    SymbolShape m_shape = SymbolShape::Circle;
    int m_pixels = 7;
    QColor m_color = Qt::blue;
    QPixmap m_stamp;
    QPixmap m_hollowStamp;
};

namespace {

/// The step between ticks from `low` to `high`: 1, 2 or 5 times a power of ten, at most seven
/// intervals.
double niceStep(double low, double high)
{
    const double rough = (high - low) / 7.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    double step = magnitude;
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * magnitude;
        if (step >= rough)
            break;
    }
    return step;
}

/// Sets the axis to a range from `low` to `high` widened to whole steps of 1, 2 or 5 times a power
/// of ten, with at most seven intervals, so that the ticks fall on round numbers.
void setNiceRange(QValueAxis& axis, double low, double high)
{
    const double step = niceStep(low, high);
    const double first = std::floor(low / step) * step;
    const double last = std::ceil(high / step) * step;
    axis.setRange(first, last);
    axis.setTickCount(static_cast<int>(std::lround((last - first) / step)) + 1);
}

/// Sets the axis to exactly `low`..`high`, with ticks at the round numbers inside.
void setFixedRange(QValueAxis& axis, double low, double high)
{
    if (!(high > low)) {
        const double pad = std::abs(low) > 0.0 ? std::abs(low) * 0.05 : 1.0;
        high = low + pad;
    }
    const double step = niceStep(low, high);
    axis.setRange(low, high);
    axis.setTickType(QValueAxis::TicksDynamic);
    axis.setTickAnchor(std::ceil(low / step) * step);
    axis.setTickInterval(step);
}

} // namespace

Chart::Chart(QWidget* parent)
    : QWidget(parent)
    , m_chart(new QChart)
    , m_axisX(new QValueAxis)
    , m_axisY(new QValueAxis)
    , m_symbolColor(Qt::blue)
{
    m_chart->legend()->hide();
    m_chart->setBackgroundBrush(Qt::white);
    m_chart->setBackgroundRoundness(0);
    m_chart->setDropShadowEnabled(false);
    for (QValueAxis* axis : {m_axisX, m_axisY}) {
        axis->setGridLineVisible(false);
        axis->setMinorGridLineVisible(false);
        axis->setLabelFormat(QStringLiteral("%.4g"));
    }
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    m_layer = new PointLayer(m_chart, m_axisX, m_axisY);
    m_layer->setPoints(&m_points);
    m_layer->setHollow(&m_hollow);
    connect(m_chart, &QChart::plotAreaChanged, this, [this] { m_layer->areaChanged(); });
    for (QValueAxis* axis : {m_axisX, m_axisY})
        connect(axis, &QValueAxis::rangeChanged, this, [this] { m_layer->update(); });
    applySymbol();

    m_view = new QChartView(m_chart, this);
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setRubberBand(QChartView::NoRubberBand);
    m_view->setObjectName(QStringLiteral("TChart1View"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
}

void Chart::setTitle(const QString& title)
{
    m_chart->setTitle(title);
}

void Chart::setAxisTitles(const QString& bottom, const QString& left)
{
    m_axisX->setTitleText(bottom);
    m_axisY->setTitleText(left);
}

void Chart::setPoints(const QList<QPointF>& points, const QColor& color)
{
    m_symbolColor = color;
    m_points = points;
    m_hollow.clear();
    m_toolTips.clear();
    applySymbol();
    fitAxes();
}

void Chart::addRegressionLine()
{
    const QList<QPointF>& scatter = m_points;
    if (scatter.size() < 2)
        return;
    double meanX = 0.0;
    double meanY = 0.0;
    for (const QPointF& p : scatter) {
        meanX += p.x();
        meanY += p.y();
    }
    meanX /= static_cast<double>(scatter.size());
    meanY /= static_cast<double>(scatter.size());
    double sxx = 0.0;
    double sxy = 0.0;
    double minX = scatter.front().x();
    double maxX = minX;
    for (const QPointF& p : scatter) {
        sxx += (p.x() - meanX) * (p.x() - meanX);
        sxy += (p.x() - meanX) * (p.y() - meanY);
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
    }
    if (!(sxx > 0.0) || !std::isfinite(sxx) || !std::isfinite(sxy))
        return;
    const double slope = sxy / sxx;
    const double intercept = meanY - slope * meanX;
    if (!m_line) {
        lineSeries()->setName(QStringLiteral("Series1"));
        m_line->setPen(QPen(QColor(200, 0, 0), 2));
    }
    m_line->replace({QPointF(minX, intercept + slope * minX), QPointF(maxX, intercept + slope * maxX)});
    fitAxes();
}

void Chart::clear()
{
    m_points.clear();
    m_hollow.clear();
    m_toolTips.clear();
    m_layer->update();
    if (m_line) {
        m_chart->removeSeries(m_line);
        delete m_line;
        m_line = nullptr;
    }
}

int Chart::seriesCount() const
{
    return m_line ? 2 : 1;
}

int Chart::pointCount(int index) const
{
    return static_cast<int>(points(index).size());
}

QList<QPointF> Chart::points(int index) const
{
    if (index == 0)
        return m_points;
    if (index == 1 && m_line)
        return m_line->points();
    return {};
}

void Chart::setSymbolColor(const QColor& color)
{
    m_symbolColor = color;
    applySymbol();
}

void Chart::setSymbolShape(SymbolShape shape)
{
    m_symbolShape = shape;
    applySymbol();
}

void Chart::setSymbolSize(int size)
{
    m_symbolSize = std::clamp(size, 1, 5);
    applySymbol();
}

void Chart::applySymbol()
{
    m_layer->setSymbol(m_symbolShape, symbolPixels(m_symbolSize), m_symbolColor);
}

void Chart::fitAxes()
{
    if (m_fixedAxes)
        return;
    QList<QPointF> all = m_points;
    if (m_line)
        all += m_line->points();
    if (all.isEmpty())
        return;
    double minX = all.front().x();
    double maxX = minX;
    double minY = all.front().y();
    double maxY = minY;
    for (const QPointF& p : all) {
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    }
    // A little room around the points, and some range when all values are equal.
    // Values that are all non-negative (distances) keep the axis from going below 0.
    const auto widen = [](double& low, double& high) {
        const double span = high - low;
        const double pad = span > 0.0 ? span * 0.05 : (std::abs(low) > 0.0 ? std::abs(low) * 0.05 : 1.0);
        const bool nonNegative = low >= 0.0;
        low -= pad;
        high += pad;
        if (nonNegative && low < 0.0)
            low = 0.0;
    };
    widen(minX, maxX);
    widen(minY, maxY);
    setNiceRange(*m_axisX, minX, maxX);
    setNiceRange(*m_axisY, minY, maxY);
}

QImage Chart::toImage() const
{
    const QSize size = m_view->size().isEmpty() ? QSize(800, 600) : m_view->size();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    render(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

QByteArray Chart::toSvg() const
{
    const QSize size = m_view->size().isEmpty() ? QSize(800, 600) : m_view->size();
    QByteArray svg;
    QBuffer buffer(&svg);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(m_chart->title());
    {
        QPainter painter(&generator);
        render(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    return svg;
}

void Chart::render(QPainter& painter, const QRectF& target) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    // The scene is drawn rather than the view, so that a chart on a page that is not shown (or a
    // window under the offscreen platform) still draws at a sensible size.
    QSizeF sceneSize = m_view->size().isEmpty() ? QSizeF(800, 600) : QSizeF(m_view->size());
    const qreal scale = std::min(target.width() / sceneSize.width(), target.height() / sceneSize.height());
    const QSizeF drawn = sceneSize * scale;
    const QRectF placed(target.topLeft() + QPointF((target.width() - drawn.width()) / 2, 0), drawn);
    m_view->scene()->render(&painter, placed, QRectF(QPointF(0, 0), sceneSize));
}

QLineSeries* Chart::lineSeries()
{
    if (!m_line) {
        m_line = new QLineSeries;
        m_chart->addSeries(m_line);
        m_line->attachAxis(m_axisX);
        m_line->attachAxis(m_axisY);
    }
    return m_line;
}

void Chart::setPointLine(const QPen& pen)
{
    m_layer->setLine(pen);
}

QPen Chart::pointLine() const
{
    return m_layer->line();
}

void Chart::setHollowPoints(const QList<bool>& hollow)
{
    m_hollow = hollow;
    m_layer->update();
}

bool Chart::isHollow(int index) const
{
    return index >= 0 && index < m_hollow.size() && m_hollow[index];
}

void Chart::setPointToolTips(const QStringList& texts)
{
    m_toolTips = texts;
    m_view->viewport()->removeEventFilter(this);
    m_view->viewport()->installEventFilter(this);
}

QPoint Chart::pointPosition(int index) const
{
    if (index < 0 || index >= m_points.size() || !(m_axisX->max() > m_axisX->min()) ||
        !(m_axisY->max() > m_axisY->min()))
        return {};
    const QPointF inChart = valuePosition(m_chart->plotArea(), *m_axisX, *m_axisY, m_points[index]);
    const QPoint inViewport = m_view->mapFromScene(m_chart->mapToScene(inChart));
    return m_view->viewport()->mapTo(this, inViewport);
}

int Chart::pointAt(const QPoint& position) const
{
    // Within the symbol, or a few pixels from a small one, so that the smallest size can be hit.
    const double reach = std::max(symbolPixels(m_symbolSize) / 2.0 + 1.0, 4.0);
    int nearest = -1;
    double nearestDistance = reach * reach;
    for (int i = 0; i < m_points.size(); ++i) {
        const QPointF offset = QPointF(pointPosition(i) - position);
        const double distance = QPointF::dotProduct(offset, offset);
        if (distance <= nearestDistance) {
            nearestDistance = distance;
            nearest = i;
        }
    }
    return nearest;
}

QString Chart::toolTipAt(const QPoint& position) const
{
    if (m_toolTips.isEmpty())
        return {};
    const int index = pointAt(position);
    return index >= 0 && index < m_toolTips.size() ? m_toolTips[index] : QString();
}

bool Chart::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view->viewport() && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString text = toolTipAt(m_view->viewport()->mapTo(this, help->pos()));
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, m_view->viewport());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Chart::setLine(const QList<QPointF>& points, const QPen& pen)
{
    lineSeries()->setPen(pen);
    m_line->replace(points);
    fitAxes();
}

void Chart::setLineColor(const QColor& color)
{
    QPen pen = linePen();
    pen.setColor(color);
    lineSeries()->setPen(pen);
}

void Chart::setLineWidth(int width)
{
    QPen pen = linePen();
    pen.setWidth(width);
    lineSeries()->setPen(pen);
}

void Chart::setLineVisible(bool visible)
{
    lineSeries()->setVisible(visible);
}

QPen Chart::linePen() const
{
    return m_line ? m_line->pen() : QPen();
}

bool Chart::lineVisible() const
{
    return m_line && m_line->isVisible();
}

void Chart::setSeriesTitle(int index, const QString& title)
{
    if (index == 0)
        m_pointsTitle = title;
    else if (index == 1)
        lineSeries()->setName(title);
}

QString Chart::seriesTitle(int index) const
{
    if (index == 0)
        return m_pointsTitle;
    return index == 1 && m_line ? m_line->name() : QString();
}

void Chart::setAxisRanges(double minX, double maxX, double minY, double maxY)
{
    m_fixedAxes = true;
    setFixedRange(*m_axisX, minX, maxX);
    setFixedRange(*m_axisY, minY, maxY);
}

} // namespace tessaloc::ui
