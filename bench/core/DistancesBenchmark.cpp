// Genetic and geographic distance builders at the sizes users bring: N = 2000 observations with
// 20 loci (data types 1 and 2), N = 2000 sequences of 500 sites, and the geographic matrix.
// The literal builders run beside the fast ones at N = 500 so that their ratio is measured in one run.

#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "tests/support/LiteralDistances.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tessaloc;

SampleTable table(DataType type, int samples)
{
    reference::RandomTableRecipe recipe;
    recipe.samples = samples;
    recipe.loci = 20;
    recipe.allelesPerLocus = 12;
    recipe.missingRate = 0.05;
    recipe.sequenceLength = 500;
    recipe.sequenceAlphabet = 4;
    recipe.seed = 2026;
    return reference::randomSampleTable(type, recipe);
}

template <typename Build> void run(benchmark::State& state, DataType type, Build build)
{
    const SampleTable data = table(type, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        SquareMatrix d = build(data);
        benchmark::DoNotOptimize(d.values().data());
    }
    const double n = static_cast<double>(state.range(0));
    state.counters["pairs"] = n * (n - 1) / 2;
}

void BM_AlleleFast(benchmark::State& s)
{
    run(s, DataType::Codominant, AlleleDistanceMatrix);
}
void BM_AlleleLiteral(benchmark::State& s)
{
    run(s, DataType::Codominant, reference::literalAlleleDistances);
}
void BM_GenotypeFast(benchmark::State& s)
{
    run(s, DataType::Genotypes, GenotypeDistanceMatrix);
}
void BM_GenotypeLiteral(benchmark::State& s)
{
    run(s, DataType::Genotypes, reference::literalGenotypeDistances);
}
void BM_SequenceFast(benchmark::State& s)
{
    run(s, DataType::Sequences, SequenceDistanceMatrix);
}
void BM_SequenceLiteral(benchmark::State& s)
{
    run(s, DataType::Sequences, reference::literalSequenceDistances);
}
void BM_GeographicPlanar(benchmark::State& s)
{
    run(s, DataType::Genotypes, [](const SampleTable& t) { return BuildGeographicDistances(t, false); });
}
void BM_GeographicLatLong(benchmark::State& s)
{
    run(s, DataType::Genotypes, [](const SampleTable& t) { return BuildGeographicDistances(t, true); });
}

BENCHMARK(BM_AlleleFast)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlleleLiteral)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GenotypeFast)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GenotypeLiteral)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SequenceFast)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SequenceLiteral)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeographicPlanar)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeographicLatLong)->Arg(2000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
