#include "cli/AggregationCommand.h"

namespace tessaloc::cli {

const std::string_view AnalysisCommandLine<AggregationAnalysis>::summary =
    "allelic aggregation index: Rj per allele or genotype and Rave, with permutation tests; writes "
    "AAIA-Results.txt";

std::vector<OptionSpec> AnalysisCommandLine<AggregationAnalysis>::options()
{
    return {
        {"--permutations", "N", "random relabellings of the sample locations (default 1000)"},
        {"--area", "A",
         "the empirical study area (square kilometres with --latlong); without it the area of the "
         "bounding rectangle"},
        shuffleOptionEntry(),
    };
}

AggregationSettings AnalysisCommandLine<AggregationAnalysis>::settings(const Invocation& invocation)
{
    AggregationSettings settings;
    settings.permutations.count = permutationsOption(invocation);
    if (invocation.values.count("--area") != 0) {
        settings.areaMode = AreaMode::Empirical;
        settings.empiricalArea = invocation.numberValue("--area", 0.0);
    }
    settings.permutations.scheme = shuffleOption(invocation);
    return settings;
}

} // namespace tessaloc::cli
