#include "analyses/matrixregression/MatrixRegression.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaloc {
namespace {

// A result of two predictors over four observations (six pairs), its numbers chosen to show each
// mask: the report is checked line by line against text written out by hand.
MatrixRegressionResult handResult()
{
    MatrixRegressionResult result;
    result.coordinatePath = "coords.txt";
    result.genotypePath = "genotypes.txt";
    result.dataType = DataType::Codominant;
    result.genetic = PackedDistances(4);
    result.predictors = {{"straight", "straight lines", PackedDistances(4)},
                         {"habitat.csv", "the distance matrix file \"habitat.csv\"", PackedDistances(4)}};
    result.terms = {
        {"Intercept", 0.25, 1.5, 3, 0.4}, {"straight", -0.125, -2.0, 0, 0.1}, {"habitat.csv", 3.0, -123.75, 1, 0.2}};
    result.rSquared = 0.75;
    result.f = 4.5;
    result.residualDegrees = 3;
    result.pF = 0.3;
    result.predictorCorrelations = {1.0, -0.5, -0.5, 1.0};
    result.permutations = 9;
    result.seed = RandomSeed{11, 22};
    return result;
}

const std::string kHead = "Results of Multiple Matrix Regression\r\n"
                          "Coordinate File: coords.txt\r\n"
                          "Genotype File: genotypes.txt\r\n"
                          "Data type = 1 (alleles from codominant loci)\r\n"
                          "\r\n"
                          "\r\n"
                          "Genetic distance regressed on 2 predictor matrices over 6 pairs of observations\r\n"
                          "Predictor \"straight\": straight lines\r\n"
                          "Predictor \"habitat.csv\": the distance matrix file \"habitat.csv\"\r\n"
                          "\r\n"
                          "P: probability of observing |t| greater than or equal to observed\r\n"
                          // The numbers start at columns 16, 30 and 44: the longest name, "2 habitat.csv"
                          // in the correlations, is 13 characters, and two blanks follow it.
                          "Term           Estimate      t             P\r\n"
                          "Intercept      .2500000000   1.5000000000  .4000000000\r\n"
                          "straight       -.1250000000  -2.0000000000 .1000000000\r\n"
                          "habitat.csv    3.0000000000  -123.7500000000  .2000000000\r\n"
                          "\r\n"
                          "R2 = .7500000000\r\n"
                          "F = 4.5000000000 on 2 and 3 degrees of freedom\r\n"
                          "Probability of observing an F greater than or equal to observed:  P = .3000000000\r\n"
                          " 9 replicates performed\r\n";

const std::string kTail = "Random seed: 11,22\r\n"
                          "\r\n"
                          "\r\n"
                          "Correlation among predictors\r\n"
                          "               1             2\r\n"
                          "1 straight     1.0000000000  -.5000000000\r\n"
                          "2 habitat.csv  -.5000000000  1.0000000000\r\n";

TEST(MatrixRegressionReport, TermsR2FSeedAndPredictorCorrelationsAsWrittenByHand)
{
    EXPECT_EQ(MatrixRegressionReport(handResult()), kHead + kTail);
}

TEST(MatrixRegressionReport, RankStandardisedAndExactTestEachAddALine)
{
    MatrixRegressionResult result = handResult();
    result.rank = true;
    result.standardise = true;
    result.permutationScheme = {PermutationScheme::Complete, 24};
    EXPECT_EQ(MatrixRegressionReport(result),
              kHead +
                  "Permutations: all 24 arrangements (exact test)\r\n"
                  "Rank correlation: every distance replaced by its rank among the pairs (ties share their mean "
                  "rank)\r\n"
                  "Standardised estimates (beta weights): each slope times the standard deviation of its predictor "
                  "over that of the genetic distances; the intercept is then 0\r\n" +
                  kTail);
}

TEST(MatrixRegressionReport, OnePredictorSaysMatrix)
{
    MatrixRegressionResult result = handResult();
    result.predictors.pop_back();
    result.terms.pop_back();
    result.predictorCorrelations = {1.0};
    const std::string report = MatrixRegressionReport(result);
    EXPECT_NE(report.find("regressed on 1 predictor matrix over 6 pairs"), std::string::npos);
    EXPECT_NE(report.find("\r\n1 straight    1.0000000000\r\n"), std::string::npos);
}

} // namespace
} // namespace tessaloc
