#include "analyses/mlpe/Mlpe.h"

#include "core/Errors.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace tessaloc {
namespace {

// P of a likelihood-ratio statistic on one degree of freedom: the upper tail of chi-squared(1),
// erfc(sqrt(x / 2)).
double chiSquaredOneTail(double statistic)
{
    return std::erfc(std::sqrt(std::max(statistic, 0.0) / 2.0));
}

} // namespace

MlpeResult ComputeMlpe(const PackedDistances& genetic, std::vector<PredictorMatrix> predictors, RunListener& listener)
{
    if (predictors.empty())
        throw DataProblem("The regression needs at least one predictor matrix.");
    requireThreeObservations(genetic.size());
    listener.status("Fitting the mixed model");
    std::vector<const PackedDistances*> matrices;
    std::vector<std::string> names;
    for (const PredictorMatrix& predictor : predictors) {
        matrices.push_back(&predictor.distances);
        names.push_back(predictor.name);
    }
    const MlpePairs pairs(genetic, matrices, names);
    const int k = pairs.predictorCount();
    MlpeTerms full;
    for (int predictor = 0; predictor < k; ++predictor)
        full.predictors.push_back(predictor);

    MlpeResult result;
    result.observations = genetic.size();
    result.pairs = pairs.pairs();
    result.missingPairs = static_cast<long long>(genetic.values().size()) - pairs.pairs();
    result.maximumLikelihood = FitMlpe(pairs, full, MlpeMethod::MaximumLikelihood);
    listener.throwIfCancelled();
    result.restricted = FitMlpe(pairs, full, MlpeMethod::Restricted);
    result.criteria = InformationCriteriaOf(result.maximumLikelihood.logLikelihood,
                                            result.maximumLikelihood.parameters(), pairs.pairs());
    result.rSquared = MlpeCoefficientOfDetermination(pairs, result.maximumLikelihood);
    for (int term = 0; term <= k; ++term) {
        listener.throwIfCancelled();
        MlpeTerms reduced = full;
        if (term == 0)
            reduced.intercept = false;
        else
            reduced.predictors.erase(reduced.predictors.begin() + (term - 1));
        const MlpeFit without = FitMlpe(pairs, reduced, MlpeMethod::MaximumLikelihood);
        MlpeTerm entry;
        entry.name = term == 0 ? "Intercept" : predictors[static_cast<size_t>(term) - 1].name;
        entry.estimate = result.restricted.coefficients[static_cast<size_t>(term)];
        entry.standardError = result.restricted.standardErrors[static_cast<size_t>(term)];
        entry.t = entry.estimate / entry.standardError;
        entry.p = chiSquaredOneTail(2.0 * (result.maximumLikelihood.logLikelihood - without.logLikelihood));
        result.terms.push_back(entry);
    }
    for (int a = 0; a < k; ++a)
        for (int b = 0; b < k; ++b)
            result.predictorCorrelations.push_back(a == b ? 1.0 : pairs.predictorCorrelation(a, b));
    // The report needs the predictors' names and origins only.
    for (PredictorMatrix& predictor : predictors)
        predictor.distances = PackedDistances();
    result.predictors = std::move(predictors);
    return result;
}

MlpeResult RunMlpe(const MlpeInput& input, RunListener& listener)
{
    const std::vector<GeoDistanceSettings>& choices = input.settings.predictors;
    if (choices.empty())
        throw DataProblem("The regression needs at least one predictor matrix.");
    for (size_t k = 0; k < choices.size(); ++k)
        requireFileNamed(choices[k], "predictor " + std::to_string(k + 1));
    requireDistinctPredictors(choices, "The regression");
    PredictorData data = ReadPredictorData(input, choices, listener);
    MlpeResult result = ComputeMlpe(data.genetic, std::move(data.predictors), listener);
    result.coordinatePath = input.coordinatePath;
    result.genotypePath = input.genotypePath;
    result.dataType = input.dataType;
    result.names = std::move(data.table.names);
    return result;
}

} // namespace tessaloc
