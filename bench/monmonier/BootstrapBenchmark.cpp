// The bootstrap support of the barriers: 200 locations with one observation each, 20 codominant loci
// of 8 alleles (2 % missing), residual values, 3 barriers, 1 000 replicates, on every core and on one;
// and the literal loop over the replicates (tests/support) for 100 of them, for the ratio.

#include "tests/support/LiteralDistances.h"
#include "tests/support/LiteralMonmonier.h"
#include "tests/support/ObservedBarrierSearch.h"
#include "tests/support/PointSets.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using namespace tessaloc;

constexpr int kLocations = 200;
constexpr long long kBarriers = 3;

// The table: 200 observations at distinct random points, and the search over it.
const reference::ObservedBarrierSearch& observed()
{
    static std::unique_ptr<reference::ObservedBarrierSearch> built;
    if (built)
        return *built;
    reference::RandomTableRecipe recipe;
    recipe.samples = kLocations;
    recipe.loci = 20;
    recipe.allelesPerLocus = 8;
    recipe.missingRate = 0.02;
    recipe.seed = 2026;
    SampleTable table = reference::randomSampleTable(DataType::Codominant, recipe);
    // Repeated points are dropped, so the generator may give fewer; in a 100 x 100 square at three
    // decimals none repeats.
    const auto points = reference::randomPoints(kLocations, 2026, 100.0, 100.0, 3);
    for (size_t i = 0; i < points.size() && i < table.xTexts.size(); ++i) {
        table.xTexts[i] = std::to_string(points[i].x);
        table.yTexts[i] = std::to_string(points[i].y);
    }
    built = std::make_unique<reference::ObservedBarrierSearch>(std::move(table), DataType::Codominant, false,
                                                               MonmonierDistanceKind::Residual, kBarriers);
    return *built;
}

void BM_BarrierBootstrap(benchmark::State& state)
{
    const reference::ObservedBarrierSearch& o = observed();
    const BarrierBootstrap bootstrap = o.bootstrap();
    const long long replicates = state.range(0);
    const int threads = static_cast<int>(state.range(1));
    for (auto _ : state) {
        RandomUniform random(1, 1);
        const BarrierSupport support = bootstrap.run(o.barriers, replicates, threads, random);
        benchmark::DoNotOptimize(support.rows.data());
    }
    state.counters["locations"] = o.locations.count();
    state.counters["replicates"] = static_cast<double>(replicates);
    state.counters["threads"] = threads;
    state.counters["replicates/s"] =
        benchmark::Counter(static_cast<double>(replicates), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_LiteralBarrierBootstrap(benchmark::State& state)
{
    const reference::ObservedBarrierSearch& o = observed();
    const long long replicates = state.range(0);
    for (auto _ : state) {
        RandomUniform random(1, 1);
        const auto support = reference::literalBarrierSupport(
            o.table, DataType::Codominant, false, MonmonierDistanceKind::Residual, kBarriers, replicates, random);
        benchmark::DoNotOptimize(support.anyCounts.data());
    }
    state.counters["replicates/s"] =
        benchmark::Counter(static_cast<double>(replicates), benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

// threads 0: one per core.
BENCHMARK(BM_BarrierBootstrap)->Args({1000, 0})->Args({1000, 1})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LiteralBarrierBootstrap)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
