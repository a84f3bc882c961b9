#pragma once

#include "analyses/AnalysisInput.h"
#include "analyses/PredictorMatrices.h"
#include "analyses/mixedmodel/ModelRanking.h"
#include "core/PackedDistances.h"
#include "core/ReportWriter.h"
#include "core/RunListener.h"
#include "resistance/GeoDistances.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tessaloc {

/// The name of the intercept-only model that every comparison adds.
inline constexpr const char* kNullModelName = "null";

/// One hypothesis: a named set of predictor matrices.
struct HypothesisModel {
    std::string name;
    std::vector<GeoDistanceSettings> predictors;
};

/// The comparison's own settings.
struct ModelComparisonSettings {
    /// The hypotheses, each with a name of its own (not "null") and at least one predictor, none twice.
    std::vector<HypothesisModel> models{HypothesisModel{"distance", {GeoDistanceSettings{}}}};
};

/// What a run reads: the two files and how to read them, and the analysis's settings.
using ModelComparisonInput = RunInput<ModelComparisonSettings>;

/// A hypothesis as the report describes it: its name and the names of its predictors.
struct ModelDescription {
    std::string name;
    std::vector<std::string> predictors;
};

/// Everything a run produced.
struct ModelComparisonResult {
    std::string coordinatePath;
    std::string genotypePath;
    DataType dataType = DataType::Codominant;
    std::vector<std::string> names;
    int observations = 0;
    long long pairs = 0;        ///< pairs with a genetic distance, the data points of every model
    long long missingPairs = 0; ///< pairs without one, left out
    /// Every distinct predictor of the models, named and described (their distances are not kept).
    std::vector<PredictorMatrix> predictors;
    /// The hypotheses in the order given, then the null model.
    std::vector<ModelDescription> models;
    /// The models fitted by ML, sorted by AICc with delta AICc and Akaike weights.
    std::vector<RankedModel> ranking;
};

/// The report's file name.
inline constexpr const char* kModelComparisonReportFileName = "Models-Results.txt";

/// The head line of the table of models.
inline constexpr const char* kModelTableHeader = "model,k,loglik,aic,aicc,delta_aicc,weight,r2_marginal";

/// Throws DataProblem for no hypothesis, a hypothesis without a name or without a predictor, a name
/// given twice (or "null", the name of the model always added), a predictor given twice within one
/// hypothesis, and a kind of predictor without its file.
void requireValidHypotheses(const std::vector<HypothesisModel>& models);

/// The comparison on matrices already built: `predictors` are the distinct matrices, `models` list
/// which of them (by index) each hypothesis takes. Every model and the null model are fitted by ML
/// on the same pairs. Throws DataProblem as ComputeMlpe does, the message naming the model.
ModelComparisonResult ComputeModelComparison(const PackedDistances& genetic, std::vector<PredictorMatrix> predictors,
                                             const std::vector<std::string>& modelNames,
                                             const std::vector<std::vector<int>>& models, RunListener& listener);

/// A whole run: checks the hypotheses, reads both files, builds the genetic distances and every
/// distinct predictor once, and compares the models.
ModelComparisonResult RunModelComparison(const ModelComparisonInput& input, RunListener& listener);

/// The text of "Models-Results.txt", lines ending CR LF.
std::string ModelComparisonReport(const ModelComparisonResult& result);
/// The same report written line by line into `report`.
void WriteModelComparisonReport(ReportWriter& report, const ModelComparisonResult& result);

/// The table of models: kModelTableHeader, then one line per model in the order of the ranking,
/// numbers in the shortest form that reads back to the same double, lines ending CR LF.
void WriteModelTable(ReportWriter& out, const ModelComparisonResult& result);
std::string ModelTable(const ModelComparisonResult& result);
/// Writes the table to `path`, replacing the file only when the whole table was written. Throws
/// AnalysisError naming the file when it cannot be written.
void WriteModelTableFile(const std::filesystem::path& path, const ModelComparisonResult& result);

} // namespace tessaloc
