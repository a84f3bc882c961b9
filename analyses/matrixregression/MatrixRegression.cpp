#include "analyses/matrixregression/MatrixRegression.h"

#include "core/DistanceRanks.h"
#include "core/Errors.h"
#include "core/MatrixSums.h"
#include "core/PermutedCrossProducts.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace tessaloc {
namespace {

// 1 - R2 of a predictor on the predictors before it at or below this is taken for an exact linear
// relation: exactly collinear predictors leave rounding errors of about 1e-16 there.
constexpr double kCollinearFraction = 1e-12;

std::string quotedName(const std::string& name)
{
    return "\"" + name + "\"";
}

// The statistics of one arrangement of the genetic matrix.
struct Fit {
    std::vector<double> slopes;
    double intercept = 0.0;
    /// The intercept's t, then each slope's.
    std::vector<double> t;
    double regressionSumOfSquares = 0.0;
    double residualSumOfSquares = 0.0;
    double f = 0.0;
};

// The part of the least-squares fit that no rearrangement of the genetic matrix changes. With the
// predictors' pairs centred (Xc) and the genetic pairs centred (yc), the slopes solve
// (Xc'Xc) b = Xc'yc, the regression sum of squares is b'Xc'yc, and the total sum of squares and the
// means stay the same under every rearrangement: a replicate needs only its k cross products Xc'yc.
class RegressionDesign {
public:
    RegressionDesign(const std::vector<PairDeviations>& predictors, const std::vector<PredictorMatrix>& matrices,
                     const PairDeviations& genetic, bool standardise)
        : m_k(static_cast<int>(predictors.size()))
        , m_pairs(static_cast<double>(genetic.deviations.values().size()))
        , m_totalSumOfSquares(genetic.sumOfSquares)
        , m_geneticMean(genetic.mean)
        , m_standardise(standardise)
        , m_cross(static_cast<size_t>(m_k * m_k))
        , m_factor(static_cast<size_t>(m_k * m_k))
        , m_inverse(static_cast<size_t>(m_k * m_k))
    {
        for (int a = 0; a < m_k; ++a) {
            m_means.push_back(predictors[static_cast<size_t>(a)].mean);
            for (int b = 0; b <= a; ++b) {
                const double sum = a == b ? predictors[static_cast<size_t>(a)].sumOfSquares
                                          : CrossProductSum(predictors[static_cast<size_t>(a)].deviations,
                                                            predictors[static_cast<size_t>(b)].deviations);
                cross(a, b) = sum;
                cross(b, a) = sum;
            }
        }
        factorize(matrices);
        invert();
        m_interceptVariance = 1.0 / m_pairs;
        for (int a = 0; a < m_k; ++a)
            for (int b = 0; b < m_k; ++b)
                m_interceptVariance +=
                    m_means[static_cast<size_t>(a)] * inverse(a, b) * m_means[static_cast<size_t>(b)];
    }

    int predictors() const { return m_k; }
    double crossProduct(int a, int b) const { return m_cross[static_cast<size_t>(a * m_k + b)]; }
    double totalSumOfSquares() const { return m_totalSumOfSquares; }

    // The fit of the arrangement whose cross products Xc'yc are `sums`, into `fit` (sized here once).
    void fit(const double* sums, double residualDegrees, Fit& fit) const
    {
        const size_t k = static_cast<size_t>(m_k);
        fit.slopes.resize(k);
        fit.t.resize(k + 1);
        solve(sums, fit.slopes.data());
        double regression = 0.0;
        double intercept = m_geneticMean;
        for (size_t a = 0; a < k; ++a) {
            regression += fit.slopes[a] * sums[a];
            intercept -= fit.slopes[a] * m_means[a];
        }
        fit.intercept = intercept;
        fit.regressionSumOfSquares = regression;
        fit.residualSumOfSquares = std::max(m_totalSumOfSquares - regression, 0.0);
        const double residualVariance = fit.residualSumOfSquares / residualDegrees;
        // A standardised model has no intercept: it is 0 in every arrangement.
        fit.t[0] = m_standardise ? 0.0 : intercept / std::sqrt(residualVariance * m_interceptVariance);
        for (int a = 0; a < m_k; ++a)
            fit.t[static_cast<size_t>(a) + 1] =
                fit.slopes[static_cast<size_t>(a)] / std::sqrt(residualVariance * inverse(a, a));
        fit.f = (regression / m_k) / residualVariance;
    }

private:
    double& cross(int a, int b) { return m_cross[static_cast<size_t>(a * m_k + b)]; }
    double& factor(int a, int b) { return m_factor[static_cast<size_t>(a * m_k + b)]; }
    double factor(int a, int b) const { return m_factor[static_cast<size_t>(a * m_k + b)]; }
    double inverse(int a, int b) const { return m_inverse[static_cast<size_t>(a * m_k + b)]; }

    // Cholesky's L of Xc'Xc, row by row; a predictor that the ones before it explain (up to
    // rounding) stops the run with a message that names it and them.
    void factorize(const std::vector<PredictorMatrix>& matrices)
    {
        for (int a = 0; a < m_k; ++a) {
            for (int b = 0; b <= a; ++b) {
                double sum = crossProduct(a, b);
                for (int c = 0; c < b; ++c)
                    sum -= factor(a, c) * factor(b, c);
                if (b < a) {
                    factor(a, b) = sum / factor(b, b);
                    continue;
                }
                if (!(sum > kCollinearFraction * crossProduct(a, a)))
                    throw DataProblem(collinearMessage(a, matrices));
                factor(a, a) = std::sqrt(sum);
            }
        }
    }

    std::string collinearMessage(int a, const std::vector<PredictorMatrix>& matrices) const
    {
        const auto name = [&](int m) { return quotedName(matrices[static_cast<size_t>(m)].name); };
        for (int b = 0; b < a; ++b) {
            const double r = crossProduct(a, b) / std::sqrt(crossProduct(a, a) * crossProduct(b, b));
            if (std::abs(r) >= 1.0 - kCollinearFraction)
                return "The predictors " + name(b) + " and " + name(a) +
                       " are exactly collinear: one is a linear function of the other over the pairs of "
                       "observations, so their coefficients are not defined. Leave one of them out.";
        }
        std::string others;
        for (int b = 0; b < a; ++b)
            others += (b == 0 ? "" : b + 1 == a ? " and " : ", ") + name(b);
        return "The predictor " + name(a) + " is an exact linear combination of the predictors " + others +
               " over the pairs of observations, so their coefficients are not defined. Leave one of them out.";
    }

    // Solves (Xc'Xc) x = right through L: L z = right, then L' x = z, in `solution` (k values, not
    // `right`).
    void solve(const double* right, double* solution) const
    {
        for (int a = 0; a < m_k; ++a) {
            double z = right[a];
            for (int b = 0; b < a; ++b)
                z -= factor(a, b) * solution[b];
            solution[a] = z / factor(a, a);
        }
        for (int a = m_k - 1; a >= 0; --a) {
            double x = solution[a];
            for (int c = a + 1; c < m_k; ++c)
                x -= factor(c, a) * solution[c];
            solution[a] = x / factor(a, a);
        }
    }

    // (Xc'Xc)^-1, column by column.
    void invert()
    {
        std::vector<double> unit(static_cast<size_t>(m_k));
        std::vector<double> column(static_cast<size_t>(m_k));
        for (int e = 0; e < m_k; ++e) {
            std::fill(unit.begin(), unit.end(), 0.0);
            unit[static_cast<size_t>(e)] = 1.0;
            solve(unit.data(), column.data());
            for (int a = 0; a < m_k; ++a)
                m_inverse[static_cast<size_t>(a * m_k + e)] = column[static_cast<size_t>(a)];
        }
    }

    int m_k;
    double m_pairs;
    double m_totalSumOfSquares;
    double m_geneticMean;
    bool m_standardise;
    std::vector<double> m_means;
    std::vector<double> m_cross;
    std::vector<double> m_factor;
    std::vector<double> m_inverse;
    double m_interceptVariance = 0.0;
};

void requireSameSize(const PackedDistances& genetic, const PredictorMatrix& predictor)
{
    if (predictor.distances.size() != genetic.size())
        throw DataProblem("The predictor " + quotedName(predictor.name) + " has " +
                          std::to_string(predictor.distances.size()) + " observations, the genetic distances " +
                          std::to_string(genetic.size()) + ": the matrices must be of the same observations.");
}

void requireMorePairsThanTerms(int observations, int predictors)
{
    const long long pairs = static_cast<long long>(observations) * (observations - 1) / 2;
    if (pairs > predictors + 1)
        return;
    throw DataProblem("A regression on " + std::to_string(predictors) + " predictor" + (predictors == 1 ? "" : "s") +
                      " needs more than " + std::to_string(predictors + 1) + " pairs of observations; the " +
                      std::to_string(observations) + " observations give " + std::to_string(pairs) + ".");
}

} // namespace

MatrixRegressionResult ComputeMatrixRegression(PackedDistances genetic, std::vector<PredictorMatrix> predictors,
                                               const MatrixRegressionSettings& settings, RandomUniform& random,
                                               RunListener& listener)
{
    requirePermutationCount(settings.permutations);
    if (predictors.empty())
        throw DataProblem("The regression needs at least one predictor matrix.");
    requireThreeObservations(genetic.size());
    for (const PredictorMatrix& predictor : predictors)
        requireSameSize(genetic, predictor);
    requireMorePairsThanTerms(genetic.size(), static_cast<int>(predictors.size()));
    // The observed arrangement counts as one more replicate, so complete enumeration runs the others.
    PermutationRunner runner(genetic.size(), settings.permutations, ObservedArrangement::AddedToCounts);

    if (settings.rank) {
        RankDistanceTransform(genetic, "the genetic distances");
        for (PredictorMatrix& predictor : predictors)
            RankDistanceTransform(predictor.distances, "the predictor " + quotedName(predictor.name));
    }
    std::vector<PairDeviations> centred;
    for (const PredictorMatrix& predictor : predictors) {
        centred.push_back(CenterPairs(predictor.distances));
        requireVaryingPairs(centred.back().sumOfSquares, "The predictor " + quotedName(predictor.name));
    }
    const PairDeviations geneticCentred = CenterPairs(genetic);
    requireVaryingPairs(geneticCentred.sumOfSquares, "The genetic distance");
    const RegressionDesign design(centred, predictors, geneticCentred, settings.standardise);

    const int k = design.predictors();
    MatrixRegressionResult result;
    result.rank = settings.rank;
    result.standardise = settings.standardise;
    const RandomUniform start = random;
    result.residualDegrees = static_cast<long long>(geneticCentred.deviations.values().size()) - k - 1;
    const double residualDegrees = static_cast<double>(result.residualDegrees);

    std::vector<const PackedDistances*> fixed;
    for (const PairDeviations& predictor : centred)
        fixed.push_back(&predictor.deviations);
    PermutedCrossProducts crossProducts(geneticCentred.deviations, fixed, runner.batchCapacity());

    // The observed fit by the same pass and arithmetic as every replicate, so that an arrangement
    // equivalent to the observed one ties with it exactly.
    std::vector<std::int32_t> identity(static_cast<size_t>(genetic.size()));
    std::iota(identity.begin(), identity.end(), 0);
    Fit observed;
    design.fit(crossProducts.sumsOf(identity).data(), residualDegrees, observed);
    if (observed.residualSumOfSquares <= kCollinearFraction * design.totalSumOfSquares())
        throw DataProblem("The predictors fit the genetic distances exactly: no residual variation is left, so no t "
                          "value, F or permutation test is defined.");

    std::vector<TailCounts> tails(static_cast<size_t>(k) + 2);
    result.permutations = runner.replicates();
    result.permutationScheme = runner.record();
    if (result.permutations > 0) {
        Fit replicate;
        runner.run(
            random, listener, "Replicate: ",
            [&](const std::int32_t* const* permutations, int count, int firstSlot) {
                crossProducts.evaluate(permutations, count, firstSlot);
            },
            [&](int, int slot) {
                design.fit(crossProducts.sums(slot), residualDegrees, replicate);
                for (size_t term = 0; term <= static_cast<size_t>(k); ++term)
                    tails[term].add(std::abs(replicate.t[term]), std::abs(observed.t[term]));
                tails.back().add(replicate.f, observed.f);
            },
            [&](ProcessGroup& group) { shareTailCounts(group, tails); });
    }
    result.seed = seedDrawnFrom(start, random);

    const auto probability = [&](long long atLeast) {
        return TailProbability(atLeast, result.permutations, ObservedArrangement::AddedToCounts);
    };
    // The coefficients in the matrices' own units: the fit saw every matrix in units of 2^exponent.
    result.coefficients.push_back(std::ldexp(observed.intercept, geneticCentred.exponent));
    for (int a = 0; a < k; ++a)
        result.coefficients.push_back(std::ldexp(observed.slopes[static_cast<size_t>(a)],
                                                 geneticCentred.exponent - centred[static_cast<size_t>(a)].exponent));
    for (int term = 0; term <= k; ++term) {
        RegressionTerm entry;
        entry.name = term == 0 ? "Intercept" : predictors[static_cast<size_t>(term) - 1].name;
        entry.estimate = result.coefficients[static_cast<size_t>(term)];
        if (settings.standardise)
            entry.estimate = term == 0
                                 ? 0.0
                                 : observed.slopes[static_cast<size_t>(term) - 1] *
                                       std::sqrt(design.crossProduct(term - 1, term - 1) / design.totalSumOfSquares());
        entry.t = observed.t[static_cast<size_t>(term)];
        entry.atLeast = tails[static_cast<size_t>(term)].atLeast;
        entry.p = probability(entry.atLeast);
        result.terms.push_back(entry);
    }
    result.rSquared = observed.regressionSumOfSquares / design.totalSumOfSquares();
    result.f = observed.f;
    result.fAtLeast = tails.back().atLeast;
    result.pF = probability(result.fAtLeast);
    for (int a = 0; a < k; ++a)
        for (int b = 0; b < k; ++b)
            result.predictorCorrelations.push_back(
                a == b ? 1.0
                       : design.crossProduct(a, b) / std::sqrt(design.crossProduct(a, a) * design.crossProduct(b, b)));
    result.genetic = std::move(genetic);
    result.predictors = std::move(predictors);
    return result;
}

MatrixRegressionResult RunMatrixRegression(const MatrixRegressionInput& input, RandomUniform& random,
                                           RunListener& listener)
{
    requirePermutationCount(input.settings.permutations);
    const std::vector<GeoDistanceSettings>& choices = input.settings.predictors;
    if (choices.empty())
        throw DataProblem("The regression needs at least one predictor matrix.");
    for (size_t k = 0; k < choices.size(); ++k)
        requireFileNamed(choices[k], "predictor " + std::to_string(k + 1));
    PredictorData data = ReadPredictorData(input, choices, listener);

    MatrixRegressionResult result =
        ComputeMatrixRegression(std::move(data.genetic), std::move(data.predictors), input.settings, random, listener);
    result.coordinatePath = input.coordinatePath;
    result.genotypePath = input.genotypePath;
    result.dataType = input.dataType;
    result.names = std::move(data.table.names);
    return result;
}

PackedDistances FittedDistances(const MatrixRegressionResult& result)
{
    PackedDistances fitted(result.sampleCount());
    std::vector<double>& values = fitted.values();
    for (size_t pair = 0; pair < values.size(); ++pair) {
        double value = result.coefficients[0];
        for (size_t m = 0; m < result.predictors.size(); ++m)
            value += result.coefficients[m + 1] * result.predictors[m].distances.values()[pair];
        values[pair] = value;
    }
    return fitted;
}

} // namespace tessaloc
