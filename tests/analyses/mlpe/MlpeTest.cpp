#include "analyses/mlpe/Mlpe.h"
#include "tests/analyses/mixedmodel/MlpeTestData.h"

#include "core/Errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tessaloc {
namespace {

using testing::smallGenetic;
using testing::smallX1;
using testing::smallX2;

std::vector<PredictorMatrix> smallPredictors()
{
    return {{"x1", "a test matrix", smallX1()}, {"x2", "a test matrix", smallX2()}};
}

// The values lme4 gives for this data set (MlpeLme4Test's literals, printed by mlpe.R): the REML
// estimates and standard errors, and the ML log-likelihood.
TEST(Mlpe, TermsAreTheRemlFitWithTheMlCriteria)
{
    const MlpeResult result = ComputeMlpe(smallGenetic(), smallPredictors(), RunListener::none());
    ASSERT_EQ(result.terms.size(), 3u);
    EXPECT_EQ(result.terms[0].name, "Intercept");
    EXPECT_EQ(result.terms[1].name, "x1");
    EXPECT_EQ(result.terms[2].name, "x2");
    const double estimates[] = {2.2060714285714296, 0.4690006132651347, 0.076026694887405669};
    const double errors[] = {0.17664386482659367, 0.10476378128122571, 0.10401268144001173};
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_NEAR(result.terms[k].estimate, estimates[k], 1e-6 * std::abs(estimates[k])) << k;
        EXPECT_NEAR(result.terms[k].standardError, errors[k], 1e-6 * errors[k]) << k;
        EXPECT_DOUBLE_EQ(result.terms[k].t, result.terms[k].estimate / result.terms[k].standardError);
    }
    EXPECT_NEAR(result.maximumLikelihood.logLikelihood, -20.721994744914689, 1e-6 * 20.72);
    // k = 3 fixed effects + 2 variances over 28 pairs: AIC = -2 log L + 10, AICc adds 2*5*6/22.
    EXPECT_NEAR(result.criteria.aic, 2.0 * 20.721994744914689 + 10.0, 1e-5);
    EXPECT_NEAR(result.criteria.aicc, 2.0 * 20.721994744914689 + 10.0 + 60.0 / 22.0, 1e-5);
    EXPECT_EQ(result.pairs, 28);
    EXPECT_EQ(result.missingPairs, 0);
}

// The P of each term against the ML fits of the model without it, refitted here: chi-squared on one
// degree of freedom, whose upper tail at 3.841458820694124 is 0.05.
TEST(Mlpe, LikelihoodRatioPOfEachTerm)
{
    const MlpeResult result = ComputeMlpe(smallGenetic(), smallPredictors(), RunListener::none());
    const PackedDistances genetic = smallGenetic();
    const PackedDistances x1 = smallX1();
    const PackedDistances x2 = smallX2();
    const MlpePairs pairs(genetic, {&x1, &x2}, {"x1", "x2"});
    const MlpeTerms reduced[] = {{false, {0, 1}}, {true, {1}}, {true, {0}}};
    for (size_t k = 0; k < 3; ++k) {
        const double statistic = 2.0 * (result.maximumLikelihood.logLikelihood -
                                        FitMlpe(pairs, reduced[k], MlpeMethod::MaximumLikelihood).logLikelihood);
        EXPECT_NEAR(result.terms[k].p, std::erfc(std::sqrt(statistic / 2.0)), 1e-12) << k;
    }
    EXPECT_NEAR(std::erfc(std::sqrt(3.841458820694124 / 2.0)), 0.05, 1e-12);
}

TEST(Mlpe, ARepeatedPredictorStopsTheRunBeforeReading)
{
    MlpeInput input;
    input.coordinatePath = "no such file";
    input.genotypePath = "no such file";
    input.settings.predictors = {GeoDistanceSettings{}, {GeoDistanceKind::Matrix, "m.csv"}, GeoDistanceSettings{}};
    try {
        RunMlpe(input, RunListener::none());
        FAIL() << "no error";
    } catch (const DataProblem& problem) {
        EXPECT_EQ(std::string(problem.what()),
                  "The regression names the predictor \"straight\" twice: each predictor may be given once.");
    }
}

TEST(Mlpe, NoPredictorIsADataProblem)
{
    MlpeInput input;
    input.settings.predictors.clear();
    EXPECT_THROW(RunMlpe(input, RunListener::none()), DataProblem);
}

} // namespace
} // namespace tessaloc
