#include "ui/widgets/RasterMapView.h"

#include "core/NumberText.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessaloc::ui {
namespace {

constexpr double kBarWidth = 18.0;
constexpr double kBarSpace = 90.0; // the bar, its ticks and their texts
constexpr double kMargin = 6.0;
constexpr double kZoomStep = 1.5;

// A ramp from dark blue through teal and green to yellow: dark where little flows, bright along
// the corridors, and readable in grey.
QColor rampColor(double t)
{
    static constexpr std::array<std::array<double, 3>, 5> kStops{{
        {13, 8, 135},
        {33, 102, 172},
        {32, 164, 134},
        {137, 213, 72},
        {253, 231, 37},
    }};
    t = std::clamp(t, 0.0, 1.0) * (kStops.size() - 1);
    const auto low = std::min(static_cast<size_t>(t), kStops.size() - 2);
    const double f = t - static_cast<double>(low);
    auto mix = [&](int channel) {
        return static_cast<int>(std::lround(kStops[low][channel] * (1.0 - f) + kStops[low + 1][channel] * f));
    };
    return QColor(mix(0), mix(1), mix(2));
}

QString tickText(double value)
{
    return QString::fromStdString(plainTextSingle(static_cast<float>(value)));
}

} // namespace

RasterMapView::RasterMapView(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setMinimumSize(320, 240);
    setAutoFillBackground(false);
}

void RasterMapView::setRaster(int columns, int rows, std::vector<double> values, const std::array<double, 6>& transform)
{
    m_columns = columns;
    m_rows = rows;
    m_values = std::move(values);
    m_transform = transform;
    m_visible = QRectF(0, 0, columns, rows);
    rebuildImage();
}

double RasterMapView::valueAt(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return std::numeric_limits<double>::quiet_NaN();
    return m_values[static_cast<size_t>(row) * static_cast<size_t>(m_columns) + static_cast<size_t>(column)];
}

void RasterMapView::setPoints(const std::vector<double>& x, const std::vector<double>& y)
{
    m_points.clear();
    for (size_t k = 0; k < x.size() && k < y.size(); ++k)
        m_points.emplace_back((x[k] - m_transform[0]) / m_transform[1], (y[k] - m_transform[3]) / m_transform[5]);
    update();
}

void RasterMapView::setPointColor(const QColor& color)
{
    m_pointColor = color;
    update();
}

void RasterMapView::setLogScale(bool logScale)
{
    if (m_logScale == logScale)
        return;
    m_logScale = logScale;
    rebuildImage();
}

void RasterMapView::setBarTitle(const QString& title)
{
    m_barTitle = title;
    update();
}

QColor RasterMapView::colorOf(double value) const
{
    if (std::isnan(value))
        return palette().color(QPalette::Base);
    double t = 0.0;
    if (m_logScale) {
        if (value > 0.0 && m_high > m_low)
            t = (std::log10(value) - std::log10(m_low)) / (std::log10(m_high) - std::log10(m_low));
        else if (value > 0.0)
            t = 1.0;
    } else if (m_high > m_low) {
        t = (value - m_low) / (m_high - m_low);
    } else {
        t = 1.0;
    }
    return rampColor(t);
}

void RasterMapView::rebuildImage()
{
    m_low = std::numeric_limits<double>::infinity();
    m_high = -m_low;
    for (const double value : m_values) {
        if (std::isnan(value) || (m_logScale && value <= 0.0))
            continue;
        m_low = std::min(m_low, value);
        m_high = std::max(m_high, value);
    }
    if (m_low > m_high)
        m_low = m_high = m_logScale ? 1.0 : 0.0;
    m_image = QImage(std::max(1, m_columns), std::max(1, m_rows), QImage::Format_ARGB32);
    m_image.fill(Qt::transparent);
    for (int row = 0; row < m_rows; ++row) {
        auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(row));
        for (int column = 0; column < m_columns; ++column) {
            const double value = valueAt(row, column);
            line[column] = std::isnan(value) ? qRgba(0, 0, 0, 0) : colorOf(value).rgb();
        }
    }
    update();
}

RasterMapView::Layout RasterMapView::layout(const QRectF& target) const
{
    Layout result;
    const QRectF inner = target.adjusted(kMargin, kMargin, -kMargin, -kMargin);
    result.map = QRectF(inner.left(), inner.top(), std::max(1.0, inner.width() - kBarSpace), inner.height());
    result.bar = QRectF(result.map.right() + 12.0, inner.top() + 20.0, kBarWidth, std::max(1.0, inner.height() - 40.0));
    const double width = std::max(m_visible.width(), 1e-9);
    const double height = std::max(m_visible.height(), 1e-9);
    result.cellSize = std::min(result.map.width() / width, result.map.height() / height);
    result.origin = QPointF(result.map.left() + (result.map.width() - width * result.cellSize) / 2.0,
                            result.map.top() + (result.map.height() - height * result.cellSize) / 2.0);
    return result;
}

std::optional<std::pair<int, int>> RasterMapView::cellAt(const QPointF& position) const
{
    const Layout place = layout(QRectF(rect()));
    const QPointF cell = m_visible.topLeft() + (position - place.origin) / place.cellSize;
    const auto column = static_cast<int>(std::floor(cell.x()));
    const auto row = static_cast<int>(std::floor(cell.y()));
    if (!place.map.contains(position) || row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return std::nullopt;
    return std::make_pair(row, column);
}

void RasterMapView::draw(QPainter& painter, const QRectF& target) const
{
    painter.save();
    painter.fillRect(target, palette().color(QPalette::Base));
    const Layout place = layout(target);
    painter.setClipRect(place.map);
    const QRectF drawn(place.origin - m_visible.topLeft() * place.cellSize,
                       QSizeF(m_columns * place.cellSize, m_rows * place.cellSize));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(drawn, m_image);

    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(m_pointColor);
    for (const QPointF& point : m_points) {
        const QPointF at = place.origin + (point - m_visible.topLeft()) * place.cellSize;
        painter.drawEllipse(at, 3.5, 3.5);
    }
    painter.setClipping(false);

    // The colour bar: the ramp from its low end at the bottom to its high end at the top, with the
    // values at both ends and in the middle of the scale.
    const QRectF& bar = place.bar;
    const int steps = std::max(2, static_cast<int>(bar.height()));
    for (int step = 0; step < steps; ++step) {
        const double t = 1.0 - (step + 0.5) / steps;
        const QRectF band(bar.left(), bar.top() + bar.height() * step / steps, bar.width(), bar.height() / steps + 0.5);
        painter.fillRect(band, rampColor(t));
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(palette().color(QPalette::Text), 1.0));
    painter.drawRect(bar);
    const double middle = m_logScale && m_low > 0.0 ? std::sqrt(m_low * m_high) : (m_low + m_high) / 2.0;
    const std::array<std::pair<double, double>, 3> ticks{
        {{m_high, bar.top()}, {middle, bar.center().y()}, {m_low, bar.bottom()}}};
    for (const auto& [value, y] : ticks) {
        painter.drawLine(QPointF(bar.right(), y), QPointF(bar.right() + 4.0, y));
        painter.drawText(QRectF(bar.right() + 6.0, y - 10.0, kBarSpace, 20.0), Qt::AlignLeft | Qt::AlignVCenter,
                         tickText(value));
    }
    painter.drawText(QRectF(bar.left() - 12.0, target.top() + kMargin, kBarSpace, 16.0),
                     Qt::AlignLeft | Qt::AlignVCenter, m_barTitle + (m_logScale ? QStringLiteral(", log") : QString()));
    painter.restore();
}

void RasterMapView::render(QPainter& painter, const QRectF& target) const
{
    draw(painter, target);
}

bool RasterMapView::saveFigure(const QString& fileName, QString* error) const
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    const QSize figureSize = size().isEmpty() ? QSize(800, 600) : size();
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    bool drawn = true;
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator generator;
        generator.setOutputDevice(&file);
        generator.setSize(figureSize);
        generator.setViewBox(QRect(QPoint(0, 0), figureSize));
        generator.setTitle(QStringLiteral("Map"));
        QPainter painter;
        drawn = painter.begin(&generator);
        if (drawn)
            draw(painter, QRectF(QPointF(0, 0), figureSize));
    } else if (suffix == QLatin1String("pdf")) {
        QPdfWriter writer(&file);
        writer.setResolution(72);
        writer.setPageSize(QPageSize(QSizeF(figureSize), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        drawn = painter.begin(&writer);
        if (drawn)
            draw(painter, QRectF(QPointF(0, 0), figureSize));
    } else {
        QImage picture(figureSize, QImage::Format_ARGB32);
        QPainter painter(&picture);
        draw(painter, QRectF(QPointF(0, 0), figureSize));
        painter.end();
        const QByteArray format = suffix.isEmpty() ? QByteArray("PNG") : suffix.toLatin1();
        drawn = picture.save(&file, format.constData());
    }
    if (!drawn) {
        file.cancelWriting();
        if (error)
            *error = QStringLiteral("the map could not be drawn as %1").arg(suffix.isEmpty() ? "PNG" : suffix);
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

void RasterMapView::zoomAbout(const QPointF& cellPoint, double factor)
{
    const double width = std::clamp(m_visible.width() / factor, 2.0, std::max(2.0, static_cast<double>(m_columns)));
    const double height = m_visible.height() * width / m_visible.width();
    const double fx = (cellPoint.x() - m_visible.left()) / m_visible.width();
    const double fy = (cellPoint.y() - m_visible.top()) / m_visible.height();
    m_visible = QRectF(cellPoint.x() - fx * width, cellPoint.y() - fy * height, width, height);
    update();
}

void RasterMapView::zoomIn()
{
    zoomAbout(m_visible.center(), kZoomStep);
}

void RasterMapView::zoomOut()
{
    zoomAbout(m_visible.center(), 1.0 / kZoomStep);
}

void RasterMapView::showWhole()
{
    m_visible = QRectF(0, 0, m_columns, m_rows);
    update();
}

void RasterMapView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    draw(painter, QRectF(rect()));
}

void RasterMapView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragFrom) {
        const Layout place = layout(QRectF(rect()));
        const QPointF moved = (event->position() - *m_dragFrom) / place.cellSize;
        m_visible.translate(-moved);
        m_dragFrom = event->position();
        update();
    }
    if (const auto cell = cellAt(event->position()))
        emit cellHovered(cell->first, cell->second);
    else
        emit cellHovered(-1, -1);
}

void RasterMapView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragFrom = event->position();
}

void RasterMapView::mouseReleaseEvent(QMouseEvent*)
{
    m_dragFrom.reset();
}

void RasterMapView::leaveEvent(QEvent*)
{
    emit cellHovered(-1, -1);
}

void RasterMapView::wheelEvent(QWheelEvent* event)
{
    const Layout place = layout(QRectF(rect()));
    const QPointF cellPoint = m_visible.topLeft() + (event->position() - place.origin) / place.cellSize;
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0.0)
        zoomAbout(cellPoint, std::pow(kZoomStep, steps));
    event->accept();
}

} // namespace tessaloc::ui
