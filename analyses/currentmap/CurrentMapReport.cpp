#include "analyses/currentmap/CurrentMap.h"

#include "core/Errors.h"
#include "core/NumberText.h"

namespace tessaloc {
namespace {

// Seven significant digits: the currents are sums over many pairs, whose last digits depend on the
// order the sums are taken in.
std::string currentText(double value)
{
    return plainTextSingle(static_cast<float>(value));
}

} // namespace

std::string cellPlaceText(const CurrentMapResult& result, CellIndex cell)
{
    const RasterGeometry& grid = result.geometry;
    const int row = static_cast<int>(cell / grid.columns);
    const int column = static_cast<int>(cell % grid.columns);
    const double x = grid.transform[0] + (column + 0.5) * grid.transform[1];
    const double y = grid.transform[3] + (row + 0.5) * grid.transform[5];
    return "row " + std::to_string(row + 1) + ", column " + std::to_string(column + 1) + " (" +
           (result.useLatLong ? "longitude " : "x ") + plainText(x) + (result.useLatLong ? ", latitude " : ", y ") +
           plainText(y) + ")";
}

std::string CurrentMapReport(const CurrentMapResult& result)
{
    ReportWriter report;
    WriteCurrentMapReport(report, result);
    return report.str();
}

void WriteCurrentMapReport(ReportWriter& report, const CurrentMapResult& result)
{
    const RasterGeometry& grid = result.geometry;
    report.line("Results of Cumulative Current Map");
    report.text("Coordinate File: ").text(result.coordinatePath).endLine();
    report.text("Resistance Surface: ").text(result.surfacePath).endLine();
    report.line("Surface: " + std::to_string(grid.columns) + " x " + std::to_string(grid.rows) + " cells, " +
                std::to_string(result.neighbours) + " neighbours per cell");
    report.line();
    const int observations = static_cast<int>(result.names.size());
    report.line("Observations: " + std::to_string(observations));
    report.line("Locations (distinct cells): " + std::to_string(result.locationCount()));
    report.line("Observations merged into the cell of an earlier one: " + std::to_string(result.currents.merged));
    report.line("Pairs of locations, one ampere each: " + std::to_string(result.pairCount()));
    report.line();
    report.line("Total current over all cells: " + currentText(result.total));
    report.line("Largest cell current: " + currentText(result.largest) + " at " +
                cellPlaceText(result, result.largestCell));
    report.line("A cell carries half the absolute current of its resistors plus half the current that enters or "
                "leaves there; a location carries one ampere for each of its pairs.");
}

} // namespace tessaloc
