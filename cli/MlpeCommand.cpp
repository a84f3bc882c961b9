#include "cli/MlpeCommand.h"

#include <string>

namespace tessaloc::cli {

const std::string_view AnalysisCommandLine<MlpeAnalysis>::summary =
    "mixed-model regression of genetic distance on predictor matrices with observation effects (MLPE), fitted by "
    "ML and REML; writes MLPE-Results.txt";

std::vector<OptionSpec> AnalysisCommandLine<MlpeAnalysis>::options()
{
    return {
        {"--predictor", "KIND[:FILE]",
         "a predictor matrix: straight, least-cost:SURFACE, resistance:SURFACE or matrix:CSV (repeatable, in the "
         "report's order; default straight)",
         true, OptionFile::DistanceChoice},
    };
}

MlpeSettings AnalysisCommandLine<MlpeAnalysis>::settings(const Invocation& invocation)
{
    MlpeSettings settings;
    const std::vector<std::string> predictors = invocation.textValues("--predictor");
    if (!predictors.empty()) {
        settings.predictors.clear();
        for (const std::string& text : predictors)
            settings.predictors.push_back(distanceChoiceValue(invocation, "--predictor", text));
        try {
            requireDistinctPredictors(settings.predictors, "The regression");
        } catch (const DataProblem& problem) {
            throw UsageError(std::string("--predictor: ") + problem.what());
        }
    }
    return settings;
}

} // namespace tessaloc::cli
