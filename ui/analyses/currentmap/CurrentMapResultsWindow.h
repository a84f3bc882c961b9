#pragma once

#include "ui/shell/ResultsWindow.h"

#include "analyses/currentmap/CurrentMap.h"

class QAction;
class QLabel;

namespace tessaloc::ui {

class RasterMapView;

/// "Current Flow Map": the cumulative current map under the sample locations, with its colour bar
/// (log scale by default), the value of the cell under the mouse beneath it, zoom in the "View"
/// menu and the wheel, and the report on the "Results" page. "Save Map..." writes the map as a
/// GeoTIFF on the surface's grid, or the picture as PNG, SVG or PDF.
class CurrentMapResultsWindow : public ResultsWindow {
    Q_OBJECT
public:
    /// Shows `result`; `runFolder` (the run's private directory) goes when the window closes.
    CurrentMapResultsWindow(ProgramState& state, const CurrentMapResult& result,
                            std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent = nullptr);

    RasterMapView* mapView() const { return m_map; }
    QLabel* readout() const { return m_readout; }
    QAction* logScaleAction() const { return m_logScale; }

public slots:
    /// Asks for a file and writes the map there: a GeoTIFF of the currents for .tif and .tiff, the
    /// picture for .png, .svg and .pdf. A cancelled dialog writes nothing; a failure says why.
    void saveMap();
    /// Writes the map to `fileName` as saveMap does; false with `error` set when it fails.
    bool saveMapTo(const QString& fileName, QString* error = nullptr);
    /// The readout of the cell (`row`, `column`) from 0, cleared for -1.
    void showCell(int row, int column);

private:
    CurrentMapResult m_result;
    RasterMapView* m_map;
    QLabel* m_readout;
    QAction* m_logScale = nullptr;
};

} // namespace tessaloc::ui
