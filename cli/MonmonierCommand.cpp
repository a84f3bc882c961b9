#include "cli/MonmonierCommand.h"

namespace tessaloc::cli {

const std::string_view AnalysisCommandLine<MonmonierAnalysis>::summary =
    "Monmonier's maximum difference barriers; writes monmonierresults.txt";

std::vector<OptionSpec> AnalysisCommandLine<MonmonierAnalysis>::options()
{
    return {
        {"--distances", "raw|pseudoslope|residual",
         "edge values from raw genetic distances, pseudoslopes (divided by the edge length) or residuals of "
         "genetic on geographic distance (default residual)"},
        {"--barriers", "B", "number of barriers to find (default 1)"},
    };
}

MonmonierSettings AnalysisCommandLine<MonmonierAnalysis>::settings(const Invocation& invocation)
{
    MonmonierSettings settings;
    settings.distanceKind = choiceValue<MonmonierDistanceKind>(invocation, "--distances", "residual",
                                                               {{"raw", MonmonierDistanceKind::Raw},
                                                                {"pseudoslope", MonmonierDistanceKind::Pseudoslope},
                                                                {"residual", MonmonierDistanceKind::Residual}});
    // A count below 1 reaches the analysis, which ends with its error, as the window program's does.
    settings.barrierCount = invocation.integerValue("--barriers", 1, -2147483648LL, 2147483647LL);
    return settings;
}

} // namespace tessaloc::cli
