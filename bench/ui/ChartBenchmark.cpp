// The scatterplot of the Mantel window with many pairs: 2 000 observations give 1 999 000 pairs,
// read straight from the genetic and geographic matrices of the benchmark data (10 loci, planar
// coordinates). Measured: the one pass that sums the points for the axes and the regression line,
// counting them onto the pixels of a plot area and shading the picture (what a paint after a resize
// does), a whole chart drawn into a picture, and the grid that finds the pair under the mouse:
// built once, then asked. Runs under the offscreen platform unless another is set.

#include "ui/widgets/Chart.h"
#include "ui/widgets/ChartPoints.h"
#include "ui/widgets/PointDensity.h"

#include "tests/support/BenchmarkData.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace tessaloc;
using namespace tessaloc::ui;

constexpr QSize kPlotArea(760, 460);
constexpr QSize kChartSize(900, 600);

/// The pairs of `samples` observations of the benchmark data.
std::shared_ptr<const MatrixPairs> pairsOf(int samples)
{
    const reference::DistanceMatrices& matrices = reference::benchmarkMatrices(samples);
    return std::make_shared<const MatrixPairs>(std::make_shared<const PackedDistances>(matrices.packedGeographic()),
                                               std::make_shared<const PackedDistances>(matrices.packedGenetic()));
}

QImage symbolOf(int pixels)
{
    QImage symbol(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    symbol.fill(Qt::transparent);
    QPainter painter(&symbol);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::blue);
    painter.drawEllipse(QRectF(1, 1, pixels - 2, pixels - 2));
    return symbol;
}

void pairCounter(benchmark::State& state, const ChartPoints& pairs)
{
    state.counters["pairs"] = static_cast<double>(pairs.size());
}

void BM_SummarisePairs(benchmark::State& state)
{
    const auto pairs = pairsOf(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(PointSummary::of(*pairs));
    pairCounter(state, *pairs);
}

void BM_CountAndShadePairs(benchmark::State& state)
{
    const auto pairs = pairsOf(static_cast<int>(state.range(0)));
    const PointSummary summary = PointSummary::of(*pairs);
    const QRectF values(QPointF(summary.minX, summary.minY), QPointF(summary.maxX, summary.maxY));
    const QImage symbol = symbolOf(9);
    for (auto _ : state) {
        const DensityPicture picture = shadeDensity(countPointsPerPixel(*pairs, values, kPlotArea), symbol, Qt::blue);
        benchmark::DoNotOptimize(picture.image.constBits());
    }
    pairCounter(state, *pairs);
}

void BM_DrawChartOfPairs(benchmark::State& state)
{
    const auto pairs = pairsOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        // A new chart each time: the points summed, the line fitted, the picture made and drawn.
        Chart chart;
        chart.resize(kChartSize);
        chart.setPoints(pairs, Qt::blue);
        chart.addRegressionLine();
        const QImage picture = chart.toImage();
        benchmark::DoNotOptimize(picture.constBits());
    }
    pairCounter(state, *pairs);
}

void BM_BuildPairIndex(benchmark::State& state)
{
    const auto pairs = pairsOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        PointIndex index(*pairs);
        benchmark::DoNotOptimize(&index);
    }
    pairCounter(state, *pairs);
}

void BM_NearestPair(benchmark::State& state)
{
    const auto pairs = pairsOf(static_cast<int>(state.range(0)));
    const PointIndex index(*pairs);
    const PointSummary summary = PointSummary::of(*pairs);
    const QPointF scale(kPlotArea.width() / (summary.maxX - summary.minX),
                        kPlotArea.height() / (summary.maxY - summary.minY));
    qsizetype step = 0;
    for (auto _ : state) {
        // Places across the densest part of the plot.
        const double t = static_cast<double>(step++ % 997) / 997.0;
        const QPointF value(summary.minX + t * (summary.maxX - summary.minX),
                            summary.minY + (0.3 + 0.4 * t) * (summary.maxY - summary.minY));
        benchmark::DoNotOptimize(index.nearest(*pairs, value, scale, 4.5));
    }
    pairCounter(state, *pairs);
}

} // namespace

BENCHMARK(BM_SummarisePairs)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountAndShadePairs)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawChartOfPairs)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildPairIndex)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NearestPair)->Arg(2000)->Unit(benchmark::kMicrosecond);
