#pragma once

#include "analyses/landscape/GridInterpolation.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QWidget>

#include <QtDataVisualization/QSurfaceDataArray>

class Q3DSurface;
class Q3DTheme;
class QLabel;
class QSurface3DSeries;
class QValue3DAxis;

namespace tessaloc::ui {

/// The rows of a surface as the 3-D graph takes them: row r holds the nodes at depth z = r + 1, item
/// c the node at x = c + 1 across. A node left out (outside the hull, unless `fullGrid`) gets the
/// height NaN: the graph draws no triangle with such a corner, so the surface ends at the hull.
/// With `step` > 1 only every step-th row and column is kept (the first and the last always), each
/// node at its own bin numbers. The caller owns the array.
QSurfaceDataArray* surfaceRows(const SurfaceLayout& layout, bool fullGrid, int step = 1);

/// The number of grid cells (four neighbouring nodes) that show at least one triangle of `rows`:
/// those with three or more corners drawn. 0 means nothing at all would be drawn.
int drawnCellCount(const QSurfaceDataArray& rows);

/// The genetic landscape as a 3-D surface (Qt Data Visualization): the bins along the two horizontal
/// axes, heights upwards, coloured by a gradient from the minimum colour (lowest) to the maximum
/// colour (highest). Dragging with a mouse button turns it, the wheel zooms, and resting the mouse
/// on the surface reports the node under it (nodeHovered).
///
/// The graph needs OpenGL; where the display offers none (the headless test platform), the view
/// shows a note instead and keeps everything else (the series with its data, the axes, colours,
/// titles and view direction), so that every command still works and can be checked.
///
/// The labels of each horizontal axis run along the edge of the plot nearer the viewer, so which
/// edge of the sample area they mark follows the direction the surface is seen from. The axis
/// titles say that edge ("X (Southern edge)"), and the swap commands turn the view so that the
/// labels move to the opposite edge.
class LandscapeSurfaceView : public QWidget {
    Q_OBJECT
public:
    /// The view direction at the start: from the south-east, so that the X labels run along the
    /// southern edge and the Y labels along the eastern one (swapped layout: Y along the western
    /// edge, X along the southern one).
    static constexpr float kDefaultAzimuth = -35.0f;
    static constexpr float kDefaultElevation = 20.0f;
    static constexpr int kDefaultZoom = 83;

    explicit LandscapeSurfaceView(QWidget* parent = nullptr);
    ~LandscapeSurfaceView() override;

    /// True when this display offers OpenGL: the surface is drawn.
    bool hasGraph() const { return m_graph != nullptr; }
    Q3DSurface* graph() const { return m_graph; }
    QSurface3DSeries* series() const { return m_series; }
    QValue3DAxis* acrossAxis() const { return m_axisX; }
    QValue3DAxis* depthAxis() const { return m_axisZ; }

    /// Shows `layout`: every node when `fullGrid`, otherwise only the nodes inside the hull. The
    /// axis titles and the view direction return to their defaults. Returns false, and leaves the
    /// surface empty, when no part of it can be drawn (no cell with three corners drawn, which
    /// includes a grid of one bin in either direction).
    bool showSurface(const SurfaceLayout& layout, bool fullGrid);
    /// Removes the surface.
    void clearSurface();

    /// While the user turns the view, a surface of more than kTurningNodes nodes is drawn with every
    /// few rows and columns only, so that each picture takes a fraction of the time (with software
    /// OpenGL a picture of 250 000 nodes takes about a third of a second). endTurning draws every
    /// node again.
    static constexpr int kTurningNodes = 40000;
    void beginTurning();
    void endTurning();
    bool turning() const { return m_turning; }

    void setWireframe(bool on);
    bool wireframe() const;
    void setMinimumColor(const QColor& color);
    void setMaximumColor(const QColor& color);
    QColor minimumColor() const { return m_minimumColor; }
    QColor maximumColor() const { return m_maximumColor; }
    /// The colour of the plot's walls and floor.
    void setBaseColor(const QColor& color);
    QColor baseColor() const;
    /// The colour around the plot.
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const;
    /// Shows or hides the walls and floor with their grid lines.
    void setBaseLinesVisible(bool visible);
    bool baseLinesVisible() const;
    /// Shows or hides the bin numbers along the two horizontal axes.
    void setAxisLabelsVisible(bool visible);
    bool axisLabelsVisible() const { return m_axisLabelsVisible; }
    /// The zoom of the view in percent (100: the whole plot fills the view).
    void setZoom(int percent);
    int zoom() const;

    /// The horizontal view direction in degrees (-180..180): 0 looks from the south (normal layout)
    /// or the west (swapped layout), negative angles from further east.
    float azimuth() const;
    void setAzimuth(float degrees);
    /// Turns the view so that the labels of the axis carrying the X bins move to the opposite
    /// edge, and likewise for the Y bins; the other axis's labels stay at their edge.
    void swapXLabels();
    void swapYLabels();
    /// True while the labels of the X (Y) bins are on the edge opposite their default one.
    bool xLabelsSwapped() const;
    bool yLabelsSwapped() const;
    /// Turns the view back to the default side, keeping its angle from that side.
    void restoreDefaultSides();
    QString acrossTitle() const;
    QString depthTitle() const;

    /// The surface drawn into a picture of `size`; a null image without OpenGL.
    QImage toImage(const QSize& size) const;

signals:
    /// The mouse rests on the node at (row, column) of surfaceRows, or on no node (-1, -1).
    void nodeHovered(int row, int column);
    /// The view direction changed: the titles and the swap states may have changed.
    void sidesChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyGradient();
    void updateTitles();
    /// Which edges the labels are at now: true when the across (depth) axis's labels are on the
    /// far (left) side of the default view.
    bool acrossLabelsAway() const;
    bool depthLabelsAway() const;

    Q3DSurface* m_graph = nullptr;
    QLabel* m_note = nullptr;
    QSurface3DSeries* m_series;
    QValue3DAxis* m_axisX;
    QValue3DAxis* m_axisY;
    QValue3DAxis* m_axisZ;
    Q3DTheme* m_theme;
    int turningStep() const;

    SurfaceLayout m_layout;
    bool m_fullGrid = false;
    bool m_turning = false;
    bool m_swapped = false;
    bool m_axisLabelsVisible = true;
    QColor m_minimumColor = Qt::blue;
    QColor m_maximumColor = QColor(255, 255, 224);
    // Kept here while there is no graph whose camera holds them.
    float m_azimuth = kDefaultAzimuth;
    int m_zoom = kDefaultZoom;
};

} // namespace tessaloc::ui
