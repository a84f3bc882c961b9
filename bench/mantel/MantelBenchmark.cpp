// The Mantel permutation test at N = 500, 1000 and 2000 observations (data type 1, 10 loci) with
// 999 permutations: the fast runner on one thread and on all cores, against the literal procedure
// that rearranges the matrix, and the exchanges against independent uniform shuffles at N = 1000.
// compare_skbio.py times scikit-bio's mantel on the same data.

#include "analyses/mantel/Mantel.h"
#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "core/MatrixSums.h"
#include "tests/support/BenchmarkData.h"
#include "tests/support/LiteralMantel.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tessaloc;

constexpr int kPermutations = 999;

// The whole test on built matrices: r, Z and the permutations (r and Z take one pass each).
void timeMantel(benchmark::State& state, PermutationSettings permutations)
{
    const reference::DistanceMatrices& m = reference::benchmarkMatrices(static_cast<int>(state.range(0)));
    const PackedDistances genetic = m.packedGenetic();
    const PackedDistances geographic = m.packedGeographic();
    MantelSettings settings;
    settings.permutations = permutations;
    settings.permutations.count = kPermutations;
    for (auto _ : state) {
        RandomUniform random(12345, 67890);
        const MantelResult result = ComputeMantel(genetic, geographic, settings, random, RunListener::none());
        benchmark::DoNotOptimize(result.greaterOrEqual);
    }
}

void BM_MantelFast(benchmark::State& state)
{
    timeMantel(state, PermutationSettings{.threads = static_cast<int>(state.range(1))});
}

// The two random schemes at the same size: N exchanges per replicate against an independent uniform
// shuffle (N - 1 draws). Both are drawn on the calling thread while the workers wait, so the draws
// count on all cores as well.
void BM_MantelScheme(benchmark::State& state)
{
    PermutationSettings permutations;
    permutations.threads = static_cast<int>(state.range(2));
    permutations.scheme = state.range(1) == 0 ? PermutationScheme::Exchanges : PermutationScheme::Uniform;
    timeMantel(state, permutations);
}

void BM_MantelLiteral(benchmark::State& state)
{
    const reference::DistanceMatrices& m = reference::benchmarkMatrices(static_cast<int>(state.range(0)));
    const double z = CrossProductSum(m.genetic, m.geographic);
    for (auto _ : state) {
        RandomUniform random(12345, 67890);
        const auto counts = reference::literalMantelPermutations(m.genetic, m.geographic, z, kPermutations, random);
        benchmark::DoNotOptimize(counts.greaterOrEqual);
    }
}

// Second argument: threads (0 = one per core).
BENCHMARK(BM_MantelFast)
    ->ArgsProduct({{500, 1000, 2000}, {1, 0}})
    ->ArgNames({"N", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// Second argument: 0 exchanges, 1 uniform shuffles; third: threads (0 = one per core).
BENCHMARK(BM_MantelScheme)
    ->ArgsProduct({{1000}, {0, 1}, {1, 0}})
    ->ArgNames({"N", "uniform", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_MantelLiteral)->Arg(500)->Arg(1000)->Arg(2000)->ArgName("N")->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
