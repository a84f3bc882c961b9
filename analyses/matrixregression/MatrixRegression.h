#pragma once

#include "analyses/AnalysisInput.h"
#include "analyses/PredictorMatrices.h"
#include "core/PackedDistances.h"
#include "core/Permutations.h"
#include "core/RandomUniform.h"
#include "core/ReportWriter.h"
#include "core/RunListener.h"
#include "core/SampleTable.h"
#include "resistance/GeoDistances.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaloc {

/// The multiple matrix regression's own settings.
struct MatrixRegressionSettings {
    /// The permutation test of every coefficient and of F: 0 replicates run none (every P is then 1),
    /// a negative count is an error.
    PermutationSettings permutations;
    /// The predictor matrices, in the order of the report's terms: at least one.
    std::vector<GeoDistanceSettings> predictors{GeoDistanceSettings{}};
    /// Replace the pairs of every matrix (genetic and predictors) by their ranks before the fit.
    bool rank = false;
    /// Report standardised coefficients (beta weights): each slope times the standard deviation of its
    /// predictor's pairs over that of the genetic distances; the intercept is then 0. t, P, R2 and F
    /// do not change.
    bool standardise = false;
};

/// What a run reads: the two files and how to read them, and the analysis's settings.
using MatrixRegressionInput = RunInput<MatrixRegressionSettings>;

/// One term of the fitted model: the intercept or a predictor.
struct RegressionTerm {
    std::string name;      ///< "Intercept", or the predictor's name
    double estimate = 0.0; ///< the coefficient as reported (a beta weight when standardised)
    double t = 0.0;        ///< estimate over its standard error
    long long atLeast = 0; ///< replicates with |t'| >= |t|
    double p = 1.0;        ///< (atLeast + 1) / (permutations + 1)
};

/// Everything a run produced: the fit and its permutation test for the report, the matrices as
/// fitted for the results window.
struct MatrixRegressionResult {
    std::string coordinatePath;
    std::string genotypePath;
    DataType dataType = DataType::Codominant;
    std::vector<std::string> names;
    /// Genetic distances as fitted (ranks with `rank`).
    PackedDistances genetic;
    /// The predictor matrices as fitted (ranks with `rank`), with their names and origins.
    std::vector<PredictorMatrix> predictors;
    /// The intercept, then one term per predictor in order.
    std::vector<RegressionTerm> terms;
    /// The least-squares coefficients in the units of the matrices (intercept first), whatever
    /// `standardise`: the fitted distance of a pair is intercept + sum of slope x predictor.
    std::vector<double> coefficients;
    double rSquared = 0.0;
    double f = 0.0;                ///< (SSR / k) / (SSE / (pairs - k - 1))
    long long fAtLeast = 0;        ///< replicates with F' >= F
    double pF = 1.0;               ///< (fAtLeast + 1) / (permutations + 1)
    long long residualDegrees = 0; ///< pairs - k - 1
    /// Pearson correlation of every two predictors over the pairs, row-major k x k (1 on the diagonal).
    std::vector<double> predictorCorrelations;
    long long permutations = 0; ///< replicates run (for complete enumeration N! - 1)
    PermutationRecord permutationScheme;
    bool rank = false;
    bool standardise = false;
    /// The states the random generator started from, when the run drew from it (seedDrawnFrom: not
    /// for complete enumeration or no replicates).
    std::optional<RandomSeed> seed;

    int sampleCount() const { return genetic.size(); }
    int predictorCount() const { return static_cast<int>(predictors.size()); }
    double predictorCorrelation(int a, int b) const
    {
        return predictorCorrelations[static_cast<size_t>(a) * predictors.size() + static_cast<size_t>(b)];
    }
};

/// The report's file name.
inline constexpr const char* kMatrixRegressionReportFileName = "MMRR-Results.txt";

/// The regression on matrices already built: the genetic distances of the pairs i < j regressed by
/// least squares on the k >= 1 predictor matrices with an intercept, and the permutation test that
/// rearranges the genetic matrix (rows and columns together) by the settings' scheme through the
/// PermutationRunner, the observed arrangement counted as one more replicate. `predictors` names are
/// used as the term names; `settings.predictors` is not read.
///
/// Throws DataProblem for fewer than three observations, matrices of different sizes, a matrix whose
/// pairs are all the same (all tied under `rank`), two predictors that are exactly collinear (or one
/// that is an exact linear combination of others; the message names them), no more pairs than terms,
/// and genetic distances that the predictors fit exactly. Reports "Replicate: " progress every 10
/// replicates and stops with RunCancelled when asked. Names and paths of the result are left empty.
MatrixRegressionResult ComputeMatrixRegression(PackedDistances genetic, std::vector<PredictorMatrix> predictors,
                                               const MatrixRegressionSettings& settings, RandomUniform& random,
                                               RunListener& listener);

/// A whole run: reads both files, builds the genetic distances and every predictor matrix, and runs
/// the regression. Throws AnalysisError for a negative permutation count and DataProblem for no
/// predictor before reading anything.
MatrixRegressionResult RunMatrixRegression(const MatrixRegressionInput& input, RandomUniform& random,
                                           RunListener& listener);

/// The fitted distance of every pair: intercept + sum of slope x predictor, on the matrices as fitted.
PackedDistances FittedDistances(const MatrixRegressionResult& result);

/// The text of "MMRR-Results.txt", lines ending CR LF.
std::string MatrixRegressionReport(const MatrixRegressionResult& result);
/// The same report written line by line into `report`.
void WriteMatrixRegressionReport(ReportWriter& report, const MatrixRegressionResult& result);

} // namespace tessaloc
