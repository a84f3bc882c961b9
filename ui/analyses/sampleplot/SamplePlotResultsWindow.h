#pragma once

#include "ui/shell/ResultsWindow.h"

#include "analyses/sampleplot/SamplePlot.h"

class QAction;
class QLabel;

namespace tessaloc::ui {

/// "Sample Location Plot": the sample locations in blue ("Sample Locations"), the convex hull around
/// them in red ("Perimeter") and the hull's area beneath. Resting the mouse on a location shows the
/// names of the observations there.
class SamplePlotResultsWindow : public ResultsWindow {
    Q_OBJECT
public:
    /// Shows `result`; `runFolder` (the run's private directory) goes when the window closes.
    SamplePlotResultsWindow(ProgramState& state, const SamplePlotResult& result,
                            std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent = nullptr);

    QLabel* areaLabel() const { return m_areaLabel; }

public slots:
    /// "Show Polygon": hides the polygon when it is shown (and removes the check mark), shows it
    /// otherwise.
    void togglePolygon();
    /// Lets the user choose the polygon's colour; a cancelled dialog changes nothing.
    void choosePolygonColor();
    /// The polygon's line width, 1 to 5.
    void setPolygonThickness(int width);

private:
    QLabel* m_areaLabel;
    QAction* m_showPolygon = nullptr;
};

} // namespace tessaloc::ui
