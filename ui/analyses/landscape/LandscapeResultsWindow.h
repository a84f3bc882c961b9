#pragma once

#include "ui/shell/ResultsWindow.h"

#include "analyses/landscape/GridInterpolation.h"
#include "analyses/landscape/Landscape.h"
#include "core/Errors.h"

#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tessaloc::ui {

class LandscapeSurfaceView;
class MapView;
class RunController;

/// "Landscape Shape": the viewer of the landscape shape analysis. Four pages: "Landscape Shape Plot"
/// (the interpolated grid as a 3-D surface with the X, Y and Z readouts of the node under the mouse),
/// "Text Results" (the report), "Interpolation Parameters" (shown first: the bins, the distance
/// weight and "Start") and "Connectivity Network" (the network on a map of the sample area with the
/// mouse's map coordinates).
///
/// "Start" interpolates on a worker thread with progress and "Cancel"; a press that succeeds
/// appends its "INTERPOLATION OUTPUT" section to the report and shows its grid, while one that fails
/// or is cancelled leaves the previous grid, surface and report as they were. The last grid can be
/// saved as an ESRI ASCII grid or a table ("Save Grid...").
class LandscapeResultsWindow : public ResultsWindow {
    Q_OBJECT
public:
    /// Shows `shape`; its report lies in `runFolder` and goes when the window closes.
    LandscapeResultsWindow(ProgramState& state, const LandscapeResult& shape, std::unique_ptr<QTemporaryDir> runFolder,
                           QWidget* parent = nullptr);
    ~LandscapeResultsWindow() override;

    LandscapeSurfaceView* surfaceView() const { return m_surface; }
    MapView* networkMap() const { return m_network; }
    /// The grid of the last press of "Start" that succeeded, or null before the first.
    const InterpolationGrid* grid() const { return m_grid ? &*m_grid : nullptr; }
    const SurfaceLayout* surfaceLayout() const { return m_grid ? &m_layout : nullptr; }
    bool interpolating() const;

public slots:
    /// "Start": reads the three boxes and interpolates on the worker thread.
    void startInterpolation();
    /// Asks a running interpolation to stop; the previous grid stays.
    void cancelInterpolation();
    /// Asks for a file name and saves the last grid there.
    void saveGrid();
    /// Saves the last grid as `fileName` (a table when it ends in .csv, otherwise an ESRI ASCII
    /// grid); a problem is shown as a message. Returns false when nothing was written.
    bool saveGridTo(const QString& fileName);
    /// The surface to the clipboard as a picture.
    void copySurface();
    /// Lets the user choose a printer (or a PDF file) and prints the surface.
    void printSurface();
    /// Prints the surface on a printer already set up; false when nothing could be drawn.
    bool printSurfaceTo(QPrinter& printer);
    /// The network map to the clipboard as a bitmap.
    void copyNetwork();
    /// The readouts of the node at (row, column) of the surface, or cleared for (-1, -1).
    void showNodeReadout(int row, int column);

signals:
    /// A press of "Start" has ended (with the outcome of its run, RunOutcome::DataProblem for the
    /// bin and interpolation messages).
    void interpolationFinished(tessaloc::RunOutcome outcome);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* makePlotPage();
    QWidget* makeParametersPage();
    QWidget* makeNetworkPage();
    void makeMenus();
    void onInterpolationFinished(const RunStatus& status);
    void setInterpolating(bool running);
    /// Draws the last grid as the check mark of "Show full rectangular grid" says.
    void drawSurface();
    void chooseSurfaceColor(void (LandscapeSurfaceView::*set)(const QColor&), QColor current);
    void chooseBackgroundColor();
    void askZoom();
    void syncSideChecks();

    struct PressResult {
        InterpolationGrid grid;
        SurfaceLayout layout;
        std::shared_ptr<const ReportLineIndex> reportIndex; ///< of the report with the new section
    };

    LandscapeResult m_shape;
    std::optional<InterpolationGrid> m_grid;
    SurfaceLayout m_layout;
    std::shared_ptr<PressResult> m_pending;
    RunController* m_runs;

    LandscapeSurfaceView* m_surface = nullptr;
    QLabel* m_surfaceStatus = nullptr;
    QLabel* m_xReadout = nullptr;
    QLabel* m_yReadout = nullptr;
    QLabel* m_zReadout = nullptr;
    QLineEdit* m_xBinsEdit = nullptr;
    QLineEdit* m_yBinsEdit = nullptr;
    QLineEdit* m_weightEdit = nullptr;
    QPushButton* m_startButton = nullptr;
    QLabel* m_statusLabel = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancelButton = nullptr;
    MapView* m_network = nullptr;
    QLabel* m_networkReadout = nullptr;

    QAction* m_saveGridAction = nullptr;
    QAction* m_wireframeAction = nullptr;
    QAction* m_swapXAction = nullptr;
    QAction* m_swapYAction = nullptr;
    QAction* m_baseLinesAction = nullptr;
    QAction* m_axisLabelsAction = nullptr;
    QAction* m_fullGridAction = nullptr;
};

} // namespace tessaloc::ui
