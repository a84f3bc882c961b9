#include "analyses/mlpe/Mlpe.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaloc {
namespace {

// A result of two predictors over four observations (six pairs, one without a genetic distance),
// its numbers chosen by hand: the report is checked line by line against text written out by hand.
MlpeResult handResult()
{
    MlpeResult result;
    result.coordinatePath = "coords.txt";
    result.genotypePath = "genotypes.txt";
    result.observations = 4;
    result.pairs = 5;
    result.missingPairs = 1;
    result.predictors = {{"straight", "straight lines", {}},
                         {"habitat.csv", "the distance matrix file \"habitat.csv\"", {}}};
    result.maximumLikelihood.terms = MlpeTerms{true, {0, 1}};
    result.maximumLikelihood.logLikelihood = -1.25;
    result.criteria = {12.5, 42.5, 10.5};
    result.rSquared = {0.5, 0.75};
    result.terms = {{"Intercept", 0.25, 0.125, 2.0, 0.5},
                    {"straight", -0.5, 0.25, -2.0, 0.0625},
                    {"habitat.csv", 3.0, 0.0234375, 128.0, 0.0}};
    result.restricted.individualVariance = 0.375;
    result.restricted.residualVariance = 1.5;
    result.predictorCorrelations = {1.0, -0.5, -0.5, 1.0};
    return result;
}

TEST(MlpeReport, LinesAsWrittenByHand)
{
    const std::string expected =
        "Results of Mixed-Model Regression (MLPE)\r\n"
        "Coordinate File: coords.txt\r\n"
        "Genotype File: genotypes.txt\r\n"
        "Data type = 1 (alleles from codominant loci)\r\n"
        "\r\n"
        "\r\n"
        "Genetic distance regressed on 2 predictor matrices over 5 pairs of observations, with a random effect of "
        "each of the 4 observations\r\n"
        "1 pair without a genetic distance left out\r\n"
        "Predictor \"straight\": straight lines\r\n"
        "Predictor \"habitat.csv\": the distance matrix file \"habitat.csv\"\r\n"
        "Each predictor standardised over the pairs (mean 0, standard deviation 1)\r\n"
        "\r\n"
        "Maximum likelihood (ML) fit, k = 5 parameters (fixed effects and two variances):\r\n"
        "Log-likelihood (ML) = -1.2500000000\r\n"
        "AIC = 12.5000000000\r\n"
        "AICc = 42.5000000000\r\n"
        "BIC = 10.5000000000\r\n"
        "Marginal R2 = .5000000000\r\n"
        "Conditional R2 = .7500000000\r\n"
        "\r\n"
        "Restricted maximum likelihood (REML) estimates;\r\n"
        "P: likelihood-ratio test (ML) of the model without the term, chi-squared on 1 degree of freedom\r\n"
        // The numbers start at columns 16, 30, 44 and 58: the longest name, "2 habitat.csv" in the
        // correlations, is 13 characters, and two blanks follow it.
        "Term           Estimate      SE            t             P\r\n"
        "Intercept      .2500000000   .1250000000   2.0000000000  .5000000000\r\n"
        "straight       -.5000000000  .2500000000   -2.0000000000 .0625000000\r\n"
        "habitat.csv    3.0000000000  .0234375000   128.0000000000  .0000000000\r\n"
        "\r\n"
        "Variance of the observations' effects (REML) = .3750000000\r\n"
        "Residual variance (REML) = 1.5000000000\r\n"
        "\r\n"
        "\r\n"
        "Correlation among predictors\r\n"
        "               1             2\r\n"
        "1 straight     1.0000000000  -.5000000000\r\n"
        "2 habitat.csv  -.5000000000  1.0000000000\r\n";
    EXPECT_EQ(MlpeReport(handResult()), expected);
}

TEST(MlpeReport, EveryPairPresentLeavesTheLineOut)
{
    MlpeResult result = handResult();
    result.missingPairs = 0;
    EXPECT_EQ(MlpeReport(result).find("without a genetic distance"), std::string::npos);
}

} // namespace
} // namespace tessaloc
