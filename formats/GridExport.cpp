#include "formats/GridExport.h"

#include "core/Errors.h"
#include "core/NumberText.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace tessaloc {
namespace {

bool isSquare(const InterpolationGrid& grid)
{
    return grid.dx == grid.dy;
}

void requireRasterCells(const InterpolationGrid& grid)
{
    const auto usable = [](double size) { return std::isfinite(size) && size > 0.0; };
    if (!usable(grid.dx) || !usable(grid.dy))
        throw DataProblem("The grid cannot be written as an ESRI ASCII grid: the sample area has no extent from " +
                          std::string(usable(grid.dx) ? "south to north" : "west to east") +
                          ", so the grid has no cells. Save it as a .csv table instead.");
}

} // namespace

GridFileFormat GridFileFormatFor(const std::filesystem::path& path)
{
    std::string ending = path.extension().string();
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return ending == ".csv" ? GridFileFormat::Csv : GridFileFormat::EsriAscii;
}

double GridNoDataValue(const InterpolationGrid& grid)
{
    double candidate = -9999.0;
    for (;;) {
        bool taken = false;
        for (size_t node = 0; node < grid.GridHeight.size() && !taken; ++node)
            taken = grid.GridInside[node] != 0 && grid.GridHeight[node] == candidate;
        if (!taken)
            return candidate;
        candidate = candidate * 10 - 9;
    }
}

void WriteEsriAsciiGrid(ReportWriter& out, const InterpolationGrid& grid)
{
    requireRasterCells(grid);
    const double noData = GridNoDataValue(grid);
    const auto header = [&out](std::string_view key, double value) {
        out.text(key).text(" ").text(ExactNumber(value).view()).endLine();
    };
    header("ncols", grid.XBinCount);
    header("nrows", grid.YBinCount);
    header("xllcenter", grid.GridX[grid.at(1, 1)]);
    header("yllcenter", grid.GridY[grid.at(1, 1)]);
    if (isSquare(grid)) {
        header("cellsize", grid.dx);
    } else {
        header("dx", grid.dx);
        header("dy", grid.dy);
    }
    header("NODATA_value", noData);
    const ExactNumber noDataText(noData);
    for (int j = grid.YBinCount; j >= 1; --j) {
        for (int i = 1; i <= grid.XBinCount; ++i) {
            const size_t node = grid.at(i, j);
            if (i > 1)
                out.text(" ");
            out.text(grid.GridInside[node] != 0 ? ExactNumber(grid.GridHeight[node]).view() : noDataText.view());
        }
        out.endLine();
    }
}

std::string EsriAsciiGrid(const InterpolationGrid& grid)
{
    ReportWriter out;
    WriteEsriAsciiGrid(out, grid);
    return out.str();
}

void WriteGridCsv(ReportWriter& out, const InterpolationGrid& grid)
{
    out.line("x,y,height,inside");
    for (int i = 1; i <= grid.XBinCount; ++i) {
        for (int j = 1; j <= grid.YBinCount; ++j) {
            const size_t node = grid.at(i, j);
            out.text(ExactNumber(grid.GridX[node]).view())
                .text(",")
                .text(ExactNumber(grid.GridY[node]).view())
                .text(",")
                .text(ExactNumber(grid.GridHeight[node]).view())
                .text(grid.GridInside[node] != 0 ? ",1" : ",0")
                .endLine();
        }
    }
}

std::string GridCsv(const InterpolationGrid& grid)
{
    ReportWriter out;
    WriteGridCsv(out, grid);
    return out.str();
}

void WriteGridFile(const std::filesystem::path& path, const InterpolationGrid& grid)
{
    const GridFileFormat format = GridFileFormatFor(path);
    // Checked before anything is written, so that a grid without cells leaves no file behind.
    if (format == GridFileFormat::EsriAscii)
        requireRasterCells(grid);
    writeFileAt(path, "the grid file", [&](ReportWriter& out) {
        if (format == GridFileFormat::Csv)
            WriteGridCsv(out, grid);
        else
            WriteEsriAsciiGrid(out, grid);
    });
}

} // namespace tessaloc
