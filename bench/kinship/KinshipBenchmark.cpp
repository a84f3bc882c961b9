// The fine-scale structure analysis on generated microsatellite data: 629 individuals x 6 loci with
// 13 classes, 999 permutations and the jackknife (the size of a published data set), and 2000
// individuals x 20 loci with 10 classes and 999 permutations; each on one thread and on all cores.
// The data are drawn once, seeded: individuals on a 100 x 100 square, 10 to 16 alleles per locus
// with unequal frequencies, about 2 % of the calls missing and 1 % half-missing.

#include "analyses/kinship/Kinship.h"

#include "core/NumberText.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <random>

namespace {

using namespace tessaloc;

struct BenchmarkData {
    SampleTable table;
    SquareMatrix geographic;
};

const BenchmarkData& dataOf(int individuals, int loci)
{
    static std::map<std::pair<int, int>, BenchmarkData> made;
    const auto key = std::make_pair(individuals, loci);
    if (auto found = made.find(key); found != made.end())
        return found->second;
    std::mt19937 generator(20260);
    std::uniform_real_distribution<double> coordinate(0.0, 100.0);
    BenchmarkData data;
    data.table.locusCount = loci;
    data.table.genotypes.resize(static_cast<size_t>(loci));
    std::vector<double> x, y;
    for (int i = 0; i < individuals; ++i) {
        data.table.names.push_back("i" + std::to_string(i + 1));
        x.push_back(coordinate(generator));
        y.push_back(coordinate(generator));
        data.table.xTexts.push_back(shortestText(x.back()));
        data.table.yTexts.push_back(shortestText(y.back()));
    }
    std::uniform_int_distribution<int> percent(0, 99);
    for (int l = 0; l < loci; ++l) {
        const int alleles = 10 + l % 7;
        std::vector<double> weights;
        for (int a = 0; a < alleles; ++a)
            weights.push_back(1.0 / (1.0 + a));
        std::discrete_distribution<int> allele(weights.begin(), weights.end());
        for (int i = 0; i < individuals; ++i) {
            const int roll = percent(generator);
            std::string a = std::to_string(100 + 2 * allele(generator));
            std::string b = std::to_string(100 + 2 * allele(generator));
            if (roll < 2)
                a = b = "0";
            else if (roll < 3)
                a = "0";
            data.table.genotypes[static_cast<size_t>(l)].push_back(a + "\\" + b);
        }
    }
    data.geographic = SquareMatrix(individuals);
    for (int i = 0; i < individuals; ++i)
        for (int j = i + 1; j < individuals; ++j)
            data.geographic.setPair(i, j,
                                    std::hypot(x[static_cast<size_t>(i)] - x[static_cast<size_t>(j)],
                                               y[static_cast<size_t>(i)] - y[static_cast<size_t>(j)]));
    return made.emplace(key, std::move(data)).first->second;
}

// Arguments: individuals, loci, classes, threads (0: one per core), permutations, jackknife (1 or 0).
void BM_Kinship(benchmark::State& state)
{
    const BenchmarkData& data = dataOf(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    KinshipSettings settings;
    settings.classCount = state.range(2);
    settings.permutations.count = state.range(4);
    settings.permutations.threads = static_cast<int>(state.range(3));
    settings.jackknife = state.range(5) != 0;
    for (auto _ : state) {
        RandomUniform random(12345, 67890);
        const KinshipResult result =
            ComputeKinship(data.table, DataType::Codominant, data.geographic, settings, random, RunListener::none());
        benchmark::DoNotOptimize(result.sp.estimate);
    }
}

} // namespace

BENCHMARK(BM_Kinship)
    ->Args({629, 6, 13, 1, 999, 1})
    ->Args({629, 6, 13, 0, 999, 1})
    ->Args({2000, 20, 10, 1, 999, 1})
    ->Args({2000, 20, 10, 0, 999, 1})
    // The parts of the larger run: without permutations, without the jackknife.
    ->Args({2000, 20, 10, 1, 0, 1})
    ->Args({2000, 20, 10, 1, 0, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
