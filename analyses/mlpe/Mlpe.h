#pragma once

#include "analyses/AnalysisInput.h"
#include "analyses/PredictorMatrices.h"
#include "analyses/mixedmodel/MlpeModel.h"
#include "analyses/mixedmodel/ModelRanking.h"
#include "core/PackedDistances.h"
#include "core/RandomUniform.h"
#include "core/ReportWriter.h"
#include "core/RunListener.h"
#include "resistance/GeoDistances.h"

#include <string>
#include <vector>

namespace tessaloc {

/// The mixed-model regression's own settings.
struct MlpeSettings {
    /// The predictor matrices, in the order of the report's terms: at least one, none twice.
    std::vector<GeoDistanceSettings> predictors{GeoDistanceSettings{}};
};

/// What a run reads: the two files and how to read them, and the analysis's settings.
using MlpeInput = RunInput<MlpeSettings>;

/// One fixed effect of the model as the report lists it.
struct MlpeTerm {
    std::string name;           ///< "Intercept", or the predictor's name
    double estimate = 0.0;      ///< REML estimate (per standard deviation of a predictor)
    double standardError = 0.0; ///< its REML standard error
    double t = 0.0;             ///< estimate over standard error
    double p = 1.0;             ///< P of the ML likelihood-ratio test of dropping the term (chi-squared, 1 df)
};

/// Everything a run produced.
struct MlpeResult {
    std::string coordinatePath;
    std::string genotypePath;
    DataType dataType = DataType::Codominant;
    std::vector<std::string> names;
    int observations = 0;
    long long pairs = 0;        ///< pairs with a genetic distance (the model's data points)
    long long missingPairs = 0; ///< pairs without one, left out
    /// The predictors' names and origins (their distances are not kept).
    std::vector<PredictorMatrix> predictors;
    MlpeFit maximumLikelihood;
    MlpeFit restricted;
    InformationCriteria criteria; ///< of the ML fit, k = fixed effects + 2
    MlpeRSquared rSquared;        ///< of the ML fit
    std::vector<MlpeTerm> terms;  ///< the intercept, then each predictor
    /// Pearson correlation of every two predictors over the pairs, row-major k x k.
    std::vector<double> predictorCorrelations;
};

/// The report's file name.
inline constexpr const char* kMlpeReportFileName = "MLPE-Results.txt";

/// The model on matrices already built: the genetic distances (NaN for a pair without one) on the
/// standardised predictors, fitted by ML (log-likelihood, AIC, AICc, BIC, R2 and the likelihood-ratio
/// test of each term, each against the model without it) and by REML (estimates, standard errors, t
/// and the variances). Throws DataProblem for fewer than three observations, matrices of different
/// sizes, a constant or collinear predictor (named), no more pairs than parameters + 1 and an exact
/// fit; AnalysisError when a fit does not converge.
MlpeResult ComputeMlpe(const PackedDistances& genetic, std::vector<PredictorMatrix> predictors, RunListener& listener);

/// A whole run: reads both files, builds the genetic distances and every predictor matrix, and fits
/// the model. Throws DataProblem for no predictor or one given twice before reading anything.
MlpeResult RunMlpe(const MlpeInput& input, RunListener& listener);

/// The text of "MLPE-Results.txt", lines ending CR LF.
std::string MlpeReport(const MlpeResult& result);
/// The same report written line by line into `report`.
void WriteMlpeReport(ReportWriter& report, const MlpeResult& result);

} // namespace tessaloc
