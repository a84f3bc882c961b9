#include "ui/analyses/landscape/LandscapeResultsWindow.h"

#include "ui/shell/ProgramState.h"
#include "ui/shell/RunController.h"
#include "ui/widgets/LandscapeSurfaceView.h"
#include "ui/widgets/MapView.h"
#include "ui/widgets/NumericText.h"
#include "ui/widgets/UiHooks.h"
#include "ui/widgets/WindowParts.h"
#include "ui/widgets/ZoomDialog.h"

#include "core/NumberText.h"
#include "core/ReportWriter.h"
#include "formats/GridExport.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

namespace tessaloc::ui {

namespace {

enum Page { PlotPage = 0, TextPage = 1, ParametersPage = 2, NetworkPage = 3 };

QString plain(double value)
{
    return QString::fromStdString(plainText(value));
}

std::filesystem::path localPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// Appends the section of `grid` to the report in `folder`. The whole new report goes to a temporary
// file that replaces the old one only once it is complete, so the report is never half-written.
void appendInterpolationSection(const std::filesystem::path& folder, const InterpolationGrid& grid)
{
    const std::filesystem::path path = folder / kLandscapeReportFileName;
    std::ifstream in(path, std::ios::binary);
    std::string report((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.is_open() || in.bad())
        throw AnalysisError("cannot read the report \"" + path.string() + "\"");
    report += InterpolationSection(grid);
    writeReportFile(folder, kLandscapeReportFileName, report);
}

void setBackColor(QLabel* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, color);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

QAction* addCheckable(QMenu* menu, const QString& caption, const char* name)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setCheckable(true);
    return action;
}

} // namespace

LandscapeResultsWindow::LandscapeResultsWindow(ProgramState& state, const LandscapeResult& shape,
                                               std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent)
    : ResultsWindow(state, QStringLiteral("Genetic Landscape Interpolation Editor/Viewer"), std::move(runFolder),
                    parent)
    , m_shape(shape)
    , m_runs(new RunController(this))
{
    setObjectName(QStringLiteral("InterpolateForm"));
    setWindowTitle(QStringLiteral("Landscape Shape"));

    tabs()->addTab(makePlotPage(), QStringLiteral("Landscape Shape Plot"));
    addReportPage(QStringLiteral("Text Results"));
    tabs()->addTab(makeParametersPage(), QStringLiteral("Interpolation Parameters"));
    tabs()->addTab(makeNetworkPage(), QStringLiteral("Connectivity Network"));
    tabs()->setCurrentIndex(ParametersPage);
    loadReport(QString::fromLatin1(kLandscapeReportFileName));
    makeMenus();

    connect(m_runs, &RunController::finished, this, &LandscapeResultsWindow::onInterpolationFinished);
    showRunProgress(*m_runs, *m_statusLabel, *m_progress, *this);
    resize(900, 680);
}

LandscapeResultsWindow::~LandscapeResultsWindow()
{
    // The worker reads this window's data: it ends before they go.
    m_runs->cancelAndWait();
}

QWidget* LandscapeResultsWindow::makePlotPage()
{
    auto* page = new QWidget(tabs());
    auto* layout = new QVBoxLayout(page);
    m_surface = named(new LandscapeSurfaceView(page), "TChart1");
    layout->addWidget(m_surface, 1);
    m_surfaceStatus = named(new QLabel(page), "SurfaceStatus");
    m_surfaceStatus->setWordWrap(true);
    m_surfaceStatus->hide();
    layout->addWidget(m_surfaceStatus);
    auto* readouts = new QHBoxLayout;
    m_xReadout = named(new QLabel(QStringLiteral("X:"), page), "XLabel");
    m_yReadout = named(new QLabel(QStringLiteral("Y:"), page), "Ylabel");
    m_zReadout = named(new QLabel(QStringLiteral("Z:"), page), "Zlabel");
    for (QLabel* readout : {m_xReadout, m_yReadout, m_zReadout}) {
        readout->setMinimumWidth(200);
        readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
        setBackColor(readout, m_surface->backgroundColor());
        readouts->addWidget(readout, 1);
    }
    layout->addLayout(readouts);
    connect(m_surface, &LandscapeSurfaceView::nodeHovered, this, &LandscapeResultsWindow::showNodeReadout);
    connect(m_surface, &LandscapeSurfaceView::sidesChanged, this, &LandscapeResultsWindow::syncSideChecks);
    return page;
}

QWidget* LandscapeResultsWindow::makeParametersPage()
{
    auto* page = new QWidget(tabs());
    auto* layout = new QVBoxLayout(page);
    auto* caption =
        named(new QLabel(QStringLiteral("Inverse distance weighted interpolation"), page), "InterpolationCaption");
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    layout->addWidget(caption);

    auto* boxes = new QGridLayout;
    m_xBinsEdit = numberBox(page, "Text1", QStringLiteral("50"));
    m_yBinsEdit = numberBox(page, "Text2", QStringLiteral("50"));
    m_weightEdit = numberBox(page, "Text3", QStringLiteral("1"));
    const std::tuple<QString, QLineEdit*, const char*> rows[] = {
        {QStringLiteral("# of bins (X coord: 1-500)"), m_xBinsEdit, "XBinsCaption"},
        {QStringLiteral("# of bins (Y coord: 1-500)"), m_yBinsEdit, "YBinsCaption"},
        {QStringLiteral("Distance weight value"), m_weightEdit, "WeightCaption"},
    };
    int row = 0;
    for (const auto& [text, box, name] : rows) {
        auto* label = named(new QLabel(text, page), name);
        label->setBuddy(box);
        boxes->addWidget(label, row, 0);
        boxes->addWidget(box, row, 1);
        ++row;
    }
    boxes->setColumnStretch(2, 1);
    layout->addLayout(boxes);

    auto* buttons = new QHBoxLayout;
    m_startButton = named(new QPushButton(QStringLiteral("Start"), page), "Command1");
    auto* helpButton = named(new QPushButton(QStringLiteral("Help"), page), "Command2");
    buttons->addWidget(m_startButton);
    buttons->addWidget(helpButton);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    const DataExtents& extents = m_shape.data;
    layout->addWidget(
        named(new QLabel(QStringLiteral("X Range = ") + plain(extents.DataMaxX - extents.DataMinX), page), "XRange"));
    layout->addWidget(
        named(new QLabel(QStringLiteral("Y Range = ") + plain(extents.DataMaxY - extents.DataMinY), page), "YRange"));
    layout->addStretch(1);

    auto* status = new QHBoxLayout;
    m_statusLabel = named(new QLabel(page), "Label5");
    m_statusLabel->setMinimumWidth(160);
    m_progress = named(new QProgressBar(page), "InterpolationProgress");
    m_cancelButton = named(new QPushButton(QStringLiteral("Cancel"), page), "CancelInterpolation");
    m_progress->hide();
    m_cancelButton->hide();
    status->addWidget(m_statusLabel, 1);
    status->addWidget(m_progress, 1);
    status->addWidget(m_cancelButton);
    layout->addLayout(status);

    connect(m_startButton, &QPushButton::clicked, this, &LandscapeResultsWindow::startInterpolation);
    connect(helpButton, &QPushButton::clicked, this, &ResultsWindow::showHelp);
    connect(m_cancelButton, &QPushButton::clicked, this, &LandscapeResultsWindow::cancelInterpolation);
    return page;
}

QWidget* LandscapeResultsWindow::makeNetworkPage()
{
    auto* page = new QWidget(tabs());
    auto* layout = new QVBoxLayout(page);
    m_network = named(new MapView(page), "Picture1");
    m_network->setExtents(m_shape.map);
    MapLayer lines;
    lines.lines.reserve(static_cast<qsizetype>(m_shape.LandscapeEdges.size()));
    for (const LandscapeEdge& edge : m_shape.LandscapeEdges)
        lines.lines.append(QLineF(edge.X1, edge.Y1, edge.X2, edge.Y2));
    m_network->addLayer(lines);
    layout->addWidget(m_network, 1);
    m_networkReadout = named(new QLabel(page), "Label1");
    m_networkReadout->setMinimumHeight(m_networkReadout->fontMetrics().height());
    layout->addWidget(m_networkReadout);
    connect(m_network, &MapView::mouseMoved, this,
            [this](const QPointF& point) { m_networkReadout->setText(MapView::readoutText(point)); });
    connect(m_network, &MapView::mouseLeft, m_networkReadout, &QLabel::clear);
    return page;
}

void LandscapeResultsWindow::makeMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("Copy/Print/Save"));
    file->setObjectName(QStringLiteral("copyprintsave"));
    file->addAction(QStringLiteral("Copy 3D Graph to Clipboard as Metafile"), this,
                    &LandscapeResultsWindow::copySurface)
        ->setObjectName(QStringLiteral("copy3dgraph"));
    file->addAction(QStringLiteral("Print 3D Graph"), this, &LandscapeResultsWindow::printSurface)
        ->setObjectName(QStringLiteral("print3dgraph"));
    file->addAction(QStringLiteral("Copy Connectivity Plot to Clipboard as Bitmap"), this,
                    &LandscapeResultsWindow::copyNetwork)
        ->setObjectName(QStringLiteral("copynetwork"));
    file->addAction(QStringLiteral("Print Connectivity Plot"), this,
                    [this] { showMessage(this, QStringLiteral("not enabled")); })
        ->setObjectName(QStringLiteral("printnetwork"));
    file->addSeparator();
    file->addAction(QStringLiteral("Copy text to clipboard"), this, &ResultsWindow::copyText)
        ->setObjectName(QStringLiteral("copytext"));
    file->addAction(QStringLiteral("Save Text to file"), this, &ResultsWindow::saveText)
        ->setObjectName(QStringLiteral("savetext"));
    file->addSeparator();
    m_saveGridAction = file->addAction(QStringLiteral("Save Grid..."), this, &LandscapeResultsWindow::saveGrid);
    m_saveGridAction->setObjectName(QStringLiteral("savegrid"));
    m_saveGridAction->setEnabled(false);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("Edit 3D Chart"));
    edit->setObjectName(QStringLiteral("edit3dchart"));
    m_wireframeAction = addCheckable(edit, QStringLiteral("Show Wireframe"), "wireframe");
    connect(m_wireframeAction, &QAction::toggled, m_surface, &LandscapeSurfaceView::setWireframe);

    QMenu* colors = edit->addMenu(QStringLiteral("Edit Colors"));
    colors->setObjectName(QStringLiteral("editcolors"));
    colors
        ->addAction(QStringLiteral("Base Color"), this,
                    [this] { chooseSurfaceColor(&LandscapeSurfaceView::setBaseColor, m_surface->baseColor()); })
        ->setObjectName(QStringLiteral("basecolor"));
    colors
        ->addAction(QStringLiteral("Maximum Color"), this,
                    [this] { chooseSurfaceColor(&LandscapeSurfaceView::setMaximumColor, m_surface->maximumColor()); })
        ->setObjectName(QStringLiteral("maximumcolor"));
    colors
        ->addAction(QStringLiteral("Minimum Color"), this,
                    [this] { chooseSurfaceColor(&LandscapeSurfaceView::setMinimumColor, m_surface->minimumColor()); })
        ->setObjectName(QStringLiteral("minimumcolor"));
    colors->addAction(QStringLiteral("Set background color"), this, &LandscapeResultsWindow::chooseBackgroundColor)
        ->setObjectName(QStringLiteral("backgroundcolor"));

    edit->addAction(QStringLiteral("Zoom"), this, &LandscapeResultsWindow::askZoom)
        ->setObjectName(QStringLiteral("zoom"));
    m_swapXAction = addCheckable(edit, QStringLiteral("Swap labels on X axis"), "swapxlabels");
    m_swapYAction = addCheckable(edit, QStringLiteral("Swap labels on Y axis"), "swapylabels");
    // The check marks follow the view, which the mouse turns too (syncSideChecks).
    connect(m_swapXAction, &QAction::triggered, m_surface, &LandscapeSurfaceView::swapXLabels);
    connect(m_swapYAction, &QAction::triggered, m_surface, &LandscapeSurfaceView::swapYLabels);
    m_baseLinesAction = addCheckable(edit, QStringLiteral("Remove background/base lines"), "removebaselines");
    connect(m_baseLinesAction, &QAction::toggled, this,
            [this](bool removed) { m_surface->setBaseLinesVisible(!removed); });
    m_axisLabelsAction = addCheckable(edit, QStringLiteral("Remove axis labels"), "removeaxislabels");
    connect(m_axisLabelsAction, &QAction::toggled, this,
            [this](bool removed) { m_surface->setAxisLabelsVisible(!removed); });
    m_fullGridAction = addCheckable(edit, QStringLiteral("Show full rectangular grid"), "fullgrid");
    connect(m_fullGridAction, &QAction::toggled, this, [this] {
        if (m_grid)
            drawSurface();
        else
            m_surface->restoreDefaultSides();
    });
    syncSideChecks();

    addHelpMenu(QStringLiteral("InterpolateHelp"));
}

bool LandscapeResultsWindow::interpolating() const
{
    return m_runs->running();
}

void LandscapeResultsWindow::startInterpolation()
{
    if (interpolating())
        return;
    const std::int32_t xBins = roundHalfEven32(numericValue(m_xBinsEdit->text()));
    const std::int32_t yBins = roundHalfEven32(numericValue(m_yBinsEdit->text()));
    const double weight = numericValue(m_weightEdit->text());
    const std::filesystem::path folder = localPath(runFolderPath());

    // The worker reads the shape, which this window keeps unchanged while it runs, and fills a
    // result of its own that only the window's thread reads, once the worker has ended.
    auto result = std::make_shared<PressResult>();
    m_pending = result;
    const LandscapeResult* shape = &m_shape;
    m_statusLabel->setText(QStringLiteral("Interpolating"));
    setInterpolating(true);
    m_runs->start([shape, xBins, yBins, weight, folder, result](RunListener& listener) {
        InterpolationGrid grid = InterpolateLandscape(*shape, xBins, yBins, weight, listener);
        listener.throwIfCancelled();
        SurfaceLayout layout = LandscapeSurfaceLayout(*shape, grid);
        listener.throwIfCancelled();
        // Past this point the press is not cancelled any more: the report then holds the section,
        // and the window shows its grid.
        if (folder.empty())
            throw AnalysisError("the report folder of this window is gone");
        appendInterpolationSection(folder, grid);
        // Indexed here too, so that a report of a large grid is not read through on the window's thread.
        if (std::optional<ReportLineIndex> index =
                ReportLineIndex::build(QFile::decodeName((folder / kLandscapeReportFileName).c_str())))
            result->reportIndex = std::make_shared<const ReportLineIndex>(std::move(*index));
        result->grid = std::move(grid);
        result->layout = std::move(layout);
    });
}

void LandscapeResultsWindow::cancelInterpolation()
{
    if (!interpolating())
        return;
    m_cancelButton->setEnabled(false);
    m_statusLabel->setText(QStringLiteral("Cancelling"));
    m_runs->cancel();
}

void LandscapeResultsWindow::setInterpolating(bool running)
{
    m_startButton->setEnabled(!running);
    m_progress->setVisible(running);
    m_cancelButton->setVisible(running);
    m_cancelButton->setEnabled(running);
    if (running)
        m_progress->setRange(0, 0); // busy until the first count arrives
    else
        m_statusLabel->clear();
}

void LandscapeResultsWindow::onInterpolationFinished(const RunStatus& status)
{
    setInterpolating(false);
    const std::shared_ptr<PressResult> result = std::move(m_pending);
    switch (status.outcome) {
    case RunOutcome::Success:
        m_grid = std::move(result->grid);
        m_layout = std::move(result->layout);
        loadReport(QString::fromLatin1(kLandscapeReportFileName), std::move(result->reportIndex));
        m_saveGridAction->setEnabled(true);
        drawSurface();
        tabs()->setCurrentIndex(PlotPage);
        break;
    case RunOutcome::DataProblem:
        showMessage(this, QString::fromLatin1(status.text), QString::fromLocal8Bit(status.detail));
        break;
    case RunOutcome::AnalysisError:
        showMessage(this, QStringLiteral("The grid could not be added to the report; the previous grid is kept."),
                    QString::fromLocal8Bit(status.text));
        break;
    case RunOutcome::Cancelled:
        break;
    }
    emit interpolationFinished(status.outcome);
}

void LandscapeResultsWindow::drawSurface()
{
    showNodeReadout(-1, -1);
    const bool fullGrid = m_fullGridAction->isChecked();
    if (m_surface->showSurface(m_layout, fullGrid)) {
        m_surfaceStatus->clear();
        m_surfaceStatus->hide();
        return;
    }
    QString reason;
    if (m_layout.across < 2 || m_layout.deep < 2)
        reason = QStringLiteral("A grid of one bin in either direction has no surface to draw; the grid is in the "
                                "report and can be saved.");
    else if (!fullGrid)
        reason = QStringLiteral("No part of this grid lies inside the hull of the sample locations, so there is no "
                                "surface to draw. \"Show full rectangular grid\" draws every node.");
    else
        reason = QStringLiteral("This grid has no surface to draw.");
    m_surfaceStatus->setText(reason);
    m_surfaceStatus->show();
}

void LandscapeResultsWindow::showNodeReadout(int row, int column)
{
    const int across = column + 1;
    const int deep = row + 1;
    if (!m_grid || row < 0 || column < 0 || across > m_layout.across || deep > m_layout.deep) {
        m_xReadout->clear();
        m_yReadout->clear();
        m_zReadout->clear();
        return;
    }
    const int i = m_layout.swapped ? deep : across;
    const int j = m_layout.swapped ? across : deep;
    const size_t node = m_grid->at(i, j);
    m_xReadout->setText(QStringLiteral("X: %1: %2").arg(i).arg(plain(m_grid->GridX[node])));
    m_yReadout->setText(QStringLiteral("Y: %1: %2").arg(j).arg(plain(m_grid->GridY[node])));
    m_zReadout->setText(QStringLiteral("Z: ") + plain(m_grid->GridHeight[node]));
}

void LandscapeResultsWindow::syncSideChecks()
{
    const QSignalBlocker blockX(m_swapXAction);
    const QSignalBlocker blockY(m_swapYAction);
    m_swapXAction->setChecked(m_surface->xLabelsSwapped());
    m_swapYAction->setChecked(m_surface->yLabelsSwapped());
}

void LandscapeResultsWindow::chooseSurfaceColor(void (LandscapeSurfaceView::*set)(const QColor&), QColor current)
{
    if (const std::optional<QColor> color = uiHooks().chooseColor(this, current))
        (m_surface->*set)(*color);
}

void LandscapeResultsWindow::chooseBackgroundColor()
{
    const std::optional<QColor> color = uiHooks().chooseColor(this, m_surface->backgroundColor());
    if (!color)
        return;
    m_surface->setBackgroundColor(*color);
    for (QLabel* readout : {m_xReadout, m_yReadout, m_zReadout})
        setBackColor(readout, *color);
}

void LandscapeResultsWindow::askZoom()
{
    ZoomDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        m_surface->setZoom(dialog.zoomValue());
}

void LandscapeResultsWindow::saveGrid()
{
    if (!m_grid)
        return;
    QString fileName = uiHooks().saveFileNameOfType(
        this, QStringLiteral("Save Grid"), m_state.lastSaveFolder,
        {QStringLiteral("ESRI ASCII grid (*.asc)"), QStringLiteral("Table of the nodes (*.csv)")});
    if (fileName.isEmpty())
        return;
    // A name without an ending is given the raster's, which GIS programs recognise.
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".asc");
    m_state.lastSaveFolder = QFileInfo(fileName).absolutePath();
    saveGridTo(fileName);
}

bool LandscapeResultsWindow::saveGridTo(const QString& fileName)
{
    if (!m_grid)
        return false;
    const RunStatus status = runGuarded([&] { WriteGridFile(localPath(fileName), *m_grid); });
    switch (status.outcome) {
    case RunOutcome::Success:
        return true;
    case RunOutcome::DataProblem:
        showMessage(this, QString::fromLatin1(status.text));
        return false;
    default:
        showMessage(this, QStringLiteral("The grid could not be saved."), QString::fromLocal8Bit(status.text));
        return false;
    }
}

void LandscapeResultsWindow::copySurface()
{
    const QImage picture = m_surface->toImage(m_surface->size().expandedTo(QSize(800, 600)));
    if (picture.isNull()) {
        showMessage(this, QStringLiteral("The 3-D graph cannot be drawn on this display: it needs OpenGL."));
        return;
    }
    copyPicture(picture);
}

void LandscapeResultsWindow::printSurface()
{
    printWith([this](QPrinter& printer) { return printSurfaceTo(printer); },
              QStringLiteral("The 3-D graph could not be printed."));
}

bool LandscapeResultsWindow::printSurfaceTo(QPrinter& printer)
{
    // Drawn at a size of its own, in the page's proportions, then scaled onto the page.
    const QSizeF page(printer.width(), printer.height());
    if (page.isEmpty())
        return false;
    const int width = 2400;
    const int height = std::max(1, static_cast<int>(width * page.height() / page.width()));
    const QImage picture = m_surface->toImage(QSize(width, height));
    if (picture.isNull())
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(QPointF(0, 0), page), picture);
    return painter.end();
}

void LandscapeResultsWindow::copyNetwork()
{
    copyPicture(m_network->toImage());
}

void LandscapeResultsWindow::closeEvent(QCloseEvent* event)
{
    // The worker writes into the report's folder, which the base removes on closing.
    m_runs->cancelAndWait();
    ResultsWindow::closeEvent(event);
}

} // namespace tessaloc::ui
