#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>
#include <vector>

class QPainter;

namespace tessaloc::ui {

/// A raster of values drawn through a colour ramp, on a linear or a log10 scale, with points on top
/// (the sample locations) and a colour bar at the right. Cells without a value (NaN) are left in the
/// background colour; on the log scale cells of 0 or less take the ramp's low end.
///
/// The wheel zooms about the cursor, dragging pans, and zoomIn, zoomOut and showWhole do the same
/// from menus. Moving the mouse over a cell reports it (cellHovered with the row and column from 0,
/// or -1 and -1 off the raster). Cells stay square on the screen.
class RasterMapView : public QWidget {
    Q_OBJECT
public:
    explicit RasterMapView(QWidget* parent = nullptr);

    /// `values` row by row from the top, columns x rows of them; `transform` is GDAL's affine
    /// transform of the raster (north-up), which places the points.
    void setRaster(int columns, int rows, std::vector<double> values, const std::array<double, 6>& transform);
    int columns() const { return m_columns; }
    int rows() const { return m_rows; }
    /// The value of a cell (NaN without one); NaN off the raster.
    double valueAt(int row, int column) const;

    /// Points in the raster's coordinates, drawn as small circles over the cells.
    void setPoints(const std::vector<double>& x, const std::vector<double>& y);
    void setPointColor(const QColor& color);

    void setLogScale(bool logScale);
    bool logScale() const { return m_logScale; }
    /// The smallest and largest value the ramp spans: on the log scale the smallest above 0.
    double rampLow() const { return m_low; }
    double rampHigh() const { return m_high; }
    /// The ramp's colour for a value (the background colour for NaN).
    QColor colorOf(double value) const;
    /// The caption above the colour bar ("Current (A)").
    void setBarTitle(const QString& title);

    /// The part of the raster shown, in cells (x the column, y the row, from the top left corner).
    QRectF visibleCells() const { return m_visible; }
    /// The cell under a widget position, or nothing off the raster.
    std::optional<std::pair<int, int>> cellAt(const QPointF& position) const;

    /// Draws the whole view (cells, points, colour bar) into `target` of `painter`.
    void render(QPainter& painter, const QRectF& target) const;
    /// Writes the view as a figure: an SVG drawing for names ending in .svg, a PDF page for .pdf,
    /// otherwise a picture in the format the ending names (PNG by default). The file is replaced only
    /// when the whole figure was written; `error` receives the reason of a failure.
    bool saveFigure(const QString& fileName, QString* error = nullptr) const;

public slots:
    void zoomIn();
    void zoomOut();
    /// Shows the whole raster again.
    void showWhole();

signals:
    /// The mouse is over the cell (`row`, `column`), both -1 when it is off the raster.
    void cellHovered(int row, int column);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // Where the cells go within a target rectangle: the map's part (the colour bar takes the rest)
    // and the size of a cell there.
    struct Layout {
        QRectF map;
        QRectF bar;
        double cellSize = 1.0;
        QPointF origin; // where the visible part's top left corner is drawn
    };
    Layout layout(const QRectF& target) const;
    void rebuildImage();
    void zoomAbout(const QPointF& cellPoint, double factor);
    void draw(QPainter& painter, const QRectF& target) const;

    int m_columns = 0;
    int m_rows = 0;
    std::vector<double> m_values;
    std::array<double, 6> m_transform{0.0, 1.0, 0.0, 0.0, 0.0, -1.0};
    std::vector<QPointF> m_points; // in cells
    QColor m_pointColor = Qt::white;
    bool m_logScale = true;
    double m_low = 0.0;
    double m_high = 1.0;
    QString m_barTitle;
    QImage m_image;
    QRectF m_visible;
    std::optional<QPointF> m_dragFrom;
};

} // namespace tessaloc::ui
