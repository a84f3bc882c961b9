#pragma once

#include "ui/widgets/ChartIntervalLayer.h"
#include "ui/widgets/ChartPoints.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QMargins>
#include <QPen>
#include <QPointF>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <future>
#include <memory>

class QChart;
class QChartView;
class QGraphicsTextItem;
class QLineSeries;
class QPainter;
class QPrinter;
class QTimer;
class QCategoryAxis;

namespace tessaloc::ui {

/// The shapes the symbol menus offer.
enum class SymbolShape { Square, Circle, Triangle, Cross };

class PointLayer;

/// The chart of a results window: a 2-D chart on Qt Charts with a title, a bottom and a left axis,
/// a point series (series 0) and, where a window asks for it, a line the chart derives from the
/// points. Legend hidden, grids hidden, white background, no zooming or panning.
///
/// Series 0 is painted by the chart's own point layer in one pass: a scatter series of the chart
/// library makes one graphics item per point and needs minutes for the 125 000 pairs of 500
/// observations. Beyond kDensityThreshold points, where symbols pile up into one solid block, the
/// layer shades the plot by how many symbols cover each pixel, with a legend beneath the plot
/// saying so; the symbol's colour, shape and size still apply. The chart reads the points from
/// where they are kept (ChartPoints) and holds only a picture of them.
class Chart : public QWidget {
    Q_OBJECT
public:
    /// Up to this many points of series 0 are drawn symbol by symbol.
    static constexpr qsizetype kDensityThreshold = 50000;

    explicit Chart(QWidget* parent = nullptr);
    ~Chart() override;

    void setTitle(const QString& title);
    void setAxisTitles(const QString& bottom, const QString& left);

    /// Replaces the points of series 0, drawn in `color`.
    void setPoints(const QList<QPointF>& points, const QColor& color);
    /// The same for points read from `points` (which the chart shares) rather than copied.
    void setPoints(std::shared_ptr<const ChartPoints> points, const QColor& color);
    /// True when series 0 has more than kDensityThreshold points and is drawn shaded by density.
    bool drawsDensity() const;
    /// The legend's text while the chart draws density, else empty.
    QString densityLegend() const;
    /// Adds series 1: the least-squares regression line of y on x through the points of series 0,
    /// drawn across their x range. No line when the x values do not vary (the slope is undefined).
    void addRegressionLine();
    /// Clears series 0 and removes any derived line.
    void clear();

    /// Number of series (series 0, and 1 when a derived line was added).
    int seriesCount() const;
    /// Number of points of series `index`, 0 for a series that does not exist.
    int pointCount(int index) const;
    /// The points of series `index` (a copy: for a few points).
    QList<QPointF> points(int index) const;

    /// Symbol settings of series 0. Sizes run 1..5; a symbol of size s is 2s + 1 pixels across.
    void setSymbolColor(const QColor& color);
    void setSymbolShape(SymbolShape shape);
    void setSymbolSize(int size);
    QColor symbolColor() const { return m_symbolColor; }
    SymbolShape symbolShape() const { return m_symbolShape; }
    int symbolSize() const { return m_symbolSize; }

    /// The chart as a picture of its current size, and as an SVG document.
    QImage toImage() const;
    QByteArray toSvg() const;
    /// Draws the chart into `target` of `painter` (a printer page, an SVG generator).
    void render(QPainter& painter, const QRectF& target) const;

    QChart* chart() const { return m_chart; }

    /// Joins the points of series 0 in their order with a line in `pen`, drawn beneath the symbols
    /// (Qt::NoPen, as at the start: no line).
    void setPointLine(const QPen& pen);
    QPen pointLine() const;
    /// Which points of series 0 are drawn hollow (outlined, white inside) rather than filled, one
    /// entry per point; points without an entry are filled. The symbol menus change both kinds.
    void setHollowPoints(const QList<bool>& hollow);
    bool isHollow(int index) const;
    /// The texts shown when the mouse rests on a point of series 0, one per point; an empty text
    /// shows none.
    void setPointToolTips(const QStringList& texts);
    /// The same with the text of point `index` made when it is needed.
    void setPointToolTips(std::function<QString(qsizetype index)> text);
    /// The point of series 0 drawn under `position` (in this widget's coordinates), the nearest one
    /// where symbols overlap (the lowest index of equally near ones); -1 when there is none. Found
    /// through a grid of the points, built at the first call, or from setPoints on beside the
    /// window's thread when the points are many (a call then waits for it to be ready).
    qsizetype pointAt(const QPoint& position) const;
    /// Where the centre of point `index` of series 0 is drawn, in this widget's coordinates.
    QPoint pointPosition(qsizetype index) const;
    /// The tooltip of the point under `position`, or an empty text.
    QString toolTipAt(const QPoint& position) const;

    /// Makes series 1 a line through `points` in their order (a closed polygon when the last point
    /// repeats the first), drawn in `pen`; it replaces any derived line.
    void setLine(const QList<QPointF>& points, const QPen& pen);
    void setLineColor(const QColor& color);
    void setLineWidth(int width);
    /// Shows or hides series 1; a hidden line keeps its points.
    void setLineVisible(bool visible);
    QPen linePen() const;
    bool lineVisible() const;
    /// The title of series `index` (the chart shows no legend; the title names the series for its
    /// users).
    void setSeriesTitle(int index, const QString& title);
    QString seriesTitle(int index) const;

    /// Shades the band between `lower` and `upper` (as many points each, in order along x) beneath
    /// the points, in `color`; empty lists remove it.
    void setBand(const QList<QPointF>& lower, const QList<QPointF>& upper, const QColor& color);
    QList<QPointF> bandLower() const;
    QList<QPointF> bandUpper() const;
    /// Draws interval bars (a vertical line with caps from low to high at x) beneath the points, in
    /// `pen`; bars with a value that is not finite are left out. An empty list removes them.
    void setIntervalBars(const QList<IntervalBar>& bars, const QPen& pen);
    QList<IntervalBar> intervalBars() const;
    /// A text beneath the plot, across the chart (wrapped to its width): a legend that goes with the
    /// chart into copies and prints. An empty text removes it.
    void setCaption(const QString& text);
    QString caption() const;

    /// Fixes the bottom axis at `minX`..`maxX` and the left axis at `minY`..`maxY`, with ticks at
    /// round numbers inside them; the axes no longer follow the points. An empty range is widened
    /// so that something is shown.
    void setAxisRanges(double minX, double maxX, double minY, double maxY);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applySymbol();
    void fitAxes();
    void updateDensityMode();
    void resetPointIndex();
    void updateBottomMargin();
    QLineSeries* lineSeries();

    QChart* m_chart;
    QChartView* m_view;
    std::shared_ptr<const ChartPoints> m_points;
    PointSummary m_summary;
    mutable std::unique_ptr<const PointIndex> m_index;
    /// The index being built for a chart of many points; taken into m_index when first needed.
    mutable std::future<std::unique_ptr<const PointIndex>> m_indexBuild;
    PointLayer* m_layer;
    IntervalLayer* m_intervals;
    QGraphicsTextItem* m_caption = nullptr;
    QTimer* m_densityRefresh;
    QMargins m_margins;
    QLineSeries* m_line = nullptr;
    QList<bool> m_hollow;
    std::function<QString(qsizetype)> m_toolTip;
    QString m_pointsTitle;
    bool m_fixedAxes = false;
    QCategoryAxis* m_axisX; ///< a value axis whose ticks the chart places itself (see setTicks)
    QCategoryAxis* m_axisY;
    QColor m_symbolColor;
    SymbolShape m_symbolShape = SymbolShape::Circle;
    int m_symbolSize = 3;
};

} // namespace tessaloc::ui
