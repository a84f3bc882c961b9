#include "analyses/sampleplot/SamplePlot.h"

#include "core/Errors.h"
#include "core/NumberText.h"
#include "formats/GenotypeFormats.h"
#include "geometry/GeometryHelpers.h"

namespace tessaloc {

SamplePlotResult ComputeSamplePlot(const SampleTable& table)
{
    const int count = table.sampleCount();
    if (count == 0)
        throw AnalysisError("the coordinate file lists no observation");
    SamplePlotResult plot;
    plot.PlotX.reserve(static_cast<size_t>(count));
    plot.PlotY.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        plot.PlotX.push_back(table.coordinateX(i));
        plot.PlotY.push_back(table.coordinateY(i));
    }
    plot.names = table.names;
    plot.data = ComputeDataExtents(plot.PlotX, plot.PlotY);
    plot.map = WidenByFivePercent(plot.data);
    Polygon hull = ConvexHull(plot.PlotX, plot.PlotY);
    plot.area = PolygonArea(hull);
    plot.PlotHullX = std::move(hull.x);
    plot.PlotHullY = std::move(hull.y);
    return plot;
}

SamplePlotResult RunSamplePlot(const AnalysisInput& input, RunListener& listener)
{
    listener.status("Reading");
    SampleTable table;
    ReadCoordinates(input.coordinatePath, table, input.useLatLong, listener);
    SamplePlotResult result = ComputeSamplePlot(table);
    result.useLatLong = input.useLatLong;
    return result;
}

std::string polygonAreaCaption(double area)
{
    return "Polygon Area: " + plainText(area);
}

std::string SamplePlotText(const SamplePlotResult& plot)
{
    std::string text = polygonAreaCaption(plot.area) + '\n';
    for (size_t k = 0; k < plot.PlotHullX.size(); ++k)
        text += plainText(plot.PlotHullX[k]) + ' ' + plainText(plot.PlotHullY[k]) + '\n';
    return text;
}

} // namespace tessaloc
