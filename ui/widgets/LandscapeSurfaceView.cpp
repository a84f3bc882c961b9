#include "ui/widgets/LandscapeSurfaceView.h"

#include <QEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QVBoxLayout>
#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DInputHandler>
#include <QtDataVisualization/Q3DScene>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/Q3DTheme>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QSurfaceDataProxy>
#include <QtDataVisualization/QValue3DAxis>
#include <QtDataVisualization/QValue3DAxisFormatter>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace tessaloc::ui {

namespace {

constexpr int kMinimumZoom = 10;
constexpr int kMaximumZoom = 500;
// Label intervals along the across axis; the depth axis has as many as its share of that length.
constexpr int kAcrossIntervals = 8;

// Whether this display can give the graph an OpenGL context (the headless platform cannot). Asked
// once: making a context costs time.
bool openGLAvailable()
{
    static const bool available = [] {
        QOpenGLContext context;
        if (!context.create())
            return false;
        QOffscreenSurface surface;
        surface.setFormat(context.format());
        surface.create();
        const bool current = surface.isValid() && context.makeCurrent(&surface);
        if (current)
            context.doneCurrent();
        return current;
    }();
    return available;
}

// The labels of a bin axis: whole bin numbers at round steps (1, 10, 20, ... rather than the
// fractions an even division of the range would give), or none at all. The heights axis keeps the
// graph's own positions for its grid lines and shows no labels.
class AxisLabels : public QValue3DAxisFormatter {
public:
    AxisLabels(bool bins, bool labelled)
        : m_bins(bins)
        , m_labelled(labelled)
    {
    }

    void setLabelled(bool labelled)
    {
        m_labelled = labelled;
        markDirty(true);
    }

    /// At most this many intervals between labels, so that labels along a short axis do not overlap.
    void setMaxIntervals(int intervals)
    {
        m_maxIntervals = std::max(1, intervals);
        markDirty(true);
    }

protected:
    QValue3DAxisFormatter* createNewInstance() const override
    {
        auto* labels = new AxisLabels(m_bins, m_labelled);
        labels->m_maxIntervals = m_maxIntervals;
        return labels;
    }

    void populateCopy(QValue3DAxisFormatter& copy) const override
    {
        QValue3DAxisFormatter::populateCopy(copy);
        auto& labels = static_cast<AxisLabels&>(copy);
        labels.m_bins = m_bins;
        labels.m_labelled = m_labelled;
        labels.m_maxIntervals = m_maxIntervals;
    }

    void recalculate() override
    {
        const double first = axis()->min();
        const double last = axis()->max();
        if (!m_bins || !(last > first)) {
            QValue3DAxisFormatter::recalculate();
            for (QString& label : labelStrings())
                label = m_labelled ? label : QString();
            return;
        }
        // The smallest step of 1, 2 or 5 times a power of ten that gives few enough intervals.
        double step = 1.0;
        for (double scale = 1.0; (last - first) / step > m_maxIntervals; scale *= 10) {
            for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
                step = factor * scale;
                if ((last - first) / step <= m_maxIntervals)
                    break;
            }
        }
        gridPositions().clear();
        subGridPositions().clear();
        labelPositions().clear();
        labelStrings().clear();
        const auto add = [&](double value) {
            const auto position = static_cast<float>((value - first) / (last - first));
            gridPositions().append(position);
            labelPositions().append(position);
            labelStrings().append(m_labelled ? QString::number(value, 'f', 0) : QString());
        };
        add(first);
        for (double value = std::ceil((first + 1) / step) * step; value <= last; value += step)
            add(value);
    }

private:
    bool m_bins;
    bool m_labelled;
    int m_maxIntervals = kAcrossIntervals;
};

// Turns the surface with either mouse button (the graph's own handler turns it with the right one
// only) and asks the graph, while no button is held, which node lies under the mouse.
class TurnAndHoverInput : public Q3DInputHandler {
public:
    TurnAndHoverInput(LandscapeSurfaceView* view, QObject* parent)
        : Q3DInputHandler(parent)
        , m_view(view)
    {
    }

    void mousePressEvent(QMouseEvent* event, const QPoint& mousePos) override
    {
        m_view->beginTurning();
        QMouseEvent turned = asRightButton(*event);
        Q3DInputHandler::mousePressEvent(&turned, mousePos);
    }

    void mouseReleaseEvent(QMouseEvent* event, const QPoint& mousePos) override
    {
        QMouseEvent turned = asRightButton(*event);
        Q3DInputHandler::mouseReleaseEvent(&turned, mousePos);
        if (event->buttons() == Qt::NoButton)
            m_view->endTurning();
    }

    void mouseMoveEvent(QMouseEvent* event, const QPoint& mousePos) override
    {
        Q3DInputHandler::mouseMoveEvent(event, mousePos);
        if (event->buttons() == Qt::NoButton && scene())
            scene()->setSelectionQueryPosition(mousePos);
    }

private:
    static QMouseEvent asRightButton(const QMouseEvent& event)
    {
        const Qt::MouseButton button = event.button() == Qt::LeftButton ? Qt::RightButton : event.button();
        Qt::MouseButtons buttons = event.buttons();
        if (buttons.testFlag(Qt::LeftButton)) {
            buttons.setFlag(Qt::LeftButton, false);
            buttons.setFlag(Qt::RightButton, true);
        }
        return QMouseEvent(event.type(), event.position(), event.scenePosition(), event.globalPosition(), button,
                           buttons, event.modifiers(), event.pointingDevice());
    }

    LandscapeSurfaceView* m_view;
};

// The bins a surface drawn with every `step`-th node keeps: 1, 1 + step, ... and always the last.
std::vector<int> keptBins(int count, int step)
{
    std::vector<int> bins;
    for (int bin = 1; bin < count; bin += step)
        bins.push_back(bin);
    if (count >= 1)
        bins.push_back(count);
    return bins;
}

float normalizedDegrees(float degrees)
{
    float result = std::fmod(degrees, 360.0f);
    if (result > 180.0f)
        result -= 360.0f;
    if (result <= -180.0f)
        result += 360.0f;
    return result;
}

double radians(float degrees)
{
    return static_cast<double>(degrees) * std::numbers::pi / 180.0;
}

} // namespace

QSurfaceDataArray* surfaceRows(const SurfaceLayout& layout, bool fullGrid, int step)
{
    const std::vector<int> across = keptBins(layout.across, std::max(1, step));
    const std::vector<int> deep = keptBins(layout.deep, std::max(1, step));
    const float left = std::numeric_limits<float>::quiet_NaN();
    auto* rows = new QSurfaceDataArray;
    rows->reserve(static_cast<qsizetype>(deep.size()));
    for (const int z : deep) {
        auto* row = new QSurfaceDataRow;
        row->reserve(static_cast<qsizetype>(across.size()));
        for (const int x : across) {
            // The layout lists the points across outer, depth inner.
            const SurfacePoint& point =
                layout
                    .points[static_cast<size_t>(x - 1) * static_cast<size_t>(layout.deep) + static_cast<size_t>(z - 1)];
            const float height = point.inside || fullGrid ? static_cast<float>(point.y) : left;
            row->append(QSurfaceDataItem(QVector3D(static_cast<float>(x), height, static_cast<float>(z))));
        }
        rows->append(row);
    }
    return rows;
}

int drawnCellCount(const QSurfaceDataArray& rows)
{
    int cells = 0;
    for (qsizetype r = 0; r + 1 < rows.size(); ++r) {
        const QSurfaceDataRow& near = *rows[r];
        const QSurfaceDataRow& far = *rows[r + 1];
        for (qsizetype c = 0; c + 1 < near.size() && c + 1 < far.size(); ++c) {
            const int drawn = !std::isnan(near[c].y()) + !std::isnan(near[c + 1].y()) + !std::isnan(far[c].y()) +
                              !std::isnan(far[c + 1].y());
            if (drawn >= 3)
                ++cells;
        }
    }
    return cells;
}

LandscapeSurfaceView::LandscapeSurfaceView(QWidget* parent)
    : QWidget(parent)
    , m_series(new QSurface3DSeries(this))
    , m_axisX(new QValue3DAxis(this))
    , m_axisY(new QValue3DAxis(this))
    , m_axisZ(new QValue3DAxis(this))
    , m_theme(new Q3DTheme(Q3DTheme::ThemeQt, this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    m_theme->setType(Q3DTheme::ThemeQt);
    m_theme->setWindowColor(QColor(192, 192, 192)); // silver
    m_theme->setBackgroundColor(Qt::white);
    m_theme->setLabelBackgroundEnabled(false);
    m_theme->setLabelBorderEnabled(false);
    m_theme->setFont(QFont(QStringLiteral("DejaVu Sans"), 36));

    m_axisX->setFormatter(new AxisLabels(true, true));
    m_axisZ->setFormatter(new AxisLabels(true, true));
    m_axisY->setFormatter(new AxisLabels(false, false));
    for (QValue3DAxis* axis : {m_axisX, m_axisZ}) {
        axis->setTitleVisible(true);
        axis->setLabelAutoRotation(30);
    }

    m_series->setDrawMode(QSurface3DSeries::DrawSurface);
    m_series->setFlatShadingEnabled(false);
    m_series->setItemLabelVisible(false);

    if (openGLAvailable()) {
        m_graph = new Q3DSurface;
        m_graph->setObjectName(QStringLiteral("Series0Graph"));
        m_graph->addTheme(m_theme);
        m_graph->setActiveTheme(m_theme);
        m_graph->setAxisX(m_axisX);
        m_graph->setAxisY(m_axisY);
        m_graph->setAxisZ(m_axisZ);
        m_graph->setShadowQuality(QAbstract3DGraph::ShadowQualityNone);
        m_graph->setSelectionMode(QAbstract3DGraph::SelectionItem);
        m_graph->setActiveInputHandler(new TurnAndHoverInput(this, m_graph));
        m_graph->addSeries(m_series);
        m_graph->installEventFilter(this);
        m_graph->scene()->activeCamera()->setCameraPosition(kDefaultAzimuth, kDefaultElevation,
                                                            static_cast<float>(kDefaultZoom));
        connect(m_graph->scene()->activeCamera(), &Q3DCamera::xRotationChanged, this, [this] { updateTitles(); });
        connect(m_series, &QSurface3DSeries::selectedPointChanged, this, [this](const QPoint& position) {
            if (position == QSurface3DSeries::invalidSelectionPosition())
                emit nodeHovered(-1, -1);
            else
                emit nodeHovered(position.x(), position.y());
        });
        QWidget* container = QWidget::createWindowContainer(m_graph, this);
        container->setObjectName(QStringLiteral("Series0Container"));
        container->setMinimumSize(200, 150);
        container->setFocusPolicy(Qt::StrongFocus);
        layout->addWidget(container);
    } else {
        m_note = new QLabel(QStringLiteral("The 3-D surface needs OpenGL, which this display does not offer. "
                                           "The grid, the report and the grid file are not affected."),
                            this);
        m_note->setObjectName(QStringLiteral("NoOpenGLNote"));
        m_note->setAlignment(Qt::AlignCenter);
        m_note->setWordWrap(true);
        layout->addWidget(m_note);
    }
    applyGradient();
    updateTitles();
}

LandscapeSurfaceView::~LandscapeSurfaceView() = default;

bool LandscapeSurfaceView::showSurface(const SurfaceLayout& layout, bool fullGrid)
{
    m_swapped = layout.swapped;
    m_turning = false;
    QSurfaceDataArray* rows = surfaceRows(layout, fullGrid);
    if (drawnCellCount(*rows) == 0) {
        qDeleteAll(*rows);
        delete rows;
        clearSurface();
        restoreDefaultSides();
        return false;
    }
    m_layout = layout;
    m_fullGrid = fullGrid;

    // The vertical range runs from the lowest to the highest height drawn, so that the gradient
    // spans exactly the surface shown.
    float lowest = std::numeric_limits<float>::infinity();
    float highest = -std::numeric_limits<float>::infinity();
    for (const QSurfaceDataRow* row : *rows) {
        for (const QSurfaceDataItem& item : *row) {
            if (!std::isnan(item.y())) {
                lowest = std::min(lowest, item.y());
                highest = std::max(highest, item.y());
            }
        }
    }
    if (!(highest > lowest)) {
        // A flat surface: a band around it, so that the gradient and the view stay defined.
        const float margin = std::max(1.0f, std::abs(lowest)) * 0.5f;
        lowest -= margin;
        highest += margin;
    }
    m_axisX->setRange(1.0f, static_cast<float>(layout.across));
    m_axisZ->setRange(1.0f, static_cast<float>(layout.deep));
    m_axisY->setRange(lowest, highest);
    // With the Y bins across, they run from right to left, so that the view from the west keeps
    // north on the viewer's left: a turned map, never a mirrored one.
    m_axisX->setReversed(layout.swapped);
    m_series->dataProxy()->resetArray(rows);
    // The plot's depth in proportion to its width as the two ranges of the sample area stand.
    const int depthPercent = std::clamp(layout.depthPercent, 1, 100);
    static_cast<AxisLabels*>(m_axisZ->formatter())->setMaxIntervals(kAcrossIntervals * depthPercent / 100);
    if (m_graph)
        m_graph->setHorizontalAspectRatio(100.0 / depthPercent);
    restoreDefaultSides();
    updateTitles();
    return true;
}

void LandscapeSurfaceView::clearSurface()
{
    m_layout = {};
    m_turning = false;
    m_series->dataProxy()->resetArray(new QSurfaceDataArray);
}

int LandscapeSurfaceView::turningStep() const
{
    const double nodes = static_cast<double>(m_layout.across) * m_layout.deep;
    return nodes > kTurningNodes ? static_cast<int>(std::ceil(std::sqrt(nodes / kTurningNodes))) : 1;
}

void LandscapeSurfaceView::beginTurning()
{
    if (m_turning || turningStep() == 1)
        return;
    m_turning = true;
    m_series->dataProxy()->resetArray(surfaceRows(m_layout, m_fullGrid, turningStep()));
}

void LandscapeSurfaceView::endTurning()
{
    if (!m_turning)
        return;
    m_turning = false;
    m_series->dataProxy()->resetArray(surfaceRows(m_layout, m_fullGrid));
}

void LandscapeSurfaceView::setWireframe(bool on)
{
    m_series->setDrawMode(on ? QSurface3DSeries::DrawWireframe : QSurface3DSeries::DrawSurface);
}

bool LandscapeSurfaceView::wireframe() const
{
    return m_series->drawMode() == QSurface3DSeries::DrawWireframe;
}

void LandscapeSurfaceView::setMinimumColor(const QColor& color)
{
    m_minimumColor = color;
    applyGradient();
}

void LandscapeSurfaceView::setMaximumColor(const QColor& color)
{
    m_maximumColor = color;
    applyGradient();
}

void LandscapeSurfaceView::applyGradient()
{
    QLinearGradient gradient;
    gradient.setColorAt(0.0, m_minimumColor);
    gradient.setColorAt(1.0, m_maximumColor);
    m_series->setBaseGradient(gradient);
    m_series->setColorStyle(Q3DTheme::ColorStyleRangeGradient);
    m_series->setWireframeColor(m_minimumColor.value() < 128 ? m_minimumColor : QColor(Qt::black));
}

void LandscapeSurfaceView::setBaseColor(const QColor& color)
{
    m_theme->setBackgroundColor(color);
}

QColor LandscapeSurfaceView::baseColor() const
{
    return m_theme->backgroundColor();
}

void LandscapeSurfaceView::setBackgroundColor(const QColor& color)
{
    m_theme->setWindowColor(color);
}

QColor LandscapeSurfaceView::backgroundColor() const
{
    return m_theme->windowColor();
}

void LandscapeSurfaceView::setBaseLinesVisible(bool visible)
{
    m_theme->setBackgroundEnabled(visible);
    m_theme->setGridEnabled(visible);
}

bool LandscapeSurfaceView::baseLinesVisible() const
{
    return m_theme->isBackgroundEnabled() && m_theme->isGridEnabled();
}

void LandscapeSurfaceView::setAxisLabelsVisible(bool visible)
{
    m_axisLabelsVisible = visible;
    for (QValue3DAxis* axis : {m_axisX, m_axisZ})
        static_cast<AxisLabels*>(axis->formatter())->setLabelled(visible);
}

void LandscapeSurfaceView::setZoom(int percent)
{
    m_zoom = std::clamp(percent, kMinimumZoom, kMaximumZoom);
    if (m_graph)
        m_graph->scene()->activeCamera()->setZoomLevel(static_cast<float>(m_zoom));
}

int LandscapeSurfaceView::zoom() const
{
    return m_graph ? static_cast<int>(std::lround(m_graph->scene()->activeCamera()->zoomLevel())) : m_zoom;
}

float LandscapeSurfaceView::azimuth() const
{
    return m_graph ? m_graph->scene()->activeCamera()->xRotation() : m_azimuth;
}

void LandscapeSurfaceView::setAzimuth(float degrees)
{
    m_azimuth = normalizedDegrees(degrees);
    if (m_graph)
        m_graph->scene()->activeCamera()->setXRotation(m_azimuth);
    updateTitles();
}

// The labels of an axis lie along the edge of the plot nearer the viewer. At azimuth 0 the viewer
// looks from the front (the first row of the surface) with the last column on the right; negative
// azimuths move the viewer to the right.
bool LandscapeSurfaceView::acrossLabelsAway() const
{
    return std::cos(radians(azimuth())) < -1e-6;
}

bool LandscapeSurfaceView::depthLabelsAway() const
{
    return std::sin(radians(azimuth())) > 1e-6;
}

bool LandscapeSurfaceView::xLabelsSwapped() const
{
    return m_swapped ? depthLabelsAway() : acrossLabelsAway();
}

bool LandscapeSurfaceView::yLabelsSwapped() const
{
    return m_swapped ? acrossLabelsAway() : depthLabelsAway();
}

void LandscapeSurfaceView::swapXLabels()
{
    // Mirroring the view direction front to back moves the across labels to the other edge and
    // keeps the depth labels where they are; mirroring it left to right does the opposite.
    setAzimuth(m_swapped ? -azimuth() : 180.0f - azimuth());
}

void LandscapeSurfaceView::swapYLabels()
{
    setAzimuth(m_swapped ? 180.0f - azimuth() : -azimuth());
}

void LandscapeSurfaceView::restoreDefaultSides()
{
    float degrees = azimuth();
    if (acrossLabelsAway())
        degrees = 180.0f - degrees;
    if (depthLabelsAway())
        degrees = -degrees;
    setAzimuth(degrees);
}

QString LandscapeSurfaceView::acrossTitle() const
{
    if (m_swapped)
        return acrossLabelsAway() ? QStringLiteral("Y (Eastern edge)") : QStringLiteral("Y (Western edge)");
    return acrossLabelsAway() ? QStringLiteral("X (Northern edge)") : QStringLiteral("X (Southern edge)");
}

QString LandscapeSurfaceView::depthTitle() const
{
    if (m_swapped)
        return depthLabelsAway() ? QStringLiteral("X (Northern edge)") : QStringLiteral("X (Southern edge)");
    return depthLabelsAway() ? QStringLiteral("Y (Western edge)") : QStringLiteral("Y (Eastern edge)");
}

void LandscapeSurfaceView::updateTitles()
{
    const QString across = acrossTitle();
    const QString depth = depthTitle();
    if (m_axisX->title() == across && m_axisZ->title() == depth)
        return;
    m_axisX->setTitle(across);
    m_axisZ->setTitle(depth);
    emit sidesChanged();
}

QImage LandscapeSurfaceView::toImage(const QSize& size) const
{
    if (!m_graph)
        return {};
    return m_graph->renderToImage(0, size);
}

bool LandscapeSurfaceView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_graph && event->type() == QEvent::Leave)
        emit nodeHovered(-1, -1);
    return QWidget::eventFilter(watched, event);
}

} // namespace tessaloc::ui
