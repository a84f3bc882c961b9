// Distances over a resistance surface at the sizes users bring: 500 locations on a 1000 x 1000
// surface with 8 neighbours (circuit resistance and least-cost paths, the latter on one thread and
// on all cores), 5000 locations on it (circuit resistance), and 100 locations on 200 x 200, the
// size compare_scipy.py measures beside scipy. The surface: resistances uniform in [1, 10) with a
// river of impassable cells across it, crossed by two bridges; the locations on passable cells,
// from a fixed seed.
//
// peak_rss_MB is the process's peak resident memory after the run: the largest of the runs so far
// (the circuit on 1000 x 1000 with 500 locations is registered first, so its figure is its own);
// compare_scipy.py measures each run in a process of its own. The circuit runs also give the
// seconds of each step as the engine names it (build_s, order_s, factor_s, and solve_s: the solves
// for the locations and filling the matrix). Only the solves grow with the number of locations.

#include "resistance/CircuitDistances.h"
#include "resistance/LeastCostDistances.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <utility>

namespace {

using namespace tessaloc;

struct Landscape {
    ResistanceSurface surface;
    PlacedObservations locations;
};

Landscape makeLandscape(int size, int locations)
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

const Landscape& landscape(int size, int locations)
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

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Third argument: the ordering of the factorisation (0 = the dissection of the grid, 1 = CHOLMOD's
// approximate minimum degree).
void BM_Circuit(benchmark::State& state)
{
    const Landscape& data = landscape(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const CircuitOrdering ordering =
        state.range(2) == 0 ? CircuitOrdering::GridDissection : CircuitOrdering::MinimumDegree;
    StepTimes steps;
    for (auto _ : state) {
        SquareMatrix d = CircuitDistances(data.surface, data.locations, 8, steps, 0, ordering);
        steps.finish();
        benchmark::DoNotOptimize(d.values().data());
    }
    state.counters["peak_rss_MB"] = peakMegabytes();
    for (const auto& [step, name] : {std::pair{"building the circuit", "build_s"}, std::pair{"ordering", "order_s"},
                                     std::pair{"factoring", "factor_s"}, std::pair{"solving", "solve_s"}})
        state.counters[name] = benchmark::Counter(steps.seconds(std::string("Circuit resistance: ") + step),
                                                  benchmark::Counter::kAvgIterations);
}

// Third argument: threads (0 = one per core).
void BM_LeastCost(benchmark::State& state)
{
    const Landscape& data = landscape(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        SquareMatrix d = LeastCostDistances(data.surface, data.locations, 8, static_cast<int>(state.range(2)));
        benchmark::DoNotOptimize(d.values().data());
    }
    state.counters["peak_rss_MB"] = peakMegabytes();
}

BENCHMARK(BM_Circuit)
    ->Args({1000, 500, 0})
    ->Args({1000, 5000, 0})
    ->Args({200, 100, 0})
    ->Args({200, 100, 1})
    ->Args({1000, 500, 1})
    ->ArgNames({"size", "locations", "ordering"})
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_LeastCost)
    ->Args({1000, 500, 0})
    ->Args({1000, 500, 1})
    ->Args({200, 100, 0})
    ->ArgNames({"size", "locations", "threads"})
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);

} // namespace

BENCHMARK_MAIN();
