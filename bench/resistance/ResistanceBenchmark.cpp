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

#include "bench/resistance/BenchmarkLandscape.h"
#include "resistance/CircuitDistances.h"
#include "resistance/LeastCostDistances.h"

#include <benchmark/benchmark.h>

#include <string>
#include <utility>

namespace {

using namespace tessaloc;
using namespace tessaloc::bench;

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
