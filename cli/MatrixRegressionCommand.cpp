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
         true},
        {"--permutations", "N", "replicates of the permutation test (default 1000)"},
        shuffleOptionEntry(),
        {"--rank", "", "replace the pairs of every matrix by their ranks (ties share their mean rank)"},
        {"--standardise", "", "report standardised estimates (beta weights)"},
    };
}

GeoDistanceSettings predictorOption(const std::string& text, int neighbours)
{
    const size_t colon = text.find(':');
    const std::string kindText = text.substr(0, colon);
    const auto kind = parseGeoDistanceKind(kindText);
    if (!kind)
        throw UsageError("--predictor takes straight, least-cost:FILE, resistance:FILE or matrix:FILE, not " +
                         quotedField(text));
    GeoDistanceSettings choice;
    choice.kind = *kind;
    choice.neighbours = neighbours;
    if (colon != std::string::npos)
        choice.file = text.substr(colon + 1);
    if (*kind == GeoDistanceKind::Straight && colon != std::string::npos)
        throw UsageError("--predictor straight takes no file, not " + quotedField(text));
    if (*kind != GeoDistanceKind::Straight && choice.file.empty())
        throw UsageError("--predictor " + kindText + " needs a file: " + kindText + ":FILE");
    return choice;
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
            settings.predictors.push_back(predictorOption(text, invocation.geoDistances.neighbours));
    }
    return settings;
}

} // namespace tessaloc::cli
