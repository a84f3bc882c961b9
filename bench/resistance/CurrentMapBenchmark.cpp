// The cumulative current map at the sizes users bring, on the surface of the resistance benchmarks
// (BenchmarkLandscape.h): 100 and 500 locations on 1000 x 1000 cells with 8 neighbours, and, as the
// comparison, 50 locations on 200 x 200 cells by the shortcut and pair by pair (a solve of its own and
// a pass over the grid for each of the 1225 pairs: the literal computation the tests check the
// engine against, which factors the band of the Laplacian once).
//
// Run each in a process of its own for its peak memory (peak_rss_MB is the process's peak resident
// memory so far), for example
//   tessaloc_bench_current_map --benchmark_filter='BM_CurrentMap/size:1000/locations:500'
// The shortcut's runs give the seconds of each step as the engine names it (order_s, factor_s,
// solve_s, sum_s: the sorted sums over the resistors).

#include "bench/resistance/BenchmarkLandscape.h"
#include "resistance/CellCurrents.h"
#include "tests/support/LiteralCurrentMap.h"

#include <benchmark/benchmark.h>

#include <string>
#include <utility>

namespace {

using namespace tessaloc;
using namespace tessaloc::bench;

// Third argument: 1 for the map of the largest currents too.
void BM_CurrentMap(benchmark::State& state)
{
    const Landscape& data = landscape(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    StepTimes steps;
    for (auto _ : state) {
        CellCurrents map = CumulativeCurrentMap(data.surface, data.locations, 8, state.range(2) != 0, steps);
        steps.finish();
        benchmark::DoNotOptimize(map.cumulative.data());
    }
    state.counters["peak_rss_MB"] = peakMegabytes();
    for (const auto& [step, name] :
         {std::pair{"ordering", "order_s"}, std::pair{"factoring", "factor_s"}, std::pair{"solving", "solve_s"},
          std::pair{"adding up the currents", "sum_s"}, std::pair{"the largest currents", "max_s"}})
        state.counters[name] =
            benchmark::Counter(steps.seconds(std::string("Current map: ") + step), benchmark::Counter::kAvgIterations);
}

void BM_CurrentMapPairByPair(benchmark::State& state)
{
    const Landscape& data = landscape(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const std::vector<std::int64_t>& cells = data.locations.cells;
    for (auto _ : state) {
        testing::LiteralCurrents map =
            testing::literalCurrentMaps(data.surface.columns(), data.surface.rows(), data.surface.cells(), 8, cells);
        benchmark::DoNotOptimize(map.cumulative.data());
    }
    state.counters["peak_rss_MB"] = peakMegabytes();
}

BENCHMARK(BM_CurrentMap)
    ->Args({1000, 100, 0})
    ->Args({1000, 500, 0})
    ->Args({200, 50, 0})
    ->Args({200, 50, 1})
    ->Args({1000, 100, 1})
    ->ArgNames({"size", "locations", "maximum"})
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_CurrentMapPairByPair)
    ->Args({200, 50})
    ->ArgNames({"size", "locations"})
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);

} // namespace

BENCHMARK_MAIN();
