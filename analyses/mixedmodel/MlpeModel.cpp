#include "analyses/mixedmodel/MlpeModel.h"

#include "core/Errors.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <utility>

namespace tessaloc {
namespace {

// 1 - R2 of a predictor on the predictors before it at or below this is taken for an exact linear
// relation, as in the matrix regression: exact relations leave rounding errors of about 1e-16.
constexpr double kCollinearFraction = 1e-12;

// The scan over theta = sqrt(s_u^2 / s_e^2) that brackets the maximum: 0, then 10^(k/4) for
// k = -20..12 (1e-5 to 1e3, where s_u^2 is a million times s_e^2).
constexpr int kScanLowest = -20;
constexpr int kScanHighest = 12;
constexpr int kSearchIterations = 200;

std::string quotedName(const std::string& name)
{
    return "\"" + name + "\"";
}

// A symmetric positive definite matrix factored in place, row-major n x n: its Cholesky L in the
// lower triangle. False when a pivot is not positive.
bool factorInPlace(std::vector<double>& a, int n)
{
    for (int j = 0; j < n; ++j) {
        double* rowJ = a.data() + static_cast<size_t>(j) * static_cast<size_t>(n);
        double pivot = rowJ[j];
        for (int c = 0; c < j; ++c)
            pivot -= rowJ[c] * rowJ[c];
        if (!(pivot > 0.0))
            return false;
        rowJ[j] = std::sqrt(pivot);
        for (int i = j + 1; i < n; ++i) {
            double* rowI = a.data() + static_cast<size_t>(i) * static_cast<size_t>(n);
            double sum = rowI[j];
            for (int c = 0; c < j; ++c)
                sum -= rowI[c] * rowJ[c];
            rowI[j] = sum / rowJ[j];
        }
    }
    return true;
}

// Solves L L' x = b in place with L from factorInPlace.
void solveInPlace(const std::vector<double>& l, int n, double* b)
{
    for (int i = 0; i < n; ++i) {
        const double* row = l.data() + static_cast<size_t>(i) * static_cast<size_t>(n);
        double sum = b[i];
        for (int c = 0; c < i; ++c)
            sum -= row[c] * b[c];
        b[i] = sum / row[i];
    }
    for (int i = n - 1; i >= 0; --i) {
        double sum = b[i];
        for (int r = i + 1; r < n; ++r)
            sum -= l[static_cast<size_t>(r) * static_cast<size_t>(n) + static_cast<size_t>(i)] * b[r];
        b[i] = sum / l[static_cast<size_t>(i) * static_cast<size_t>(n) + static_cast<size_t>(i)];
    }
}

double factorLogDeterminant(const std::vector<double>& l, int n)
{
    double sum = 0.0;
    for (int i = 0; i < n; ++i)
        sum += std::log(l[static_cast<size_t>(i) * static_cast<size_t>(n) + static_cast<size_t>(i)]);
    return 2.0 * sum;
}

// The columns of the pairs' statistics a model reads: its fixed effects, then its response. Without
// an intercept the response is the genetic distance itself, y - mean y + mean y x 1.
struct ModelColumns {
    ModelColumns(const MlpePairs& pairs, const MlpeTerms& terms)
    {
        if (terms.intercept)
            fixed.push_back(0);
        for (int k : terms.predictors)
            fixed.push_back(k + 1);
        response = pairs.columns() - 1;
        shift = terms.intercept ? 0.0 : pairs.geneticMean();
    }
    std::vector<int> fixed;
    int response = 0;
    double shift = 0.0;
};

// What the profiled likelihood gives at one ratio g.
struct Profile {
    double logLikelihood = 0.0;
    double residualSumOfSquares = 0.0;
    std::vector<double> coefficients;
    /// L of X' H^-1 X, row-major p x p.
    std::vector<double> factor;
};

// Every quadratic form a' H^-1 b = a'b - g (Z'a)' M^-1 (Z'b) over the base columns, with log |M|.
class QuadraticForms {
public:
    QuadraticForms(const MlpePairs& pairs, double ratio, MlpeSolver solver)
        : m_q(pairs.columns())
        , m_forms(static_cast<size_t>(m_q * m_q))
    {
        const int n = pairs.observations();
        const double g = ratio;
        for (int a = 0; a < m_q; ++a)
            for (int b = 0; b < m_q; ++b)
                form(a, b) = pairs.cross(a, b);
        if (g == 0.0)
            return;
        if (pairs.complete() && solver == MlpeSolver::Automatic) {
            // M = c I + g J with c = 1 + g (n - 2): M^-1 = (I - g / (c + n g) J) / c.
            const double c = 1.0 + g * (n - 2);
            const double whole = c + g * n;
            m_logDeterminant = (n - 1) * std::log(c) + std::log(whole);
            std::vector<double> totals(static_cast<size_t>(m_q), 0.0);
            std::vector<double> products(static_cast<size_t>(m_q * m_q), 0.0);
            for (int i = 0; i < n; ++i)
                for (int a = 0; a < m_q; ++a) {
                    const double sa = pairs.observationSum(i, a);
                    totals[static_cast<size_t>(a)] += sa;
                    for (int b = 0; b <= a; ++b)
                        products[static_cast<size_t>(a * m_q + b)] += sa * pairs.observationSum(i, b);
                }
            for (int a = 0; a < m_q; ++a)
                for (int b = 0; b <= a; ++b) {
                    const double inverseForm =
                        (products[static_cast<size_t>(a * m_q + b)] -
                         g / whole * totals[static_cast<size_t>(a)] * totals[static_cast<size_t>(b)]) /
                        c;
                    form(a, b) -= g * inverseForm;
                    form(b, a) = form(a, b);
                }
            return;
        }
        // M = I + g Z'Z, Z'Z with the pairs of each observation on the diagonal and 1 for each pair.
        std::vector<double> m(static_cast<size_t>(n) * static_cast<size_t>(n), 0.0);
        for (int i = 0; i < n; ++i) {
            double* row = m.data() + static_cast<size_t>(i) * static_cast<size_t>(n);
            row[i] = 1.0 + g * pairs.degree(i);
            for (int j = 0; j < i; ++j)
                row[j] = pairs.present(j, i) ? g : 0.0;
        }
        if (!factorInPlace(m, n))
            throw AnalysisError("The mixed model's covariance could not be factored.");
        m_logDeterminant = factorLogDeterminant(m, n);
        std::vector<double> sums(static_cast<size_t>(n));
        std::vector<double> solved(static_cast<size_t>(n));
        for (int a = 0; a < m_q; ++a) {
            for (int i = 0; i < n; ++i)
                sums[static_cast<size_t>(i)] = solved[static_cast<size_t>(i)] = pairs.observationSum(i, a);
            solveInPlace(m, n, solved.data());
            for (int b = 0; b <= a; ++b) {
                double inverseForm = 0.0;
                for (int i = 0; i < n; ++i)
                    inverseForm += pairs.observationSum(i, b) * solved[static_cast<size_t>(i)];
                form(a, b) -= g * inverseForm;
                form(b, a) = form(a, b);
            }
        }
    }

    double operator()(int a, int b) const { return m_forms[static_cast<size_t>(a * m_q + b)]; }
    double logDeterminant() const { return m_logDeterminant; }

private:
    double& form(int a, int b) { return m_forms[static_cast<size_t>(a * m_q + b)]; }

    int m_q;
    std::vector<double> m_forms;
    double m_logDeterminant = 0.0;
};

std::string collinearMessage(const MlpePairs& pairs, const MlpeTerms& terms, size_t position)
{
    const auto name = [&](size_t k) { return quotedName(pairs.predictorName(terms.predictors[k])); };
    for (size_t before = 0; before < position; ++before) {
        const double r = pairs.predictorCorrelation(terms.predictors[before], terms.predictors[position]);
        if (std::abs(r) >= 1.0 - kCollinearFraction)
            return "The predictors " + name(before) + " and " + name(position) +
                   " are exactly collinear: one is a linear function of the other over the pairs of "
                   "observations, so their coefficients are not defined. Leave one of them out.";
    }
    std::string others;
    for (size_t before = 0; before < position; ++before)
        others += (before == 0 ? "" : before + 1 == position ? " and " : ", ") + name(before);
    return "The predictor " + name(position) + " is an exact linear combination of the predictors " + others +
           " over the pairs of observations, so their coefficients are not defined. Leave one of them out.";
}

// Throws DataProblem when a predictor of `terms` is an exact linear function of those before it,
// over the pairs (the standardised predictors' correlations; the intercept is orthogonal to them).
void requireIndependentPredictors(const MlpePairs& pairs, const MlpeTerms& terms)
{
    const int p = static_cast<int>(terms.predictors.size());
    std::vector<double> correlations(static_cast<size_t>(p * p));
    for (int a = 0; a < p; ++a)
        for (int b = 0; b < p; ++b)
            correlations[static_cast<size_t>(a * p + b)] = pairs.predictorCorrelation(
                terms.predictors[static_cast<size_t>(a)], terms.predictors[static_cast<size_t>(b)]);
    // Cholesky row by row: the squared pivot of row a is 1 - R2 of predictor a on those before it.
    std::vector<double> l(static_cast<size_t>(p * p), 0.0);
    for (int a = 0; a < p; ++a) {
        for (int b = 0; b <= a; ++b) {
            double sum = correlations[static_cast<size_t>(a * p + b)];
            for (int c = 0; c < b; ++c)
                sum -= l[static_cast<size_t>(a * p + c)] * l[static_cast<size_t>(b * p + c)];
            if (b < a) {
                l[static_cast<size_t>(a * p + b)] = sum / l[static_cast<size_t>(b * p + b)];
            } else {
                if (!(sum > kCollinearFraction))
                    throw DataProblem(collinearMessage(pairs, terms, static_cast<size_t>(a)));
                l[static_cast<size_t>(a * p + a)] = std::sqrt(sum);
            }
        }
    }
}

void requireEnoughPairs(const MlpePairs& pairs, const MlpeTerms& terms)
{
    const long long parameters = terms.count() + 2;
    if (pairs.pairs() > parameters + 1)
        return;
    throw DataProblem("A mixed model with " + std::to_string(parameters) +
                      " parameters (the fixed effects and two variances) needs more than " +
                      std::to_string(parameters + 1) + " pairs of observations with a genetic distance; there are " +
                      std::to_string(pairs.pairs()) + ".");
}

Profile profileAt(const MlpePairs& pairs, const ModelColumns& columns, MlpeMethod method, double ratio,
                  MlpeSolver solver)
{
    const QuadraticForms forms(pairs, ratio, solver);
    const int p = static_cast<int>(columns.fixed.size());
    const int r = columns.response;
    const double shift = columns.shift;
    // The response's forms: (y_c + shift 1)' H^-1 a.
    const auto responseWith = [&](int a) { return forms(r, a) + shift * forms(0, a); };
    Profile profile;
    profile.factor.resize(static_cast<size_t>(p * p));
    profile.coefficients.resize(static_cast<size_t>(p));
    for (int a = 0; a < p; ++a) {
        for (int b = 0; b < p; ++b)
            profile.factor[static_cast<size_t>(a * p + b)] =
                forms(columns.fixed[static_cast<size_t>(a)], columns.fixed[static_cast<size_t>(b)]);
        profile.coefficients[static_cast<size_t>(a)] = responseWith(columns.fixed[static_cast<size_t>(a)]);
    }
    if (!factorInPlace(profile.factor, p))
        throw AnalysisError("The mixed model's fixed effects could not be estimated: X' V^-1 X is not positive.");
    const double responseSquares = responseWith(r) + shift * responseWith(0);
    double explained = 0.0;
    std::vector<double> right = profile.coefficients;
    solveInPlace(profile.factor, p, profile.coefficients.data());
    for (int a = 0; a < p; ++a)
        explained += right[static_cast<size_t>(a)] * profile.coefficients[static_cast<size_t>(a)];
    profile.residualSumOfSquares = responseSquares - explained;
    const double m = static_cast<double>(pairs.pairs());
    const double degrees = method == MlpeMethod::Restricted ? m - p : m;
    double deviance = degrees * (1.0 + std::log(2.0 * std::numbers::pi * profile.residualSumOfSquares / degrees)) +
                      forms.logDeterminant();
    if (method == MlpeMethod::Restricted)
        deviance += factorLogDeterminant(profile.factor, p);
    profile.logLikelihood = -0.5 * deviance;
    return profile;
}

// Brent's search for the maximum of f on [low, high] (R. P. Brent, Algorithms for Minimization
// without Derivatives, 1973, procedure localmin): golden sections and parabolic steps, stopping
// within sqrt(machine epsilon) relative of the maximum, the limit that the rounding of f allows.
// Returns false when it took more than kSearchIterations steps.
template <typename F>
bool brentMaximum(F&& f, double low, double high, double& best, double& bestValue, int& evaluations)
{
    const double golden = 0.5 * (3.0 - std::sqrt(5.0));
    const double epsilon = std::sqrt(std::numeric_limits<double>::epsilon());
    double a = low;
    double b = high;
    double x = a + golden * (b - a);
    double w = x;
    double v = x;
    double fx = -f(x);
    ++evaluations;
    double fw = fx;
    double fv = fx;
    double d = 0.0;
    double e = 0.0;
    for (int iteration = 0; iteration < kSearchIterations; ++iteration) {
        const double middle = 0.5 * (a + b);
        const double tolerance = epsilon * std::abs(x) + 1e-15;
        const double twice = 2.0 * tolerance;
        if (std::abs(x - middle) <= twice - 0.5 * (b - a)) {
            best = x;
            bestValue = -fx;
            return true;
        }
        bool golden_step = true;
        if (std::abs(e) > tolerance) {
            double r = (x - w) * (fx - fv);
            double q = (x - v) * (fx - fw);
            double p = (x - v) * q - (x - w) * r;
            q = 2.0 * (q - r);
            if (q > 0.0)
                p = -p;
            q = std::abs(q);
            const double previous = e;
            e = d;
            if (std::abs(p) < std::abs(0.5 * q * previous) && p > q * (a - x) && p < q * (b - x)) {
                d = p / q;
                const double u = x + d;
                if (u - a < twice || b - u < twice)
                    d = x < middle ? tolerance : -tolerance;
                golden_step = false;
            }
        }
        if (golden_step) {
            e = (x < middle ? b : a) - x;
            d = golden * e;
        }
        const double u = x + (std::abs(d) >= tolerance ? d : (d > 0.0 ? tolerance : -tolerance));
        const double fu = -f(u);
        ++evaluations;
        if (fu <= fx) {
            (u < x ? b : a) = x;
            v = w;
            fv = fw;
            w = x;
            fw = fx;
            x = u;
            fx = fu;
        } else {
            (u < x ? a : b) = u;
            if (fu <= fw || w == x) {
                v = w;
                fv = fw;
                w = u;
                fw = fu;
            } else if (fu <= fv || v == x || v == w) {
                v = u;
                fv = fu;
            }
        }
    }
    return false;
}

const char* methodName(MlpeMethod method)
{
    return method == MlpeMethod::Restricted ? "restricted maximum likelihood (REML)" : "maximum likelihood (ML)";
}

} // namespace

MlpePairs::MlpePairs(const PackedDistances& genetic, const std::vector<const PackedDistances*>& predictors,
                     std::vector<std::string> names)
    : m_n(genetic.size())
    , m_names(std::move(names))
{
    const int p = static_cast<int>(predictors.size());
    const int q = p + 2;
    for (int k = 0; k < p; ++k)
        if (predictors[static_cast<size_t>(k)]->size() != m_n)
            throw DataProblem("The predictor " + quotedName(m_names[static_cast<size_t>(k)]) + " has " +
                              std::to_string(predictors[static_cast<size_t>(k)]->size()) +
                              " observations, the genetic distances " + std::to_string(m_n) +
                              ": the matrices must be of the same observations.");
    const std::vector<double>& y = genetic.values();
    const size_t all = y.size();
    // First pass: the pairs with a genetic distance, and the means over them.
    std::vector<double> totals(static_cast<size_t>(q), 0.0);
    for (size_t pair = 0; pair < all; ++pair) {
        if (std::isnan(y[pair])) {
            m_complete = false;
            continue;
        }
        ++m_pairs;
        totals[0] += y[pair];
        for (int k = 0; k < p; ++k) {
            const double x = predictors[static_cast<size_t>(k)]->values()[pair];
            if (!std::isfinite(x))
                throw DataProblem("The predictor " + quotedName(m_names[static_cast<size_t>(k)]) +
                                  " is not a finite number for a pair of observations with a genetic distance.");
            totals[static_cast<size_t>(k) + 1] += x;
        }
    }
    if (m_pairs < 3)
        throw DataProblem("A mixed model of pairwise distances needs at least three pairs of observations with a "
                          "genetic distance; there are " +
                          std::to_string(m_pairs) + ".");
    const double m = static_cast<double>(m_pairs);
    m_geneticMean = totals[0] / m;
    for (int k = 0; k < p; ++k)
        m_means.push_back(totals[static_cast<size_t>(k) + 1] / m);
    // Second pass: the deviations' sums of squares.
    std::vector<double> squares(static_cast<size_t>(q), 0.0);
    if (!m_complete)
        m_present.assign(all, false);
    for (size_t pair = 0; pair < all; ++pair) {
        if (std::isnan(y[pair]))
            continue;
        if (!m_complete)
            m_present[pair] = true;
        squares[0] += (y[pair] - m_geneticMean) * (y[pair] - m_geneticMean);
        for (int k = 0; k < p; ++k) {
            const double d = predictors[static_cast<size_t>(k)]->values()[pair] - m_means[static_cast<size_t>(k)];
            squares[static_cast<size_t>(k) + 1] += d * d;
        }
    }
    if (!(squares[0] > 0.0))
        throw DataProblem("The genetic distance is the same for every pair of observations, so there is nothing to "
                          "explain.");
    for (int k = 0; k < p; ++k) {
        const double deviation = std::sqrt(squares[static_cast<size_t>(k) + 1] / (m - 1.0));
        if (!(deviation > 0.0) || deviation <= 1e-13 * std::abs(m_means[static_cast<size_t>(k)]))
            throw DataProblem("The predictor " + quotedName(m_names[static_cast<size_t>(k)]) +
                              " is the same for every pair of observations, so it explains nothing and cannot be "
                              "standardised. Leave it out.");
        m_deviations.push_back(deviation);
    }
    // Third pass: the cross products and each observation's sums, row by row.
    m_cross.assign(static_cast<size_t>(q * q), 0.0);
    m_sums.assign(static_cast<size_t>(m_n) * static_cast<size_t>(q), 0.0);
    std::vector<double> column(static_cast<size_t>(q));
    std::vector<double> rowCross(static_cast<size_t>(q * q));
    std::vector<double> rowSums(static_cast<size_t>(q));
    for (int i = 0; i + 1 < m_n; ++i) {
        std::fill(rowCross.begin(), rowCross.end(), 0.0);
        std::fill(rowSums.begin(), rowSums.end(), 0.0);
        const size_t start = genetic.rowStart(i);
        for (int j = i + 1; j < m_n; ++j) {
            const size_t pair = start + static_cast<size_t>(j - i - 1);
            if (std::isnan(y[pair]))
                continue;
            column[0] = 1.0;
            for (int k = 0; k < p; ++k)
                column[static_cast<size_t>(k) + 1] =
                    (predictors[static_cast<size_t>(k)]->values()[pair] - m_means[static_cast<size_t>(k)]) /
                    m_deviations[static_cast<size_t>(k)];
            column[static_cast<size_t>(q) - 1] = y[pair] - m_geneticMean;
            double* other = m_sums.data() + static_cast<size_t>(j) * static_cast<size_t>(q);
            for (int a = 0; a < q; ++a) {
                rowSums[static_cast<size_t>(a)] += column[static_cast<size_t>(a)];
                other[a] += column[static_cast<size_t>(a)];
                for (int b = 0; b <= a; ++b)
                    rowCross[static_cast<size_t>(a * q + b)] +=
                        column[static_cast<size_t>(a)] * column[static_cast<size_t>(b)];
            }
        }
        double* own = m_sums.data() + static_cast<size_t>(i) * static_cast<size_t>(q);
        for (int a = 0; a < q; ++a) {
            own[a] += rowSums[static_cast<size_t>(a)];
            for (int b = 0; b <= a; ++b)
                m_cross[static_cast<size_t>(a * q + b)] += rowCross[static_cast<size_t>(a * q + b)];
        }
    }
    for (int a = 0; a < q; ++a)
        for (int b = 0; b < a; ++b)
            m_cross[static_cast<size_t>(b * q + a)] = m_cross[static_cast<size_t>(a * q + b)];
}

double MlpePairs::predictorCorrelation(int a, int b) const
{
    return cross(a + 1, b + 1) / (static_cast<double>(m_pairs) - 1.0);
}

bool MlpePairs::present(int i, int j) const
{
    if (m_complete)
        return true;
    if (i > j)
        std::swap(i, j);
    return m_present[static_cast<size_t>(i) * static_cast<size_t>(2 * m_n - i - 1) / 2 +
                     static_cast<size_t>(j - i - 1)];
}

double MlpeProfiledLogLikelihood(const MlpePairs& pairs, const MlpeTerms& terms, MlpeMethod method, double ratio,
                                 MlpeSolver solver)
{
    requireIndependentPredictors(pairs, terms);
    return profileAt(pairs, ModelColumns(pairs, terms), method, ratio, solver).logLikelihood;
}

MlpeFit FitMlpe(const MlpePairs& pairs, const MlpeTerms& terms, MlpeMethod method, MlpeSolver solver)
{
    requireIndependentPredictors(pairs, terms);
    requireEnoughPairs(pairs, terms);
    const ModelColumns columns(pairs, terms);
    MlpeFit fit;
    fit.method = method;
    fit.terms = terms;
    const Profile atZero = profileAt(pairs, columns, method, 0.0, solver);
    const double responseSquares =
        profileAt(pairs, ModelColumns(pairs, MlpeTerms{true, {}}), method, 0.0, solver).residualSumOfSquares;
    if (!(atZero.residualSumOfSquares > kCollinearFraction * responseSquares))
        throw DataProblem("The predictors fit the genetic distances exactly: no residual variation is left, so the "
                          "mixed model is not defined.");
    const auto logLikelihood = [&](double theta) {
        const double value = profileAt(pairs, columns, method, theta * theta, solver).logLikelihood;
        if (!std::isfinite(value))
            throw AnalysisError(std::string("The mixed model's likelihood is not a finite number; the fit by ") +
                                methodName(method) + " did not converge.");
        return value;
    };
    // The scan: 0, then 10^(k/4).
    std::vector<double> thetas{0.0};
    for (int k = kScanLowest; k <= kScanHighest; ++k)
        thetas.push_back(std::pow(10.0, k / 4.0));
    std::vector<double> values;
    values.push_back(atZero.logLikelihood);
    for (size_t k = 1; k < thetas.size(); ++k)
        values.push_back(logLikelihood(thetas[k]));
    fit.evaluations = static_cast<int>(thetas.size());
    const size_t top = static_cast<size_t>(std::max_element(values.begin(), values.end()) - values.begin());
    if (top + 1 == thetas.size())
        throw AnalysisError(std::string("The fit by ") + methodName(method) +
                            " did not converge: the likelihood still grows where the observations' effects have a "
                            "million times the residual variance, so the observations' effects leave almost no "
                            "residual variation. Check the genetic distances.");
    double theta = thetas[top];
    double best = values[top];
    double found = 0.0;
    double foundValue = 0.0;
    if (!brentMaximum(logLikelihood, thetas[top == 0 ? 0 : top - 1], thetas[top + 1], found, foundValue,
                      fit.evaluations))
        throw AnalysisError(std::string("The fit by ") + methodName(method) + " did not converge within " +
                            std::to_string(kSearchIterations) + " steps of the search.");
    if (foundValue > best) {
        theta = found;
        best = foundValue;
    }
    const double ratio = theta * theta;
    const Profile profile = profileAt(pairs, columns, method, ratio, solver);
    const int p = static_cast<int>(columns.fixed.size());
    const double m = static_cast<double>(pairs.pairs());
    fit.logLikelihood = profile.logLikelihood;
    fit.residualVariance = profile.residualSumOfSquares / (method == MlpeMethod::Restricted ? m - p : m);
    fit.individualVariance = ratio * fit.residualVariance;
    fit.coefficients = profile.coefficients;
    if (terms.intercept)
        fit.coefficients[0] += pairs.geneticMean();
    // The diagonal of (X' H^-1 X)^-1 column by column.
    std::vector<double> unit(static_cast<size_t>(p));
    for (int a = 0; a < p; ++a) {
        std::fill(unit.begin(), unit.end(), 0.0);
        unit[static_cast<size_t>(a)] = 1.0;
        solveInPlace(profile.factor, p, unit.data());
        fit.standardErrors.push_back(std::sqrt(fit.residualVariance * unit[static_cast<size_t>(a)]));
    }
    return fit;
}

MlpeRSquared MlpeCoefficientOfDetermination(const MlpePairs& pairs, const MlpeFit& fit)
{
    const size_t first = fit.terms.intercept ? 1 : 0;
    double fixedVariance = 0.0;
    for (size_t a = 0; a < fit.terms.predictors.size(); ++a)
        for (size_t b = 0; b < fit.terms.predictors.size(); ++b)
            fixedVariance += fit.coefficients[first + a] * fit.coefficients[first + b] *
                             pairs.predictorCorrelation(fit.terms.predictors[a], fit.terms.predictors[b]);
    const double total = fixedVariance + fit.individualVariance + fit.residualVariance;
    return {fixedVariance / total, (fixedVariance + fit.individualVariance) / total};
}

} // namespace tessaloc
