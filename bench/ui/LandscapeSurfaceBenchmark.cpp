// The landscape viewer's surface with 100 x 100 and 500 x 500 nodes (a smooth relief over a disc, the
// corners outside it left out): handing the grid to the graph, one picture of the whole surface at
// 900 x 640, and one picture of the thinned surface drawn while the user turns it. A picture is what
// each step of a turn costs, so its time is the frame time the user sees.
//
// The surface needs OpenGL: run it under a virtual display with Mesa's software renderer, for instance
// tests/gui/run-with-xvfb build/release/bench/ui/tessaloc_bench_landscape_surface. Without OpenGL
// every benchmark says so and measures nothing.

#include "ui/widgets/LandscapeSurfaceView.h"

#include "analyses/landscape/GridInterpolation.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>

namespace {

using namespace tessaloc;
using namespace tessaloc::ui;

constexpr QSize kPictureSize(900, 640);

const SurfaceLayout& layoutOf(int bins)
{
    static std::map<int, SurfaceLayout> layouts;
    SurfaceLayout& layout = layouts[bins];
    if (!layout.points.empty())
        return layout;
    layout.depthPercent = 100;
    layout.across = bins;
    layout.deep = bins;
    layout.bottomTitle = "X (Southern edge)";
    layout.depthTitle = "Y (Eastern edge)";
    const double centre = (bins + 1) / 2.0;
    for (int i = 1; i <= bins; ++i) {
        for (int j = 1; j <= bins; ++j) {
            const double u = (i - centre) / centre;
            const double v = (j - centre) / centre;
            layout.points.push_back({i, std::sin(6 * u) * std::cos(4 * v) + u * v, j, u * u + v * v <= 1.0});
        }
    }
    return layout;
}

LandscapeSurfaceView& view()
{
    static LandscapeSurfaceView* surface = [] {
        auto* made = new LandscapeSurfaceView;
        made->resize(kPictureSize);
        made->show();
        // The first picture sets the graph's drawing up; it is not a frame of a turn.
        if (made->hasGraph()) {
            made->showSurface(layoutOf(10), false);
            benchmark::DoNotOptimize(made->toImage(kPictureSize).constBits());
        }
        return made;
    }();
    return *surface;
}

void BM_ShowSurface(benchmark::State& state)
{
    if (!view().hasGraph()) {
        state.SkipWithError("no OpenGL on this display");
        return;
    }
    const SurfaceLayout& layout = layoutOf(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(view().showSurface(layout, false));
}
BENCHMARK(BM_ShowSurface)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime();

void picture(benchmark::State& state, bool turning)
{
    if (!view().hasGraph()) {
        state.SkipWithError("no OpenGL on this display");
        return;
    }
    view().showSurface(layoutOf(static_cast<int>(state.range(0))), false);
    if (turning)
        view().beginTurning();
    for (auto _ : state) {
        const QImage image = view().toImage(kPictureSize);
        benchmark::DoNotOptimize(image.constBits());
    }
    view().endTurning();
}

void BM_SurfacePicture(benchmark::State& state)
{
    picture(state, false);
}
BENCHMARK(BM_SurfacePicture)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SurfacePictureWhileTurning(benchmark::State& state)
{
    picture(state, true);
}
BENCHMARK(BM_SurfacePictureWhileTurning)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
