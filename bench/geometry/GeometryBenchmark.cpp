// The triangulation at 1 000 to 100 000 random locations (3 decimals in a 100 km square), the
// literal quadratic procedure beside it up to 50 000, and the fast one on harder orders: sorted
// along x (the hull grows at every point) and a regular grid (every cell co-circular). The hull of
// the sample plot at 10 000 and 100 000 observations.

#include "geometry/Delaunay.h"
#include "geometry/GeometryHelpers.h"
#include "tests/support/LiteralDelaunay.h"
#include "tests/support/PointSets.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

namespace {

using namespace tessaloc;

std::vector<TriVertex> randomLocations(benchmark::State& state)
{
    return reference::randomPoints(static_cast<int>(state.range(0)), 2026, 100000.0, 100000.0, 3);
}

template <typename Triangulate>
void run(benchmark::State& state, const std::vector<TriVertex>& points, Triangulate triangulate)
{
    for (auto _ : state) {
        Triangulation result = triangulate(points, RunListener::none());
        benchmark::DoNotOptimize(result.TriangleTable.data());
    }
    state.counters["points"] = static_cast<double>(points.size());
}

Triangulation fast(const std::vector<TriVertex>& points, RunListener& listener)
{
    return TriangulatePoints(points, listener);
}

void BM_TriangulateFast(benchmark::State& state)
{
    run(state, randomLocations(state), fast);
}
void BM_TriangulateLiteral(benchmark::State& state)
{
    run(state, randomLocations(state), [](const std::vector<TriVertex>& points, RunListener& listener) {
        return reference::literalTriangulatePoints(points, listener);
    });
}
void BM_TriangulateFastSortedAlongX(benchmark::State& state)
{
    auto points = randomLocations(state);
    std::sort(points.begin(), points.end(), [](const TriVertex& a, const TriVertex& b) { return a.x < b.x; });
    run(state, points, fast);
}
void BM_TriangulateFastGrid(benchmark::State& state)
{
    const int side = static_cast<int>(std::lround(std::sqrt(static_cast<double>(state.range(0)))));
    run(state, reference::gridPoints(side, side), fast);
}

void BM_ConvexHull(benchmark::State& state)
{
    const auto points = randomLocations(state);
    std::vector<double> x, y;
    for (const TriVertex& p : points) {
        x.push_back(p.x);
        y.push_back(p.y);
    }
    for (auto _ : state) {
        Polygon hull = ConvexHull(x, y);
        benchmark::DoNotOptimize(hull.x.data());
    }
}

BENCHMARK(BM_TriangulateFast)->Arg(1000)->Arg(10000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TriangulateLiteral)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TriangulateLiteral)->Arg(50000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TriangulateFastSortedAlongX)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TriangulateFastGrid)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvexHull)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
