#pragma once

#include "core/Errors.h"
#include "core/RandomUniform.h"
#include "ui/ResultsWindow.h"

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

namespace tessaloc {
struct MantelResult;
}

namespace tessaloc::ui {

class RunController;
struct ProgramState;

/// The analyses of the analysis list, in their order.
enum class Analysis {
    Mantel = 0,
    SpatialAutocorrelation = 1,
    AllelicAggregation = 2,
    LandscapeShape = 3,
    Monmonier = 4,
    SamplePlot = 5,
};

/// The main window: the two input files, the kind of genetic data, whether the coordinates are
/// longitude/latitude, the analysis and "Go". A run goes on a worker thread; while it runs the
/// status line shows its progress with a progress bar and a "Cancel" button, and the rest of the
/// window is disabled so that no second run can start. The results window opens modally at the end.
class mainform : public QMainWindow {
    Q_OBJECT
public:
    explicit mainform(ProgramState& state, QWidget* parent = nullptr);
    ~mainform() override;

    /// Replaces the clock seeding of the runs (tests use fixed states).
    void setRunGenerator(std::function<RandomUniform()> generator) { m_generator = std::move(generator); }
    /// True while an analysis runs.
    bool running() const;
    /// The private folder of the run in progress, where its report goes; empty when none runs.
    QString runFolder() const { return m_runDirectory ? m_runDirectory->path() : QString(); }
    /// The results window of the last run while it is open, else null.
    ResultsWindow* resultsWindow() const { return m_results; }

public slots:
    /// "Browse" for the coordinate file.
    void Command1_Click();
    /// "Browse" for the genotype file.
    void Command2_Click();
    /// "Go": checks the files and starts the chosen analysis.
    void Command3_Click();
    /// "Help", and the first item of the Help menu.
    void Command4_Click();
    /// Asks the running analysis to stop; it ends with no report and no message.
    void cancelRun();
    /// Shows the options window of `analysis` modally (no window for the sample plot).
    void showOptions(tessaloc::ui::Analysis analysis);
    void showAbout();

signals:
    /// A run has ended (after its results window has opened, when it has one).
    void runFinished(tessaloc::RunOutcome outcome);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void setRunning(bool running);
    void runFailed(const QString& reason);
    void startMantel(const std::string& coordinatePath, const std::string& genotypePath, int dataType, bool useLatLong);
    void onRunFinished(const tessaloc::RunStatus& status);

    ProgramState& m_state;
    std::function<RandomUniform()> m_generator;
    RunController* m_runs;

    QLineEdit* m_Text1;
    QLineEdit* m_Text2;
    QRadioButton* m_Option1;
    QRadioButton* m_Option2;
    QRadioButton* m_Option3;
    QCheckBox* m_Check1;
    QComboBox* m_Combo1;
    QPushButton* m_Command3;
    QLabel* m_Label5;
    QProgressBar* m_progress;
    QPushButton* m_cancel;
    QWidget* m_controls;
    QMenuBar* m_menus = nullptr;

    // The run in progress: its report directory and its result, handed to the results window.
    std::unique_ptr<QTemporaryDir> m_runDirectory;
    std::shared_ptr<MantelResult> m_mantelResult;
    QPointer<ResultsWindow> m_results;
};

} // namespace tessaloc::ui
