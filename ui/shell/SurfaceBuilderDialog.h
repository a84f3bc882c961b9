#pragma once

#include "core/Errors.h"
#include "resistance/SurfaceBuilder.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace tessaloc::ui {

class RunController;
class SurfacePreview;
struct ProgramState;

/// "Tools" > "Build Resistance Surface...": a resistance surface from GIS layers, as the batch
/// program's `surface` builds it. The list of layers (`surfaceLayers`; "Add...", "Remove", "Up",
/// "Down"; the first sets the grid), the rule of the selected layer as `--layer FILE:SPEC` writes it
/// (`surfaceLayerRule`, with "Class Table..." for classes=TABLE.csv), the preview with its colour bar
/// (`surfacePreview`), "Preview" (`surfaceBuild`), "Save..." (`surfaceSave`: the GeoTIFF and, beside
/// it, Surface-Results.txt) and "Use in the analyses" (`surfaceUse`: hands the saved file to the main
/// window). The surface is built on a worker thread, with its progress and "Cancel".
class SurfaceBuilderDialog : public QDialog {
    Q_OBJECT
public:
    /// `useSurface` receives the file saved last when the user presses "Use in the analyses".
    SurfaceBuilderDialog(ProgramState& state, std::function<void(const QString&)> useSurface,
                         QWidget* parent = nullptr);
    ~SurfaceBuilderDialog() override;

    bool running() const;
    /// The surface file saved last; empty before the first save.
    const QString& savedFile() const { return m_savedFile; }

public slots:
    /// "Add...": a raster chosen in a file dialog becomes the last layer, selected, its rule to fill in.
    void addLayer();
    void removeLayer();
    void moveLayerUp();
    void moveLayerDown();
    /// "Class Table...": the selected layer's rule becomes classes= the table chosen.
    void chooseClassTable();
    /// "Preview": builds the surface and shows it.
    void buildPreview();
    /// "Save...": asks for the file, builds the surface, writes it and its report, and shows it.
    void saveSurface();
    /// "Use in the analyses".
    void useSavedSurface();
    /// "Cancel" while a surface is being built.
    void cancelBuild();

    /// "Close" (and Escape): stops a build still going first.
    void reject() override;

signals:
    /// A build has ended: saved, shown, failed or cancelled.
    void buildFinished(tessaloc::RunOutcome outcome);

private:
    /// The layers of the list with their rules; a message names the first layer whose rule cannot be
    /// read, and nothing is returned.
    std::optional<SurfaceSettings> readSettings();
    void startBuild(SurfaceSettings settings, const QString& output);
    void onBuildFinished(const tessaloc::RunStatus& status);
    void setRunning(bool running);
    void showSelectedRule();
    void storeRule(const QString& rule);
    void moveLayer(int step);

    ProgramState& m_state;
    std::function<void(const QString&)> m_useSurface;
    RunController* m_runs;
    QListWidget* m_layerList;
    QLineEdit* m_ruleEdit;
    QPushButton* m_classTableButton;
    QPushButton* m_addButton;
    QPushButton* m_removeButton;
    QPushButton* m_upButton;
    QPushButton* m_downButton;
    SurfacePreview* m_preview;
    QPushButton* m_previewButton;
    QPushButton* m_saveButton;
    QPushButton* m_useButton;
    QPushButton* m_cancelButton;
    QLabel* m_statusLabel;
    QProgressBar* m_progress;
    QWidget* m_controls;

    /// Filled on the worker thread; read once the build has finished.
    std::shared_ptr<SurfaceResult> m_result;
    QString m_output;
    QString m_savedFile;
    QString m_warning;
};

} // namespace tessaloc::ui
