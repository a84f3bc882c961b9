#include "ui/analyses/monmonier/MonmonierResultsWindow.h"

#include "ui/shell/ProgramState.h"
#include "ui/widgets/MapView.h"
#include "ui/widgets/UiHooks.h"
#include "ui/widgets/WindowParts.h"

#include "analyses/monmonier/BarrierDrawing.h"

#include <QActionGroup>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QVBoxLayout>

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
    for (size_t b = 0; b < result.BarrierList.size(); ++b) {
        const BarrierStyle style{toColor(BarrierStartColor(static_cast<long long>(b) + 1)), kBarrierStartWidth, true};
        m_barrierStyles.push_back(style);
        m_map->addLayer({mapLines(BarrierLines(result.BarrierTriangles, result.BarrierList[b])), style.color,
                         style.lineWidth, style.visible});
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

    addHelpMenu(QStringLiteral("MonmonierHelp"));
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
    for (int barrier = 1; barrier <= barrierCount(); ++barrier) {
        const BarrierStyle& style = barrierStyle(barrier);
        m_map->setLayerStyle(barrier, style.color, style.lineWidth, style.visible);
    }
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
