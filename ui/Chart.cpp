#include "ui/Chart.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QPainter>
#include <QScatterSeries>
#include <QSvgGenerator>
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

/// A cross drawn as the point symbol, since the chart library has no cross shape of its own.
QImage crossSymbol(int pixels, const QColor& color)
{
    const int side = std::max(pixels, 3);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, std::max(1.0, side / 5.0)));
    painter.drawLine(QPointF(0.5, 0.5), QPointF(side - 0.5, side - 0.5));
    painter.drawLine(QPointF(0.5, side - 0.5), QPointF(side - 0.5, 0.5));
    return image;
}

/// Sets the axis to a range from `low` to `high` widened to whole steps of 1, 2 or 5 times a power
/// of ten, with about five intervals, so that the ticks fall on round numbers.
void setNiceRange(QValueAxis& axis, double low, double high)
{
    const double rough = (high - low) / 5.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    double step = magnitude;
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * magnitude;
        if (step >= rough)
            break;
    }
    const double first = std::floor(low / step) * step;
    const double last = std::ceil(high / step) * step;
    axis.setRange(first, last);
    axis.setTickCount(static_cast<int>(std::lround((last - first) / step)) + 1);
}

} // namespace

Chart::Chart(QWidget* parent)
    : QWidget(parent)
    , m_chart(new QChart)
    , m_points(new QScatterSeries)
    , m_axisX(new QValueAxis)
    , m_axisY(new QValueAxis)
    , m_symbolColor(Qt::blue)
{
    m_chart->legend()->hide();
    m_chart->setBackgroundBrush(Qt::white);
    m_chart->setBackgroundRoundness(0);
    m_chart->setDropShadowEnabled(false);
    m_points->setName(QStringLiteral("Series0"));
    m_points->setBorderColor(Qt::transparent);
    m_chart->addSeries(m_points);
    for (QValueAxis* axis : {m_axisX, m_axisY}) {
        axis->setGridLineVisible(false);
        axis->setMinorGridLineVisible(false);
        axis->setLabelFormat(QStringLiteral("%.4g"));
    }
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    m_points->attachAxis(m_axisX);
    m_points->attachAxis(m_axisY);
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
    m_points->replace(points);
    applySymbol();
    fitAxes();
}

void Chart::addRegressionLine()
{
    const QList<QPointF> scatter = m_points->points();
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
        m_line = new QLineSeries;
        m_line->setName(QStringLiteral("Series1"));
        m_line->setPen(QPen(QColor(200, 0, 0), 2));
        m_chart->addSeries(m_line);
        m_line->attachAxis(m_axisX);
        m_line->attachAxis(m_axisY);
    }
    m_line->replace({QPointF(minX, intercept + slope * minX), QPointF(maxX, intercept + slope * maxX)});
    fitAxes();
}

void Chart::clear()
{
    m_points->clear();
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
        return m_points->points();
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
    m_points->setColor(m_symbolColor);
    m_points->setBorderColor(m_symbolColor);
    m_points->setMarkerSize(symbolPixels(m_symbolSize));
    switch (m_symbolShape) {
    case SymbolShape::Square:
        m_points->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
        break;
    case SymbolShape::Circle:
        m_points->setMarkerShape(QScatterSeries::MarkerShapeCircle);
        break;
    case SymbolShape::Triangle:
        m_points->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
        break;
    case SymbolShape::Cross:
        break;
    }
    m_points->setLightMarker(
        m_symbolShape == SymbolShape::Cross ? crossSymbol(symbolPixels(m_symbolSize), m_symbolColor) : QImage());
}

void Chart::fitAxes()
{
    QList<QPointF> all = m_points->points();
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

} // namespace tessaloc::ui
