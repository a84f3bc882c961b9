#include "ui/MainForm.h"

#include "ui/AboutForms.h"
#include "ui/HelpViewer.h"
#include "ui/MantelPlotForm.h"
#include "ui/OptionsForms.h"
#include "ui/ProgramState.h"
#include "ui/RunController.h"
#include "ui/UiHooks.h"

#include "analyses/mantel/MantelTest.h"
#include "core/ReportWriter.h"

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

#include <filesystem>

namespace tessaloc::ui {

namespace {

template <typename Widget> Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

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

} // namespace

mainform::mainform(ProgramState& state, QWidget* parent)
    : QMainWindow(parent)
    , m_state(state)
    , m_runs(new RunController(this))
{
    setObjectName(QStringLiteral("mainform"));
    setWindowTitle(QStringLiteral("Tessaloc"));
    m_generator = [this] { return m_state.seeds.seedFromClock(); };

    m_controls = new QWidget(this);
    auto* grid = new QGridLayout(m_controls);
    grid->setContentsMargins(0, 0, 0, 0);
    m_Text1 = named(new QLineEdit(m_controls), "Text1");
    m_Text2 = named(new QLineEdit(m_controls), "Text2");
    m_Text1->setMinimumWidth(380);
    auto* browse1 = named(new QPushButton(QStringLiteral("Browse"), m_controls), "Command1");
    auto* browse2 = named(new QPushButton(QStringLiteral("Browse"), m_controls), "Command2");
    grid->addWidget(named(new QLabel(QStringLiteral("Select coordinate file"), m_controls), "Label1"), 0, 0, 1, 2);
    grid->addWidget(m_Text1, 1, 0);
    grid->addWidget(browse1, 1, 1);
    grid->addWidget(named(new QLabel(QStringLiteral("Select genotype file"), m_controls), "Label2"), 2, 0, 1, 2);
    grid->addWidget(m_Text2, 3, 0);
    grid->addWidget(browse2, 3, 1);

    auto* frame = named(new QGroupBox(QStringLiteral("Genetic Marker Type"), m_controls), "Frame1");
    m_Option1 = named(new QRadioButton(QStringLiteral("Diploid/Codominant Loci"), frame), "Option1");
    m_Option2 =
        named(new QRadioButton(QStringLiteral("Haploid Markers/Dominant Markers/Full Genotypes"), frame), "Option2");
    m_Option3 = named(new QRadioButton(QStringLiteral("DNA/Protein sequences"), frame), "Option3");
    m_Option1->setChecked(true);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_Option1);
    frameLayout->addWidget(m_Option2);
    frameLayout->addWidget(m_Option3);
    grid->addWidget(frame, 4, 0, 1, 2);
    m_Check1 = named(new QCheckBox(QStringLiteral("Coordinates are Latitude/Longitude"), m_controls), "Check1");
    grid->addWidget(m_Check1, 5, 0, 1, 2);

    grid->addWidget(named(new QLabel(QStringLiteral("Analysis type"), m_controls), "Label4"), 6, 0, 1, 2);
    m_Combo1 = named(new QComboBox(m_controls), "Combo1");
    m_Combo1->addItems(
        {QStringLiteral("Mantel Test"), QStringLiteral("Spatial Autocorrelation Analysis"),
         QStringLiteral("Allelic Aggregation Index Analysis"), QStringLiteral("Interpolate Genetic Landscape Shape"),
         QStringLiteral("Monmonier Maximum Difference Algorithm"), QStringLiteral("Show Plot of Sample Locations")});
    m_Combo1->setCurrentIndex(0);
    grid->addWidget(m_Combo1, 7, 0);
    m_Command3 = named(new QPushButton(QStringLiteral("Go"), m_controls), "Command3");
    auto* help = named(new QPushButton(QStringLiteral("Help"), m_controls), "Command4");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_Command3);
    buttons->addWidget(help);
    grid->addLayout(buttons, 8, 0, 1, 2);

    auto* line = named(new QFrame(this), "Line1");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    m_Label5 = named(new QLabel(this), "Label5");
    m_Label5->setMinimumWidth(160);
    m_progress = named(new QProgressBar(this), "RunProgress");
    m_cancel = named(new QPushButton(QStringLiteral("Cancel"), this), "CancelRun");
    m_progress->hide();
    m_cancel->hide();
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(m_Label5, 1);
    statusRow->addWidget(m_progress, 1);
    statusRow->addWidget(m_cancel);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(m_controls);
    layout->addWidget(line);
    layout->addLayout(statusRow);
    setCentralWidget(central);
    buildMenus();

    connect(browse1, &QPushButton::clicked, this, &mainform::Command1_Click);
    connect(browse2, &QPushButton::clicked, this, &mainform::Command2_Click);
    connect(m_Command3, &QPushButton::clicked, this, &mainform::Command3_Click);
    connect(help, &QPushButton::clicked, this, &mainform::Command4_Click);
    connect(m_cancel, &QPushButton::clicked, this, &mainform::cancelRun);
    connect(m_runs, &RunController::finished, this, &mainform::onRunFinished);
    connect(m_runs, &RunController::statusChanged, m_Label5, &QLabel::setText);
    connect(m_runs, &RunController::progressChanged, this, [this](qint64 done, qint64 total) {
        // Shown in thousandths, since counts may pass the bar's int range.
        m_progress->setRange(0, 1000);
        m_progress->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
    });
    connect(m_runs, &RunController::messageRequested, this, [this](const QString& text) { showMessage(this, text); });
}

mainform::~mainform()
{
    m_runs->cancelAndWait();
}

void mainform::buildMenus()
{
    m_menus = menuBar();
    QMenu* options = m_menus->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("optionsmenu"));
    struct Item {
        const char* caption;
        Analysis analysis;
        int index; ///< the item's index in the menu: 0, 1, 3, 4, 5 (there is no item 2)
    };
    const Item items[] = {
        {"Mantel test", Analysis::Mantel, 0},
        {"Spatial Autocorrelation", Analysis::SpatialAutocorrelation, 1},
        {"AAIA", Analysis::AllelicAggregation, 3},
        {"Landscape Shape Interpolation", Analysis::LandscapeShape, 4},
        {"Monmonier's Algorithm", Analysis::Monmonier, 5},
    };
    for (const Item& item : items) {
        options
            ->addAction(QString::fromLatin1(item.caption), this,
                        [this, analysis = item.analysis] { showOptions(analysis); })
            ->setObjectName(QStringLiteral("analysisoptions%1").arg(item.index));
    }
    QMenu* help = m_menus->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("helpmnu"));
    help->addAction(QStringLiteral("&Help"), this, &mainform::Command4_Click)
        ->setObjectName(QStringLiteral("hlpmnucont0"));
    help->addAction(QStringLiteral("&About/Citing this program"), this, &mainform::showAbout)
        ->setObjectName(QStringLiteral("hlpmnucont1"));
}

bool mainform::running() const
{
    return m_runs->running();
}

void mainform::Command1_Click()
{
    const QString chosen = uiHooks().openFileName(this, QStringLiteral("Select coordinate file"), m_Text1->text());
    if (!chosen.isEmpty())
        m_Text1->setText(QDir::toNativeSeparators(chosen));
}

void mainform::Command2_Click()
{
    const QString start = m_Text2->text().isEmpty() ? QFileInfo(m_Text1->text()).path() : m_Text2->text();
    const QString chosen = uiHooks().openFileName(this, QStringLiteral("Select genotype file"), start);
    if (!chosen.isEmpty())
        m_Text2->setText(QDir::toNativeSeparators(chosen));
}

void mainform::Command4_Click()
{
    ShowHelpTopic(this, m_state, QStringLiteral("Welcome"));
}

void mainform::showAbout()
{
    frmAbout about(this);
    about.exec();
}

void mainform::showOptions(Analysis analysis)
{
    std::unique_ptr<QDialog> window;
    switch (analysis) {
    case Analysis::Mantel:
        window = std::make_unique<MantelForm>(m_state, this);
        break;
    case Analysis::SpatialAutocorrelation:
        window = std::make_unique<SpatialAutocorrForm>(m_state, this);
        break;
    case Analysis::AllelicAggregation:
        window = std::make_unique<AAIAForm>(m_state, this);
        break;
    case Analysis::LandscapeShape:
        window = std::make_unique<InterpolateOptions>(m_state, this);
        break;
    case Analysis::Monmonier:
        window = std::make_unique<MonMonierOptionsForm>(m_state, this);
        break;
    case Analysis::SamplePlot:
        return;
    }
    window->exec();
}

void mainform::Command3_Click()
{
    if (running())
        return;
    const auto analysis = static_cast<Analysis>(m_Combo1->currentIndex());
    if (analysis != Analysis::Mantel) {
        showMessage(this, QStringLiteral("This analysis is not available in this version."));
        return;
    }

    m_state.RunDirectory = QDir::currentPath();
    const QString coordinatePath = m_Text1->text();
    const QString genotypePath = m_Text2->text();
    // Both files must open, for every analysis, before anything is read.
    for (const QString& path : {coordinatePath, genotypePath}) {
        if (!opens(path)) {
            runFailed(path.isEmpty() ? QStringLiteral("no file was named")
                                     : QStringLiteral("cannot open the file \"%1\"").arg(path));
            return;
        }
    }
    const int dataType = m_Option1->isChecked() ? 1 : m_Option2->isChecked() ? 2 : m_Option3->isChecked() ? 3 : 0;
    startMantel(localPath(coordinatePath), localPath(genotypePath), dataType, m_Check1->isChecked());
}

void mainform::startMantel(const std::string& coordinatePath, const std::string& genotypePath, int dataType,
                           bool useLatLong)
{
    if (dataType == 0) {
        runFailed(QStringLiteral("no kind of genetic data is selected"));
        return;
    }
    auto directory = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tessaloc-run-XXXXXX"));
    if (!directory->isValid()) {
        runFailed(QStringLiteral("cannot create a folder for the report: ") + directory->errorString());
        return;
    }
    MantelInput input;
    input.coordinatePath = coordinatePath;
    input.genotypePath = genotypePath;
    input.dataType = static_cast<DataType>(dataType);
    input.useLatLong = useLatLong;
    input.settings.permutations = m_state.settings.MantelPermutations;
    input.settings.logGeographic = m_state.settings.MantelLogGeo == 1;
    input.settings.logGenetic = m_state.settings.MantelLogGen == 1;

    const std::filesystem::path reportDirectory(localPath(directory->path()));
    auto result = std::make_shared<MantelResult>();
    m_runDirectory = std::move(directory);
    m_mantelResult = result;
    RandomUniform random = m_generator();
    setRunning(true);
    m_runs->start([input, random, result, reportDirectory](RunListener& listener) mutable {
        *result = RunMantelTest(input, random, listener);
        listener.throwIfCancelled();
        writeReportFile(reportDirectory, kMantelReportFileName,
                        [&](ReportWriter& report) { WriteMantelReport(report, *result); });
    });
}

void mainform::setRunning(bool isRunning)
{
    m_controls->setEnabled(!isRunning);
    m_menus->setEnabled(!isRunning);
    m_progress->setVisible(isRunning);
    m_cancel->setVisible(isRunning);
    m_cancel->setEnabled(isRunning);
    if (isRunning) {
        m_progress->setRange(0, 0); // busy until the first count arrives
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        QApplication::restoreOverrideCursor();
        m_Label5->clear();
    }
}

void mainform::runFailed(const QString& reason)
{
    m_Label5->clear();
    showMessage(this,
                QString::fromLatin1(kGeneralErrorMessage.data(), static_cast<qsizetype>(kGeneralErrorMessage.size())),
                reason);
    emit runFinished(RunOutcome::AnalysisError);
}

void mainform::cancelRun()
{
    if (!running())
        return;
    m_cancel->setEnabled(false);
    m_Label5->setText(QStringLiteral("Cancelling"));
    m_runs->cancel();
}

void mainform::onRunFinished(const RunStatus& status)
{
    setRunning(false);
    std::unique_ptr<QTemporaryDir> directory = std::move(m_runDirectory);
    std::shared_ptr<MantelResult> result = std::move(m_mantelResult);
    switch (status.outcome) {
    case RunOutcome::Success: {
        auto* window = new MantelPlotForm(m_state, *result, std::move(directory), this);
        window->setWindowModality(Qt::ApplicationModal);
        m_results = window;
        window->show();
        break;
    }
    case RunOutcome::DataProblem:
        showMessage(this, QString::fromLatin1(status.text), QString::fromLocal8Bit(status.detail));
        break;
    case RunOutcome::AnalysisError:
        if (status.ownMessage)
            showMessage(this, QString::fromLocal8Bit(status.text));
        else
            showMessage(
                this,
                QString::fromLatin1(kGeneralErrorMessage.data(), static_cast<qsizetype>(kGeneralErrorMessage.size())),
                QString::fromLocal8Bit(status.text));
        break;
    case RunOutcome::Cancelled:
        break;
    }
    // `directory` still held here (every outcome but success) is removed with whatever it holds.
    emit runFinished(status.outcome);
}

void mainform::closeEvent(QCloseEvent* event)
{
    // A run still going is stopped before the window goes, so that no thread outlives it.
    m_runs->cancelAndWait();
    QMainWindow::closeEvent(event);
}

} // namespace tessaloc::ui
