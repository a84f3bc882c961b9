// The barrier search after the triangulation (edge values, neighbours, 10 barriers) at 1 000,
// 10 000 and 50 000 random locations (3 decimals in a 100 km square), the literal procedure beside
// it at 1 000 and 10 000, and the neighbour search and the walk on their own.
//
// Up to 10 000 locations every location holds one observation and G is a full random matrix. At
// 50 000 a full matrix would take 20 GB, so location k holds observation k mod 2 000 of a 2 000 x 2 000
// matrix: the same work per edge, read from a matrix that stays in the cache.

#include "analyses/monmonier/Monmonier.h"
#include "tests/support/LiteralMonmonier.h"
#include "tests/support/PointSets.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>

namespace {

using namespace tessaloc;

constexpr long long kBarriers = 10;
constexpr int kFullMatrixLimit = 10000;
constexpr int kSharedObservations = 2000;

struct Case {
    std::vector<double> x;
    std::vector<double> y;
    DistinctLocations locations;
    Triangulation triangulation;
    SquareMatrix G;
};

const Case& caseOf(int size)
{
    static std::map<int, std::unique_ptr<Case>> cases;
    auto& slot = cases[size];
    if (slot)
        return *slot;
    slot = std::make_unique<Case>();
    Case& c = *slot;
    for (const TriVertex& point : reference::randomPoints(size, 2026, 100000.0, 100000.0, 3)) {
        c.x.push_back(point.x);
        c.y.push_back(point.y);
    }
    c.locations = GroupDistinctLocations(c.x, c.y);
    c.triangulation = TriangulateLocations(c.locations);
    const int n = c.locations.count() <= kFullMatrixLimit ? c.locations.count() : kSharedObservations;
    if (n < c.locations.count()) {
        for (SampleLocation& location : c.locations.locations)
            for (ObservationIndex& member : location.members)
                member = ObservationIndex(member.value % n);
    }
    c.G = SquareMatrix(n);
    std::mt19937 generator(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            c.G.setPair(i, j, unit(generator));
    return c;
}

void counters(benchmark::State& state, const Case& c)
{
    state.counters["locations"] = static_cast<double>(c.locations.count());
    state.counters["triangles"] = static_cast<double>(c.triangulation.TriangleTable.size());
}

void BM_SearchAfterTriangulation(benchmark::State& state)
{
    const Case& c = caseOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const auto triangles =
            BuildBarrierTriangles(c.locations, c.triangulation, c.G, false, MonmonierDistanceKind::Raw);
        auto links = FindNeighbours(triangles);
        const auto barriers = FindBarriers(triangles, links, kBarriers);
        benchmark::DoNotOptimize(barriers.data());
    }
    counters(state, c);
}

void BM_LiteralSearchAfterTriangulation(benchmark::State& state)
{
    const Case& c = caseOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const auto result = reference::literalMonmonier(c.x, c.y, c.G, c.triangulation.TriangleTable, false,
                                                        MonmonierDistanceKind::Raw, kBarriers);
        benchmark::DoNotOptimize(result.barriers.data());
    }
    counters(state, c);
}

void BM_FindNeighbours(benchmark::State& state)
{
    const Case& c = caseOf(static_cast<int>(state.range(0)));
    const auto triangles = BuildBarrierTriangles(c.locations, c.triangulation, c.G, false, MonmonierDistanceKind::Raw);
    for (auto _ : state) {
        auto links = FindNeighbours(triangles);
        benchmark::DoNotOptimize(links.data());
    }
    counters(state, c);
}

void BM_LiteralNeighbours(benchmark::State& state)
{
    const Case& c = caseOf(static_cast<int>(state.range(0)));
    const auto triangles = BuildBarrierTriangles(c.locations, c.triangulation, c.G, false, MonmonierDistanceKind::Raw);
    for (auto _ : state) {
        auto links = reference::literalNeighbours(triangles);
        benchmark::DoNotOptimize(links.data());
    }
    counters(state, c);
}

void BM_FindBarriers(benchmark::State& state)
{
    const Case& c = caseOf(static_cast<int>(state.range(0)));
    const auto triangles = BuildBarrierTriangles(c.locations, c.triangulation, c.G, false, MonmonierDistanceKind::Raw);
    const auto links = FindNeighbours(triangles);
    for (auto _ : state) {
        auto used = links;
        const auto barriers = FindBarriers(triangles, used, kBarriers);
        benchmark::DoNotOptimize(barriers.data());
    }
    counters(state, c);
}

} // namespace

BENCHMARK(BM_SearchAfterTriangulation)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiteralSearchAfterTriangulation)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FindNeighbours)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiteralNeighbours)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FindBarriers)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
