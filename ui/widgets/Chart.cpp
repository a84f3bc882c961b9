#include "ui/widgets/Chart.h"

#include "ui/widgets/ChartPointLayer.h"
#include "ui/widgets/ChartPoints.h"

#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QGraphicsTextItem>
#include <QHelpEvent>
#include <QLineSeries>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <QSet>
#include <QSvgGenerator>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace tessaloc::ui {

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

/// Puts the axis's ticks at the whole multiples of `step` from `low` to `high`, each labelled with
/// its value (at most four significant digits, more where neighbours would read alike). Each value is
/// k times the step, so the tick at zero is 0 itself and reads "0"; Qt's own value axis adds the step
/// up from an end of the axis and puts it a rounding error away ("-1.11e-16").
void setTicks(QCategoryAxis& axis, double low, double high, double step)
{
    for (const QString& label : axis.categoriesLabels())
        axis.remove(label);
    const double first = std::ceil(low / step);
    const double last = std::floor(high / step);
    QList<double> values;
    for (double k = first; k <= last; ++k)
        values << k * step + 0.0; // + 0.0: a negative zero reads "0" too
    // The labels are the categories' names, which must differ.
    QStringList labels;
    for (int digits = 4; digits <= 17; ++digits) {
        labels.clear();
        for (const double value : values)
            labels << QString::asprintf("%.*g", digits, value);
        if (QSet<QString>(labels.begin(), labels.end()).size() == labels.size())
            break;
    }
    // A category ends at its tick; the first one starts below the axis, so that a tick can stand on
    // the axis's lower end.
    axis.setStartValue(low - step);
    for (qsizetype i = 0; i < values.size(); ++i)
        axis.append(labels[i], values[i]);
}

/// Sets the axis to a range from `low` to `high` widened to whole steps of 1, 2 or 5 times a power
/// of ten, with at most seven intervals, so that the ticks fall on round numbers.
void setNiceRange(QCategoryAxis& axis, double low, double high)
{
    const double step = niceStep(low, high);
    const double first = std::floor(low / step) * step;
    const double last = std::ceil(high / step) * step;
    axis.setRange(first, last);
    setTicks(axis, first, last, step);
}

/// Sets the axis to exactly `low`..`high`, with ticks at the round numbers inside.
void setFixedRange(QCategoryAxis& axis, double low, double high)
{
    if (!(high > low)) {
        const double pad = std::abs(low) > 0.0 ? std::abs(low) * 0.05 : 1.0;
        high = low + pad;
    }
    axis.setRange(low, high);
    setTicks(axis, low, high, niceStep(low, high));
}

} // namespace

Chart::Chart(QWidget* parent)
    : QWidget(parent)
    , m_chart(new QChart)
    , m_axisX(new QCategoryAxis)
    , m_axisY(new QCategoryAxis)
    , m_symbolColor(Qt::blue)
{
    m_chart->legend()->hide();
    m_chart->setBackgroundBrush(Qt::white);
    m_chart->setBackgroundRoundness(0);
    m_chart->setDropShadowEnabled(false);
    m_margins = m_chart->margins();
    for (QCategoryAxis* axis : {m_axisX, m_axisY}) {
        axis->setGridLineVisible(false);
        axis->setMinorGridLineVisible(false);
        axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    }
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    m_layer = new PointLayer(m_chart, m_axisX, m_axisY);
    m_intervals = new IntervalLayer(m_chart, m_axisX, m_axisY);
    m_layer->setHollow(&m_hollow);
    m_densityRefresh = new QTimer(this);
    m_densityRefresh->setSingleShot(true);
    m_densityRefresh->setInterval(150);
    connect(m_densityRefresh, &QTimer::timeout, this, [this] { m_layer->refresh(); });
    m_layer->setRefreshRequest([this] { m_densityRefresh->start(); });
    connect(m_chart, &QChart::plotAreaChanged, this, [this] {
        m_layer->areaChanged();
        m_intervals->areaChanged();
    });
    // The caption wraps to the chart's width and sits at its foot.
    connect(m_chart, &QChart::geometryChanged, this, [this] { updateBottomMargin(); });
    for (QCategoryAxis* axis : {m_axisX, m_axisY})
        connect(axis, &QValueAxis::rangeChanged, this, [this] {
            m_layer->update();
            m_intervals->update();
        });
    applySymbol();

    m_view = new QChartView(m_chart, this);
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setRubberBand(QChartView::NoRubberBand);
    m_view->setObjectName(QStringLiteral("TChart1View"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
}

Chart::~Chart() = default;

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
    setPoints(std::make_shared<const PointList>(points), color);
}

void Chart::setPoints(std::shared_ptr<const ChartPoints> points, const QColor& color)
{
    m_symbolColor = color;
    m_points = std::move(points);
    m_summary = m_points ? PointSummary::of(*m_points) : PointSummary{};
    resetPointIndex();
    m_hollow.clear();
    m_toolTip = nullptr;
    updateDensityMode();
    applySymbol();
    fitAxes();
    if (drawsDensity()) {
        // The grid over millions of points takes a while (seconds for 50 million): it is built
        // beside the window's thread from now on, so that it is ready when the mouse first rests on
        // the plot. The points are read-only and shared with the builder.
        m_indexBuild =
            std::async(std::launch::async, [points = m_points] { return std::make_unique<const PointIndex>(*points); });
    }
}

void Chart::resetPointIndex()
{
    // A build still running is waited for: it reads the points being replaced.
    m_indexBuild = {};
    m_index.reset();
}

bool Chart::drawsDensity() const
{
    return m_summary.count > kDensityThreshold;
}

QString Chart::densityLegend() const
{
    if (!drawsDensity())
        return {};
    return QStringLiteral("%1 points, shaded by how many symbols overlap:").arg(m_summary.count);
}

void Chart::updateDensityMode()
{
    const bool density = drawsDensity();
    m_layer->setPoints(m_points.get(), density);
    m_layer->setLegend(densityLegend());
    updateBottomMargin();
}

void Chart::updateBottomMargin()
{
    // Room beneath the axis title for the density legend's line, and above it for the caption.
    QMargins margins = m_margins;
    double legend = 0.0;
    if (drawsDensity())
        legend = std::ceil(QFontMetricsF(m_axisX->labelsFont()).height() + kLegendMargin);
    double caption = 0.0;
    if (m_caption) {
        const QRectF whole = m_chart->rect();
        m_caption->setTextWidth(std::max(100.0, whole.width() - 2.0 * kLegendMargin));
        caption = std::ceil(m_caption->boundingRect().height());
        m_caption->setPos(whole.left() + kLegendMargin, whole.bottom() - legend - caption);
    }
    margins.setBottom(margins.bottom() + static_cast<int>(legend + caption));
    if (m_chart->margins() != margins)
        m_chart->setMargins(margins);
}

void Chart::addRegressionLine()
{
    if (m_summary.count < 2)
        return;
    const double meanX = m_summary.sumX / static_cast<double>(m_summary.count);
    const double meanY = m_summary.sumY / static_cast<double>(m_summary.count);
    double sxx = 0.0;
    double sxy = 0.0;
    m_points->forEach([&](qsizetype, const QPointF& p) {
        sxx += (p.x() - meanX) * (p.x() - meanX);
        sxy += (p.x() - meanX) * (p.y() - meanY);
    });
    if (!(sxx > 0.0) || !std::isfinite(sxx) || !std::isfinite(sxy))
        return;
    const double slope = sxy / sxx;
    const double intercept = meanY - slope * meanX;
    if (!m_line) {
        lineSeries()->setName(QStringLiteral("Series1"));
        m_line->setPen(QPen(QColor(200, 0, 0), 2));
    }
    m_line->replace({QPointF(m_summary.minX, intercept + slope * m_summary.minX),
                     QPointF(m_summary.maxX, intercept + slope * m_summary.maxX)});
    fitAxes();
}

void Chart::clear()
{
    m_points.reset();
    m_summary = PointSummary{};
    resetPointIndex();
    m_hollow.clear();
    m_toolTip = nullptr;
    updateDensityMode();
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
    if (index == 0)
        return static_cast<int>(m_summary.count);
    return index == 1 && m_line ? static_cast<int>(m_line->count()) : 0;
}

QList<QPointF> Chart::points(int index) const
{
    if (index == 0) {
        QList<QPointF> copy;
        if (m_points) {
            copy.reserve(m_summary.count);
            m_points->forEach([&copy](qsizetype, const QPointF& p) { copy.append(p); });
        }
        return copy;
    }
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
    const bool anyPoint = m_summary.finiteCount > 0;
    // The derived line, the band and the bars count as points of the range too.
    QList<QPointF> line = m_line ? m_line->points() : QList<QPointF>();
    line << m_intervals->bandLower() << m_intervals->bandUpper();
    for (const IntervalBar& bar : m_intervals->bars())
        if (std::isfinite(bar.x) && std::isfinite(bar.low) && std::isfinite(bar.high))
            line << QPointF(bar.x, bar.low) << QPointF(bar.x, bar.high);
    if (!anyPoint && line.isEmpty())
        return;
    double minX = anyPoint ? m_summary.minX : line.front().x();
    double maxX = anyPoint ? m_summary.maxX : minX;
    double minY = anyPoint ? m_summary.minY : line.front().y();
    double maxY = anyPoint ? m_summary.maxY : minY;
    for (const QPointF& p : line) {
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
    setPointToolTips([texts](qsizetype index) { return index < texts.size() ? texts[index] : QString(); });
}

void Chart::setPointToolTips(std::function<QString(qsizetype index)> text)
{
    m_toolTip = std::move(text);
    m_view->viewport()->removeEventFilter(this);
    m_view->viewport()->installEventFilter(this);
}

QPoint Chart::pointPosition(qsizetype index) const
{
    if (index < 0 || index >= m_summary.count || !(m_axisX->max() > m_axisX->min()) ||
        !(m_axisY->max() > m_axisY->min()))
        return {};
    const QPointF inChart = valuePosition(m_chart->plotArea(), *m_axisX, *m_axisY, m_points->at(index));
    const QPoint inViewport = m_view->mapFromScene(m_chart->mapToScene(inChart));
    return m_view->viewport()->mapTo(this, inViewport);
}

qsizetype Chart::pointAt(const QPoint& position) const
{
    const QRectF area = m_chart->plotArea();
    const double spanX = m_axisX->max() - m_axisX->min();
    const double spanY = m_axisY->max() - m_axisY->min();
    if (m_summary.count == 0 || !(spanX > 0.0) || !(spanY > 0.0) || area.isEmpty())
        return -1;
    if (!m_index)
        m_index = m_indexBuild.valid() ? m_indexBuild.get() : std::make_unique<const PointIndex>(*m_points);
    const QPointF inChart = m_chart->mapFromScene(m_view->mapToScene(m_view->viewport()->mapFrom(this, position)));
    const QPointF scale(area.width() / spanX, area.height() / spanY);
    const QPointF value(m_axisX->min() + (inChart.x() - area.left()) / scale.x(),
                        m_axisY->min() + (area.bottom() - inChart.y()) / scale.y());
    // Within the symbol, or a few pixels from a small one, so that the smallest size can be hit.
    const double reach = std::max(symbolPixels(m_symbolSize) / 2.0 + 1.0, 4.0);
    return m_index->nearest(*m_points, value, scale, reach);
}

QString Chart::toolTipAt(const QPoint& position) const
{
    if (!m_toolTip)
        return {};
    const qsizetype index = pointAt(position);
    return index >= 0 ? m_toolTip(index) : QString();
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

void Chart::setBand(const QList<QPointF>& lower, const QList<QPointF>& upper, const QColor& color)
{
    m_intervals->setBand(lower, upper, color);
    fitAxes();
}

QList<QPointF> Chart::bandLower() const
{
    return m_intervals->bandLower();
}

QList<QPointF> Chart::bandUpper() const
{
    return m_intervals->bandUpper();
}

void Chart::setIntervalBars(const QList<IntervalBar>& bars, const QPen& pen)
{
    m_intervals->setBars(bars, pen);
    fitAxes();
}

QList<IntervalBar> Chart::intervalBars() const
{
    return m_intervals->bars();
}

void Chart::setCaption(const QString& text)
{
    if (text.isEmpty()) {
        delete m_caption;
        m_caption = nullptr;
    } else {
        if (!m_caption) {
            m_caption = new QGraphicsTextItem(m_chart);
            m_caption->setDefaultTextColor(Qt::black);
            m_caption->setFont(m_axisX->labelsFont());
            m_caption->document()->setDocumentMargin(0);
            m_caption->setZValue(5);
        }
        m_caption->setPlainText(text);
    }
    updateBottomMargin();
}

QString Chart::caption() const
{
    return m_caption ? m_caption->toPlainText() : QString();
}

void Chart::setAxisRanges(double minX, double maxX, double minY, double maxY)
{
    m_fixedAxes = true;
    setFixedRange(*m_axisX, minX, maxX);
    setFixedRange(*m_axisY, minY, maxY);
}

} // namespace tessaloc::ui
