#pragma once

#include "ui/analyses/monmonier/BarrierEditorDialog.h"
#include "ui/shell/ResultsWindow.h"

#include "analyses/monmonier/Monmonier.h"

#include <QColor>

#include <vector>

class QAction;
class QLabel;

namespace tessaloc::ui {

class MapView;

/// "Monmonier Maximum Difference Algorithm": the barrier map on the "Graphical Results" page (the
/// triangulation, then every visible barrier as lines between the midpoints of the edges it crosses,
/// the scale mark, the "X: ...; Y: ..." readout under the map and the sample names as tooltips), the
/// report "monmonierresults.txt" on the "Text Results" page. The menus restyle the triangulation, each
/// barrier (through the barrier editor) and the background, copy or save the map and the report.
///
/// The map's layers: layer 0 is the triangulation, layer b barrier b (1-based).
class MonmonierResultsWindow : public ResultsWindow {
    Q_OBJECT
public:
    /// Shows `result`; the report lies in `runFolder`, which goes when the window closes.
    MonmonierResultsWindow(ProgramState& state, const MonmonierResult& result, std::unique_ptr<QTemporaryDir> runFolder,
                           QWidget* parent = nullptr);

    MapView* map() const { return m_map; }
    QLabel* readout() const { return m_readout; }

    int barrierCount() const { return static_cast<int>(m_barrierStyles.size()); }
    /// The appearance of barrier `barrier`, 1..barrierCount().
    const BarrierStyle& barrierStyle(int barrier) const { return m_barrierStyles.at(static_cast<size_t>(barrier - 1)); }
    const BarrierStyle& triangulationStyle() const { return m_triangulationStyle; }

public slots:
    /// Draws the map anew with the current appearance.
    void redrawMap();
    /// "Show Triangulation".
    void showTriangulation(bool shown);
    /// "Triangulation Color": the colour dialog, starting from the current colour.
    void chooseTriangulationColor();
    /// "Triangulation line thickness", 1..5.
    void setTriangulationWidth(int width);
    /// "Barrier <b>": the barrier editor for barrier `barrier` (1-based), shown modally.
    void editBarrier(int barrier);
    /// "Background color".
    void chooseBackgroundColor();
    /// "Copy to Figure Clipboard as Bitmap".
    void copyFigure();
    /// "Save Figure...": the map as an SVG drawing, a PDF page or a PNG picture, as it looks now.
    /// A cancel changes nothing; a failure writes nothing and says why.
    void saveFigure();
    /// "Save Text to file".
    void saveReport();

private:
    void addMenus();
    void showReadout(const QPointF& point);

    MapView* m_map;
    QLabel* m_readout;
    QAction* m_showTriangulation = nullptr;
    BarrierStyle m_triangulationStyle{Qt::black, 1, true};
    std::vector<BarrierStyle> m_barrierStyles;
};

} // namespace tessaloc::ui
