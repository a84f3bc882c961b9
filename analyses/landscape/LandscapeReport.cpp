#include "analyses/landscape/GridInterpolation.h"
#include "analyses/landscape/Landscape.h"

#include "core/NumberText.h"
#include "core/ReportHeadings.h"
#include "core/ReportWriter.h"

#include <algorithm>

namespace tessaloc {
namespace {

const char* heightsLine(LandscapeHeightMode mode)
{
    switch (mode) {
    case LandscapeHeightMode::Pseudoslope:
        return "Geographical distance-corrected genetic distances used as landscape 'Heights'.";
    case LandscapeHeightMode::Residual:
        return "Residual genetic distances used as landscape 'Heights'.";
    case LandscapeHeightMode::Raw:
        break;
    }
    return "Uncorrected genetic distances used as landscape 'Heights'.";
}

int textWidth(double value)
{
    return static_cast<int>(plainText(value).size());
}

} // namespace

std::string LandscapeReport(const LandscapeResult& shape)
{
    ReportWriter report;
    WriteLandscapeReport(report, shape);
    return report.str();
}

void WriteLandscapeReport(ReportWriter& report, const LandscapeResult& shape)
{
    const bool delaunay = shape.settings.network == LandscapeNetwork::Delaunay;
    WriteReportHeading(report, "'Landscape Shape' Analysis Results", shape.coordinatePath, shape.genotypePath,
                       shape.dataType, geoDistancesLine(shape.geoDistances));
    report.line();
    report.line(delaunay ? "RAW DATA DERIVED FROM DELAUNAY TRIANGULATION"
                         : "RAW DATA DERIVED FROM PAIRWISE LOCATION CONNECTIVITY NETWORK");
    report.line("USE INTERPOLATION EDITOR TO EXPLORE 'LANDSCAPE SHAPE'");
    if (delaunay) {
        report.line("X and Y coordinates are the midpoints of each edge in the triangulation.");
        report.line("'Height' is a reflection of the genetic distance between observations found");
        report.line("at the vertices of triangles.");
    } else {
        report.line("X and Y coordinates are midpoints of each line in network.");
        report.line("'Height' is a reflection of the genetic distance between locations.");
    }
    report.line();
    report.line(heightsLine(shape.settings.heightMode));
    report.line();

    // The columns follow the longest plain text of any midpoint coordinate, so that with the blank
    // printed before a non-negative number each value's first digit stands under its heading.
    int w = 0;
    for (const LandscapeEdge& edge : shape.LandscapeEdges)
        w = std::max({w, textWidth(edge.MidX), textWidth(edge.MidY)});
    report.text("X-coord").column(w + 8).text("Y-coord").column(2 * w + 10).text("'Height'").endLine();
    for (const LandscapeEdge& edge : shape.LandscapeEdges)
        report.number(edge.MidX).column(w + 7).number(edge.MidY).column(2 * w + 9).number(edge.Height).endLine();
    report.line();
    report.line();
}

std::string InterpolationSection(const InterpolationGrid& grid)
{
    ReportWriter report;
    WriteInterpolationSection(report, grid);
    return report.str();
}

void WriteInterpolationSection(ReportWriter& report, const InterpolationGrid& grid)
{
    report.line();
    report.line();
    report.line("INTERPOLATION OUTPUT");
    report.text("# of X coordinate Bins:").number(grid.XBinCount).endLine();
    report.text("# of Y coordinate Bins:").number(grid.YBinCount).endLine();
    report.text("Distance weight value:").number(grid.DistanceWeight).endLine();

    // GridX depends on i only and GridY on j only, so one row and one column hold every text.
    int c = 0;
    for (int i = 1; i <= grid.XBinCount; ++i)
        c = std::max(c, textWidth(grid.GridX[grid.at(i, 1)]));
    for (int j = 1; j <= grid.YBinCount; ++j)
        c = std::max(c, textWidth(grid.GridY[grid.at(1, j)]));
    report.text("XBin").column(8).text("YBin").column(15).text("xCoord").column(c + 19).text("yCoord");
    report.column(2 * c + 21).text("Height").endLine();
    for (int i = 1; i <= grid.XBinCount; ++i) {
        for (int j = 1; j <= grid.YBinCount; ++j) {
            const std::size_t node = grid.at(i, j);
            report.text(plainText(static_cast<long long>(i))).column(7).text(plainText(static_cast<long long>(j)));
            report.column(14).number(grid.GridX[node]).column(c + 18).number(grid.GridY[node]);
            report.column(2 * c + 20).number(grid.GridHeight[node]).endLine();
        }
    }
}

} // namespace tessaloc
