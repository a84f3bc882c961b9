#pragma once

#include "analyses/AnalysisInput.h"
#include "core/Errors.h"
#include "core/RandomUniform.h"
#include "ui/shell/AnalysisTable.h"
#include "ui/shell/ResultsWindow.h"

#include <QMainWindow>
#include <QPointer>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tessaloc::ui {

class GeoDistanceGroup;
class RunController;
struct ProgramState;

/// The main window: the two input files, the kind of genetic data, whether the coordinates are
/// longitude/latitude, how the samples of the two files pair, the geographic distances, the analysis
/// and "Go". The analyses, their options windows and their results windows come from analysisTable().
/// A run goes on a worker thread; while it runs the status line shows its progress with a progress
/// bar and a "Cancel" button, and the rest of the window is disabled so that no second run can start.
/// The results window opens modally at the end.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(ProgramState& state, QWidget* parent = nullptr);
    ~MainWindow() override;

    /// Replaces the seeding of the runs, from the clock or from the seed fixed under "Options" >
    /// "Random Seed..." (tests use fixed states).
    void setRunGenerator(std::function<RandomUniform()> generator) { m_generator = std::move(generator); }
    /// True while an analysis runs.
    bool running() const;
    /// The private folder of the run in progress, where its report goes; empty when none runs.
    QString runFolder() const { return m_runFolder ? m_runFolder->path() : QString(); }
    /// The results window of the last run while it is open, else null.
    ResultsWindow* resultsWindow() const { return m_results; }

public slots:
    /// "Browse" for the coordinate file.
    void browseCoordinateFile();
    /// "Browse" for the genotype file.
    void browseGenotypeFile();
    /// "Go": checks the files and starts the analysis chosen in the list.
    void runSelectedAnalysis();
    /// "Help", and the first item of the Help menu.
    void showHelp();
    /// Asks the running analysis to stop; it ends with no report and no message.
    void cancelRun();
    /// Shows the options window of the analysis at list position `analysis` modally (nothing for
    /// an analysis without one).
    void showOptions(int analysis);
    void showAbout();
    /// "Tools" > "Build Resistance Surface...": the surface builder, modally.
    void showSurfaceBuilder();
    /// Puts `surface` into the box of "Geographic Distances": least-cost paths or circuit resistance
    /// stay as chosen, any other choice becomes least-cost paths.
    void useResistanceSurface(const QString& surface);

signals:
    /// A run has ended (after its results window has opened, when it has one).
    void runFinished(tessaloc::RunOutcome outcome);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    /// Fills `input` from the window's controls. Returns an empty text, or why no run can start:
    /// a file that does not open, or no kind of data chosen.
    QString fillAnalysisInput(AnalysisInput& input) const;
    void setRunning(bool running);
    void runFailed(const QString& reason);
    void onRunFinished(const tessaloc::RunStatus& status);

    ProgramState& m_state;
    std::function<RandomUniform()> m_generator;
    RunController* m_runs;

    QLineEdit* m_coordinateFileEdit;
    QLineEdit* m_genotypeFileEdit;
    QRadioButton* m_dataCodominant;
    QRadioButton* m_dataGenotypes;
    QRadioButton* m_dataSequences;
    QCheckBox* m_latLongCheck;
    QRadioButton* m_matchByName;
    QRadioButton* m_matchByOrder;
    GeoDistanceGroup* m_geoDistances;
    QComboBox* m_analysisList;
    QPushButton* m_runButton;
    QLabel* m_statusLabel;
    QProgressBar* m_progress;
    QPushButton* m_cancelButton;
    QWidget* m_controls;
    QMenuBar* m_menus = nullptr;

    // The run in progress: its private folder and how its results window is made.
    std::unique_ptr<QTemporaryDir> m_runFolder;
    ResultsWindowOpener m_openResults;
    QPointer<ResultsWindow> m_results;
    /// What the run warned of ("Warning: ..."), shown in the status line until the next run.
    QString m_runWarning;
    /// "Seed: S1,S2" of the run in progress or the last one, shown in the status line after it.
    QString m_runSeedText;
};

} // namespace tessaloc::ui
