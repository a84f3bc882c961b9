// Distances over a resistance surface at the sizes users bring: 500 locations on a 1000 x 1000
// surface with 8 neighbours (circuit resistance and least-cost paths, the latter on one thread and
// on all cores), and 100 locations on 200 x 200, the size compare_scipy.py measures beside scipy.
// The surface: resistances uniform in [1, 10) with a river of impassable cells across it, crossed
// by two bridges; the locations on passable cells, from a fixed seed.
//
// peak_rss_MB is the process's peak resident memory after the run, which the largest circuit run
// (registered first) decides until the one with the minimum degree ordering, registered last; compare_scipy.py measures
// each run in a process of its own.

#include "resistance/CircuitDistances.h"
#include "resistance/LeastCostDistances.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>
#include <map>
#include <random>

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
    for (auto _ : state) {
        SquareMatrix d = CircuitDistances(data.surface, data.locations, 8, RunListener::none(), 0, ordering);
        benchmark::DoNotOptimize(d.values().data());
    }
    state.counters["peak_rss_MB"] = peakMegabytes();
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
