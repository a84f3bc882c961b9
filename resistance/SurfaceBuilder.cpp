#include "resistance/SurfaceBuilder.h"

#include "core/Errors.h"
#include "core/NumberText.h"
#include "formats/ClassTable.h"
#include "formats/GeoTiffWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>

namespace tessaloc {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string layerName(const SurfaceLayer& layer, size_t index)
{
    return "layer " + std::to_string(index + 1) + " \"" + escapeControlCharacters(layer.file.string()) + "\"";
}

// "3.25 %": a share with two decimals, whatever the locale.
std::string percentText(std::int64_t part, std::int64_t whole)
{
    const double share = whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, share, std::chars_format::fixed, 2).ptr;
    return std::string(buffer, end) + " %";
}

// A number in its shortest exact form, without an exponent for coordinates and codes of everyday size
// ("500000", "0.25").
std::string numberText(double value)
{
    const double size = std::abs(value);
    if (value != 0.0 && (size < 1e-4 || size >= 1e15))
        return shortestText(value);
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed).ptr;
    return std::string(buffer, end);
}

// The codes of a class layer become the table's resistances; the codes found are counted.
void applyClassTable(std::vector<double>& cells, const ClassTable& table, const std::string& name,
                     LayerSummary& summary, RunListener& listener)
{
    std::vector<ClassResistance> rows = table.rows;
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.code < b.code; });
    std::vector<double> codes;
    for (const auto& row : rows)
        codes.push_back(row.code);
    std::vector<std::int64_t> counts(rows.size(), 0);
    std::map<double, std::int64_t> missing;
    // Land cover comes in patches: the code of the last cell is usually the code of this one.
    size_t last = 0;
    for (size_t k = 0; k < cells.size(); ++k) {
        if ((k & 0xFFFFF) == 0)
            listener.throwIfCancelled();
        const double code = cells[k];
        if (std::isnan(code))
            continue;
        size_t index = last;
        if (codes[index] != code) {
            index = static_cast<size_t>(std::lower_bound(codes.begin(), codes.end(), code) - codes.begin());
            if (index == codes.size() || codes[index] != code) {
                ++missing[code];
                continue;
            }
            last = index;
        }
        ++counts[index];
        cells[k] = rows[index].resistance;
    }
    if (!missing.empty()) {
        std::vector<std::pair<double, std::int64_t>> listed(missing.begin(), missing.end());
        std::string text;
        for (size_t k = 0; k < listed.size() && k < 5; ++k)
            text += (k == 0 ? "" : ", ") + numberText(listed[k].first) + " (" + std::to_string(listed[k].second) +
                    (listed[k].second == 1 ? " cell)" : " cells)");
        if (listed.size() > 5)
            text += ", ... (" + std::to_string(listed.size()) + " codes in all)";
        throw DataProblem("The " + name + " has " + (listed.size() == 1 ? "a code" : "codes") + " that the " +
                              table.description + " does not list: " + text + ".",
                          "Every code of a class layer needs a row in its table (a resistance or impassable).");
    }
    for (size_t k = 0; k < rows.size(); ++k) {
        if (counts[k] > 0)
            summary.codesFound.push_back({rows[k].code, rows[k].resistance, counts[k]});
        else
            summary.codesAbsent.push_back(rows[k].code);
    }
}

// The cells of a continuous layer become 1 + M (g - gmin) / (gmax - gmin) of their rescaled values.
void applyCurve(std::vector<double>& cells, const CurveRule& rule, const std::string& name, LayerSummary& summary,
                RunListener& listener)
{
    double smallest = std::numeric_limits<double>::infinity();
    double largest = -smallest;
    for (const double value : cells) {
        if (!std::isnan(value)) {
            smallest = std::min(smallest, value);
            largest = std::max(largest, value);
        }
    }
    if (smallest > largest)
        throw DataProblem("The " + name + " has no cell with a value on the grid of the first layer.");
    if (smallest == largest)
        throw DataProblem("The " + name + " has the same value (" + numberText(smallest) +
                              ") in every cell, so it cannot be rescaled to run from 0 to 10.",
                          "A constant layer adds nothing to a surface; leave it out, or give it a class table.");
    summary.smallest = smallest;
    summary.largest = largest;
    listener.throwIfCancelled();
    const double range = largest - smallest;
    double gMinimum = std::numeric_limits<double>::infinity();
    double gMaximum = -gMinimum;
    for (double& value : cells) {
        if (std::isnan(value))
            continue;
        value = curveValue(rule, 10.0 * ((value - smallest) / range));
        gMinimum = std::min(gMinimum, value);
        gMaximum = std::max(gMaximum, value);
    }
    if (!(gMinimum < gMaximum))
        throw DataProblem("The curve " + curveName(rule) + " gives every cell of the " + name +
                          " the same value, so its resistances cannot run from 1 to " + numberText(1.0 + rule.maximum) +
                          ".");
    listener.throwIfCancelled();
    const double gRange = gMaximum - gMinimum;
    for (double& value : cells) {
        if (!std::isnan(value))
            value = 1.0 + rule.maximum * ((value - gMinimum) / gRange);
    }
}

std::string gridText(const RasterGeometry& grid)
{
    const auto& t = grid.transform;
    std::string text = std::to_string(grid.columns) + " columns x " + std::to_string(grid.rows) + " rows, cells " +
                       numberText(std::abs(t[1])) + " x " + numberText(std::abs(t[5])) + ", upper left corner (" +
                       numberText(t[0]) + ", " + numberText(t[3]) + "), ";
    text +=
        grid.coordinateSystemName.empty() ? "no coordinate system" : "coordinate system " + grid.coordinateSystemName;
    return text;
}

} // namespace

SurfaceResult BuildResistanceSurface(const SurfaceSettings& settings, RunListener& listener)
{
    if (settings.layers.empty())
        throw AnalysisError("a resistance surface needs at least one layer");
    SurfaceResult result;
    std::vector<unsigned char> withoutData;
    const size_t layerCount = settings.layers.size();
    for (size_t index = 0; index < layerCount; ++index) {
        const SurfaceLayer& layer = settings.layers[index];
        const std::string name = layerName(layer, index);
        listener.status("Building the surface: layer " + std::to_string(index + 1) + " of " +
                        std::to_string(layerCount));
        listener.progress(static_cast<long long>(index), static_cast<long long>(layerCount));
        listener.throwIfCancelled();

        LayerSummary summary;
        summary.file = layer.file;
        summary.rule = layer.rule;
        // The table first: a fault in it shows before a long read of the raster.
        const auto* classRule = std::get_if<ClassRule>(&layer.rule);
        ClassTable table;
        if (classRule)
            table = ReadClassTable(classRule->table);

        const RasterFile raster(layer.file, "layer");
        summary.geometry = raster.geometry();
        summary.resampling = classRule ? RasterResampling::NearestNeighbour : RasterResampling::Bilinear;
        if (index == 0) {
            result.grid = raster.geometry();
            withoutData.assign(static_cast<size_t>(result.grid.cellCount()), 0);
        } else if (!sameGrid(raster.geometry(), result.grid)) {
            if (!raster.overlaps(result.grid))
                throw DataProblem("The " + name + " does not overlap the first layer \"" +
                                      escapeControlCharacters(settings.layers.front().file.string()) + "\" at all.",
                                  "The first layer: " + gridText(result.grid) +
                                      ". This layer: " + gridText(raster.geometry()) + ".");
            summary.warped = true;
        }
        std::vector<double> cells = raster.readCellsOnto(result.grid, summary.resampling, listener);
        for (size_t k = 0; k < cells.size(); ++k) {
            if (std::isnan(cells[k])) {
                ++summary.cellsWithoutData;
                withoutData[k] = 1;
            }
        }
        if (classRule)
            applyClassTable(cells, table, name, summary, listener);
        else
            applyCurve(cells, std::get<CurveRule>(layer.rule), name, summary, listener);

        if (index == 0) {
            result.cells = std::move(cells);
        } else {
            for (size_t k = 0; k < cells.size(); ++k)
                result.cells[k] += cells[k];
        }
        result.layers.push_back(std::move(summary));
    }
    listener.progress(static_cast<long long>(layerCount), static_cast<long long>(layerCount));

    const double extra = static_cast<double>(layerCount - 1);
    const std::int64_t columns = result.grid.columns;
    result.minimum = std::numeric_limits<double>::infinity();
    result.maximum = -result.minimum;
    for (size_t k = 0; k < result.cells.size(); ++k) {
        double& value = result.cells[k];
        if (std::isnan(value)) {
            ++result.impassableCells;
            continue;
        }
        value -= extra;
        if (!(value > 0.0))
            throw DataProblem("The layers add up to " + numberText(value) + " in the cell of row " +
                                  std::to_string(static_cast<std::int64_t>(k) / columns + 1) + ", column " +
                                  std::to_string(static_cast<std::int64_t>(k) % columns + 1) +
                                  ", and a resistance must be above 0.",
                              "The sum of several layers subtracts 1 for each layer after the first, so every "
                              "resistance of a class table should then be at least 1.");
        result.minimum = std::min(result.minimum, value);
        result.maximum = std::max(result.maximum, value);
    }
    if (result.impassableCells == result.grid.cellCount())
        throw DataProblem("Every cell of the resistance surface is impassable: no cell has data in every layer and a "
                          "passable class.");

    const std::int64_t removed = std::count(withoutData.begin(), withoutData.end(), 1);
    if (removed * 100 > result.grid.cellCount()) {
        std::string shares;
        for (size_t index = 0; index < layerCount; ++index)
            shares += std::string(index == 0 ? "" : ", ") + layerName(settings.layers[index], index) + " " +
                      percentText(result.layers[index].cellsWithoutData, result.grid.cellCount());
        listener.warning(percentText(removed, result.grid.cellCount()) +
                         " of the cells of the first layer's grid are impassable because a layer has no data there "
                         "or does not reach them: " +
                         shares);
    }
    return result;
}

void WriteSurfaceReport(ReportWriter& out, const SurfaceResult& result, const std::filesystem::path& output)
{
    out.line("Resistance surface built from " + std::to_string(result.layers.size()) +
             (result.layers.size() == 1 ? " layer" : " layers"));
    out.line("Written to: " + escapeControlCharacters(output.string()));
    out.line("Grid (from layer 1): " + gridText(result.grid));
    const std::int64_t cellCount = result.grid.cellCount();
    for (size_t index = 0; index < result.layers.size(); ++index) {
        const LayerSummary& layer = result.layers[index];
        out.line();
        out.line("Layer " + std::to_string(index + 1) + ": " + escapeControlCharacters(layer.file.string()));
        out.line("  Rule: " + escapeControlCharacters(layerRuleText(layer.rule)));
        if (index == 0)
            out.line("  Grid: sets the surface's grid");
        else if (!layer.warped)
            out.line("  Grid: the surface's grid");
        else
            out.line("  Grid: " + gridText(layer.geometry) + "; warped onto the surface's grid by " +
                     (layer.resampling == RasterResampling::Bilinear ? "bilinear interpolation" : "nearest neighbour"));
        if (std::holds_alternative<ClassRule>(layer.rule)) {
            out.text("  Code").column(17).text("Cells").column(31).text("Resistance").endLine();
            for (const ClassCount& code : layer.codesFound) {
                out.text("  " + numberText(code.code)).column(17).text(std::to_string(code.cells)).column(31);
                out.text(std::isnan(code.resistance) ? "impassable" : numberText(code.resistance)).endLine();
            }
            if (!layer.codesAbsent.empty()) {
                std::string absent;
                for (const double code : layer.codesAbsent)
                    absent += (absent.empty() ? "" : ", ") + numberText(code);
                out.line("  Codes of the table not in the layer: " + absent);
            }
        } else {
            const auto& curve = std::get<CurveRule>(layer.rule);
            out.line("  Values from " + numberText(layer.smallest) + " (x = 0) to " + numberText(layer.largest) +
                     " (x = 10); resistances from 1 to " + numberText(1.0 + curve.maximum));
        }
        out.line("  Cells without data: " + std::to_string(layer.cellsWithoutData) + " (" +
                 percentText(layer.cellsWithoutData, cellCount) + ")");
    }
    out.line();
    if (result.layers.size() == 1)
        out.line("Surface: the resistances of the layer");
    else
        out.line("Surface: the sum of the " + std::to_string(result.layers.size()) + " layers' resistances minus " +
                 std::to_string(result.layers.size() - 1));
    out.line("Minimum resistance: " + numberText(result.minimum));
    out.line("Maximum resistance: " + numberText(result.maximum));
    out.line("Impassable cells: " + std::to_string(result.impassableCells) + " of " + std::to_string(cellCount) + " (" +
             percentText(result.impassableCells, cellCount) + ")");
}

std::string SurfaceReport(const SurfaceResult& result, const std::filesystem::path& output)
{
    ReportWriter out;
    WriteSurfaceReport(out, result, output);
    return out.str();
}

void WriteSurfaceFile(const std::filesystem::path& output, const SurfaceResult& result, RunListener& listener)
{
    GeoTiffRaster raster;
    raster.columns = result.grid.columns;
    raster.rows = result.grid.rows;
    raster.transform = result.grid.transform;
    raster.coordinateSystemWkt = result.grid.coordinateSystemWkt;
    raster.noData = kSurfaceNoData;
    raster.cells = result.cells;
    listener.status("Writing the surface");
    WriteGeoTiff(output, raster, "the resistance surface", listener);
}

} // namespace tessaloc
