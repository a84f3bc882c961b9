#include "cli/MatrixRegressionCommand.h"

namespace tessaloc::cli {

const std::string_view AnalysisCommandLine<MatrixRegressionAnalysis>::summary =
    "multiple matrix regression of genetic distance on predictor matrices with permutation tests; writes "
    "MMRR-Results.txt";

std::vector<OptionSpec> AnalysisCommandLine<MatrixRegressionAnalysis>::options()
{
    return {
        {"--predictor", "KIND[:FILE]",
         "a predictor matrix: straight, least-cost:SURFACE, resistance:SURFACE or matrix:CSV (repeatable, in the "
         "report's order; default straight)",
         true, OptionFile::DistanceChoice},
        {"--permutations", "N", "replicates of the permutation test (default 1000)"},
        shuffleOptionEntry(),
        {"--rank", "", "replace the pairs of every matrix by their ranks (ties share their mean rank)"},
        {"--standardise", "", "report standardised estimates (beta weights)"},
    };
}

MatrixRegressionSettings AnalysisCommandLine<MatrixRegressionAnalysis>::settings(const Invocation& invocation)
{
    MatrixRegressionSettings settings;
    settings.permutations.count = permutationsOption(invocation);
    settings.permutations.scheme = shuffleOption(invocation);
    settings.rank = invocation.flag("--rank");
    settings.standardise = invocation.flag("--standardise");
    const std::vector<std::string> predictors = invocation.textValues("--predictor");
    if (!predictors.empty()) {
        settings.predictors.clear();
        for (const std::string& text : predictors)
            settings.predictors.push_back(distanceChoiceValue(invocation, "--predictor", text));
    }
    return settings;
}

} // namespace tessaloc::cli
