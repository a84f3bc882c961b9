#include "cli/PartialMantelCommand.h"

namespace tessaloc::cli {

const std::string_view AnalysisCommandLine<PartialMantelAnalysis>::summary =
    "partial Mantel test of genetic distance against X with Z held constant; writes PartialMantel-Results.txt";

std::vector<OptionSpec> AnalysisCommandLine<PartialMantelAnalysis>::options()
{
    const std::string kinds = "straight lines (straight), least-cost paths or circuit resistance over a resistance "
                              "surface (least-cost:FILE, resistance:FILE), or a distance matrix file (matrix:FILE)";
    return {
        {"--x", "KIND[:FILE]", "the distances tested (default straight): " + kinds, false, OptionFile::DistanceChoice},
        {"--z", "KIND[:FILE]", "the distances held constant (needed), of the same kinds", false,
         OptionFile::DistanceChoice},
        {"--permutations", "N", "replicates of the permutation test (default 1000)"},
        shuffleOptionEntry(),
        {"--rank", "", "replace every matrix's distances by their ranks first (Spearman's correlations)"},
        {"--pairs", "all|none",
         "list every pair's distances in the report (default), or leave the table out: one line then "
         "says so"},
    };
}

PartialMantelSettings AnalysisCommandLine<PartialMantelAnalysis>::settings(const Invocation& invocation)
{
    if (invocation.values.count("--z") == 0)
        throw UsageError("partialmantel needs --z KIND[:FILE], the distances held constant");
    PartialMantelSettings settings;
    settings.permutations.count = permutationsOption(invocation);
    settings.permutations.scheme = shuffleOption(invocation);
    settings.x = distanceChoiceValue(invocation, "--x", invocation.textValue("--x", "straight"));
    settings.z = distanceChoiceValue(invocation, "--z", invocation.textValue("--z", {}));
    settings.rank = invocation.flag("--rank");
    settings.pairTable = choiceValue<bool>(invocation, "--pairs", "all", {{"all", true}, {"none", false}});
    return settings;
}

} // namespace tessaloc::cli
