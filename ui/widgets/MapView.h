#pragma once

#include "geometry/Extents.h"

#include <QColor>
#include <QImage>
#include <QLineF>
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <utility>
#include <vector>

class QPainter;

namespace tessaloc::ui {

/// A short text on a map, such as a barrier's support beside an edge it crosses.
struct MapLabel {
    /// Where the label belongs, in map coordinates.
    QPointF at;
    /// A point in map coordinates that the label moves a few pixels towards from `at` (along the edge
    /// it names), so that it stands beside a line through `at` rather than on it; equal to `at` for
    /// the label to stand up and to the right of it.
    QPointF toward;
    QString text;
};

/// One set of lines of a map drawn in one colour: the triangulation, a barrier, a network.
struct MapLayer {
    MapLayer(QList<QLineF> layerLines = {}, QColor layerColor = Qt::black, int layerWidth = 1, bool shown = true)
        : lines(std::move(layerLines))
        , color(std::move(layerColor))
        , width(layerWidth)
        , visible(shown)
    {
    }

    /// Lines in map coordinates.
    QList<QLineF> lines;
    QColor color = Qt::black;
    /// Pen width in pixels, 1..5 in the menus.
    int width = 1;
    bool visible = true;
    /// A pen width in pixels for each line, in the order of `lines`, in place of `width`; empty to draw
    /// every line `width` wide.
    QList<qreal> widths;
    /// Texts drawn in the layer's colour after its lines.
    QList<MapLabel> labels;
};

/// A map of straight lines over the sample area: the map extents (MapMinX at the left, MapMaxX at the
/// right, MapMaxY at the top, MapMinY at the bottom, the two axes scaled independently to fill the
/// picture), the scale mark in the lower left corner, then the layers in order. The map redraws
/// itself whenever it is shown, resized or uncovered, so a drawing is never lost.
///
/// Moving the mouse over the map reports the map coordinates (mouseMoved); leaving it reports that
/// too (mouseLeft). Sample locations given with setSamples show their names as a tooltip when the
/// mouse rests near them.
class MapView : public QWidget {
    Q_OBJECT
public:
    explicit MapView(QWidget* parent = nullptr);

    void setExtents(const MapExtents& extents);
    const MapExtents& extents() const { return m_extents; }

    /// Appends a layer and returns its index.
    int addLayer(const MapLayer& layer);
    /// The layer at `index`, to be restyled; call update() (or restyle through setLayerStyle) after.
    MapLayer& layer(int index) { return m_layers[static_cast<size_t>(index)]; }
    const MapLayer& layer(int index) const { return m_layers[static_cast<size_t>(index)]; }
    int layerCount() const { return static_cast<int>(m_layers.size()); }
    void setLayerStyle(int index, const QColor& color, int width, bool visible);
    void clearLayers();

    void setBackground(const QColor& color);
    QColor background() const { return m_background; }

    /// The sample locations whose names the tooltip shows (observations at one location are listed
    /// together).
    void setSamples(const QStringList& names, const std::vector<double>& x, const std::vector<double>& y);
    /// The names of the samples within `radius` pixels of the widget position `position`, nearest
    /// location first; empty when none is that close.
    QStringList samplesNear(const QPointF& position, double radius = 6.0) const;

    /// The map coordinates of a widget position.
    QPointF toMap(const QPointF& position) const;
    /// The widget position of a point in map coordinates.
    QPointF toWidget(const QPointF& point) const;

    /// Draws the whole map (background, scale mark, visible layers) into `target` of `painter`.
    void render(QPainter& painter, const QRectF& target) const;
    /// The map as a picture of the widget's size (or of `size` when given).
    QImage toImage(std::optional<QSize> size = std::nullopt) const;
    /// Writes the map as a figure: an SVG drawing for names ending in .svg, a PDF page for .pdf,
    /// otherwise a picture in the format the ending names (PNG by default). The file is replaced only
    /// when the whole figure was written; `error` receives the reason of a failure.
    bool saveFigure(const QString& fileName, QString* error = nullptr) const;

    /// The number of lines the last paint drew (scale mark included): what a user saw.
    qsizetype linesDrawn() const { return m_linesDrawn; }
    /// The number of labels the last paint drew.
    qsizetype labelsDrawn() const { return m_labelsDrawn; }

    /// Where a label's text is centred, in widget coordinates: 10 pixels from `at` towards `toward`, or
    /// 8 pixels up and to the right when the two coincide on the widget.
    QPointF labelCentre(const MapLabel& label) const;

    /// "X: " and the x coordinate, "; Y: " and the y coordinate, both as single-precision plain text.
    static QString readoutText(const QPointF& point);

signals:
    /// The mouse moved over the map; `point` is in map coordinates.
    void mouseMoved(const QPointF& point);
    /// The mouse left the map.
    void mouseLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Location {
        double x = 0.0;
        double y = 0.0;
        QStringList names;
    };

    struct Drawn {
        qsizetype lines = 0;
        qsizetype labels = 0;
    };
    Drawn draw(QPainter& painter, const QRectF& target) const;

    MapExtents m_extents;
    std::vector<MapLayer> m_layers;
    QColor m_background = Qt::white;
    std::vector<Location> m_locations;
    qsizetype m_linesDrawn = 0;
    qsizetype m_labelsDrawn = 0;
};

} // namespace tessaloc::ui
