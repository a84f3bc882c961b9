#include "ui/analyses/sampleplot/SamplePlotResultsWindow.h"

#include "ui/widgets/UiHooks.h"

#include "geometry/DistinctLocations.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

namespace tessaloc::ui {

namespace {

/// For every observation, the names of all observations at its location, one per line.
QStringList namesAtEachLocation(const SamplePlotResult& plot)
{
    const DistinctLocations locations = GroupDistinctLocations(plot.PlotX, plot.PlotY);
    QStringList namesAt;
    for (const SampleLocation& location : locations.locations) {
        QStringList names;
        for (const ObservationIndex member : location.members)
            names << QString::fromLatin1(plot.names[member.at()]);
        namesAt << names.join(QLatin1Char('\n'));
    }
    QStringList toolTips;
    for (const LocationIndex location : locations.locationOf)
        toolTips << namesAt[location.at()];
    return toolTips;
}

} // namespace

SamplePlotResultsWindow::SamplePlotResultsWindow(ProgramState& state, const SamplePlotResult& result,
                                                 std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent)
    : ResultsWindow(state, QStringLiteral("Plots of Sample Locations"), std::move(runFolder), parent)
{
    setObjectName(QStringLiteral("PointPlotForm"));
    setWindowTitle(QStringLiteral("Sample Location Plot"));
    const SamplePlotResult& plot = result;

    // The chart is the window's only page, so no tab is shown; the area stands beneath it.
    Chart* plotChart = addChartPage(QStringLiteral("Plot"));
    tabs()->setTabBarAutoHide(true);
    m_areaLabel = new QLabel(QString::fromStdString(polygonAreaCaption(plot.area)), this);
    m_areaLabel->setObjectName(QStringLiteral("Label1"));
    m_areaLabel->setContentsMargins(8, 4, 8, 4);
    m_areaLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    addBelowPages(m_areaLabel);

    plotChart->setTitle(QString());
    if (result.useLatLong)
        plotChart->setAxisTitles(QStringLiteral("Longitude"), QStringLiteral("Latitude"));
    else
        plotChart->setAxisTitles(QStringLiteral("X Coordinate"), QStringLiteral("Y Coordinate"));
    QList<QPointF> samples;
    for (size_t i = 0; i < plot.PlotX.size(); ++i)
        samples.append(QPointF(plot.PlotX[i], plot.PlotY[i]));
    plotChart->setPoints(samples, Qt::blue);
    plotChart->setSeriesTitle(0, QStringLiteral("Sample Locations"));
    plotChart->setPointToolTips(namesAtEachLocation(plot));
    // The hull whose area the label states, as it is: closed when it has more than three corners.
    QList<QPointF> hull;
    for (size_t k = 0; k < plot.PlotHullX.size(); ++k)
        hull.append(QPointF(plot.PlotHullX[k], plot.PlotHullY[k]));
    plotChart->setLine(hull, QPen(Qt::red, 1));
    plotChart->setSeriesTitle(1, QStringLiteral("Perimeter"));
    plotChart->setAxisRanges(plot.map.MapMinX, plot.map.MapMaxX, plot.map.MapMinY, plot.map.MapMaxY);

    addCopyPrintSaveMenu({.copyGraph = QStringLiteral("Copy Graph to Clipboard as Metafile"),
                          .printGraph = QStringLiteral("Print Graph"),
                          .copyText = {},
                          .saveText = {}});
    QMenu* editChart = menuBar()->addMenu(QStringLiteral("Edit Chart"));
    editChart->setObjectName(QStringLiteral("chrtedit"));
    SymbolMenuCaptions symbols;
    symbols.menu = QStringLiteral("Symbols");
    addSymbolMenus(editChart, symbols);

    QMenu* polygon = editChart->addMenu(QStringLiteral("Bounding Polygon"));
    polygon->setObjectName(QStringLiteral("polygonmenu"));
    m_showPolygon = polygon->addAction(QStringLiteral("Show Polygon"));
    m_showPolygon->setObjectName(QStringLiteral("showpolygon"));
    m_showPolygon->setCheckable(true);
    m_showPolygon->setChecked(true);
    // The mark changes as the item is chosen; the polygon follows the mark.
    connect(m_showPolygon, &QAction::toggled, this, [this](bool shown) { chart()->setLineVisible(shown); });
    polygon->addAction(QStringLiteral("Color"), this, &SamplePlotResultsWindow::choosePolygonColor)
        ->setObjectName(QStringLiteral("polygoncolor"));
    QMenu* thickness = polygon->addMenu(QStringLiteral("Thickness"));
    thickness->setObjectName(QStringLiteral("polygonthickness"));
    for (int width = 1; width <= 5; ++width)
        thickness->addAction(QString::number(width), this, [this, width] { setPolygonThickness(width); })
            ->setObjectName(QStringLiteral("polygonwidth%1").arg(width - 1));
    addHelpMenu(QStringLiteral("PointPlotHelp"));
}

void SamplePlotResultsWindow::togglePolygon()
{
    m_showPolygon->toggle();
}

void SamplePlotResultsWindow::choosePolygonColor()
{
    if (const std::optional<QColor> color = uiHooks().chooseColor(this, chart()->linePen().color()))
        chart()->setLineColor(*color);
}

void SamplePlotResultsWindow::setPolygonThickness(int width)
{
    chart()->setLineWidth(width);
}

} // namespace tessaloc::ui
