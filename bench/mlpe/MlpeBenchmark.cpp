// The mixed-model regression (MLPE) on two predictor matrices, fitted by ML and by REML as the
// "mlpe" analysis does (the pairs summed once, then the two fits), at N = 500 and 5000 observations;
// and the comparison of 10 hypotheses (each one or two of five predictors) with the null model at
// N = 500, once the distance matrices exist. compare_lme4.py times lme4 on the same matrices.
//
// With --write-matrices DIR the program writes the N = 500 matrices (genetic.csv, x1.csv, x2.csv,
// full matrices without names) for compare_lme4.py instead of running the benchmarks; with
// --log-likelihood it prints the ML log-likelihood of the N = 500 fit.

#include "analyses/mixedmodel/MlpeModel.h"
#include "analyses/mixedmodel/ModelRanking.h"
#include "core/NumberText.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace tessaloc;

// Straight-line distances between random points, differences of a random habitat value, three more
// random matrices, and genetic distances made of the first two plus observation effects and noise.
struct BenchmarkMatrices {
    PackedDistances genetic;
    std::vector<PackedDistances> predictors;
};

BenchmarkMatrices matricesOf(int n)
{
    std::mt19937 engine(5150);
    std::uniform_real_distribution<double> uniform(0.0, 100.0);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::vector<double> x(static_cast<size_t>(n)), y(static_cast<size_t>(n)), habitat(static_cast<size_t>(n)),
        effect(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        x[static_cast<size_t>(i)] = uniform(engine);
        y[static_cast<size_t>(i)] = uniform(engine);
        habitat[static_cast<size_t>(i)] = uniform(engine);
        effect[static_cast<size_t>(i)] = 0.05 * normal(engine);
    }
    BenchmarkMatrices m;
    m.genetic = PackedDistances(n);
    m.predictors.assign(5, PackedDistances(n));
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) {
            const size_t a = static_cast<size_t>(i);
            const size_t b = static_cast<size_t>(j);
            const double distance = std::hypot(x[a] - x[b], y[a] - y[b]);
            const double difference = std::abs(habitat[a] - habitat[b]);
            m.predictors[0].setPair(i, j, distance);
            m.predictors[1].setPair(i, j, difference);
            for (size_t k = 2; k < 5; ++k)
                m.predictors[k].setPair(i, j, uniform(engine));
            m.genetic.setPair(
                i, j, 0.2 + 0.002 * distance + 0.001 * difference + effect[a] + effect[b] + 0.05 * normal(engine));
        }
    return m;
}

void BM_MlpeMlAndReml(benchmark::State& state)
{
    const BenchmarkMatrices m = matricesOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const MlpePairs pairs(m.genetic, {&m.predictors[0], &m.predictors[1]}, {"straight", "habitat"});
        const MlpeTerms terms{true, {0, 1}};
        benchmark::DoNotOptimize(FitMlpe(pairs, terms, MlpeMethod::MaximumLikelihood).logLikelihood);
        benchmark::DoNotOptimize(FitMlpe(pairs, terms, MlpeMethod::Restricted).logLikelihood);
    }
}
BENCHMARK(BM_MlpeMlAndReml)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TenHypotheses(benchmark::State& state)
{
    const BenchmarkMatrices m = matricesOf(static_cast<int>(state.range(0)));
    const std::vector<std::vector<int>> models = {{0}, {1}, {2}, {3}, {4}, {0, 1}, {0, 2}, {1, 3}, {2, 4}, {0, 4}};
    for (auto _ : state) {
        // As the "models" analysis does: the pairs of all five predictors summed once, then every model
        // and the null model fitted by ML and ranked.
        const MlpePairs pairs(
            m.genetic, {&m.predictors[0], &m.predictors[1], &m.predictors[2], &m.predictors[3], &m.predictors[4]},
            {"x1", "x2", "x3", "x4", "x5"});
        std::vector<RankedModel> ranking;
        for (size_t k = 0; k <= models.size(); ++k) {
            const MlpeTerms terms{true, k < models.size() ? models[k] : std::vector<int>{}};
            const MlpeFit fit = FitMlpe(pairs, terms, MlpeMethod::MaximumLikelihood);
            RankedModel model;
            model.logLikelihood = fit.logLikelihood;
            model.parameters = fit.parameters();
            model.criteria = InformationCriteriaOf(fit.logLikelihood, fit.parameters(), pairs.pairs());
            model.marginalRSquared = MlpeCoefficientOfDetermination(pairs, fit).marginal;
            ranking.push_back(model);
        }
        RankModels(ranking);
        benchmark::DoNotOptimize(ranking.front().weight);
    }
}
BENCHMARK(BM_TenHypotheses)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime();

void writeMatrix(const std::string& path, const PackedDistances& matrix)
{
    std::ofstream out(path);
    for (int i = 0; i < matrix.size(); ++i) {
        for (int j = 0; j < matrix.size(); ++j)
            out << (j == 0 ? "" : ",") << ExactNumber(i == j ? 0.0 : matrix(i, j)).view();
        out << "\n";
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--write-matrices") == 0) {
        const BenchmarkMatrices m = matricesOf(500);
        const std::string folder = argv[2];
        writeMatrix(folder + "/genetic.csv", m.genetic);
        writeMatrix(folder + "/x1.csv", m.predictors[0]);
        writeMatrix(folder + "/x2.csv", m.predictors[1]);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--log-likelihood") == 0) {
        const BenchmarkMatrices m = matricesOf(500);
        const MlpePairs pairs(m.genetic, {&m.predictors[0], &m.predictors[1]}, {"x1", "x2"});
        std::printf("%.15g\n", FitMlpe(pairs, MlpeTerms{true, {0, 1}}, MlpeMethod::MaximumLikelihood).logLikelihood);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
