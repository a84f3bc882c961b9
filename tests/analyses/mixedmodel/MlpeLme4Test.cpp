// The mixed model against lme4 (1.1-31 of Debian 12) with the random-effect design replaced by the
// pair incidence, fitted to full convergence by tests/analyses/mixedmodel/mlpe.R: values kept as
// literals for the small data set of MlpeTestData.h, and a live comparison on other data that skips
// with a message when R or lme4 is missing.

#include "analyses/mixedmodel/MlpeModel.h"
#include "tests/analyses/mixedmodel/MlpeTestData.h"
#include "tests/support/TempFiles.h"

#include "core/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace tessaloc {
namespace {

using testing::smallGenetic;
using testing::smallGeneticWithMissingPairs;
using testing::smallX1;
using testing::smallX2;

constexpr double kRelative = 1e-6;

// What mlpe.R writes: log L, the fixed effects, their standard errors, s_u^2, s_e^2, R2 marginal and
// conditional.
struct Lme4Values {
    double logLikelihood;
    std::vector<double> coefficients;
    std::vector<double> standardErrors;
    double individualVariance;
    double residualVariance;
    double marginal;
    double conditional;
};

Lme4Values valuesOf(const std::vector<double>& numbers, int terms)
{
    const auto at = [&](int k) { return numbers[static_cast<size_t>(k)]; };
    Lme4Values values;
    values.logLikelihood = at(0);
    for (int k = 0; k < terms; ++k) {
        values.coefficients.push_back(at(1 + k));
        values.standardErrors.push_back(at(1 + terms + k));
    }
    values.individualVariance = at(1 + 2 * terms);
    values.residualVariance = at(2 + 2 * terms);
    values.marginal = at(3 + 2 * terms);
    values.conditional = at(4 + 2 * terms);
    return values;
}

void expectRelative(double actual, double expected, const std::string& what)
{
    EXPECT_LE(std::abs(actual - expected), kRelative * std::abs(expected))
        << what << ": " << actual << " against lme4's " << expected;
}

void expectEqualsLme4(const MlpePairs& pairs, const MlpeFit& fit, const Lme4Values& lme4)
{
    expectRelative(fit.logLikelihood, lme4.logLikelihood, "log-likelihood");
    ASSERT_EQ(fit.coefficients.size(), lme4.coefficients.size());
    for (size_t k = 0; k < fit.coefficients.size(); ++k) {
        expectRelative(fit.coefficients[k], lme4.coefficients[k], "coefficient " + std::to_string(k));
        expectRelative(fit.standardErrors[k], lme4.standardErrors[k], "standard error " + std::to_string(k));
    }
    expectRelative(fit.individualVariance, lme4.individualVariance, "s_u^2");
    expectRelative(fit.residualVariance, lme4.residualVariance, "s_e^2");
    const MlpeRSquared r2 = MlpeCoefficientOfDetermination(pairs, fit);
    expectRelative(r2.marginal, lme4.marginal, "marginal R2");
    expectRelative(r2.conditional, lme4.conditional, "conditional R2");
}

struct LiteralCase {
    const char* name;
    bool missingPairs;
    MlpeMethod method;
    std::vector<double> lme4;
};

class MlpeLme4Literals : public ::testing::TestWithParam<LiteralCase> {};

TEST_P(MlpeLme4Literals, FitEqualsLme4)
{
    const LiteralCase& c = GetParam();
    const PackedDistances genetic = c.missingPairs ? smallGeneticWithMissingPairs() : smallGenetic();
    const PackedDistances x1 = smallX1();
    const PackedDistances x2 = smallX2();
    const MlpePairs pairs(genetic, {&x1, &x2}, {"x1", "x2"});
    const MlpeFit fit = FitMlpe(pairs, MlpeTerms{true, {0, 1}}, c.method);
    expectEqualsLme4(pairs, fit, valuesOf(c.lme4, 3));
}

// Printed by mlpe.R (17 significant digits) on the matrices of MlpeTestData.h.
INSTANTIATE_TEST_SUITE_P(
    SmallDataSet, MlpeLme4Literals,
    ::testing::Values(LiteralCase{"CompleteML",
                                  false,
                                  MlpeMethod::MaximumLikelihood,
                                  {-20.721994744914689, 2.2060714285714278, 0.47325742813121346, 0.075219476454500167,
                                   0.15282713939887907, 0.099999268290003551, 0.099396446473129063, 0.03169167115193651,
                                   0.21028837090453267, 0.51048940767977735, 0.57459968960782948}},
                      LiteralCase{"CompleteREML",
                                  false,
                                  MlpeMethod::Restricted,
                                  {-24.397544863796377, 2.2060714285714296, 0.4690006132651347, 0.076026694887405669,
                                   0.17664386482659367, 0.10476378128122571, 0.10401268144001173, 0.046334749202558673,
                                   0.22499905062870157, 0.47803624786464127, 0.56717022071674739}},
                      LiteralCase{"MissingPairsML",
                                  true,
                                  MlpeMethod::MaximumLikelihood,
                                  {-16.16902427376187, 2.2692499999999982, 0.55916069554771142, 0.027434541002512459,
                                   0.15409864726820818, 0.10038914337754587, 0.10076786117574969, 0.032767203374266682,
                                   0.17670699366619905, 0.60701483789851041, 0.66848792103514665}},
                      LiteralCase{"MissingPairsREML",
                                  true,
                                  MlpeMethod::Restricted,
                                  {-19.819630662717074, 2.2692499999999964, 0.55560394785327238, 0.028136122558271647,
                                   0.17828091697842757, 0.10591868007630625, 0.10636374042829497, 0.04756675271129316,
                                   0.19201701607253754, 0.57172080463793939, 0.65675098293670253}}),
    [](const ::testing::TestParamInfo<LiteralCase>& tested) { return std::string(tested.param.name); });

std::string matrixCsv(const PackedDistances& m)
{
    std::string text;
    for (int i = 0; i < m.size(); ++i) {
        for (int j = 0; j < m.size(); ++j) {
            const double value = i == j ? 0.0 : m(i, j);
            text +=
                std::string(j == 0 ? "" : ",") + (std::isnan(value) ? "NA" : std::string(ExactNumber(value).view()));
        }
        text += "\n";
    }
    return text;
}

struct LiveCase {
    const char* name;
    int observations;
    int predictors;
    double missingFraction;
    MlpeMethod method;
};

class MlpeLme4Live : public ::testing::TestWithParam<LiveCase> {};

TEST_P(MlpeLme4Live, FitEqualsLme4)
{
    const LiveCase& c = GetParam();
    std::mt19937 engine(4100 + static_cast<unsigned>(c.observations));
    std::normal_distribution<double> normal(0.0, 1.0);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const int n = c.observations;
    std::vector<double> effects(static_cast<size_t>(n));
    for (double& effect : effects)
        effect = 0.5 * normal(engine);
    std::vector<PackedDistances> predictors(static_cast<size_t>(c.predictors), PackedDistances(n));
    PackedDistances genetic(n);
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) {
            double y = 2.0 + effects[static_cast<size_t>(i)] + effects[static_cast<size_t>(j)] + 0.3 * normal(engine);
            for (int k = 0; k < c.predictors; ++k) {
                const double x = 10.0 * uniform(engine);
                predictors[static_cast<size_t>(k)].setPair(i, j, x);
                y += 0.05 * (k + 1) * x;
            }
            genetic.setPair(i, j, uniform(engine) < c.missingFraction ? std::nan("") : y);
        }
    std::vector<const PackedDistances*> pointers;
    std::vector<std::string> names;
    for (int k = 0; k < c.predictors; ++k) {
        pointers.push_back(&predictors[static_cast<size_t>(k)]);
        names.push_back("x" + std::to_string(k + 1));
    }
    const MlpePairs pairs(genetic, pointers, names);
    MlpeTerms terms;
    for (int k = 0; k < c.predictors; ++k)
        terms.predictors.push_back(k);

    tessaloc::testing::TempFolder folder;
    std::string command = "Rscript '" + std::string(TESSALOC_MLPE_SCRIPT) + "' " +
                          (c.method == MlpeMethod::Restricted ? "REML" : "ML") + " '" +
                          (folder.path() / "out.txt").string() + "' '" +
                          folder.write("genetic.csv", matrixCsv(genetic)).string() + "'";
    for (int k = 0; k < c.predictors; ++k)
        command +=
            " '" +
            folder.write("x" + std::to_string(k) + ".csv", matrixCsv(predictors[static_cast<size_t>(k)])).string() +
            "'";
    command += " > /dev/null 2>&1";
    const MlpeFit fit = FitMlpe(pairs, terms, c.method);

    const int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) == 127)
        GTEST_SKIP() << "R (Rscript) is not installed; the comparison with lme4 was skipped";
    if (WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "R lme4 is not installed; the comparison with lme4 was skipped";
    ASSERT_EQ(WEXITSTATUS(status), 0) << command;
    std::ifstream lines(folder.path() / "out.txt");
    std::vector<double> numbers;
    for (std::string line; std::getline(lines, line);)
        numbers.push_back(std::stod(line));
    ASSERT_EQ(numbers.size(), static_cast<size_t>(2 * (c.predictors + 1) + 5));
    expectEqualsLme4(pairs, fit, valuesOf(numbers, c.predictors + 1));
}

INSTANTIATE_TEST_SUITE_P(RandomData, MlpeLme4Live,
                         ::testing::Values(LiveCase{"OnePredictorML", 25, 1, 0.0, MlpeMethod::MaximumLikelihood},
                                           LiveCase{"ThreePredictorsREML", 30, 3, 0.0, MlpeMethod::Restricted},
                                           LiveCase{"MissingPairsML", 20, 2, 0.15, MlpeMethod::MaximumLikelihood},
                                           LiveCase{"MissingPairsREML", 20, 2, 0.15, MlpeMethod::Restricted}),
                         [](const ::testing::TestParamInfo<LiveCase>& tested) {
                             return std::string(tested.param.name);
                         });

} // namespace
} // namespace tessaloc
