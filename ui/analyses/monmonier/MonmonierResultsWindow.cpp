#include "ui/analyses/monmonier/MonmonierResultsWindow.h"

#include "ui/shell/ProgramState.h"
#include "ui/widgets/MapView.h"
#include "ui/widgets/UiHooks.h"
#include "ui/widgets/WindowParts.h"

#include "analyses/monmonier/BarrierDrawing.h"
#include "analyses/monmonier/SupportTable.h"

#include <QActionGroup>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <exception>
#include <filesystem>

namespace tessaloc::ui {

namespace {

QList<QLineF> mapLines(const std::vector<Segment>& segments)
{
    QList<QLineF> lines;
    lines.reserve(static_cast<qsizetype>(segments.size()));
    for (const Segment& segment : segments)
        lines.append(QLineF(segment.X1, segment.Y1, segment.X2, segment.Y2));
    return lines;
}

QColor toColor(const PaletteColor& color)
{
    return QColor(color.red, color.green, color.blue);
}

QList<QLineF> halfLines(const std::vector<EdgeLine>& halves)
{
    QList<QLineF> lines;
    lines.reserve(static_cast<qsizetype>(halves.size()));
    for (const EdgeLine& half : halves)
        lines.append(QLineF(half.line.X1, half.line.Y1, half.line.X2, half.line.Y2));
    return lines;
}

// The faint grey of the lines the replicates drew where no observed barrier runs, and the width
// their support is measured against (a thin barrier's).
const QColor kAlternativeLinesColor(96, 96, 96, 110);
constexpr int kAlternativeLinesWidth = 2;

} // namespace

MonmonierResultsWindow::MonmonierResultsWindow(ProgramState& state, const MonmonierResult& result,
                                               std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent)
    : ResultsWindow(state, QStringLiteral("Monmonier Maximum Difference Algorithm"), std::move(runFolder), parent)
{
    setObjectName(QStringLiteral("Monmonierform"));
    setWindowTitle(QStringLiteral("Monmonier Maximum Difference Algorithm"));

    auto* graphics = new QWidget(tabs());
    m_map = named(new MapView(graphics), "Picture1");
    m_readout = named(new QLabel(graphics), "Label1");
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(graphics);
    layout->addWidget(m_map, 1);
    layout->addWidget(m_readout);
    tabs()->addTab(graphics, QStringLiteral("Graphical Results"));
    addReportPage(QStringLiteral("Text Results"));
    tabs()->setCurrentIndex(0);

    // The report goes from the folder at once, so that the text page is the one copy: the page keeps
    // the file open and reads it through that handle until the window closes.
    const QString reportName = QString::fromLatin1(kMonmonierReportFileName);
    if (loadReport(reportName))
        QFile::remove(QDir(runFolderPath()).filePath(reportName));

    m_map->setExtents(result.map);
    m_map->addLayer({mapLines(TriangulationLines(result.BarrierTriangles)), m_triangulationStyle.color,
                     m_triangulationStyle.lineWidth, m_triangulationStyle.visible});
    if (result.support.computed()) {
        m_result = result;
        m_supportShown = true;
    }
    for (size_t b = 0; b < result.BarrierList.size(); ++b) {
        const BarrierStyle style{toColor(BarrierStartColor(static_cast<long long>(b) + 1)), kBarrierStartWidth, true};
        m_barrierStyles.push_back(style);
        // With support, every line is drawn in two halves, each as wide as the support of its edge.
        const QList<QLineF> lines =
            hasSupport()
                ? halfLines(BarrierHalfLines(result.BarrierTriangles, result.BarrierList[b], result.support.edges))
                : mapLines(BarrierLines(result.BarrierTriangles, result.BarrierList[b]));
        m_map->addLayer({lines, style.color, style.lineWidth, style.visible});
    }
    if (hasSupport()) {
        MapLayer alternatives{{}, kAlternativeLinesColor, kAlternativeLinesWidth, false};
        for (const SupportedPiece& piece : AlternativeBarrierLines(m_result)) {
            alternatives.lines.append(QLineF(piece.line.X1, piece.line.Y1, piece.line.X2, piece.line.Y2));
            alternatives.widths.append(SupportLineWidth(piece.percent, kAlternativeLinesWidth));
        }
        m_map->addLayer(alternatives);
        for (int barrier = 1; barrier <= barrierCount(); ++barrier)
            styleBarrierLayer(barrier);
    }
    QStringList names;
    for (const std::string& name : result.SampleNames)
        names.append(QString::fromLatin1(name));
    m_map->setSamples(names, result.SampleX, result.SampleY);

    connect(m_map, &MapView::mouseMoved, this, &MonmonierResultsWindow::showReadout);
    connect(m_map, &MapView::mouseLeft, m_readout, &QLabel::clear);
    connect(tabs(), &QTabWidget::currentChanged, m_readout, &QLabel::clear);
    addMenus();
}

void MonmonierResultsWindow::addMenus()
{
    QMenu* copyPrintSave = menuBar()->addMenu(QStringLiteral("Copy/Print/Save"));
    copyPrintSave->setObjectName(QStringLiteral("CopyPrintSaveMenu"));
    copyPrintSave
        ->addAction(QStringLiteral("Copy to Figure Clipboard as Bitmap"), this, &MonmonierResultsWindow::copyFigure)
        ->setObjectName(QStringLiteral("CopyFigure"));
    copyPrintSave->addAction(QStringLiteral("Save Figure..."), this, &MonmonierResultsWindow::saveFigure)
        ->setObjectName(QStringLiteral("SaveFigure"));
    copyPrintSave->addSeparator();
    copyPrintSave->addAction(QStringLiteral("Copy text to clipboard"), this, &ResultsWindow::copyText)
        ->setObjectName(QStringLiteral("CopyText"));
    copyPrintSave->addAction(QStringLiteral("Save Text to file"), this, &MonmonierResultsWindow::saveReport)
        ->setObjectName(QStringLiteral("SaveText"));

    QMenu* editFigure = menuBar()->addMenu(QStringLiteral("Edit Figure"));
    editFigure->setObjectName(QStringLiteral("EditFigureMenu"));
    QMenu* triangulation = editFigure->addMenu(QStringLiteral("Triangulation"));
    triangulation->setObjectName(QStringLiteral("TriangulationMenu"));
    m_showTriangulation = triangulation->addAction(QStringLiteral("Show Triangulation"));
    m_showTriangulation->setObjectName(QStringLiteral("ShowTriangulation"));
    m_showTriangulation->setCheckable(true);
    m_showTriangulation->setChecked(true);
    connect(m_showTriangulation, &QAction::toggled, this, &MonmonierResultsWindow::showTriangulation);
    triangulation
        ->addAction(QStringLiteral("Triangulation Color"), this, &MonmonierResultsWindow::chooseTriangulationColor)
        ->setObjectName(QStringLiteral("TriangulationColor"));
    QMenu* thickness = triangulation->addMenu(QStringLiteral("Triangulation line thickness"));
    thickness->setObjectName(QStringLiteral("TriangulationThicknessMenu"));
    auto* widths = new QActionGroup(thickness);
    for (int width = 1; width <= 5; ++width) {
        QAction* item =
            thickness->addAction(QString::number(width), this, [this, width] { setTriangulationWidth(width); });
        item->setObjectName(QStringLiteral("TriangulationThickness%1").arg(width));
        item->setCheckable(true);
        item->setChecked(width == m_triangulationStyle.lineWidth);
        widths->addAction(item);
    }

    QMenu* barriers = editFigure->addMenu(QStringLiteral("Barriers"));
    barriers->setObjectName(QStringLiteral("BarriersMenu"));
    for (int barrier = 1; barrier <= barrierCount(); ++barrier) {
        // "Barrier 1", then "Barrier2", "Barrier3", ... without a blank.
        const QString caption =
            barrier == 1 ? QStringLiteral("Barrier 1") : QStringLiteral("Barrier") + QString::number(barrier);
        barriers->addAction(caption, this, [this, barrier] { editBarrier(barrier); })
            ->setObjectName(QStringLiteral("Barrier%1").arg(barrier));
    }
    editFigure->addAction(QStringLiteral("Background color"), this, &MonmonierResultsWindow::chooseBackgroundColor)
        ->setObjectName(QStringLiteral("BackgroundColor"));
    if (hasSupport())
        addSupportMenus(copyPrintSave, editFigure);

    addHelpMenu(QStringLiteral("MonmonierHelp"));
}

void MonmonierResultsWindow::addSupportMenus(QMenu* copyPrintSave, QMenu* editFigure)
{
    copyPrintSave->addAction(QStringLiteral("Save Support Table..."), this, &MonmonierResultsWindow::saveSupportTable)
        ->setObjectName(QStringLiteral("SaveSupportTable"));
    editFigure->addSeparator();
    m_showSupport = editFigure->addAction(QStringLiteral("Show Support"));
    m_showSupport->setObjectName(QStringLiteral("ShowSupport"));
    m_showSupport->setCheckable(true);
    m_showSupport->setChecked(m_supportShown);
    connect(m_showSupport, &QAction::toggled, this, &MonmonierResultsWindow::showSupport);
    m_showAllSupported = editFigure->addAction(QStringLiteral("Show All Supported Edges"));
    m_showAllSupported->setObjectName(QStringLiteral("ShowAllSupportedEdges"));
    m_showAllSupported->setCheckable(true);
    m_showAllSupported->setChecked(false);
    connect(m_showAllSupported, &QAction::toggled, this, &MonmonierResultsWindow::showAllSupportedEdges);
}

void MonmonierResultsWindow::showReadout(const QPointF& point)
{
    if (tabs()->currentIndex() == 0)
        m_readout->setText(MapView::readoutText(point));
    else
        m_readout->clear();
}

void MonmonierResultsWindow::redrawMap()
{
    m_map->setLayerStyle(0, m_triangulationStyle.color, m_triangulationStyle.lineWidth, m_triangulationStyle.visible);
    for (int barrier = 1; barrier <= barrierCount(); ++barrier)
        styleBarrierLayer(barrier);
}

void MonmonierResultsWindow::styleBarrierLayer(int barrier)
{
    const BarrierStyle& style = barrierStyle(barrier);
    m_map->setLayerStyle(barrier, style.color, style.lineWidth, style.visible);
    if (!hasSupport())
        return;
    MapLayer& layer = m_map->layer(barrier);
    layer.widths.clear();
    layer.labels.clear();
    if (m_supportShown) {
        const BarrierRecord& record = m_result.BarrierList[static_cast<size_t>(barrier - 1)];
        for (const EdgeLine& half : BarrierHalfLines(m_result.BarrierTriangles, record, m_result.support.edges))
            layer.widths.append(SupportLineWidth(m_result.support.barrierPercent(barrier, half.edge), style.lineWidth));
        for (const SupportMark& mark : BarrierSupportMarks(m_result, barrier))
            layer.labels.append({QPointF(mark.midX, mark.midY), QPointF(mark.endX, mark.endY),
                                 QString::fromStdString(SupportLabel(mark.percent))});
    }
    m_map->update();
}

void MonmonierResultsWindow::showSupport(bool shown)
{
    if (!hasSupport())
        return;
    m_supportShown = shown;
    if (m_showSupport->isChecked() != shown)
        m_showSupport->setChecked(shown);
    redrawMap();
}

void MonmonierResultsWindow::showAllSupportedEdges(bool shown)
{
    if (!hasSupport())
        return;
    if (m_showAllSupported->isChecked() != shown)
        m_showAllSupported->setChecked(shown);
    m_map->layer(alternativeLinesLayer()).visible = shown;
    m_map->update();
}

void MonmonierResultsWindow::saveSupportTable()
{
    if (!hasSupport())
        return;
    const QString fileName = uiHooks().saveFileNameOfType(
        this, QStringLiteral("Save Support Table"), m_state.lastSaveFolder, {QStringLiteral("CSV table (*.csv)")});
    if (fileName.isEmpty())
        return;
    try {
        WriteSupportTableFile(std::filesystem::path(QFile::encodeName(fileName).toStdString()), m_result);
    } catch (const std::exception& error) {
        showMessage(this, QStringLiteral("The support table could not be saved."),
                    QString::fromLocal8Bit(error.what()));
        return;
    }
    m_state.lastSaveFolder = QFileInfo(fileName).absolutePath();
}

void MonmonierResultsWindow::showTriangulation(bool shown)
{
    m_triangulationStyle.visible = shown;
    if (m_showTriangulation->isChecked() != shown)
        m_showTriangulation->setChecked(shown);
    redrawMap();
}

void MonmonierResultsWindow::chooseTriangulationColor()
{
    if (const std::optional<QColor> color = uiHooks().chooseColor(this, m_triangulationStyle.color)) {
        m_triangulationStyle.color = *color;
        redrawMap();
    }
}

void MonmonierResultsWindow::setTriangulationWidth(int width)
{
    m_triangulationStyle.lineWidth = width;
    if (auto* item = findChild<QAction*>(QStringLiteral("TriangulationThickness%1").arg(width)))
        item->setChecked(true);
    redrawMap();
}

void MonmonierResultsWindow::editBarrier(int barrier)
{
    if (barrier < 1 || barrier > barrierCount())
        return;
    BarrierEditorDialog editor(
        m_state, barrier, m_barrierStyles[static_cast<size_t>(barrier - 1)], [this] { redrawMap(); }, this);
    editor.exec();
}

void MonmonierResultsWindow::chooseBackgroundColor()
{
    if (const std::optional<QColor> color = uiHooks().chooseColor(this, m_map->background()))
        m_map->setBackground(*color);
}

void MonmonierResultsWindow::copyFigure()
{
    copyPicture(m_map->toImage());
}

void MonmonierResultsWindow::saveFigure()
{
    const QString fileName =
        uiHooks().saveFileNameOfType(this, QStringLiteral("Save Figure"), m_state.lastSaveFolder,
                                     {QStringLiteral("SVG drawing (*.svg)"), QStringLiteral("PDF document (*.pdf)"),
                                      QStringLiteral("PNG picture (*.png)")});
    if (fileName.isEmpty())
        return;
    QString reason;
    if (!m_map->saveFigure(fileName, &reason)) {
        showMessage(this, QStringLiteral("The figure could not be saved."), reason);
        return;
    }
    m_state.lastSaveFolder = QFileInfo(fileName).absolutePath();
}

void MonmonierResultsWindow::saveReport()
{
    // This window's save dialog carries no title.
    saveTextAs(QString());
}

} // namespace tessaloc::ui
