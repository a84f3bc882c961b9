#pragma once

#include "core/PackedDistances.h"

#include <string>
#include <vector>

namespace tessaloc {

// The linear mixed model of pairwise distances with maximum-likelihood population effects (MLPE;
// Clarke et al. 2002): for every pair (i, j) with a genetic distance,
//
//     y_ij = b0 + sum_k b_k z_k,ij + u_i + u_j + e_ij,   u ~ N(0, s_u^2) per observation, e ~ N(0, s_e^2),
//
// that is y ~ N(Xb, s_e^2 I + s_u^2 Z Z') with Z the pair-by-observation incidence. With the ratio
// g = s_u^2 / s_e^2 and H = I + g Z Z', the coefficients and s_e^2 have closed forms for every g, so a
// fit maximises the likelihood profiled over them, a function of g alone (as lme4 does, over
// theta = sqrt(g) >= 0). Woodbury's identity turns every quadratic form in H^-1 into one in the n x n
// matrix M = I + g Z'Z: with every pair present Z'Z = (n - 2) I + J, whose inverse and determinant
// have closed forms; with pairs missing M is factored (Cholesky) at each g.

/// How a model is fitted: maximum likelihood (to compare models) or restricted maximum likelihood (for
/// the estimates and their standard errors).
enum class MlpeMethod { MaximumLikelihood, Restricted };

/// How the quadratic forms in M^-1 are evaluated: by the closed form when every pair is present
/// (Automatic), or by factoring M whatever the pairs (General; the tests compare the two).
enum class MlpeSolver { Automatic, General };

/// Everything a fit reads from the pairs, computed once for any number of models: over the pairs
/// with a genetic distance, every predictor standardised (mean 0, standard deviation with m - 1), the
/// cross products of the columns (1, z_1, ..., z_p, y - mean y) and, for each observation, the sums of
/// each column over its pairs (Z' times the column).
class MlpePairs {
public:
    /// `genetic` holds NaN for a pair without a genetic distance; `predictors` (the same size, finite
    /// on every pair with a genetic distance) are named by `names` in the messages. Throws DataProblem
    /// for matrices of different sizes, fewer than three pairs, genetic distances that are the same for
    /// every pair, and a predictor that is (message naming it).
    MlpePairs(const PackedDistances& genetic, const std::vector<const PackedDistances*>& predictors,
              std::vector<std::string> names);

    int observations() const { return m_n; }
    /// m, the pairs with a genetic distance.
    long long pairs() const { return m_pairs; }
    int predictorCount() const { return static_cast<int>(m_names.size()); }
    const std::string& predictorName(int k) const { return m_names[static_cast<size_t>(k)]; }
    /// True when every pair has a genetic distance.
    bool complete() const { return m_complete; }
    double geneticMean() const { return m_geneticMean; }
    /// Mean and standard deviation (m - 1) of predictor k over the pairs, by which it was standardised.
    double predictorMean(int k) const { return m_means[static_cast<size_t>(k)]; }
    double predictorDeviation(int k) const { return m_deviations[static_cast<size_t>(k)]; }
    /// Pearson correlation of predictors a and b over the pairs.
    double predictorCorrelation(int a, int b) const;

    // The statistics of column c: 0 the intercept's ones, 1..p the standardised predictors, p + 1 the
    // centred genetic distances.
    int columns() const { return predictorCount() + 2; }
    double cross(int a, int b) const { return m_cross[static_cast<size_t>(a * columns() + b)]; }
    /// The sum of column c over the pairs of observation i.
    double observationSum(int i, int c) const { return m_sums[static_cast<size_t>(i * columns() + c)]; }
    /// Pairs of observation i that have a genetic distance.
    int degree(int i) const { return static_cast<int>(observationSum(i, 0)); }
    /// 1 when pair (i, j) has a genetic distance, 0 otherwise (read only when not complete()).
    bool present(int i, int j) const;

private:
    int m_n = 0;
    long long m_pairs = 0;
    bool m_complete = true;
    double m_geneticMean = 0.0;
    std::vector<std::string> m_names;
    std::vector<double> m_means;
    std::vector<double> m_deviations;
    std::vector<double> m_cross;
    std::vector<double> m_sums;
    /// The pairs with a genetic distance, when some lack one (empty otherwise).
    std::vector<bool> m_present;
};

/// The fixed effects of one model: the intercept or not, and which predictors of the MlpePairs (by
/// their index), in the order of the coefficients.
struct MlpeTerms {
    bool intercept = true;
    std::vector<int> predictors;

    int count() const { return (intercept ? 1 : 0) + static_cast<int>(predictors.size()); }
};

/// A model fitted by one method.
struct MlpeFit {
    MlpeMethod method = MlpeMethod::MaximumLikelihood;
    MlpeTerms terms;
    /// The intercept (when fitted) in the genetic distances' units, then one coefficient per
    /// standardised predictor.
    std::vector<double> coefficients;
    /// Their standard errors: sqrt of the diagonal of s_e^2 (X' H^-1 X)^-1.
    std::vector<double> standardErrors;
    /// The maximised log-likelihood (ML) or restricted log-likelihood (REML), with the constants lme4
    /// includes.
    double logLikelihood = 0.0;
    double residualVariance = 0.0;   ///< s_e^2
    double individualVariance = 0.0; ///< s_u^2
    /// Evaluations of the profiled likelihood the search took.
    int evaluations = 0;

    /// Parameters: the fixed effects and the two variances.
    int parameters() const { return terms.count() + 2; }
};

/// The profiled log-likelihood (ML) or restricted log-likelihood (REML) of the model `terms` at the
/// variance ratio g = s_u^2 / s_e^2 >= 0. Throws DataProblem when the predictors of `terms` are
/// collinear (the message names them) or fit the genetic distances exactly.
double MlpeProfiledLogLikelihood(const MlpePairs& pairs, const MlpeTerms& terms, MlpeMethod method, double ratio,
                                 MlpeSolver solver = MlpeSolver::Automatic);

/// Fits the model `terms` by `method`, maximising the profiled likelihood over theta = sqrt(g) >= 0 to
/// full convergence: a scan over theta from 1e-5 to 1e3 (and 0), then Brent's search between the
/// neighbours of the best point until theta is known to sqrt(machine epsilon) relative, as closely as
/// the rounding of the likelihood at its flat top allows. Throws DataProblem for collinear predictors
/// (naming them), no more pairs than parameters + 1 and predictors that fit the genetic distances
/// exactly, and AnalysisError when the search does not converge (the maximum beyond the scan: the
/// observation effects leave no residual variation).
MlpeFit FitMlpe(const MlpePairs& pairs, const MlpeTerms& terms, MlpeMethod method,
                MlpeSolver solver = MlpeSolver::Automatic);

/// The coefficient of determination of Nakagawa and Schielzeth (2013) of a fit, as computed for the
/// equivalent lme4 model (one random intercept of variance s_u^2): with s_f^2 the variance (m - 1) of
/// the fitted fixed part over the pairs, marginal = s_f^2 / (s_f^2 + s_u^2 + s_e^2) and conditional
/// = (s_f^2 + s_u^2) / (the same).
struct MlpeRSquared {
    double marginal = 0.0;
    double conditional = 0.0;
};
MlpeRSquared MlpeCoefficientOfDetermination(const MlpePairs& pairs, const MlpeFit& fit);

} // namespace tessaloc
