// The allelic aggregation analysis at N = 500 and 1000 observations (data type 1, 10 loci, 8 alleles
// per locus) with 999 permutations: the engine on one thread and on all cores, against the literal
// procedure that rearranges the distance matrix and re-sorts every neighbour list in each replicate.
// The literal procedure runs 1 and 9 replicates only (it needs minutes for 999): the difference of
// the two, divided by 8, is its time per replicate.

#include "analyses/aggregation/Aggregation.h"
#include "tests/support/BenchmarkData.h"
#include "tests/support/LiteralAggregation.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tessaloc;

constexpr int kPermutations = 999;

// The whole analysis of a table already read: distances, sorted lists, R, Rj, Rave and the replicates.
void BM_AggregationFast(benchmark::State& state)
{
    const SampleTable& t = reference::benchmarkTable(static_cast<int>(state.range(0)));
    AggregationSettings settings;
    settings.permutations.count = kPermutations;
    settings.permutations.threads = static_cast<int>(state.range(1));
    for (auto _ : state) {
        RandomUniform random(12345, 67890);
        const AggregationResult result =
            ComputeAggregation(t, DataType::Codominant, false, settings, random, RunListener::none());
        benchmark::DoNotOptimize(result.raveCount);
    }
}

void BM_AggregationLiteral(benchmark::State& state)
{
    const SampleTable& t = reference::benchmarkTable(static_cast<int>(state.range(0)));
    AggregationSettings settings;
    settings.permutations.count = state.range(1);
    for (auto _ : state) {
        RandomUniform random(12345, 67890);
        const AggregationResult result =
            reference::literalAllelicAggregation(t, DataType::Codominant, false, settings, random);
        benchmark::DoNotOptimize(result.raveCount);
    }
}

// Second argument: threads (0 = one per core).
BENCHMARK(BM_AggregationFast)
    ->ArgsProduct({{500, 1000}, {1, 0}})
    ->ArgNames({"N", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// Second argument: replicates.
BENCHMARK(BM_AggregationLiteral)
    ->ArgsProduct({{500, 1000}, {1, 9}})
    ->ArgNames({"N", "replicates"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

BENCHMARK_MAIN();
