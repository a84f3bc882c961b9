#include "cli/AutocorrelationCommand.h"

namespace tessaloc::cli {

const std::string_view AnalysisCommandLine<AutocorrelationAnalysis>::summary =
    "spatial autocorrelation of genetic distance over distance classes; writes SAA-Results.txt";

std::vector<OptionSpec> AnalysisCommandLine<AutocorrelationAnalysis>::options()
{
    return {
        {"--permutations", "N", "random relabellings of the permutation tests (default 1000)"},
        {"--classes", "K", "number of distance classes (default 10)"},
        {"--equal-counts", "", "classes holding about equal numbers of pairs instead of classes of equal width"},
        shuffleOptionEntry(),
    };
}

AutocorrelationSettings AnalysisCommandLine<AutocorrelationAnalysis>::settings(const Invocation& invocation)
{
    AutocorrelationSettings settings;
    settings.permutations.count = permutationsOption(invocation);
    settings.classCount = invocation.integerValue("--classes", 10, -2147483648LL, 2147483647LL);
    settings.classMode = invocation.flag("--equal-counts") ? ClassMode::EqualCounts : ClassMode::EqualDistances;
    settings.permutations.scheme = shuffleOption(invocation);
    return settings;
}

} // namespace tessaloc::cli
