#include "analyses/mixedmodel/MlpeModel.h"
#include "tests/analyses/mixedmodel/MlpeTestData.h"

#include "core/Errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace tessaloc {
namespace {

using testing::packedOf;
using testing::smallGenetic;
using testing::smallGeneticWithMissingPairs;
using testing::smallX1;
using testing::smallX2;

// ---- A literal implementation: the model's m x m covariance built pair by pair and factored densely.

struct DenseModel {
    std::vector<std::pair<int, int>> pairs; // the pairs with a genetic distance
    std::vector<std::vector<double>> x;     // m rows: 1, then the standardised predictors
    std::vector<double> y;
};

DenseModel denseModelOf(const PackedDistances& genetic, const std::vector<const PackedDistances*>& predictors)
{
    DenseModel model;
    for (int i = 0; i < genetic.size(); ++i)
        for (int j = i + 1; j < genetic.size(); ++j)
            if (!std::isnan(genetic(i, j))) {
                model.pairs.push_back({i, j});
                model.y.push_back(genetic(i, j));
            }
    const double m = static_cast<double>(model.pairs.size());
    model.x.assign(model.pairs.size(), {1.0});
    for (const PackedDistances* predictor : predictors) {
        double mean = 0.0;
        for (const auto& [i, j] : model.pairs)
            mean += (*predictor)(i, j) / m;
        double squares = 0.0;
        for (const auto& [i, j] : model.pairs)
            squares += ((*predictor)(i, j) - mean) * ((*predictor)(i, j) - mean);
        const double deviation = std::sqrt(squares / (m - 1.0));
        for (size_t a = 0; a < model.pairs.size(); ++a)
            model.x[a].push_back(((*predictor)(model.pairs[a].first, model.pairs[a].second) - mean) / deviation);
    }
    return model;
}

// Cholesky of a dense symmetric matrix in place (lower triangle), returning log |A|.
double choleskyLogDeterminant(std::vector<std::vector<double>>& a)
{
    double logDeterminant = 0.0;
    const size_t n = a.size();
    for (size_t j = 0; j < n; ++j) {
        for (size_t c = 0; c < j; ++c)
            a[j][j] -= a[j][c] * a[j][c];
        a[j][j] = std::sqrt(a[j][j]);
        logDeterminant += 2.0 * std::log(a[j][j]);
        for (size_t i = j + 1; i < n; ++i) {
            for (size_t c = 0; c < j; ++c)
                a[i][j] -= a[i][c] * a[j][c];
            a[i][j] /= a[j][j];
        }
    }
    return logDeterminant;
}

std::vector<double> choleskySolve(const std::vector<std::vector<double>>& l, std::vector<double> b)
{
    const size_t n = l.size();
    for (size_t i = 0; i < n; ++i) {
        for (size_t c = 0; c < i; ++c)
            b[i] -= l[i][c] * b[c];
        b[i] /= l[i][i];
    }
    for (size_t i = n; i-- > 0;) {
        for (size_t r = i + 1; r < n; ++r)
            b[i] -= l[r][i] * b[r];
        b[i] /= l[i][i];
    }
    return b;
}

// The profiled (restricted) log-likelihood at g with V = I + g Z Z' of m x m, Z Z' counting the
// observations two pairs share.
double denseLogLikelihood(const DenseModel& model, double g, bool restricted)
{
    const size_t m = model.pairs.size();
    const size_t p = model.x[0].size();
    std::vector<std::vector<double>> v(m, std::vector<double>(m));
    for (size_t a = 0; a < m; ++a)
        for (size_t b = 0; b < m; ++b) {
            const auto [i, j] = model.pairs[a];
            const auto [k, l] = model.pairs[b];
            v[a][b] = (a == b ? 1.0 : 0.0) + g * ((i == k) + (i == l) + (j == k) + (j == l));
        }
    const double logDeterminantV = choleskyLogDeterminant(v);
    std::vector<std::vector<double>> solvedColumns;
    for (size_t c = 0; c < p; ++c) {
        std::vector<double> column(m);
        for (size_t a = 0; a < m; ++a)
            column[a] = model.x[a][c];
        solvedColumns.push_back(choleskySolve(v, column));
    }
    const std::vector<double> solvedY = choleskySolve(v, model.y);
    std::vector<std::vector<double>> xvx(p, std::vector<double>(p, 0.0));
    std::vector<double> xvy(p, 0.0);
    for (size_t c = 0; c < p; ++c) {
        for (size_t a = 0; a < m; ++a) {
            xvy[c] += solvedColumns[c][a] * model.y[a];
            for (size_t d = 0; d < p; ++d)
                xvx[c][d] += solvedColumns[c][a] * model.x[a][d];
        }
    }
    const double logDeterminantXvx = choleskyLogDeterminant(xvx);
    const std::vector<double> beta = choleskySolve(xvx, xvy);
    double rss = 0.0;
    for (size_t a = 0; a < m; ++a)
        rss += model.y[a] * solvedY[a];
    for (size_t c = 0; c < p; ++c)
        rss -= beta[c] * xvy[c];
    const double degrees = restricted ? static_cast<double>(m - p) : static_cast<double>(m);
    double deviance = degrees * (1.0 + std::log(2.0 * std::numbers::pi * rss / degrees)) + logDeterminantV;
    if (restricted)
        deviance += logDeterminantXvx;
    return -0.5 * deviance;
}

// ---- The n x n forms against the literal m x m one, and the closed form against the general one.

TEST(MlpeModel, ProfiledLikelihoodWithMissingPairsEqualsDenseCovariance)
{
    const PackedDistances genetic = smallGeneticWithMissingPairs();
    const PackedDistances x1 = smallX1();
    const PackedDistances x2 = smallX2();
    const MlpePairs pairs(genetic, {&x1, &x2}, {"x1", "x2"});
    ASSERT_FALSE(pairs.complete());
    const DenseModel dense = denseModelOf(genetic, {&x1, &x2});
    for (double g : {0.0, 0.01, 0.3, 1.0, 7.5, 400.0})
        for (bool restricted : {false, true}) {
            const double expected = denseLogLikelihood(dense, g, restricted);
            const double actual = MlpeProfiledLogLikelihood(
                pairs, MlpeTerms{true, {0, 1}}, restricted ? MlpeMethod::Restricted : MlpeMethod::MaximumLikelihood, g);
            EXPECT_NEAR(actual, expected, 1e-10 * std::abs(expected)) << "g = " << g << ", REML " << restricted;
        }
}

TEST(MlpeModel, ClosedFormWithEveryPairEqualsGeneralForm)
{
    const PackedDistances genetic = smallGenetic();
    const PackedDistances x1 = smallX1();
    const PackedDistances x2 = smallX2();
    const MlpePairs pairs(genetic, {&x1, &x2}, {"x1", "x2"});
    ASSERT_TRUE(pairs.complete());
    const DenseModel dense = denseModelOf(genetic, {&x1, &x2});
    for (double g : {0.01, 1.0, 400.0}) {
        const MlpeTerms terms{true, {0, 1}};
        const double closed = MlpeProfiledLogLikelihood(pairs, terms, MlpeMethod::Restricted, g);
        EXPECT_NEAR(closed, denseLogLikelihood(dense, g, true), 1e-10 * std::abs(closed)) << "g = " << g;
        EXPECT_NEAR(closed, MlpeProfiledLogLikelihood(pairs, terms, MlpeMethod::Restricted, g, MlpeSolver::General),
                    1e-11 * std::abs(closed))
            << "g = " << g;
    }
    // The fits agree in their maximum exactly; where it lies the flat top of the likelihood fixes only
    // to about sqrt(machine epsilon) in theta, so the estimates that follow it agree to 1e-6.
    for (MlpeMethod method : {MlpeMethod::MaximumLikelihood, MlpeMethod::Restricted}) {
        const MlpeFit closed = FitMlpe(pairs, MlpeTerms{true, {0, 1}}, method);
        const MlpeFit general = FitMlpe(pairs, MlpeTerms{true, {0, 1}}, method, MlpeSolver::General);
        EXPECT_NEAR(closed.logLikelihood, general.logLikelihood, 1e-11 * std::abs(closed.logLikelihood));
        for (size_t k = 0; k < 3; ++k)
            EXPECT_NEAR(closed.coefficients[k], general.coefficients[k], 1e-6 * std::abs(closed.coefficients[k]));
        EXPECT_NEAR(closed.individualVariance, general.individualVariance, 1e-6 * closed.individualVariance);
    }
}

// ---- The OLS limit.

// Genetic distances whose noise has no observation effect at all (projected off the incidence's
// columns): the maximum lies at s_u^2 = 0, where the ML fit is ordinary least squares.
TEST(MlpeModel, WithoutObservationVarianceMlEqualsOrdinaryLeastSquares)
{
    const int n = 12;
    std::mt19937 engine(77);
    std::normal_distribution<double> normal(0.0, 1.0);
    PackedDistances x1(n);
    PackedDistances x2(n);
    PackedDistances noise(n);
    for (size_t pair = 0; pair < x1.values().size(); ++pair) {
        x1.values()[pair] = 5.0 + 2.0 * normal(engine);
        x2.values()[pair] = normal(engine);
        noise.values()[pair] = normal(engine);
    }
    // w = (Z'Z)^-1 Z'e with (Z'Z)^-1 = (I - J / (2n - 2)) / (n - 2); e - Z w has no observation sums.
    std::vector<double> sums(n, 0.0);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            sums[i] += noise(i, j);
    double total = 0.0;
    for (double sum : sums)
        total += sum;
    PackedDistances genetic(n);
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) {
            const double wi = (sums[i] - total / (2.0 * n - 2.0)) / (n - 2.0);
            const double wj = (sums[j] - total / (2.0 * n - 2.0)) / (n - 2.0);
            genetic.setPair(i, j, 1.0 + 0.4 * x1(i, j) - 0.7 * x2(i, j) + 0.5 * (noise(i, j) - wi - wj));
        }
    const MlpePairs pairs(genetic, {&x1, &x2}, {"x1", "x2"});
    const MlpeFit fit = FitMlpe(pairs, MlpeTerms{true, {0, 1}}, MlpeMethod::MaximumLikelihood);
    ASSERT_EQ(fit.individualVariance, 0.0) << "the data were meant to put the maximum at s_u^2 = 0";

    // Least squares on the standardised predictors by the normal equations (Gauss-Jordan).
    const DenseModel dense = denseModelOf(genetic, {&x1, &x2});
    double a[3][4] = {};
    for (size_t row = 0; row < dense.y.size(); ++row)
        for (int c = 0; c < 3; ++c) {
            for (int d = 0; d < 3; ++d)
                a[c][d] += dense.x[row][c] * dense.x[row][d];
            a[c][3] += dense.x[row][c] * dense.y[row];
        }
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            if (r != c) {
                const double factor = a[r][c] / a[c][c];
                for (int d = 0; d < 4; ++d)
                    a[r][d] -= factor * a[c][d];
            }
    double rss = 0.0;
    for (size_t row = 0; row < dense.y.size(); ++row) {
        double fitted = 0.0;
        for (int c = 0; c < 3; ++c)
            fitted += dense.x[row][c] * a[c][3] / a[c][c];
        rss += (dense.y[row] - fitted) * (dense.y[row] - fitted);
    }
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(fit.coefficients[static_cast<size_t>(c)], a[c][3] / a[c][c], 1e-12) << "coefficient " << c;
    EXPECT_NEAR(fit.residualVariance, rss / static_cast<double>(dense.y.size()), 1e-12);
}

// ---- Terms without an intercept and the likelihood-ratio fits.

TEST(MlpeModel, ModelWithoutInterceptEqualsDenseCovariance)
{
    const PackedDistances genetic = smallGeneticWithMissingPairs();
    const PackedDistances x1 = smallX1();
    const PackedDistances x2 = smallX2();
    const MlpePairs pairs(genetic, {&x1, &x2}, {"x1", "x2"});
    DenseModel dense = denseModelOf(genetic, {&x1, &x2});
    for (std::vector<double>& row : dense.x)
        row.erase(row.begin());
    for (double g : {0.0, 0.5, 20.0})
        EXPECT_NEAR(MlpeProfiledLogLikelihood(pairs, MlpeTerms{false, {0, 1}}, MlpeMethod::MaximumLikelihood, g),
                    denseLogLikelihood(dense, g, false), 1e-9)
            << "g = " << g;
}

// ---- Bad input.

struct BadInput {
    const char* name;
    std::function<void()> fit;
    const char* message;
};

PackedDistances matrixOf(int n, const std::function<double(int, int)>& value)
{
    PackedDistances matrix(n);
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            matrix.setPair(i, j, value(i, j));
    return matrix;
}

void fitWith(const PackedDistances& genetic, const std::vector<PackedDistances>& predictors,
             const std::vector<std::string>& names)
{
    std::vector<const PackedDistances*> pointers;
    std::vector<int> indices;
    for (const PackedDistances& predictor : predictors) {
        indices.push_back(static_cast<int>(pointers.size()));
        pointers.push_back(&predictor);
    }
    const MlpePairs pairs(genetic, pointers, names);
    FitMlpe(pairs, MlpeTerms{true, indices}, MlpeMethod::MaximumLikelihood);
}

TEST(MlpeModel, BadInputStopsWithAMessage)
{
    const PackedDistances x1 = smallX1();
    const PackedDistances x2 = smallX2();
    const PackedDistances genetic = smallGenetic();
    const auto times = [](const PackedDistances& matrix, double factor, double shift) {
        PackedDistances result = matrix;
        for (double& value : result.values())
            value = factor * value + shift;
        return result;
    };
    PackedDistances sum = x1;
    for (size_t pair = 0; pair < sum.values().size(); ++pair)
        sum.values()[pair] += x2.values()[pair];
    const std::vector<double> effects = {0.3, -1.2, 0.8, 2.0, 0.1, -0.4, 1.5, 0.9};
    const BadInput cases[] = {
        {"CollinearPair",
         [&] {
             fitWith(genetic, {x1, times(x1, 2.0, 3.0)}, {"x1", "twice"});
         },
         "The predictors \"x1\" and \"twice\" are exactly collinear"},
        {"LinearCombination",
         [&] {
             fitWith(genetic, {x1, x2, sum}, {"x1", "x2", "sum"});
         },
         "The predictor \"sum\" is an exact linear combination of the predictors \"x1\" and \"x2\""},
        {"ConstantPredictor",
         [&] {
             fitWith(genetic, {x1, times(x1, 0.0, 5.0)}, {"x1", "flat"});
         },
         "The predictor \"flat\" is the same for every pair of observations"},
        {"ConstantGenetic", [&] { fitWith(times(genetic, 0.0, 1.0), {x1}, {"x1"}); },
         "The genetic distance is the same for every pair"},
        {"FewerPairsThanParameters",
         [&] {
             fitWith(matrixOf(4, [](int i, int j) { return i + j * j; }),
                     {matrixOf(4, [](int i, int j) { return i * j; }), matrixOf(4, [](int i, int j) { return j - i; })},
                     {"a", "b"});
         },
         "A mixed model with 5 parameters (the fixed effects and two variances) needs more than 6 pairs of "
         "observations with a genetic distance; there are 6."},
        {"ExactFit",
         [&] {
             fitWith(times(x1, 2.0, 1.0), {x1, x2}, {"x1", "x2"});
         },
         "The predictors fit the genetic distances exactly"},
        {"ObservationEffectsExplainEverything",
         [&] { fitWith(matrixOf(8, [&](int i, int j) { return effects[i] + effects[j]; }), {x1}, {"x1"}); },
         "did not converge"},
        {"DifferentSizes", [&] { fitWith(genetic, {matrixOf(5, [](int i, int j) { return i + j; })}, {"small"}); },
         "The predictor \"small\" has 5 observations, the genetic distances 8"},
    };
    for (const BadInput& c : cases) {
        try {
            c.fit();
            ADD_FAILURE() << c.name << ": no error";
        } catch (const std::exception& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << c.name << ": " << error.what();
        }
    }
}

TEST(MlpeModel, NonConvergenceIsAnAnalysisError)
{
    const std::vector<double> effects = {0.3, -1.2, 0.8, 2.0, 0.1, -0.4, 1.5, 0.9};
    const PackedDistances genetic = matrixOf(8, [&](int i, int j) { return effects[i] + effects[j]; });
    const PackedDistances x1 = smallX1();
    const MlpePairs pairs(genetic, {&x1}, {"x1"});
    EXPECT_THROW(FitMlpe(pairs, MlpeTerms{true, {0}}, MlpeMethod::Restricted), AnalysisError);
}

} // namespace
} // namespace tessaloc
