#include "analyses/modelcomparison/ModelComparison.h"

#include "analyses/mixedmodel/MlpeModel.h"
#include "core/Errors.h"

#include <set>
#include <string>
#include <utility>

namespace tessaloc {
namespace {

std::string modelSubject(const std::string& name)
{
    return "The model \"" + name + "\"";
}

} // namespace

void requireValidHypotheses(const std::vector<HypothesisModel>& models)
{
    if (models.empty())
        throw DataProblem("The comparison needs at least one model besides the null model.");
    std::set<std::string> names;
    for (size_t k = 0; k < models.size(); ++k) {
        const HypothesisModel& model = models[k];
        if (model.name.empty())
            throw DataProblem("Model " + std::to_string(k + 1) + " has no name.");
        if (model.name == kNullModelName)
            throw DataProblem("The model name \"null\" is given twice: the comparison always adds the null model "
                              "(intercept only) under that name. Name the model otherwise.");
        if (!names.insert(model.name).second)
            throw DataProblem("The model name \"" + model.name +
                              "\" is given twice: each model needs a name of its own.");
        if (model.predictors.empty())
            throw DataProblem(modelSubject(model.name) + " has no predictor.");
        for (size_t p = 0; p < model.predictors.size(); ++p)
            requireFileNamed(model.predictors[p],
                             "predictor " + std::to_string(p + 1) + " of the model \"" + model.name + "\"");
        requireDistinctPredictors(model.predictors, modelSubject(model.name));
    }
}

ModelComparisonResult ComputeModelComparison(const PackedDistances& genetic, std::vector<PredictorMatrix> predictors,
                                             const std::vector<std::string>& modelNames,
                                             const std::vector<std::vector<int>>& models, RunListener& listener)
{
    requireThreeObservations(genetic.size());
    listener.status("Fitting the mixed models");
    std::vector<const PackedDistances*> matrices;
    std::vector<std::string> names;
    for (const PredictorMatrix& predictor : predictors) {
        matrices.push_back(&predictor.distances);
        names.push_back(predictor.name);
    }
    const MlpePairs pairs(genetic, matrices, names);
    ModelComparisonResult result;
    result.observations = genetic.size();
    result.pairs = pairs.pairs();
    result.missingPairs = static_cast<long long>(genetic.values().size()) - pairs.pairs();
    for (size_t m = 0; m <= models.size(); ++m) {
        listener.throwIfCancelled();
        listener.progress(static_cast<long long>(m), static_cast<long long>(models.size()) + 1);
        const bool null = m == models.size();
        ModelDescription description{null ? std::string(kNullModelName) : modelNames[m], {}};
        MlpeTerms terms;
        if (!null)
            terms.predictors = models[m];
        for (int index : terms.predictors)
            description.predictors.push_back(pairs.predictorName(index));
        MlpeFit fit;
        try {
            fit = FitMlpe(pairs, terms, MlpeMethod::MaximumLikelihood);
        } catch (const DataProblem& problem) {
            throw DataProblem(modelSubject(description.name) + ": " + problem.what());
        } catch (const AnalysisError& error) {
            throw AnalysisError(modelSubject(description.name) + ": " + error.what());
        }
        RankedModel ranked;
        ranked.name = description.name;
        ranked.parameters = fit.parameters();
        ranked.logLikelihood = fit.logLikelihood;
        ranked.criteria = InformationCriteriaOf(fit.logLikelihood, fit.parameters(), pairs.pairs());
        ranked.marginalRSquared = MlpeCoefficientOfDetermination(pairs, fit).marginal;
        result.ranking.push_back(ranked);
        result.models.push_back(std::move(description));
    }
    RankModels(result.ranking);
    for (PredictorMatrix& predictor : predictors)
        predictor.distances = PackedDistances();
    result.predictors = std::move(predictors);
    return result;
}

ModelComparisonResult RunModelComparison(const ModelComparisonInput& input, RunListener& listener)
{
    requireValidHypotheses(input.settings.models);
    // Every distinct predictor once, in the order of first mention.
    std::vector<GeoDistanceSettings> distinct;
    std::vector<std::vector<int>> models;
    std::vector<std::string> modelNames;
    for (const HypothesisModel& model : input.settings.models) {
        std::vector<int> indices;
        for (const GeoDistanceSettings& choice : model.predictors) {
            size_t found = 0;
            while (found < distinct.size() &&
                   !(distinct[found].kind == choice.kind && distinct[found].file == choice.file))
                ++found;
            if (found == distinct.size())
                distinct.push_back(choice);
            indices.push_back(static_cast<int>(found));
        }
        models.push_back(std::move(indices));
        modelNames.push_back(model.name);
    }
    PredictorData data = ReadPredictorData(input, distinct, listener);
    ModelComparisonResult result =
        ComputeModelComparison(data.genetic, std::move(data.predictors), modelNames, models, listener);
    result.coordinatePath = input.coordinatePath;
    result.genotypePath = input.genotypePath;
    result.dataType = input.dataType;
    result.names = std::move(data.table.names);
    return result;
}

} // namespace tessaloc
