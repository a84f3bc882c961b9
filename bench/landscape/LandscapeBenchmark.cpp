// The landscape shape analysis: the pairwise network at N = 1000 and 2000 observations, the Delaunay
// network at 5000 locations, and a 500 x 500 grid over 3000 edges; each also at a size the literal
// procedures (every candidate against every listed line, one node and one edge after the other on
// one thread) finish in seconds, for the ratio of the two.

#include "analyses/landscape/GridInterpolation.h"
#include "analyses/landscape/Landscape.h"
#include "core/GeographicDistances.h"
#include "core/NumberText.h"
#include "tests/support/LiteralLandscape.h"

#include <benchmark/benchmark.h>

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
        d.D = BuildGeographicDistances(d.table, false);
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
    static const LandscapeResult shape = [] {
        std::mt19937 generator(7);
        std::uniform_real_distribution<double> place(0.0, 1000.0);
        LandscapeResult s;
        for (int k = 0; k < 200; ++k) {
            s.SampleX.push_back(place(generator));
            s.SampleY.push_back(place(generator));
        }
        s.data = ComputeDataExtents(s.SampleX, s.SampleY);
        for (int e = 0; e < 3000; ++e) {
            LandscapeEdge edge;
            edge.MidX = place(generator);
            edge.MidY = place(generator);
            edge.Height = place(generator) / 1000.0;
            s.LandscapeEdges.push_back(edge);
        }
        return s;
    }();
    return shape;
}

void BM_Grid(benchmark::State& state)
{
    const int bins = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const InterpolationGrid grid = InterpolateLandscape(gridShape(), bins, bins, 1.0);
        benchmark::DoNotOptimize(grid.GridHeight.data());
    }
}
BENCHMARK(BM_Grid)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_GridLiteral(benchmark::State& state)
{
    const int bins = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const InterpolationGrid grid = reference::literalInterpolation(gridShape(), bins, bins, 1.0);
        benchmark::DoNotOptimize(grid.GridHeight.data());
    }
}
BENCHMARK(BM_GridLiteral)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

BENCHMARK_MAIN();
