// The partial Mantel test beside the Mantel test on the same data, in one run: N = 500, 1000 and
// 2000 observations (data type 1, 10 loci), 999 permutations, on one thread and on all cores. X is
// the straight-line distance, Z its square root plus a term that varies with the pair, so that the
// two are correlated but not collinear. The partial test's permutations need two cross products per
// replicate where the Mantel test needs one; both are summed in the same pass over the permuted
// rows. compare_vegan.py times vegan's mantel.partial at N = 500 beside tessaloc-cli.

#include "analyses/mantel/Mantel.h"
#include "analyses/partialmantel/PartialMantel.h"
#include "tests/support/BenchmarkData.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace tessaloc;

constexpr int kPermutations = 999;

PackedDistances heldConstant(const PackedDistances& geographic)
{
    PackedDistances z = geographic;
    std::vector<double>& values = z.values();
    for (size_t k = 0; k < values.size(); ++k)
        values[k] = std::sqrt(values[k]) + static_cast<double>(k % 7);
    return z;
}

void BM_Mantel(benchmark::State& state)
{
    const reference::DistanceMatrices& m = reference::benchmarkMatrices(static_cast<int>(state.range(0)));
    const PackedDistances genetic = m.packedGenetic();
    const PackedDistances geographic = m.packedGeographic();
    MantelSettings settings;
    settings.permutations.count = kPermutations;
    settings.permutations.threads = static_cast<int>(state.range(1));
    for (auto _ : state) {
        RandomUniform random(12345, 67890);
        const MantelResult result = ComputeMantel(genetic, geographic, settings, random, RunListener::none());
        benchmark::DoNotOptimize(result.greaterOrEqual);
    }
}

void BM_PartialMantel(benchmark::State& state)
{
    const reference::DistanceMatrices& m = reference::benchmarkMatrices(static_cast<int>(state.range(0)));
    const PackedDistances genetic = m.packedGenetic();
    const PackedDistances geographic = m.packedGeographic();
    const PackedDistances z = heldConstant(geographic);
    PartialMantelSettings settings;
    settings.permutations.count = kPermutations;
    settings.permutations.threads = static_cast<int>(state.range(1));
    for (auto _ : state) {
        RandomUniform random(12345, 67890);
        const PartialMantelResult result =
            ComputePartialMantel(genetic, {"x", "", geographic}, {"z", "", z}, settings, random, RunListener::none());
        benchmark::DoNotOptimize(result.greaterOrEqual);
    }
}

// Second argument: threads (0 = one per core).
BENCHMARK(BM_Mantel)
    ->ArgsProduct({{500, 1000, 2000}, {1, 0}})
    ->ArgNames({"N", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_PartialMantel)
    ->ArgsProduct({{500, 1000, 2000}, {1, 0}})
    ->ArgNames({"N", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
