#pragma once

// The surface and locations the benchmarks of the distances and the current map over a resistance
// surface run on, and what they measure besides time: resistances uniform in [1, 10) with a river of
// impassable cells across the middle, crossed by two bridges; the locations on passable cells, from a
// fixed seed.

#include "core/RunListener.h"
#include "resistance/ResistanceSurface.h"

#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <utility>

namespace tessaloc::bench {

struct Landscape {
    ResistanceSurface surface;
    PlacedObservations locations;
};

inline Landscape makeLandscape(int size, int locations)
{
    std::mt19937 generator(2027);
    std::uniform_real_distribution<double> resistance(1.0, 10.0);
    std::vector<double> cells(static_cast<size_t>(size) * static_cast<size_t>(size));
    for (double& cell : cells)
        cell = resistance(generator);
    const int river = size / 2;
    for (int column = 0; column < size; ++column) {
        const bool bridge = column == size / 4 || column == 3 * size / 4;
        if (!bridge)
            cells[static_cast<size_t>(river) * size + column] = std::nan("");
    }
    RasterGeometry geometry;
    geometry.columns = size;
    geometry.rows = size;
    geometry.transform = {0.0, 1.0, 0.0, static_cast<double>(size), 0.0, -1.0};
    ResistanceSurface surface(geometry, std::move(cells), false, "benchmark surface");
    PlacedObservations placed;
    std::uniform_int_distribution<CellIndex> cell(0, surface.cellCount() - 1);
    while (placed.size() < locations) {
        const CellIndex c = cell(generator);
        if (surface.passable(c)) {
            placed.cells.push_back(c);
            placed.names.push_back("location " + std::to_string(placed.size()));
        }
    }
    return {std::move(surface), std::move(placed)};
}

inline const Landscape& landscape(int size, int locations)
{
    static std::map<std::pair<int, int>, Landscape> cache;
    auto it = cache.find({size, locations});
    if (it == cache.end())
        it = cache.emplace(std::make_pair(size, locations), makeLandscape(size, locations)).first;
    return it->second;
}

// The seconds between one status text and the next, added up per text.
class StepTimes : public RunListener {
public:
    void status(std::string_view text) override
    {
        const auto now = std::chrono::steady_clock::now();
        if (!m_step.empty())
            m_seconds[m_step] += std::chrono::duration<double>(now - m_since).count();
        m_step = std::string(text);
        m_since = now;
    }
    /// Ends the last step.
    void finish() { status(""); }
    double seconds(const std::string& step) const
    {
        const auto it = m_seconds.find(step);
        return it == m_seconds.end() ? 0.0 : it->second;
    }

private:
    std::string m_step;
    std::chrono::steady_clock::time_point m_since;
    std::map<std::string, double> m_seconds;
};

inline double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

} // namespace tessaloc::bench
