#include "ui/shell/MainWindow.h"

#include "ui/shell/AboutDialog.h"
#include "ui/shell/GeoDistanceGroup.h"
#include "ui/shell/HelpWindow.h"
#include "ui/shell/PermutationSchemeDialog.h"
#include "ui/shell/ProgramState.h"
#include "ui/shell/RandomSeedDialog.h"
#include "ui/shell/RunController.h"
#include "ui/shell/SurfaceBuilderDialog.h"
#include "ui/widgets/UiHooks.h"
#include "ui/widgets/WindowParts.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace tessaloc::ui {

namespace {

std::string localPath(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

/// True when the file can be opened for reading (it is closed again at once).
bool opens(const QString& path)
{
    if (path.isEmpty())
        return false;
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
}

QString generalErrorMessage()
{
    return QString::fromLatin1(kGeneralErrorMessage.data(), static_cast<qsizetype>(kGeneralErrorMessage.size()));
}

} // namespace

MainWindow::MainWindow(ProgramState& state, QWidget* parent)
    : QMainWindow(parent)
    , m_state(state)
    , m_runs(new RunController(this))
{
    setObjectName(QStringLiteral("mainform"));
    setWindowTitle(QStringLiteral("Tessaloc"));
    m_generator = [this] {
        if (m_state.fixedSeed)
            return RandomUniform(m_state.fixedSeed->first, m_state.fixedSeed->second);
        return m_state.seeds.seedFromClock();
    };

    // Made in the order Tab visits them: each file box, then its own "Browse".
    m_controls = new QWidget(this);
    auto* grid = new QGridLayout(m_controls);
    grid->setContentsMargins(0, 0, 0, 0);
    auto* coordinateLabel = named(new QLabel(QStringLiteral("Select coordinate file"), m_controls), "Label1");
    m_coordinateFileEdit = named(new QLineEdit(m_controls), "Text1");
    m_coordinateFileEdit->setMinimumWidth(380);
    auto* coordinateBrowse = named(new QPushButton(QStringLiteral("Browse"), m_controls), "Command1");
    auto* genotypeLabel = named(new QLabel(QStringLiteral("Select genotype file"), m_controls), "Label2");
    m_genotypeFileEdit = named(new QLineEdit(m_controls), "Text2");
    auto* genotypeBrowse = named(new QPushButton(QStringLiteral("Browse"), m_controls), "Command2");
    coordinateLabel->setBuddy(m_coordinateFileEdit);
    genotypeLabel->setBuddy(m_genotypeFileEdit);
    grid->addWidget(coordinateLabel, 0, 0, 1, 2);
    grid->addWidget(m_coordinateFileEdit, 1, 0);
    grid->addWidget(coordinateBrowse, 1, 1);
    grid->addWidget(genotypeLabel, 2, 0, 1, 2);
    grid->addWidget(m_genotypeFileEdit, 3, 0);
    grid->addWidget(genotypeBrowse, 3, 1);

    auto* frame = named(new QGroupBox(QStringLiteral("Genetic Marker Type"), m_controls), "Frame1");
    m_dataCodominant = named(new QRadioButton(QStringLiteral("Diploid/Codominant Loci"), frame), "Option1");
    m_dataGenotypes =
        named(new QRadioButton(QStringLiteral("Haploid Markers/Dominant Markers/Full Genotypes"), frame), "Option2");
    m_dataSequences = named(new QRadioButton(QStringLiteral("DNA/Protein sequences"), frame), "Option3");
    m_dataCodominant->setChecked(true);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_dataCodominant);
    frameLayout->addWidget(m_dataGenotypes);
    frameLayout->addWidget(m_dataSequences);
    grid->addWidget(frame, 4, 0, 1, 2);
    m_latLongCheck = named(new QCheckBox(QStringLiteral("Coordinates are Latitude/Longitude"), m_controls), "Check1");
    grid->addWidget(m_latLongCheck, 5, 0, 1, 2);
    // How the samples of a genotype file that names them (VCF, GENEPOP, GenAlEx) go with the
    // coordinates; the program's own files always pair by order.
    auto* matching = new QWidget(m_controls);
    m_matchByName = named(new QRadioButton(QStringLiteral("Match samples by name"), matching), "matchByName");
    m_matchByOrder = named(new QRadioButton(QStringLiteral("by order in the files"), matching), "matchByOrder");
    m_matchByName->setChecked(true);
    auto* matchingLayout = new QHBoxLayout(matching);
    matchingLayout->setContentsMargins(0, 0, 0, 0);
    matchingLayout->addWidget(m_matchByName);
    matchingLayout->addWidget(m_matchByOrder);
    matchingLayout->addStretch();
    grid->addWidget(matching, 6, 0, 1, 2);
    m_geoDistances =
        new GeoDistanceGroup([this] { return QFileInfo(m_coordinateFileEdit->text()).path(); }, m_controls);
    grid->addWidget(m_geoDistances, 7, 0, 1, 2);

    auto* analysisLabel = named(new QLabel(QStringLiteral("Analysis type"), m_controls), "Label4");
    grid->addWidget(analysisLabel, 8, 0, 1, 2);
    m_analysisList = named(new QComboBox(m_controls), "Combo1");
    analysisLabel->setBuddy(m_analysisList);
    for (const AnalysisEntry& analysis : analysisTable())
        m_analysisList->addItem(analysis.listText);
    m_analysisList->setCurrentIndex(0);
    grid->addWidget(m_analysisList, 9, 0);
    m_runButton = named(new QPushButton(QStringLiteral("Go"), m_controls), "Command3");
    auto* helpButton = named(new QPushButton(QStringLiteral("Help"), m_controls), "Command4");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_runButton);
    buttons->addWidget(helpButton);
    grid->addLayout(buttons, 10, 0, 1, 2);

    auto* line = named(new QFrame(this), "Line1");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    m_statusLabel = named(new QLabel(this), "Label5");
    m_statusLabel->setMinimumWidth(160);
    m_statusLabel->setWordWrap(true);
    m_progress = named(new QProgressBar(this), "RunProgress");
    m_cancelButton = named(new QPushButton(QStringLiteral("Cancel"), this), "CancelRun");
    m_progress->hide();
    m_cancelButton->hide();
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(m_statusLabel, 1);
    statusRow->addWidget(m_progress, 1);
    statusRow->addWidget(m_cancelButton);

    // A taller window grows the empty space above the status line, never the gaps between the
    // controls or the status line itself, so that every label stays by its box.
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(m_controls);
    layout->addStretch(1);
    layout->addWidget(line);
    layout->addLayout(statusRow);
    setCentralWidget(central);
    buildMenus();

    connect(coordinateBrowse, &QPushButton::clicked, this, &MainWindow::browseCoordinateFile);
    connect(genotypeBrowse, &QPushButton::clicked, this, &MainWindow::browseGenotypeFile);
    connect(m_runButton, &QPushButton::clicked, this, &MainWindow::runSelectedAnalysis);
    connect(helpButton, &QPushButton::clicked, this, &MainWindow::showHelp);
    connect(m_cancelButton, &QPushButton::clicked, this, &MainWindow::cancelRun);
    connect(m_runs, &RunController::finished, this, &MainWindow::onRunFinished);
    showRunProgress(*m_runs, *m_statusLabel, *m_progress, *this);
    // A warning does not stop the run: it shows at once and again once the run has ended, so that a
    // user who looked away still reads it.
    connect(m_runs, &RunController::warningRaised, this, [this](const QString& text) {
        m_runWarning = QStringLiteral("Warning: ") + text;
        m_statusLabel->setText(m_runWarning);
    });
}

MainWindow::~MainWindow()
{
    m_runs->cancelAndWait();
}

void MainWindow::buildMenus()
{
    m_menus = menuBar();
    QMenu* options = m_menus->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("optionsmenu"));
    const std::vector<AnalysisEntry>& analyses = analysisTable();
    for (int analysis = 0; analysis < static_cast<int>(analyses.size()); ++analysis) {
        const OptionsMenuItem& item = analyses[static_cast<size_t>(analysis)].options;
        if (!item.window)
            continue;
        options->addAction(item.caption, this, [this, analysis] { showOptions(analysis); })
            ->setObjectName(QStringLiteral("analysisoptions%1").arg(item.index));
    }
    options->addSeparator();
    options
        ->addAction(QStringLiteral("Permutation Scheme"), this,
                    [this] { PermutationSchemeDialog(m_state, this).exec(); })
        ->setObjectName(QStringLiteral("permutationscheme"));
    options->addAction(QStringLiteral("Random Seed..."), this, [this] { RandomSeedDialog(m_state, this).exec(); })
        ->setObjectName(QStringLiteral("randomseed"));
    QMenu* tools = m_menus->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("toolsmenu"));
    tools->addAction(QStringLiteral("Build Resistance Surface..."), this, &MainWindow::showSurfaceBuilder)
        ->setObjectName(QStringLiteral("buildsurface"));
    QMenu* help = m_menus->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("helpmnu"));
    help->addAction(QStringLiteral("&Help"), this, &MainWindow::showHelp)->setObjectName(QStringLiteral("hlpmnucont0"));
    help->addAction(QStringLiteral("&About/Citing this program"), this, &MainWindow::showAbout)
        ->setObjectName(QStringLiteral("hlpmnucont1"));
}

bool MainWindow::running() const
{
    return m_runs->running();
}

void MainWindow::browseCoordinateFile()
{
    const QString chosen =
        uiHooks().openFileName(this, QStringLiteral("Select coordinate file"), m_coordinateFileEdit->text());
    if (!chosen.isEmpty())
        m_coordinateFileEdit->setText(QDir::toNativeSeparators(chosen));
}

void MainWindow::browseGenotypeFile()
{
    const QString start = m_genotypeFileEdit->text().isEmpty() ? QFileInfo(m_coordinateFileEdit->text()).path()
                                                               : m_genotypeFileEdit->text();
    const QString chosen = uiHooks().openFileName(this, QStringLiteral("Select genotype file"), start);
    if (!chosen.isEmpty())
        m_genotypeFileEdit->setText(QDir::toNativeSeparators(chosen));
}

void MainWindow::showHelp()
{
    ShowHelpTopic(this, m_state, QStringLiteral("Welcome"));
}

void MainWindow::showAbout()
{
    AboutDialog about(this);
    about.exec();
}

void MainWindow::showSurfaceBuilder()
{
    SurfaceBuilderDialog builder(
        m_state, [this](const QString& surface) { useResistanceSurface(surface); }, this);
    builder.exec();
}

void MainWindow::useResistanceSurface(const QString& surface)
{
    GeoDistanceSettings settings = m_geoDistances->settings();
    if (settings.kind != GeoDistanceKind::LeastCost && settings.kind != GeoDistanceKind::Circuit)
        settings.kind = GeoDistanceKind::LeastCost;
    settings.file = localPath(QDir::toNativeSeparators(surface));
    m_geoDistances->setSettings(settings);
}

void MainWindow::showOptions(int analysis)
{
    const std::vector<AnalysisEntry>& analyses = analysisTable();
    if (analysis < 0 || analysis >= static_cast<int>(analyses.size()))
        return;
    if (const OptionsWindowFactory makeWindow = analyses[static_cast<size_t>(analysis)].options.window)
        makeWindow(m_state, this)->exec();
}

QString MainWindow::fillAnalysisInput(AnalysisInput& input) const
{
    // Both files must open, for every analysis, before anything is read.
    for (const QLineEdit* box : {m_coordinateFileEdit, m_genotypeFileEdit}) {
        const QString path = box->text();
        if (!opens(path))
            return path.isEmpty() ? QStringLiteral("no file was named")
                                  : QStringLiteral("cannot open the file \"%1\"").arg(path);
    }
    if (m_dataCodominant->isChecked())
        input.dataType = DataType::Codominant;
    else if (m_dataGenotypes->isChecked())
        input.dataType = DataType::Genotypes;
    else if (m_dataSequences->isChecked())
        input.dataType = DataType::Sequences;
    else
        return QStringLiteral("no kind of genetic data is selected");
    input.coordinatePath = localPath(m_coordinateFileEdit->text());
    input.genotypePath = localPath(m_genotypeFileEdit->text());
    input.useLatLong = m_latLongCheck->isChecked();
    input.sampleMatching = m_matchByOrder->isChecked() ? SampleMatching::ByOrder : SampleMatching::ByName;
    input.geoDistances = m_geoDistances->settings();
    return {};
}

void MainWindow::runSelectedAnalysis()
{
    if (running())
        return;
    const int position = m_analysisList->currentIndex();
    const std::vector<AnalysisEntry>& analyses = analysisTable();
    if (position < 0 || position >= static_cast<int>(analyses.size()))
        return;

    m_state.RunDirectory = QDir::currentPath();
    RunContext context{.files = {}, .settings = m_state.settings, .random = m_generator(), .runFolder = {}};
    if (const QString problem = fillAnalysisInput(context.files); !problem.isEmpty()) {
        runFailed(problem);
        return;
    }
    auto runFolder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tessaloc-run-XXXXXX"));
    if (!runFolder->isValid()) {
        runFailed(QStringLiteral("cannot create a folder for the report: ") + runFolder->errorString());
        return;
    }
    context.runFolder = localPath(runFolder->path());

    m_state.lastRunSeed = std::make_pair(context.random.state1(), context.random.state2());
    m_runSeedText = QStringLiteral("Seed: %1,%2").arg(context.random.state1()).arg(context.random.state2());
    PreparedRun run = analyses[static_cast<size_t>(position)].start(std::move(context));
    m_runFolder = std::move(runFolder);
    m_openResults = std::move(run.openResults);
    setRunning(true);
    m_runs->start(std::move(run.work));
}

void MainWindow::setRunning(bool isRunning)
{
    m_controls->setEnabled(!isRunning);
    m_menus->setEnabled(!isRunning);
    m_progress->setVisible(isRunning);
    m_cancelButton->setVisible(isRunning);
    m_cancelButton->setEnabled(isRunning);
    if (isRunning) {
        m_runWarning.clear();
        m_progress->setRange(0, 0); // busy until the first count arrives
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        QApplication::restoreOverrideCursor();
        m_statusLabel->setText(m_runWarning);
    }
}

void MainWindow::runFailed(const QString& reason)
{
    m_statusLabel->clear();
    showMessage(this, generalErrorMessage(), reason);
    emit runFinished(RunOutcome::AnalysisError);
}

void MainWindow::cancelRun()
{
    if (!running())
        return;
    m_cancelButton->setEnabled(false);
    m_statusLabel->setText(QStringLiteral("Cancelling"));
    m_runs->cancel();
}

void MainWindow::onRunFinished(const RunStatus& status)
{
    setRunning(false);
    // A run that ended, in results or in a message, leaves its seed in the status line, after any
    // warning; a cancelled one leaves nothing to repeat.
    if (status.outcome != RunOutcome::Cancelled)
        m_statusLabel->setText(m_runWarning.isEmpty() ? m_runSeedText
                                                      : m_runWarning + QLatin1Char('\n') + m_runSeedText);
    std::unique_ptr<QTemporaryDir> runFolder = std::move(m_runFolder);
    const ResultsWindowOpener openResults = std::move(m_openResults);
    m_openResults = nullptr;
    switch (status.outcome) {
    case RunOutcome::Success:
        if (ResultsWindow* window = openResults(m_state, std::move(runFolder), this)) {
            window->setWindowModality(Qt::ApplicationModal);
            m_results = window;
            window->show();
        }
        break;
    case RunOutcome::DataProblem:
        showMessage(this, QString::fromLatin1(status.text), QString::fromLocal8Bit(status.detail));
        break;
    case RunOutcome::AnalysisError:
        if (status.ownMessage)
            showMessage(this, QString::fromLocal8Bit(status.text));
        else
            showMessage(this, generalErrorMessage(), QString::fromLocal8Bit(status.text));
        break;
    case RunOutcome::Cancelled:
        break;
    }
    // `runFolder` still held here (every outcome but success) is removed with whatever it holds.
    emit runFinished(status.outcome);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A run still going is stopped before the window goes, so that no thread outlives it.
    m_runs->cancelAndWait();
    QMainWindow::closeEvent(event);
}

} // namespace tessaloc::ui
