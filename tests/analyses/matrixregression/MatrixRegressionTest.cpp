#include "analyses/matrixregression/MatrixRegression.h"

#include "core/DistanceRanks.h"
#include "core/MatrixSums.h"
#include "tests/support/AllArrangements.h"
#include "tests/support/DataProblems.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace tessaloc {
namespace {

// A symmetric matrix of `n` with continuous pairs: no two arrangements of it tie by accident.
PackedDistances randomPairs(int n, std::mt19937& engine)
{
    std::uniform_real_distribution<double> uniform(0.0, 10.0);
    PackedDistances m(n);
    for (double& value : m.values())
        value = uniform(engine);
    return m;
}

PredictorMatrix predictor(std::string name, PackedDistances distances)
{
    return {std::move(name), "a test matrix", std::move(distances)};
}

// Ordinary least squares written out: the design matrix [1 x_1 .. x_k] over the pairs i < j (row
// order), the normal equations solved by Gauss-Jordan elimination with partial pivoting, the residuals
// summed directly. Nothing of it is shared with the engine, which never builds the design.
struct LiteralFit {
    std::vector<double> coefficients;
    std::vector<double> t;
    double rSquared = 0.0;
    double f = 0.0;
};

LiteralFit literalFit(const SquareMatrix& genetic, const std::vector<SquareMatrix>& predictors)
{
    const int n = genetic.size();
    const size_t terms = predictors.size() + 1;
    std::vector<std::vector<double>> rows;
    std::vector<double> y;
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            std::vector<double> row{1.0};
            for (const SquareMatrix& x : predictors)
                row.push_back(x(i, j));
            rows.push_back(row);
            y.push_back(genetic(i, j));
        }
    }
    // [X'X | I | X'y], reduced to [I | (X'X)^-1 | b].
    std::vector<std::vector<double>> table(terms, std::vector<double>(2 * terms + 1, 0.0));
    for (size_t a = 0; a < terms; ++a) {
        for (size_t r = 0; r < rows.size(); ++r) {
            for (size_t b = 0; b < terms; ++b)
                table[a][b] += rows[r][a] * rows[r][b];
            table[a][2 * terms] += rows[r][a] * y[r];
        }
        table[a][terms + a] = 1.0;
    }
    for (size_t c = 0; c < terms; ++c) {
        size_t pivot = c;
        for (size_t r = c + 1; r < terms; ++r)
            if (std::abs(table[r][c]) > std::abs(table[pivot][c]))
                pivot = r;
        std::swap(table[c], table[pivot]);
        const double divisor = table[c][c];
        for (double& value : table[c])
            value /= divisor;
        for (size_t r = 0; r < terms; ++r) {
            if (r == c)
                continue;
            const double factor = table[r][c];
            for (size_t col = 0; col < table[r].size(); ++col)
                table[r][col] -= factor * table[c][col];
        }
    }
    LiteralFit fit;
    for (size_t a = 0; a < terms; ++a)
        fit.coefficients.push_back(table[a][2 * terms]);
    double mean = 0.0;
    for (const double value : y)
        mean += value;
    mean /= static_cast<double>(y.size());
    double residual = 0.0;
    double total = 0.0;
    for (size_t r = 0; r < rows.size(); ++r) {
        double fitted = 0.0;
        for (size_t a = 0; a < terms; ++a)
            fitted += fit.coefficients[a] * rows[r][a];
        residual += (y[r] - fitted) * (y[r] - fitted);
        total += (y[r] - mean) * (y[r] - mean);
    }
    const double degrees = static_cast<double>(rows.size() - terms);
    const double variance = residual / degrees;
    for (size_t a = 0; a < terms; ++a)
        fit.t.push_back(fit.coefficients[a] / std::sqrt(variance * table[a][terms + a]));
    fit.rSquared = 1.0 - residual / total;
    fit.f = ((total - residual) / static_cast<double>(terms - 1)) / variance;
    return fit;
}

MatrixRegressionResult compute(const PackedDistances& genetic, const std::vector<PackedDistances>& predictors,
                               MatrixRegressionSettings settings = {}, std::int64_t seed1 = 1, std::int64_t seed2 = 2)
{
    std::vector<PredictorMatrix> matrices;
    for (size_t k = 0; k < predictors.size(); ++k)
        matrices.push_back(predictor("x" + std::to_string(k + 1), predictors[k]));
    RandomUniform random(seed1, seed2);
    return ComputeMatrixRegression(genetic, matrices, settings, random, RunListener::none());
}

void expectRelative(double actual, double expected, double tolerance, const std::string& what)
{
    EXPECT_LE(std::abs(actual - expected), tolerance * std::abs(expected))
        << what << ": " << actual << " against " << expected;
}

class FitAgainstLiteral : public ::testing::TestWithParam<int> {};

TEST_P(FitAgainstLiteral, CoefficientsTRSquaredAndFEqualTheNormalEquations)
{
    const int k = GetParam();
    std::mt19937 engine(40 + static_cast<unsigned>(k));
    const PackedDistances genetic = randomPairs(25, engine);
    std::vector<PackedDistances> predictors;
    std::vector<SquareMatrix> full;
    for (int m = 0; m < k; ++m) {
        predictors.push_back(randomPairs(25, engine));
        full.push_back(predictors.back().square());
    }
    MatrixRegressionSettings settings;
    settings.permutations.count = 0;
    const MatrixRegressionResult result = compute(genetic, predictors, settings);
    const LiteralFit literal = literalFit(genetic.square(), full);
    ASSERT_EQ(result.terms.size(), static_cast<size_t>(k + 1));
    for (int term = 0; term <= k; ++term) {
        expectRelative(result.terms[term].estimate, literal.coefficients[term], 1e-10,
                       "estimate " + std::to_string(term));
        expectRelative(result.terms[term].t, literal.t[term], 1e-9, "t " + std::to_string(term));
        EXPECT_EQ(result.terms[term].p, 1.0);
    }
    EXPECT_EQ(result.terms[0].name, "Intercept");
    EXPECT_EQ(result.terms[1].name, "x1");
    expectRelative(result.rSquared, literal.rSquared, 1e-10, "R2");
    expectRelative(result.f, literal.f, 1e-9, "F");
    EXPECT_EQ(result.residualDegrees, 300 - k - 1);
    EXPECT_EQ(result.pF, 1.0);
}

INSTANTIATE_TEST_SUITE_P(OneToFourPredictors, FitAgainstLiteral, ::testing::Values(1, 2, 3, 4));

TEST(MatrixRegression, OnePredictorGivesTheSquaredMatrixCorrelationAsR2)
{
    std::mt19937 engine(7);
    const PackedDistances genetic = randomPairs(12, engine);
    const PackedDistances x = randomPairs(12, engine);
    MatrixRegressionSettings settings;
    settings.permutations.count = 0;
    const MatrixRegressionResult result = compute(genetic, {x}, settings);
    const double r = MatrixCorrelation(genetic, x);
    expectRelative(result.rSquared, r * r, 1e-12, "R2");
    // The standardised slope of a single predictor is r itself.
    settings.standardise = true;
    const MatrixRegressionResult standardised = compute(genetic, {x}, settings);
    expectRelative(standardised.terms[1].estimate, r, 1e-12, "beta weight");
}

// A single predictor scaled by 1e300 was called "an exact linear combination of the predictors  over
// the pairs", one scaled by 1e-300 "the same for every pair": their sums of squares overflowed or
// underflowed.
TEST(MatrixRegression, APredictorOfHugeOrTinyValuesIsFittedAsAnOrdinaryOne)
{
    std::mt19937 engine(17);
    const PackedDistances genetic = randomPairs(12, engine);
    const PackedDistances x = randomPairs(12, engine);
    MatrixRegressionSettings settings;
    settings.permutations.count = 99;
    const MatrixRegressionResult ordinary = compute(genetic, {x}, settings);
    for (const double factor : {1e300, 1e-300}) {
        PackedDistances scaled = x;
        for (double& value : scaled.values())
            value *= factor;
        const MatrixRegressionResult result = compute(genetic, {scaled}, settings);
        expectRelative(result.coefficients[1] * factor, ordinary.coefficients[1], 1e-12, "slope");
        expectRelative(result.coefficients[0], ordinary.coefficients[0], 1e-12, "intercept");
        expectRelative(result.terms[1].t, ordinary.terms[1].t, 1e-12, "t");
        expectRelative(result.f, ordinary.f, 1e-12, "F");
        expectRelative(result.rSquared, ordinary.rSquared, 1e-12, "R2");
        EXPECT_EQ(result.terms[1].atLeast, ordinary.terms[1].atLeast) << factor;
    }
}

TEST(MatrixRegression, StandardisedEstimatesScaleBySpreadsAndLeaveTAndPUnchanged)
{
    std::mt19937 engine(8);
    const PackedDistances genetic = randomPairs(9, engine);
    const std::vector<PackedDistances> predictors = {randomPairs(9, engine), randomPairs(9, engine)};
    MatrixRegressionSettings settings;
    settings.permutations.count = 99;
    const MatrixRegressionResult raw = compute(genetic, predictors, settings);
    settings.standardise = true;
    const MatrixRegressionResult standardised = compute(genetic, predictors, settings);
    const double geneticSpread = std::sqrt(CenterPairs(genetic).sumOfSquares);
    for (int m = 0; m < 2; ++m) {
        const double spread = std::sqrt(CenterPairs(predictors[m]).sumOfSquares);
        expectRelative(standardised.terms[m + 1].estimate, raw.terms[m + 1].estimate * spread / geneticSpread, 1e-12,
                       "beta weight");
        EXPECT_EQ(standardised.terms[m + 1].t, raw.terms[m + 1].t);
        EXPECT_EQ(standardised.terms[m + 1].p, raw.terms[m + 1].p);
    }
    EXPECT_EQ(standardised.terms[0].estimate, 0.0);
    EXPECT_EQ(standardised.terms[0].t, 0.0);
    EXPECT_EQ(standardised.terms[0].p, 1.0);
    EXPECT_EQ(standardised.rSquared, raw.rSquared);
    EXPECT_EQ(standardised.coefficients, raw.coefficients);
}

TEST(MatrixRegression, RankFitsTheRanksOfEveryMatrix)
{
    std::mt19937 engine(9);
    const PackedDistances genetic = randomPairs(10, engine);
    const std::vector<PackedDistances> predictors = {randomPairs(10, engine), randomPairs(10, engine)};
    MatrixRegressionSettings settings;
    settings.permutations.count = 50;
    settings.rank = true;
    const MatrixRegressionResult ranked = compute(genetic, predictors, settings);
    PackedDistances geneticRanks = genetic;
    RankDistanceTransform(geneticRanks, "g");
    std::vector<PackedDistances> predictorRanks = predictors;
    for (PackedDistances& m : predictorRanks)
        RankDistanceTransform(m, "x");
    settings.rank = false;
    const MatrixRegressionResult plain = compute(geneticRanks, predictorRanks, settings);
    for (size_t term = 0; term < 3; ++term) {
        EXPECT_EQ(ranked.terms[term].estimate, plain.terms[term].estimate);
        EXPECT_EQ(ranked.terms[term].atLeast, plain.terms[term].atLeast);
    }
    EXPECT_TRUE(ranked.rank);
    EXPECT_EQ(ranked.genetic, geneticRanks);
}

TEST(MatrixRegression, FittedDistancesAreInterceptPlusSlopesTimesPredictors)
{
    std::mt19937 engine(10);
    const PackedDistances genetic = randomPairs(6, engine);
    const std::vector<PackedDistances> predictors = {randomPairs(6, engine), randomPairs(6, engine)};
    MatrixRegressionSettings settings;
    settings.permutations.count = 0;
    const MatrixRegressionResult result = compute(genetic, predictors, settings);
    const PackedDistances fitted = FittedDistances(result);
    const double expected = result.coefficients[0] + result.coefficients[1] * predictors[0](2, 4) +
                            result.coefficients[2] * predictors[1](2, 4);
    EXPECT_DOUBLE_EQ(fitted(2, 4), expected);
}

// Complete enumeration of N = 6 against every arrangement visited by the test's own route, each fitted
// by the literal normal equations on the rearranged matrix built in full.
TEST(MatrixRegression, CompleteEnumerationCountsAsEveryArrangementFittedInFull)
{
    const int n = 6;
    std::mt19937 engine(11);
    const PackedDistances genetic = randomPairs(n, engine);
    const std::vector<PackedDistances> predictors = {randomPairs(n, engine), randomPairs(n, engine)};
    const std::vector<SquareMatrix> full = {predictors[0].square(), predictors[1].square()};
    MatrixRegressionSettings settings;
    settings.permutations.scheme = PermutationScheme::Complete;
    const MatrixRegressionResult result = compute(genetic, predictors, settings);

    const LiteralFit observed = literalFit(genetic.square(), full);
    std::vector<long long> atLeast(3, 0);
    long long fAtLeast = 0;
    long long arrangements = 0;
    bool identity = true;
    testing::forEachArrangement(n, [&](const std::vector<std::int32_t>& p) {
        ++arrangements;
        if (identity) { // the observed arrangement counts once, in the + 1 of every P
            identity = false;
            return;
        }
        const LiteralFit replicate = literalFit(testing::rearranged(genetic.square(), p), full);
        for (size_t term = 0; term < 3; ++term)
            atLeast[term] += std::abs(replicate.t[term]) >= std::abs(observed.t[term]);
        fAtLeast += replicate.f >= observed.f;
    });
    EXPECT_EQ(result.permutations, 719);
    EXPECT_EQ(arrangements, 720);
    for (size_t term = 0; term < 3; ++term) {
        EXPECT_EQ(result.terms[term].atLeast, atLeast[term]) << "term " << term;
        EXPECT_DOUBLE_EQ(result.terms[term].p, static_cast<double>(atLeast[term] + 1) / 720.0);
    }
    EXPECT_EQ(result.fAtLeast, fAtLeast);
    EXPECT_EQ(result.permutationScheme.arrangements, 720);
}

TEST(MatrixRegression, ResultsDoNotDependOnTheThreadCount)
{
    std::mt19937 engine(12);
    const PackedDistances genetic = randomPairs(40, engine);
    const std::vector<PackedDistances> predictors = {randomPairs(40, engine), randomPairs(40, engine),
                                                     randomPairs(40, engine)};
    for (const PermutationScheme scheme : {PermutationScheme::Exchanges, PermutationScheme::Uniform}) {
        MatrixRegressionSettings settings;
        settings.permutations.count = 203;
        settings.permutations.scheme = scheme;
        settings.permutations.threads = 1;
        const MatrixRegressionResult one = compute(genetic, predictors, settings, 77, 88);
        for (const int threads : {2, 3, 5}) {
            settings.permutations.threads = threads;
            const MatrixRegressionResult many = compute(genetic, predictors, settings, 77, 88);
            for (size_t term = 0; term < 4; ++term)
                EXPECT_EQ(many.terms[term].atLeast, one.terms[term].atLeast) << threads << " threads, term " << term;
            EXPECT_EQ(many.fAtLeast, one.fAtLeast) << threads << " threads";
        }
    }
}

TEST(MatrixRegression, PermutationTestFindsAStrongPredictorAndRecordsTheSeed)
{
    std::mt19937 engine(13);
    const PackedDistances x = randomPairs(20, engine);
    const PackedDistances noise = randomPairs(20, engine);
    const PackedDistances other = randomPairs(20, engine);
    PackedDistances genetic(20);
    for (size_t pair = 0; pair < genetic.values().size(); ++pair)
        genetic.values()[pair] = 2.0 * x.values()[pair] + 0.1 * noise.values()[pair];
    MatrixRegressionSettings settings;
    settings.permutations.count = 99;
    const MatrixRegressionResult result = compute(genetic, {x, other}, settings, 123, 456);
    EXPECT_EQ(result.terms[1].atLeast, 0);
    EXPECT_DOUBLE_EQ(result.terms[1].p, 0.01);
    EXPECT_EQ(result.fAtLeast, 0);
    EXPECT_EQ(result.permutations, 99);
    EXPECT_EQ(result.seed, std::make_optional(RandomSeed{123, 456}));
}

TEST(MatrixRegression, PredictorCorrelationsAreTheMatrixCorrelations)
{
    std::mt19937 engine(14);
    const PackedDistances genetic = randomPairs(8, engine);
    const std::vector<PackedDistances> predictors = {randomPairs(8, engine), randomPairs(8, engine)};
    MatrixRegressionSettings settings;
    settings.permutations.count = 0;
    const MatrixRegressionResult result = compute(genetic, predictors, settings);
    EXPECT_EQ(result.predictorCorrelation(0, 0), 1.0);
    expectRelative(result.predictorCorrelation(0, 1), MatrixCorrelation(predictors[0], predictors[1]), 1e-12, "r");
    EXPECT_EQ(result.predictorCorrelation(1, 0), result.predictorCorrelation(0, 1));
}

// Bad input: each a data problem with its message, before any report.
PackedDistances linearOf(const PackedDistances& x, double slope, double offset)
{
    PackedDistances out = x;
    for (double& value : out.values())
        value = slope * value + offset;
    return out;
}

TEST(MatrixRegressionBadInput, FewerThanThreeObservations)
{
    std::mt19937 engine(20);
    EXPECT_EQ(testing::dataProblemOf([&] { compute(randomPairs(2, engine), {randomPairs(2, engine)}); }),
              "At least three observations are needed to compare distance matrices; the files hold 2.");
}

TEST(MatrixRegressionBadInput, ConstantPredictorIsNamed)
{
    std::mt19937 engine(21);
    const PackedDistances constant = linearOf(randomPairs(5, engine), 0.0, 3.0);
    EXPECT_EQ(testing::dataProblemOf([&] {
                  compute(randomPairs(5, engine), {randomPairs(5, engine), constant});
              }),
              "The predictor \"x2\" is the same for every pair of observations, so no correlation with it is defined.");
}

TEST(MatrixRegressionBadInput, ConstantGeneticDistances)
{
    std::mt19937 engine(22);
    const PackedDistances constant = linearOf(randomPairs(5, engine), 0.0, 1.0);
    EXPECT_EQ(testing::dataProblemOf([&] { compute(constant, {randomPairs(5, engine)}); }),
              "The genetic distance is the same for every pair of observations, so no correlation with it is "
              "defined.");
}

TEST(MatrixRegressionBadInput, TwoExactlyCollinearPredictorsAreNamed)
{
    std::mt19937 engine(23);
    const PackedDistances x = randomPairs(7, engine);
    const std::string message = testing::dataProblemOf([&] {
        compute(randomPairs(7, engine), {x, randomPairs(7, engine), linearOf(x, -2.5, 3.0)});
    });
    EXPECT_EQ(message, "The predictors \"x1\" and \"x3\" are exactly collinear: one is a linear function of the other "
                       "over the pairs of observations, so their coefficients are not defined. Leave one of them out.");
}

TEST(MatrixRegressionBadInput, ExactLinearCombinationNamesThePredictors)
{
    std::mt19937 engine(24);
    const PackedDistances a = randomPairs(7, engine);
    const PackedDistances b = randomPairs(7, engine);
    PackedDistances sum = a;
    for (size_t pair = 0; pair < sum.values().size(); ++pair)
        sum.values()[pair] = a.values()[pair] + 0.5 * b.values()[pair];
    EXPECT_EQ(testing::dataProblemOf([&] {
                  compute(randomPairs(7, engine), {a, b, sum});
              }),
              "The predictor \"x3\" is an exact linear combination of the predictors \"x1\" and \"x2\" over the pairs "
              "of observations, so their coefficients are not defined. Leave one of them out.");
}

TEST(MatrixRegressionBadInput, MatricesOfDifferentSizes)
{
    std::mt19937 engine(25);
    EXPECT_EQ(testing::dataProblemOf([&] { compute(randomPairs(6, engine), {randomPairs(5, engine)}); }),
              "The predictor \"x1\" has 5 observations, the genetic distances 6: the matrices must be of the same "
              "observations.");
}

TEST(MatrixRegressionBadInput, NoMorePairsThanTerms)
{
    std::mt19937 engine(26);
    EXPECT_EQ(testing::dataProblemOf([&] {
                  compute(randomPairs(3, engine), {randomPairs(3, engine), randomPairs(3, engine)});
              }),
              "A regression on 2 predictors needs more than 3 pairs of observations; the 3 observations give 3.");
}

TEST(MatrixRegressionBadInput, RanksOfAllTiedPairs)
{
    std::mt19937 engine(27);
    MatrixRegressionSettings settings;
    settings.rank = true;
    const PackedDistances tied = linearOf(randomPairs(5, engine), 0.0, 2.0);
    EXPECT_EQ(testing::dataProblemOf([&] { compute(randomPairs(5, engine), {tied}, settings); }),
              "Ranks cannot be taken of the predictor \"x1\": every pair of observations has the same value, so all "
              "ranks tie and a rank correlation is undefined.");
}

TEST(MatrixRegressionBadInput, ExactFitLeavesNoResidual)
{
    std::mt19937 engine(28);
    const PackedDistances x = randomPairs(6, engine);
    EXPECT_EQ(testing::dataProblemOf([&] { compute(linearOf(x, 3.0, 1.0), {x}); }),
              "The predictors fit the genetic distances exactly: no residual variation is left, so no t value, F or "
              "permutation test is defined.");
}

TEST(MatrixRegressionBadInput, NoPredictor)
{
    std::mt19937 engine(29);
    EXPECT_EQ(testing::dataProblemOf([&] { compute(randomPairs(5, engine), {}); }),
              "The regression needs at least one predictor matrix.");
}

} // namespace
} // namespace tessaloc
