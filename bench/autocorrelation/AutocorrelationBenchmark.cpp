// The spatial autocorrelation analysis at N = 1000 and 2000 observations (data type 1, 10 loci),
// K = 10 classes and 999 permutations: the fast engine on one thread and on all cores, against the
// literal procedure that rearranges the matrix and passes over all pairs once per class; and the
// engine followed by the bootstrap of the class means over 200 resamples of the loci, as a window
// run makes it (the envelopes, corrected tests and correlogram come with the engine).

#include "analyses/autocorrelation/Autocorrelation.h"
#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "tests/support/BenchmarkData.h"
#include "tests/support/LiteralAutocorrelation.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tessaloc;

constexpr int kPermutations = 999;
constexpr int kClasses = 10;

AutocorrelationSettings settingsFor(const benchmark::State& state)
{
    AutocorrelationSettings settings;
    settings.classCount = kClasses;
    settings.permutations.count = kPermutations;
    settings.classMode = state.range(1) == 1 ? ClassMode::EqualCounts : ClassMode::EqualDistances;
    return settings;
}

// Second argument: class mode (0 equal distances, 1 equal counts); third: threads (0 = one per core).
void BM_AutocorrelationFast(benchmark::State& state)
{
    const reference::DistanceMatrices& m = reference::benchmarkMatrices(static_cast<int>(state.range(0)));
    AutocorrelationSettings settings = settingsFor(state);
    settings.permutations.threads = static_cast<int>(state.range(2));
    for (auto _ : state) {
        RandomUniform random(12345, 67890);
        const AutocorrelationResult result =
            ComputeAutocorrelation(m.genetic, m.geographic, settings, random, RunListener::none());
        benchmark::DoNotOptimize(result.vCount);
    }
}

void BM_AutocorrelationWithIntervals(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const reference::DistanceMatrices& m = reference::benchmarkMatrices(n);
    const SampleTable& table = reference::benchmarkTable(n);
    AutocorrelationSettings settings = settingsFor(state);
    settings.permutations.threads = static_cast<int>(state.range(2));
    for (auto _ : state) {
        RandomUniform random(12345, 67890);
        AutocorrelationResult result =
            ComputeAutocorrelation(m.genetic, m.geographic, settings, random, RunListener::none());
        BootstrapClassIntervals(result, table, DataType::Codominant, 200, random, RunListener::none(),
                                settings.permutations.threads);
        benchmark::DoNotOptimize(result.confidence.data());
    }
}

void BM_AutocorrelationLiteral(benchmark::State& state)
{
    const reference::DistanceMatrices& m = reference::benchmarkMatrices(static_cast<int>(state.range(0)));
    const AutocorrelationSettings settings = settingsFor(state);
    for (auto _ : state) {
        RandomUniform random(12345, 67890);
        const AutocorrelationResult result =
            reference::literalSpatialAutocorrelation(m.genetic, m.geographic, settings, random);
        benchmark::DoNotOptimize(result.vCount);
    }
}

BENCHMARK(BM_AutocorrelationFast)
    ->ArgsProduct({{1000, 2000}, {0, 1}, {1, 0}})
    ->ArgNames({"N", "equalCounts", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_AutocorrelationWithIntervals)
    ->ArgsProduct({{1000}, {0}, {1, 0}})
    ->ArgNames({"N", "equalCounts", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_AutocorrelationLiteral)
    ->ArgsProduct({{1000, 2000}, {0}})
    ->ArgNames({"N", "equalCounts"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

BENCHMARK_MAIN();
