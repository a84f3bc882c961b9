#pragma once

#include "ui/analyses/monmonier/BarrierEditorDialog.h"
#include "ui/shell/ResultsWindow.h"

#include "analyses/monmonier/Monmonier.h"

#include <QColor>

#include <vector>

class QAction;
class QLabel;
class QMenu;

namespace tessaloc::ui {

class MapView;

/// "Monmonier Maximum Difference Algorithm": the barrier map on the "Graphical Results" page (the
/// triangulation, then every visible barrier as lines between the midpoints of the edges it crosses,
/// the scale mark, the "X: ...; Y: ..." readout under the map and the sample names as tooltips), the
/// report "monmonierresults.txt" on the "Text Results" page. The menus restyle the triangulation, each
/// barrier (through the barrier editor) and the background, copy or save the map and the report.
///
/// With bootstrap support the barriers show it: around every edge it crosses, a barrier is as wide as
/// its support there (see SupportLineWidth) and labelled with it ("Show Support"); the lines the
/// replicates' barriers drew elsewhere form a faint layer ("Show All Supported Edges", off at first);
/// "Save Support Table..." writes the table.
///
/// The map's layers: layer 0 is the triangulation, layer b barrier b (1-based), and with support the
/// layer after the last barrier the replicates' other lines.
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
    /// True when the run computed bootstrap support.
    bool hasSupport() const { return m_result.support.computed(); }
    /// The layer of the lines the replicates drew that no observed barrier draws; -1 without support.
    int alternativeLinesLayer() const { return hasSupport() ? barrierCount() + 1 : -1; }

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
    /// "Show Support": the barriers' widths and labels follow their support, or not.
    void showSupport(bool shown);
    /// "Show All Supported Edges": the faint layer of the lines the replicates drew elsewhere.
    void showAllSupportedEdges(bool shown);
    /// "Save Support Table...": the support of every crossed edge as a CSV table. A cancel changes
    /// nothing; a failure writes nothing and says why.
    void saveSupportTable();

private:
    void addMenus();
    void addSupportMenus(QMenu* copyPrintSave, QMenu* editFigure);
    void showReadout(const QPointF& point);
    /// Barrier `barrier`'s layer as it is drawn now: plain, or following its support.
    void styleBarrierLayer(int barrier);

    MapView* m_map;
    QLabel* m_readout;
    QAction* m_showTriangulation = nullptr;
    QAction* m_showSupport = nullptr;
    QAction* m_showAllSupported = nullptr;
    /// The run's result, kept only when it holds support (for the labels, widths and the table).
    MonmonierResult m_result;
    bool m_supportShown = false;
    BarrierStyle m_triangulationStyle{Qt::black, 1, true};
    std::vector<BarrierStyle> m_barrierStyles;
};

} // namespace tessaloc::ui
