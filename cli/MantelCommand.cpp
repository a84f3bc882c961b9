#include "cli/MantelCommand.h"

namespace tessaloc::cli {

const std::string_view AnalysisCommandLine<MantelAnalysis>::summary =
    "Mantel test of genetic against geographic distance; writes IBDResults.txt";

std::vector<OptionSpec> AnalysisCommandLine<MantelAnalysis>::options()
{
    return {
        {"--permutations", "N", "replicates of the permutation test (default 1000)"},
        {"--log-geo", "", "log10-transform the geographic distances"},
        {"--log-gen", "", "log10-transform the genetic distances"},
        shuffleOptionEntry(),
        {"--pairs", "all|none",
         "list every pair's distances in the report (default), or leave the table out: one line then "
         "says so"},
        {"--rank", "",
         "replace both matrices' distances by their ranks (after any log10 transform): Spearman's correlation"},
    };
}

MantelSettings AnalysisCommandLine<MantelAnalysis>::settings(const Invocation& invocation)
{
    MantelSettings settings;
    settings.permutations.count = permutationsOption(invocation);
    settings.logGeographic = invocation.flag("--log-geo");
    settings.logGenetic = invocation.flag("--log-gen");
    settings.rank = invocation.flag("--rank");
    settings.permutations.scheme = shuffleOption(invocation);
    settings.pairTable = choiceValue<bool>(invocation, "--pairs", "all", {{"all", true}, {"none", false}});
    return settings;
}

} // namespace tessaloc::cli
