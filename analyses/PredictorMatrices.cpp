#include "analyses/PredictorMatrices.h"

#include "core/Errors.h"
#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace tessaloc {
namespace {

std::string commandLineForm(const GeoDistanceSettings& choice)
{
    const std::string kind(geoDistanceKindName(choice.kind));
    return choice.kind == GeoDistanceKind::Straight ? kind : kind + ":" + choice.file;
}

std::string shortName(const GeoDistanceSettings& choice)
{
    if (choice.kind == GeoDistanceKind::Straight)
        return std::string(geoDistanceKindName(choice.kind));
    const std::string name = std::filesystem::path(choice.file).filename().string();
    return name.empty() ? commandLineForm(choice) : name;
}

// The straight lines are built straight into their pairs; the other kinds as BuildGeographicDistances
// builds them.
PackedDistances buildDistances(const SampleTable& table, bool useLatLong, const GeoDistanceSettings& choice,
                               RunListener& listener)
{
    if (choice.kind == GeoDistanceKind::Straight)
        return BuildGeographicDistances(table, useLatLong);
    return PackedDistances(BuildGeographicDistances(table, useLatLong, choice, listener));
}

} // namespace

std::vector<std::string> predictorNames(const std::vector<PredictorMatrix>& predictors)
{
    std::vector<std::string> names;
    for (const PredictorMatrix& predictor : predictors)
        names.push_back(predictor.name);
    return names;
}

std::size_t longestTableLabel(const std::vector<std::string>& termNames, const std::vector<PredictorMatrix>& predictors)
{
    std::size_t longest = 0;
    for (const std::string& name : termNames)
        longest = std::max(longest, name.size());
    for (std::size_t k = 0; k < predictors.size(); ++k)
        longest = std::max(longest, std::to_string(k + 1).size() + 1 + predictors[k].name.size());
    return longest;
}

std::vector<std::string> predictorNames(const std::vector<GeoDistanceSettings>& choices)
{
    std::vector<std::string> names;
    std::map<std::string, int> uses;
    for (const GeoDistanceSettings& choice : choices) {
        names.push_back(shortName(choice));
        ++uses[names.back()];
    }
    for (size_t k = 0; k < names.size(); ++k) {
        if (uses[names[k]] > 1)
            names[k] = commandLineForm(choices[k]);
    }
    return names;
}

void requireThreeObservations(int observations)
{
    if (observations < 3)
        throw DataProblem("At least three observations are needed to compare distance matrices; the files hold " +
                          std::to_string(observations) + ".");
}

void requireVaryingPairs(double sumOfSquares, std::string_view what)
{
    if (!(sumOfSquares > 0.0))
        throw DataProblem(std::string(what) +
                          " is the same for every pair of observations, so no correlation with it is defined.");
}

void requireFileNamed(const GeoDistanceSettings& choice, std::string_view what)
{
    if (choice.kind == GeoDistanceKind::Straight || !choice.file.empty())
        return;
    throw DataProblem("No file is named for " + std::string(what) + ": " +
                      (choice.kind == GeoDistanceKind::Matrix
                           ? "a distance matrix is read from a CSV file with the names in its first row and column."
                           : std::string(geoDistanceKindName(choice.kind)) +
                                 " distances are computed over a resistance surface, a raster file."));
}

void requireDistinctPredictors(const std::vector<GeoDistanceSettings>& choices, std::string_view owner)
{
    for (size_t a = 0; a < choices.size(); ++a)
        for (size_t b = 0; b < a; ++b)
            if (choices[a].kind == choices[b].kind && choices[a].file == choices[b].file)
                throw DataProblem(std::string(owner) + " names the predictor \"" + commandLineForm(choices[a]) +
                                  "\" twice: each predictor may be given once.");
}

PredictorData ReadPredictorData(const AnalysisInput& input, const std::vector<GeoDistanceSettings>& choices,
                                RunListener& listener)
{
    const std::vector<std::string> names = predictorNames(choices);
    ReadingSteps steps;
    steps.geographic = false;
    steps.genetic = false;
    AnalysisData read = ReadAnalysisData(input, listener, steps);
    PredictorData data;
    data.table = std::move(read.table);
    requireThreeObservations(data.table.sampleCount());

    listener.status("Calculating");
    for (size_t k = 0; k < choices.size(); ++k) {
        data.predictors.push_back({names[k], describeGeoDistances(choices[k]),
                                   buildDistances(data.table, input.useLatLong, choices[k], listener)});
        listener.status("Calculating");
    }
    data.genetic = BuildGeneticDistances(data.table, input.dataType);
    return data;
}

} // namespace tessaloc
