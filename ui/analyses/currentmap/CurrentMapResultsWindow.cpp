#include "ui/analyses/currentmap/CurrentMapResultsWindow.h"

#include "ui/shell/ProgramState.h"
#include "ui/widgets/RasterMapView.h"
#include "ui/widgets/UiHooks.h"

#include "analyses/currentmap/CurrentMapFile.h"
#include "core/Errors.h"
#include "core/NumberText.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>
#include <stdexcept>

namespace tessaloc::ui {

CurrentMapResultsWindow::CurrentMapResultsWindow(ProgramState& state, const CurrentMapResult& result,
                                                 std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent)
    : ResultsWindow(state, QStringLiteral("Current Flow Map"), std::move(runFolder), parent)
    , m_result(result)
{
    setObjectName(QStringLiteral("CurrentMapForm"));
    setWindowTitle(QStringLiteral("Current Flow Map"));

    auto* page = new QWidget(tabs());
    m_map = new RasterMapView(page);
    m_map->setObjectName(QStringLiteral("CurrentMap"));
    m_readout = new QLabel(page);
    m_readout->setObjectName(QStringLiteral("CellReadout"));
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_map, 1);
    layout->addWidget(m_readout);
    tabs()->addTab(page, QStringLiteral("Map"));
    addReportPage(QStringLiteral("Results"));
    tabs()->setCurrentIndex(0);
    const QString reportName =
        QString::fromLatin1(kCurrentMapReportFileName.data(), static_cast<qsizetype>(kCurrentMapReportFileName.size()));
    if (loadReport(reportName))
        QFile::remove(QDir(runFolderPath()).filePath(reportName));

    const RasterGeometry& grid = m_result.geometry;
    m_map->setRaster(grid.columns, grid.rows, m_result.currents.cumulative, grid.transform);
    m_map->setPoints(m_result.x, m_result.y);
    m_map->setBarTitle(QStringLiteral("Current (A)"));
    connect(m_map, &RasterMapView::cellHovered, this, &CurrentMapResultsWindow::showCell);

    QMenu* copyPrintSave = menuBar()->addMenu(QStringLiteral("Copy/Print/Save"));
    copyPrintSave->setObjectName(QStringLiteral("CopyPrintSaveMenu"));
    copyPrintSave->addAction(QStringLiteral("Save Map..."), this, &CurrentMapResultsWindow::saveMap)
        ->setObjectName(QStringLiteral("SaveMap"));
    copyPrintSave->addSeparator();
    copyPrintSave->addAction(QStringLiteral("Copy Text to Clipboard"), this, &ResultsWindow::copyText)
        ->setObjectName(QStringLiteral("CopyText"));
    copyPrintSave->addAction(QStringLiteral("Save Text..."), this, &ResultsWindow::saveText)
        ->setObjectName(QStringLiteral("SaveText"));

    QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
    view->setObjectName(QStringLiteral("ViewMenu"));
    m_logScale = view->addAction(QStringLiteral("Log Scale"));
    m_logScale->setObjectName(QStringLiteral("LogScale"));
    m_logScale->setCheckable(true);
    m_logScale->setChecked(m_map->logScale());
    connect(m_logScale, &QAction::toggled, m_map, &RasterMapView::setLogScale);
    view->addSeparator();
    view->addAction(QStringLiteral("Zoom In"), m_map, &RasterMapView::zoomIn)->setObjectName(QStringLiteral("ZoomIn"));
    view->addAction(QStringLiteral("Zoom Out"), m_map, &RasterMapView::zoomOut)
        ->setObjectName(QStringLiteral("ZoomOut"));
    view->addAction(QStringLiteral("Whole Map"), m_map, &RasterMapView::showWhole)
        ->setObjectName(QStringLiteral("WholeMap"));
    addHelpMenu(QStringLiteral("CurrentMapHelp"));
}

void CurrentMapResultsWindow::showCell(int row, int column)
{
    if (row < 0 || column < 0) {
        m_readout->clear();
        return;
    }
    const CellIndex cell = static_cast<CellIndex>(row) * m_result.geometry.columns + column;
    const double value = m_map->valueAt(row, column);
    const QString current =
        std::isnan(value) ? QStringLiteral("impassable")
                          : QString::fromStdString(plainTextSingle(static_cast<float>(value))) + QStringLiteral(" A");
    m_readout->setText(QString::fromStdString(cellPlaceText(m_result, cell)) + QStringLiteral(": ") + current);
}

bool CurrentMapResultsWindow::saveMapTo(const QString& fileName, QString* error)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix != QLatin1String("tif") && suffix != QLatin1String("tiff"))
        return m_map->saveFigure(fileName, error);
    try {
        WriteCurrentMapFiles({{QFile::encodeName(fileName).toStdString(), &m_result.currents.cumulative}},
                             m_result.geometry, false);
    } catch (const std::runtime_error& failure) {
        if (error)
            *error = QString::fromStdString(failure.what());
        return false;
    }
    return true;
}

void CurrentMapResultsWindow::saveMap()
{
    const QString fileName = uiHooks().saveFileNameOfType(
        this, QStringLiteral("Save Map"), m_state.lastSaveFolder,
        {QStringLiteral("GeoTIFF of the currents (*.tif)"), QStringLiteral("PNG picture (*.png)"),
         QStringLiteral("SVG drawing (*.svg)"), QStringLiteral("PDF document (*.pdf)")});
    if (fileName.isEmpty())
        return;
    QString reason;
    if (!saveMapTo(fileName, &reason)) {
        showMessage(this, QStringLiteral("The map could not be saved."), reason);
        return;
    }
    m_state.lastSaveFolder = QFileInfo(fileName).absolutePath();
}

} // namespace tessaloc::ui
