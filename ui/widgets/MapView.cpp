#include "ui/widgets/MapView.h"

#include "core/NumberText.h"

#include <QFileInfo>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace tessaloc::ui {

namespace {

/// The width of an extent, or 1 when it has none, so that a map of one location still draws.
double span(float low, float high)
{
    const double width = static_cast<double>(high) - static_cast<double>(low);
    return width > 0.0 && std::isfinite(width) ? width : 1.0;
}

/// Maps map coordinates onto a target rectangle: x to the right, y upwards.
struct MapTransform {
    MapTransform(const MapExtents& extents, const QRectF& target)
        : minX(extents.MapMinX)
        , maxY(extents.MapMaxY)
        , scaleX(target.width() / span(extents.MapMinX, extents.MapMaxX))
        , scaleY(target.height() / span(extents.MapMinY, extents.MapMaxY))
        , left(target.left())
        , top(target.top())
    {
    }

    QPointF operator()(double x, double y) const { return {left + (x - minX) * scaleX, top + (maxY - y) * scaleY}; }
    QLineF operator()(const QLineF& line) const
    {
        return {(*this)(line.x1(), line.y1()), (*this)(line.x2(), line.y2())};
    }

    double minX;
    double maxY;
    double scaleX;
    double scaleY;
    double left;
    double top;
};

QString text(float value)
{
    return QString::fromStdString(plainTextSingle(value));
}

// A label's text centred `distance` pixels from its place, towards its other point.
QPointF labelCentreOn(const MapTransform& transform, const MapLabel& label)
{
    const QPointF at = transform(label.at.x(), label.at.y());
    const QPointF direction = transform(label.toward.x(), label.toward.y()) - at;
    const double length = std::hypot(direction.x(), direction.y());
    if (!(length > 0.5) || !std::isfinite(length))
        return at + QPointF(8, -8);
    return at + direction * (10.0 / length);
}

} // namespace

MapView::MapView(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
    setAccessibleName(QStringLiteral("Map"));
}

void MapView::setExtents(const MapExtents& extents)
{
    m_extents = extents;
    update();
}

int MapView::addLayer(const MapLayer& layer)
{
    m_layers.push_back(layer);
    update();
    return layerCount() - 1;
}

void MapView::setLayerStyle(int index, const QColor& color, int width, bool visible)
{
    MapLayer& changed = layer(index);
    changed.color = color;
    changed.width = width;
    changed.visible = visible;
    update();
}

void MapView::clearLayers()
{
    m_layers.clear();
    update();
}

void MapView::setBackground(const QColor& color)
{
    m_background = color;
    update();
}

void MapView::setSamples(const QStringList& names, const std::vector<double>& x, const std::vector<double>& y)
{
    // Observations sampled at one place share one entry, in the order of their first appearance.
    m_locations.clear();
    std::map<std::pair<double, double>, size_t> index;
    const size_t count = std::min({static_cast<size_t>(names.size()), x.size(), y.size()});
    for (size_t i = 0; i < count; ++i) {
        const auto [at, added] = index.emplace(std::make_pair(x[i], y[i]), m_locations.size());
        if (added)
            m_locations.push_back({x[i], y[i], {}});
        m_locations[at->second].names.push_back(names[static_cast<qsizetype>(i)]);
    }
}

QStringList MapView::samplesNear(const QPointF& position, double radius) const
{
    const Location* nearest = nullptr;
    double best = radius * radius;
    const MapTransform transform(m_extents, rect());
    for (const Location& location : m_locations) {
        const QPointF offset = transform(location.x, location.y) - position;
        const double distance = offset.x() * offset.x() + offset.y() * offset.y();
        if (distance <= best) {
            best = distance;
            nearest = &location;
        }
    }
    return nearest ? nearest->names : QStringList();
}

QPointF MapView::toMap(const QPointF& position) const
{
    const MapTransform transform(m_extents, rect());
    return {transform.minX + (position.x() - transform.left) / transform.scaleX,
            transform.maxY - (position.y() - transform.top) / transform.scaleY};
}

QPointF MapView::toWidget(const QPointF& point) const
{
    return MapTransform(m_extents, rect())(point.x(), point.y());
}

QPointF MapView::labelCentre(const MapLabel& label) const
{
    return labelCentreOn(MapTransform(m_extents, rect()), label);
}

MapView::Drawn MapView::draw(QPainter& painter, const QRectF& target) const
{
    painter.save();
    painter.setClipRect(target);
    painter.fillRect(target, m_background);
    const MapTransform transform(m_extents, target);

    const ScaleMark mark = MapScaleMark(m_extents);
    painter.setPen(QPen(Qt::black, 1));
    const QLineF markLines[] = {
        transform(QLineF(mark.x0, mark.y0, mark.x0, static_cast<double>(mark.y0) + mark.length)),
        transform(QLineF(mark.x0, mark.y0, static_cast<double>(mark.x0) + mark.length, mark.y0)),
    };
    painter.drawLines(markLines, 2);
    Drawn drawn{2, 0};

    // Each layer is mapped into one buffer and drawn with one call: 150 000 lines of a large
    // triangulation then paint in a few milliseconds. Lines of widths of their own (a barrier's
    // support) are few and take a pen each.
    QList<QLineF> mapped;
    QFont labelFont = painter.font();
    labelFont.setPixelSize(10);
    for (const MapLayer& layer : m_layers) {
        if (!layer.visible)
            continue;
        mapped.resize(layer.lines.size());
        std::transform(layer.lines.cbegin(), layer.lines.cend(), mapped.begin(), transform);
        if (layer.widths.size() == layer.lines.size() && !layer.widths.isEmpty()) {
            for (qsizetype line = 0; line < mapped.size(); ++line) {
                painter.setPen(QPen(layer.color, layer.widths[line], Qt::SolidLine, Qt::RoundCap));
                painter.drawLine(mapped[line]);
            }
        } else if (!mapped.isEmpty()) {
            painter.setPen(QPen(layer.color, layer.width, Qt::SolidLine, Qt::RoundCap));
            painter.drawLines(mapped);
        }
        drawn.lines += mapped.size();
        if (layer.labels.isEmpty())
            continue;
        painter.setPen(layer.color);
        painter.setFont(labelFont);
        for (const MapLabel& label : layer.labels) {
            const QPointF centre = labelCentreOn(transform, label);
            painter.drawText(QRectF(centre - QPointF(30, 8), QSizeF(60, 16)), Qt::AlignCenter, label.text);
        }
        drawn.labels += layer.labels.size();
    }
    painter.restore();
    return drawn;
}

void MapView::render(QPainter& painter, const QRectF& target) const
{
    draw(painter, target);
}

QImage MapView::toImage(std::optional<QSize> size) const
{
    QImage image(size.value_or(this->size()), QImage::Format_RGB32);
    image.fill(m_background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter, QRectF(QPointF(0, 0), image.size()));
    return image;
}

bool MapView::saveFigure(const QString& fileName, QString* error) const
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
        // One pixel of the window is one point of the page, so line widths keep their look.
        QPdfWriter writer(&file);
        writer.setResolution(72);
        writer.setPageSize(QPageSize(QSizeF(figureSize), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        drawn = painter.begin(&writer);
        if (drawn)
            draw(painter, QRectF(QPointF(0, 0), figureSize));
    } else {
        const QByteArray format = suffix.isEmpty() ? QByteArray("PNG") : suffix.toLatin1();
        drawn = toImage(figureSize).save(&file, format.constData());
    }
    if (!drawn) {
        file.cancelWriting();
        if (error)
            *error = QStringLiteral("the figure could not be drawn as %1").arg(suffix.isEmpty() ? "PNG" : suffix);
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

QString MapView::readoutText(const QPointF& point)
{
    return QStringLiteral("X: ") + text(static_cast<float>(point.x())) + QStringLiteral("; Y: ") +
           text(static_cast<float>(point.y()));
}

void MapView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const Drawn drawn = draw(painter, rect());
    m_linesDrawn = drawn.lines;
    m_labelsDrawn = drawn.labels;
}

void MapView::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved(toMap(event->position()));
    QWidget::mouseMoveEvent(event);
}

void MapView::leaveEvent(QEvent* event)
{
    emit mouseLeft();
    QWidget::leaveEvent(event);
}

bool MapView::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QStringList names = samplesNear(help->pos());
        if (names.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), names.join(QStringLiteral(", ")), this);
        return true;
    }
    return QWidget::event(event);
}

} // namespace tessaloc::ui
