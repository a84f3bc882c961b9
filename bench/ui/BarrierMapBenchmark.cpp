// The barrier map of the window program with about 5 000 and 50 000 triangles (2 500 and 25 000
// random locations in a 100 km square) and 10 barriers: opening the window (its map layers built from
// the result), one repaint of the map as the screen shows it, and the antialiased picture that the
// bitmap copy and the PNG figure draw. The map repaints whenever it is uncovered or resized, so a
// repaint well under 100 ms keeps the window interactive.
//
// Location k holds observation k mod 2 000 of a 2 000 x 2 000 random matrix, so that the edge values
// vary without a matrix of every location. Runs under the offscreen platform unless another is set.

#include "ui/analyses/monmonier/MonmonierResultsWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/widgets/MapView.h"

#include "analyses/monmonier/Monmonier.h"
#include "tests/support/PointSets.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>

namespace {

using namespace tessaloc;
using namespace tessaloc::ui;

constexpr int kObservations = 2000;
constexpr QSize kMapSize(900, 640);

/// The result of a barrier search over `size` random locations.
const MonmonierResult& resultOf(int size)
{
    static std::map<int, std::unique_ptr<MonmonierResult>> results;
    auto& slot = results[size];
    if (slot)
        return *slot;
    std::vector<double> x;
    std::vector<double> y;
    for (const TriVertex& point : reference::randomPoints(size, 2026, 100000.0, 100000.0, 3)) {
        x.push_back(point.x);
        y.push_back(point.y);
    }
    DistinctLocations locations = GroupDistinctLocations(x, y);
    const Triangulation triangulation = TriangulateLocations(locations);
    for (SampleLocation& location : locations.locations)
        for (ObservationIndex& member : location.members)
            member = ObservationIndex(member.value % kObservations);
    SquareMatrix G(kObservations);
    std::mt19937 generator(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < kObservations; ++i)
        for (int j = i + 1; j < kObservations; ++j)
            G.setPair(i, j, unit(generator));

    slot = std::make_unique<MonmonierResult>();
    MonmonierResult& result = *slot;
    result.data = ComputeDataExtents(x, y);
    result.map = WidenByFivePercent(result.data);
    result.BarrierTriangles = BuildBarrierTriangles(locations, triangulation, G, false, MonmonierDistanceKind::Raw);
    auto links = FindNeighbours(result.BarrierTriangles);
    result.BarrierList = FindBarriers(result.BarrierTriangles, links, 10);
    return result;
}

std::unique_ptr<MonmonierResultsWindow> windowOf(const MonmonierResult& result)
{
    static ProgramState state;
    auto window = std::make_unique<MonmonierResultsWindow>(state, result, nullptr);
    window->map()->resize(kMapSize);
    return window;
}

void counters(benchmark::State& state, const MonmonierResult& result)
{
    state.counters["triangles"] = static_cast<double>(result.BarrierTriangles.size());
}

void BM_OpenBarrierMapWindow(benchmark::State& state)
{
    const MonmonierResult& result = resultOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto window = windowOf(result);
        benchmark::DoNotOptimize(window.get());
    }
    counters(state, result);
}

void BM_RepaintBarrierMap(benchmark::State& state)
{
    const MonmonierResult& result = resultOf(static_cast<int>(state.range(0)));
    auto window = windowOf(result);
    // What a paint event does, into a picture like the window's backing store.
    QImage screen(kMapSize, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&screen);
        window->map()->render(painter, QRectF(QPointF(0, 0), kMapSize));
    }
    counters(state, result);
}

void BM_AntialiasedBarrierMapPicture(benchmark::State& state)
{
    const MonmonierResult& result = resultOf(static_cast<int>(state.range(0)));
    auto window = windowOf(result);
    for (auto _ : state) {
        const QImage picture = window->map()->toImage(kMapSize);
        benchmark::DoNotOptimize(picture.constBits());
    }
    counters(state, result);
}

} // namespace

BENCHMARK(BM_OpenBarrierMapWindow)->Arg(2500)->Arg(25000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintBarrierMap)->Arg(2500)->Arg(25000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AntialiasedBarrierMapPicture)->Arg(2500)->Arg(25000)->Unit(benchmark::kMillisecond);
