// The landscape shape analysis: the pairwise network at N = 1000 and 2000 observations, the Delaunay
// network at 5000 locations, and a 500 x 500 grid over 3000 edges at the weights 1 and 1.5; each also at a size the
// literal procedures (every candidate against every listed line, one node and one edge after the other on one thread)
// finish in seconds, for the ratio of the two.

#include "analyses/landscape/GridInterpolation.h"
#include "analyses/landscape/InverseSquareRoot.h"
#include "analyses/landscape/Landscape.h"
#include "core/GeographicDistances.h"
#include "core/NumberText.h"
#include "tests/support/LiteralLandscape.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <random>

namespace {

using namespace tessaloc;

// Observations at distinct places with three decimals (so every pair is a line of its own) and
// random genetic distances.
struct Data {
    SampleTable table;
    std::vector<double> x;
    std::vector<double> y;
    SquareMatrix G;
    SquareMatrix D;
};

const Data& data(int n)
{
    static std::map<int, Data> cache;
    auto it = cache.find(n);
    if (it == cache.end()) {
        std::mt19937 generator(static_cast<unsigned>(n));
        std::uniform_int_distribution<int> coordinate(0, 9999999);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        Data d;
        for (int k = 0; k < n; ++k) {
            d.table.names.push_back(std::to_string(k));
            d.table.xTexts.push_back(plainText(coordinate(generator) / 1000.0));
            d.table.yTexts.push_back(plainText(coordinate(generator) / 1000.0));
            d.x.push_back(d.table.coordinateX(k));
            d.y.push_back(d.table.coordinateY(k));
        }
        d.G = SquareMatrix(n);
        for (int i = 0; i < n; ++i) {
            for (int j = i + 1; j < n; ++j)
                d.G.setPair(i, j, unit(generator));
        }
        d.D = BuildGeographicDistances(d.table, false).square();
        it = cache.emplace(n, std::move(d)).first;
    }
    return it->second;
}

void BM_PairwiseNetwork(benchmark::State& state)
{
    const Data& d = data(static_cast<int>(state.range(0)));
    size_t lines = 0;
    for (auto _ : state) {
        const auto edges = PairwiseLandscapeEdges(d.x, d.y, d.G, d.D, LandscapeHeightMode::Raw);
        lines = edges.size();
        benchmark::DoNotOptimize(edges.data());
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["MB"] = static_cast<double>(lines * sizeof(LandscapeEdge)) / 1e6;
}
BENCHMARK(BM_PairwiseNetwork)->Arg(200)->Arg(400)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

// The whole analysis after reading: extents, residuals, the pairwise network.
void BM_PairwiseResidualShape(benchmark::State& state)
{
    const Data& d = data(static_cast<int>(state.range(0)));
    const LandscapeSettings settings{LandscapeNetwork::Pairwise, LandscapeHeightMode::Residual, false};
    for (auto _ : state) {
        const LandscapeResult shape = ComputeLandscape(d.table, d.G, d.D, false, settings);
        benchmark::DoNotOptimize(shape.LandscapeEdges.data());
    }
}
BENCHMARK(BM_PairwiseResidualShape)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_PairwiseNetworkLiteral(benchmark::State& state)
{
    const Data& d = data(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const auto edges = reference::literalPairwiseNetwork(d.x, d.y, d.G, d.D, LandscapeHeightMode::Raw, false);
        benchmark::DoNotOptimize(edges.data());
    }
}
BENCHMARK(BM_PairwiseNetworkLiteral)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond);

// The Delaunay network of N distinct locations: grouping, triangulation, distinct lines, heights.
void BM_DelaunayShape(benchmark::State& state)
{
    const Data& d = data(static_cast<int>(state.range(0)));
    const LandscapeSettings settings{LandscapeNetwork::Delaunay, LandscapeHeightMode::Raw, false};
    size_t lines = 0;
    for (auto _ : state) {
        const LandscapeResult shape = ComputeLandscape(d.table, d.G, d.D, false, settings);
        lines = shape.LandscapeEdges.size();
        benchmark::DoNotOptimize(shape.LandscapeEdges.data());
    }
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_DelaunayShape)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_DelaunayNetworkLiteral(benchmark::State& state)
{
    const Data& d = data(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const auto edges = reference::literalDelaunayNetwork(d.x, d.y, d.G, LandscapeHeightMode::Raw, false, false);
        benchmark::DoNotOptimize(edges.data());
    }
}
BENCHMARK(BM_DelaunayNetworkLiteral)->Arg(1000)->Unit(benchmark::kMillisecond);

// 3000 edges with random midpoints and heights over a square of 1000 units, 200 sample points.
const LandscapeResult& gridShape()
{
    static const LandscapeResult shape = reference::randomEdgeShape(7, 200, 3000, 1000.0);
    return shape;
}

// A grid at the default weight p = 1 (weights without pow) and at p = 1.5 (pow for every edge): the
// second argument is 10 p. Compare the two at 500 bins in one run.
void BM_Grid(benchmark::State& state)
{
    const int bins = static_cast<int>(state.range(0));
    const double weight = static_cast<double>(state.range(1)) / 10.0;
    for (auto _ : state) {
        const InterpolationGrid grid = InterpolateLandscape(gridShape(), bins, bins, weight);
        benchmark::DoNotOptimize(grid.GridHeight.data());
    }
    state.counters["weights/s"] =
        benchmark::Counter(static_cast<double>(bins) * bins * 3000.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Grid)
    ->Args({100, 10})
    ->Args({100, 15})
    ->Args({500, 10})
    ->Args({500, 15})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// The weights alone, one thread: pow(s, -0.5) per value against the path of p = 1.
const std::vector<double>& squaredDistances()
{
    static const std::vector<double> squared = [] {
        std::mt19937 generator(11);
        std::uniform_real_distribution<double> offset(-1000.0, 1000.0);
        std::vector<double> values(1 << 16);
        for (double& s : values) {
            const double dx = offset(generator);
            const double dy = offset(generator);
            s = dx * dx + dy * dy;
        }
        return values;
    }();
    return squared;
}

void BM_WeightsPow(benchmark::State& state)
{
    const std::vector<double>& squared = squaredDistances();
    std::vector<double> weights(squared.size());
    for (auto _ : state) {
        for (size_t k = 0; k < squared.size(); ++k)
            weights[k] = std::pow(squared[k], -0.5);
        benchmark::DoNotOptimize(weights.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(squared.size()));
}
BENCHMARK(BM_WeightsPow);

// The weights of p = 1 by each path (avx512, avx2 where the processor has them; portable).
void BM_WeightsWithoutPow(benchmark::State& state)
{
    const std::vector<std::string_view> paths = inverseSquareRootPaths();
    if (static_cast<size_t>(state.range(0)) >= paths.size()) {
        state.SkipWithError("the processor has no such path");
        return;
    }
    const std::string_view path = paths[static_cast<size_t>(state.range(0))];
    const std::vector<double>& squared = squaredDistances();
    std::vector<double> weights(squared.size());
    for (auto _ : state) {
        inverseSquareRootsAsPow(path, squared.data(), weights.data(), squared.size());
        benchmark::DoNotOptimize(weights.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(squared.size()));
    state.SetLabel(std::string(path));
}
BENCHMARK(BM_WeightsWithoutPow)->DenseRange(0, 2);

} // namespace

BENCHMARK_MAIN();
