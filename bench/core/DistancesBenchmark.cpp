// Genetic and geographic distance builders at the sizes users bring: N = 2000 observations with
// 20 loci (data types 1 and 2), N = 2000 sequences of 500 sites, and the geographic matrix.
// The literal builders run beside the fast ones at N = 500 so that their ratio is measured in one run.
//
// The genomic tables of a whole genomic run, N = 1000 observations x 20000 loci with 1 % missing,
// go through every distance kernel the processor has, one after another in one run (BM_AlleleKernel,
// BM_GenotypeKernel; the kernel's name ends the benchmark's name). Their times are wall time and the
// CPU time of all threads: on a busy machine the CPU time is the steadier figure.

#include "core/AlleleSharingSums.h"
#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "tests/support/LiteralDistances.h"

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

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
        const auto d = build(data);
        benchmark::DoNotOptimize(d.values().data());
    }
    const double n = static_cast<double>(state.range(0));
    state.counters["pairs"] = n * (n - 1) / 2;
}

void BM_AlleleFast(benchmark::State& s)
{
    run(s, DataType::Codominant, [](const SampleTable& t) { return AlleleDistanceMatrix(t); });
}
void BM_AlleleLiteral(benchmark::State& s)
{
    run(s, DataType::Codominant, reference::literalAlleleDistances);
}
void BM_GenotypeFast(benchmark::State& s)
{
    run(s, DataType::Genotypes, [](const SampleTable& t) { return GenotypeDistanceMatrix(t); });
}
void BM_GenotypeLiteral(benchmark::State& s)
{
    run(s, DataType::Genotypes, reference::literalGenotypeDistances);
}
void BM_SequenceFast(benchmark::State& s)
{
    run(s, DataType::Sequences, [](const SampleTable& t) { return SequenceDistanceMatrix(t); });
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

// The genomic tables, each built once: biallelic SNPs; loci of three to five alleles; and SNPs
// with a multi-allelic locus every 50 and one of many alleles every 1000.
const SampleTable& genomicTable(DataType type, const std::string& kind)
{
    static std::map<std::pair<DataType, std::string>, SampleTable> cache;
    auto it = cache.find({type, kind});
    if (it == cache.end()) {
        std::vector<reference::LocusStretch> stretches;
        if (kind == "snp") {
            stretches = {{20000, 2}};
        } else if (kind == "multiallelic") {
            stretches = {{7000, 3}, {7000, 4}, {6000, 5}};
        } else {
            for (int thousand = 0; thousand < 20; ++thousand) {
                for (int fifty = 0; fifty < 20; ++fifty) {
                    stretches.push_back({49, 2});
                    stretches.push_back({1, 3 + fifty % 3});
                }
                stretches.back() = {1, 12};
            }
        }
        it =
            cache
                .emplace(std::make_pair(type, kind), reference::randomStretchedTable(type, 1000, stretches, 0.01, 2027))
                .first;
    }
    return it->second;
}

template <typename Build> void runGenomic(benchmark::State& state, DataType type, const std::string& kind, Build build)
{
    const SampleTable& data = genomicTable(type, kind);
    for (auto _ : state) {
        const auto d = build(data);
        benchmark::DoNotOptimize(d.values().data());
    }
    state.counters["pair-loci"] = 1000.0 * 999.0 / 2.0 * data.locusCount;
}

const bool kKernelsRegistered = [] {
    for (const DistanceKernel kernel : availableDistanceKernels()) {
        const std::string name(distanceKernelName(kernel));
        for (const std::string kind : {"snp", "multiallelic", "mixed"}) {
            benchmark::RegisterBenchmark(("BM_AlleleKernel/" + kind + "/" + name).c_str(),
                                         [kernel, kind](benchmark::State& s) {
                                             runGenomic(s, DataType::Codominant, kind, [kernel](const SampleTable& t) {
                                                 return alleleSharingDistances(t, kernel);
                                             });
                                         })
                ->Unit(benchmark::kMillisecond)
                ->MeasureProcessCPUTime()
                ->UseRealTime();
        }
        benchmark::RegisterBenchmark(("BM_GenotypeKernel/snp/" + name).c_str(),
                                     [kernel](benchmark::State& s) {
                                         runGenomic(s, DataType::Genotypes, "snp", [kernel](const SampleTable& t) {
                                             return genotypeDifferenceDistances(t, kernel);
                                         });
                                     })
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->UseRealTime();
    }
    return true;
}();

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
