#pragma once

#include "ui/widgets/Chart.h"
#include "ui/widgets/ChartPoints.h"
#include "ui/widgets/PointDensity.h"

#include <QChart>
#include <QColor>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QImage>
#include <QList>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <functional>

namespace tessaloc::ui {

/// The side, in pixels, of a symbol of the symbol menu's `size`.
int symbolPixels(int size);

/// Room beneath the density legend, in pixels.
inline constexpr double kLegendMargin = 6.0;

/// Draws one symbol of `side` pixels across, centred on `centre`, with the painter's pen and brush.
void drawSymbol(QPainter& painter, SymbolShape shape, const QPointF& centre, double side);

/// Where the value `p` lies in `area`, the plot area of a chart with the axes `x` and `y`.
QPointF valuePosition(const QRectF& area, const QValueAxis& x, const QValueAxis& y, const QPointF& p);

/// The points of series 0, drawn over the plot area of the chart in one paint call. On screen
/// each point is a copy of one prepared symbol picture; on printers and in SVG drawings the
/// symbols are drawn as shapes, so that they stay sharp. In density mode the layer draws a picture
/// of the points shaded by overlap (kept between paints and made again only when the plot area,
/// the axes, the points or the symbol change) and the legend beneath the plot.
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

    void setPoints(const ChartPoints* points, bool density)
    {
        prepareGeometryChange();
        m_data = points;
        m_density = density;
        m_counts = DensityCounts{};
        m_picture = DensityPicture{};
        update();
    }
    void setSymbol(SymbolShape shape, int pixels, const QColor& color)
    {
        m_shape = shape;
        m_pixels = pixels;
        m_color = color;
        m_stamp = QPixmap();
        m_hollowStamp = QPixmap();
        m_picture = DensityPicture{};
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
    /// Called when a density picture was drawn stretched from an earlier size, to have it made
    /// anew a little later (once a resize has come to rest).
    void setRefreshRequest(std::function<void()> request) { m_requestRefresh = std::move(request); }
    /// Makes the density picture anew at the next paint.
    void refresh()
    {
        m_refreshNow = true;
        update();
    }
    void setLegend(const QString& text) { m_legend = text; }

    QRectF boundingRect() const override { return m_density ? m_chart->rect() : m_chart->plotArea(); }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        if (!m_data || m_data->size() == 0)
            return;
        const QRectF area = m_chart->plotArea();
        const double spanX = m_axisX->max() - m_axisX->min();
        const double spanY = m_axisY->max() - m_axisY->min();
        if (!(spanX > 0.0) || !(spanY > 0.0))
            return;
        const auto place = [&](const QPointF& p) { return valuePosition(area, *m_axisX, *m_axisY, p); };
        const bool screen = painter->paintEngine() && painter->paintEngine()->type() == QPaintEngine::Raster &&
                            painter->transform().isIdentity();
        painter->save();
        painter->setClipRect(area.adjusted(-m_pixels, -m_pixels, m_pixels, m_pixels));
        if (m_line.style() != Qt::NoPen)
            drawLine(*painter, place);
        if (m_density) {
            drawDensity(*painter, area, screen);
        } else if (screen) {
            if (m_stamp.isNull())
                m_stamp = stamp(false);
            if (m_hollow && m_hollowStamp.isNull())
                m_hollowStamp = stamp(true);
            const QPointF offset(m_stamp.width() / 2.0, m_stamp.height() / 2.0);
            m_data->forEach([&](qsizetype i, const QPointF& p) {
                painter->drawPixmap(place(p) - offset, hollow(i) ? m_hollowStamp : m_stamp);
            });
        } else {
            painter->setRenderHint(QPainter::Antialiasing);
            m_data->forEach([&](qsizetype i, const QPointF& p) {
                preparePainter(*painter, hollow(i));
                drawSymbol(*painter, m_shape, place(p), m_pixels);
            });
        }
        painter->restore();
        if (m_density)
            drawLegend(*painter, area);
    }

private:
    bool hollow(qsizetype index) const { return m_hollow && index < m_hollow->size() && (*m_hollow)[index]; }

    template <typename Place> void drawLine(QPainter& painter, const Place& place) const
    {
        QPolygonF line;
        line.reserve(m_data->size());
        m_data->forEach([&](qsizetype, const QPointF& p) { line << place(p); });
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(m_line);
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(line);
    }

    /// The values the plot area shows, as countPointsPerPixel takes them.
    QRectF shownValues() const
    {
        return QRectF(QPointF(m_axisX->min(), m_axisY->min()), QPointF(m_axisX->max(), m_axisY->max()));
    }

    void drawDensity(QPainter& painter, const QRectF& area, bool screen)
    {
        // Pixels of the device: a printer page has many more than the screen.
        const QTransform& transform = painter.transform();
        const double scale = std::max(1.0, std::hypot(transform.m11(), transform.m12()));
        const QSize pixels(std::clamp(static_cast<int>(std::lround(area.width() * scale)), 1, kMaxDensityPixels),
                           std::clamp(static_cast<int>(std::lround(area.height() * scale)), 1, kMaxDensityPixels));
        DensityPicture printed;
        const DensityPicture* picture = &printed;
        QSize counted = pixels;
        if (screen) {
            const bool stale = m_counts.size != pixels || m_countedValues != shownValues();
            if (stale && !m_picture.image.isNull() && m_countMilliseconds > kSlowCountMilliseconds && !m_refreshNow) {
                // Counting many points at every step of a resize would make it jerky: the last
                // picture is stretched over the new area until the resize comes to rest.
                counted = m_counts.size;
                picture = &m_picture;
                if (m_requestRefresh)
                    m_requestRefresh();
            } else {
                if (stale) {
                    QElapsedTimer clock;
                    clock.start();
                    m_counts = countPointsPerPixel(*m_data, shownValues(), pixels);
                    m_countedValues = shownValues();
                    m_countMilliseconds = clock.elapsed();
                    m_picture = DensityPicture{};
                }
                if (m_picture.image.isNull())
                    m_picture = shadeDensity(m_counts, symbolPicture(1.0), m_color);
                m_refreshNow = false;
                picture = &m_picture;
            }
        } else {
            printed = shadeDensity(countPointsPerPixel(*m_data, shownValues(), pixels), symbolPicture(scale), m_color);
        }
        const double perX = area.width() / counted.width();
        const double perY = area.height() / counted.height();
        const QRectF target(area.left() + picture->offset.x() * perX, area.top() + picture->offset.y() * perY,
                            picture->image.width() * perX, picture->image.height() * perY);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, picture->image);
        m_legendMaxOverlap = picture->maxOverlap;
    }

    /// The legend beneath the plot: its text, then swatches of the shades of 1, 10, 100, ...
    /// overlapping symbols, as far as the densest place goes.
    void drawLegend(QPainter& painter, const QRectF& area) const
    {
        painter.save();
        const QFont font = m_axisX->labelsFont();
        painter.setFont(font);
        const QFontMetricsF metrics(font);
        const double height = metrics.height();
        const double top = m_chart->rect().bottom() - kLegendMargin - height;
        const double swatch = std::round(height * 0.8);
        std::vector<double> levels;
        for (double level = 1.0; level <= std::max(1.0, m_legendMaxOverlap) && levels.size() < 7; level *= 10.0)
            levels.push_back(level);
        double x = area.left();
        painter.setPen(Qt::black);
        painter.drawText(QPointF(x, top + metrics.ascent()), m_legend);
        x += metrics.horizontalAdvance(m_legend) + swatch / 2;
        for (const double level : levels) {
            const double opacity = densityOpacity(level, m_legendMaxOverlap);
            const QRectF box(x, top + (height - swatch) / 2, swatch, swatch);
            painter.fillRect(box, Qt::white);
            QColor shade = m_color;
            shade.setAlphaF(static_cast<float>(opacity));
            painter.fillRect(box, shade);
            painter.setPen(QColor(160, 160, 160));
            painter.drawRect(box);
            painter.setPen(Qt::black);
            const QString label = QString::number(level, 'f', 0);
            painter.drawText(QPointF(box.right() + 3, top + metrics.ascent()), label);
            x = box.right() + 3 + metrics.horizontalAdvance(label) + swatch;
        }
        painter.restore();
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

    QPixmap stamp(bool hollow) const { return QPixmap::fromImage(symbolPicture(1.0, hollow)); }

    /// One symbol drawn `scale` times its size on a transparent picture of an odd number of pixels
    /// across, centred on the middle pixel.
    QImage symbolPicture(double scale, bool hollow = false) const
    {
        const double side = m_pixels * scale;
        const int size = 2 * static_cast<int>(std::ceil(side / 2.0)) + 1 + 2 * static_cast<int>(std::ceil(scale));
        QImage picture(size, size, QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        preparePainter(painter, hollow);
        drawSymbol(painter, m_shape, QPointF(size / 2.0, size / 2.0) / scale, m_pixels);
        return picture;
    }

    static constexpr int kMaxDensityPixels = 4096;
    static constexpr qint64 kSlowCountMilliseconds = 40;

    QChart* m_chart;
    QValueAxis* m_axisX;
    QValueAxis* m_axisY;
    const ChartPoints* m_data = nullptr;
    const QList<bool>* m_hollow = nullptr;
    QPen m_line = QPen(Qt::NoPen);
    SymbolShape m_shape = SymbolShape::Circle;
    int m_pixels = 7;
    QColor m_color = Qt::blue;
    QPixmap m_stamp;
    QPixmap m_hollowStamp;
    bool m_density = false;
    DensityCounts m_counts;
    QRectF m_countedValues;
    qint64 m_countMilliseconds = 0;
    DensityPicture m_picture;
    bool m_refreshNow = false;
    std::function<void()> m_requestRefresh;
    QString m_legend;
    double m_legendMaxOverlap = 0.0;
};

} // namespace tessaloc::ui
