#include "resistance/SurfaceGraph.h"

#include "core/Errors.h"
#include "core/NumberText.h"

#include <cmath>
#include <unordered_map>

namespace tessaloc {

std::vector<CellStep> cellSteps(int neighbours)
{
    if (neighbours != 4 && neighbours != 8)
        throw AnalysisError("a resistance surface has 4 or 8 neighbours per cell, not " + std::to_string(neighbours));
    std::vector<CellStep> steps{{0, 1, false}, {0, -1, false}, {1, 0, false}, {-1, 0, false}};
    if (neighbours == 8)
        steps.insert(steps.end(), {{1, 1, true}, {1, -1, true}, {-1, 1, true}, {-1, -1, true}});
    return steps;
}

std::vector<std::uint8_t> RequireJoined(const ResistanceSurface& surface, const PlacedObservations& observations,
                                        int neighbours)
{
    const std::vector<CellStep> steps = cellSteps(neighbours);
    std::vector<std::uint8_t> joined(static_cast<size_t>(surface.cellCount()), 0);
    if (observations.size() == 0)
        return joined;
    const int columns = surface.columns();
    const int rows = surface.rows();
    std::vector<CellIndex> pending{observations.cells.front()};
    joined[static_cast<size_t>(pending.front())] = 1;
    while (!pending.empty()) {
        const CellIndex cell = pending.back();
        pending.pop_back();
        const int row = static_cast<int>(cell / columns);
        const int column = static_cast<int>(cell % columns);
        for (const CellStep& step : steps) {
            const int r = row + step.rows;
            const int c = column + step.columns;
            if (r < 0 || r >= rows || c < 0 || c >= columns)
                continue;
            const CellIndex next = static_cast<CellIndex>(r) * columns + c;
            if (!joined[static_cast<size_t>(next)] && surface.passable(next)) {
                joined[static_cast<size_t>(next)] = 1;
                pending.push_back(next);
            }
        }
    }
    for (int k = 1; k < observations.size(); ++k) {
        if (!joined[static_cast<size_t>(observations.cells[k])]) {
            throw DataProblem("The locations of " + observations.names.front() + " and " + observations.names[k] +
                                  " lie in parts of the " + surface.description() +
                                  " that no path of passable cells joins (with " + std::to_string(neighbours) +
                                  " neighbours per cell).",
                              "Their distance over the surface would be infinite.");
        }
    }
    return joined;
}

std::string ResistanceRange::text(int columns) const
{
    auto place = [columns](CellIndex cell) {
        return "row " + std::to_string(cell / columns + 1) + ", column " + std::to_string(cell % columns + 1);
    };
    return "from " + shortestText(lowest) + " (" + place(lowestCell) + ") to " + shortestText(highest) + " (" +
           place(highestCell) + ")";
}

std::string ResistanceRange::ratioText() const
{
    if (std::isfinite(ratio()))
        return shortestText(ratio());
    return "about 1e+" + std::to_string(std::lround(std::log10(highest) - std::log10(lowest)));
}

ResistanceRange resistanceRange(const ResistanceSurface& surface, const std::vector<std::uint8_t>& joined)
{
    ResistanceRange range;
    bool any = false;
    for (CellIndex cell = 0; cell < surface.cellCount(); ++cell) {
        if (!joined[static_cast<size_t>(cell)])
            continue;
        const double r = surface.resistance(cell);
        if (!any || r < range.lowest) {
            range.lowest = r;
            range.lowestCell = cell;
        }
        if (!any || r > range.highest) {
            range.highest = r;
            range.highestCell = cell;
        }
        any = true;
    }
    return range;
}

DistinctCells distinctCells(const PlacedObservations& observations)
{
    DistinctCells distinct;
    std::unordered_map<CellIndex, int> position;
    for (const CellIndex cell : observations.cells) {
        const auto [it, inserted] = position.try_emplace(cell, static_cast<int>(distinct.cells.size()));
        if (inserted)
            distinct.cells.push_back(cell);
        distinct.ofObservation.push_back(it->second);
    }
    return distinct;
}

} // namespace tessaloc
