// The regression on three predictor matrices (the geographic distances and two more) with 999
// permutations beside the Mantel test on the same genetic and geographic distances, at N = 500, 1000
// and 2000 observations (data type 1, 10 loci), on one thread and on all cores, in one run.
// compare_ecodist.py times ecodist's MRM on the same kind of data.

#include "analyses/mantel/Mantel.h"
#include "analyses/matrixregression/MatrixRegression.h"
#include "tests/support/BenchmarkData.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

using namespace tessaloc;

constexpr int kPermutations = 999;

// The geographic distances, their square roots and a matrix of random differences of a habitat
// value per observation: three predictors that are neither constant nor collinear.
std::vector<PredictorMatrix> threePredictors(const PackedDistances& geographic)
{
    PackedDistances root = geographic;
    for (double& value : root.values())
        value = std::sqrt(value);
    const int n = geographic.size();
    std::mt19937 engine(2024);
    std::uniform_real_distribution<double> uniform(0.0, 100.0);
    std::vector<double> habitat(static_cast<size_t>(n));
    for (double& value : habitat)
        value = uniform(engine);
    PackedDistances difference(n);
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            difference.setPair(i, j, std::abs(habitat[static_cast<size_t>(i)] - habitat[static_cast<size_t>(j)]));
    return {{"straight", "straight lines", geographic},
            {"root", "square roots", std::move(root)},
            {"habitat", "habitat differences", std::move(difference)}};
}

PermutationSettings permutationsOn(int threads)
{
    PermutationSettings permutations;
    permutations.count = kPermutations;
    permutations.threads = threads;
    return permutations;
}

void BM_Mantel(benchmark::State& state)
{
    const reference::DistanceMatrices& m = reference::benchmarkMatrices(static_cast<int>(state.range(0)));
    const PackedDistances genetic = m.packedGenetic();
    const PackedDistances geographic = m.packedGeographic();
    MantelSettings settings;
    settings.permutations = permutationsOn(static_cast<int>(state.range(1)));
    settings.pairTable = false;
    for (auto _ : state) {
        RandomUniform random(12345, 67890);
        const MantelResult result = ComputeMantel(genetic, geographic, settings, random, RunListener::none());
        benchmark::DoNotOptimize(result.greaterOrEqual);
    }
}

void BM_MatrixRegression(benchmark::State& state)
{
    const reference::DistanceMatrices& m = reference::benchmarkMatrices(static_cast<int>(state.range(0)));
    const PackedDistances genetic = m.packedGenetic();
    const std::vector<PredictorMatrix> predictors = threePredictors(m.packedGeographic());
    MatrixRegressionSettings settings;
    settings.permutations = permutationsOn(static_cast<int>(state.range(1)));
    for (auto _ : state) {
        RandomUniform random(12345, 67890);
        const MatrixRegressionResult result =
            ComputeMatrixRegression(genetic, predictors, settings, random, RunListener::none());
        benchmark::DoNotOptimize(result.fAtLeast);
    }
}

// Second argument: threads (0 = one per core). The two run interleaved size by size, so that the
// ratio of each pair is measured under the same load.
BENCHMARK(BM_Mantel)
    ->ArgsProduct({{500, 1000, 2000}, {1, 0}})
    ->ArgNames({"N", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_MatrixRegression)
    ->ArgsProduct({{500, 1000, 2000}, {1, 0}})
    ->ArgNames({"N", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
