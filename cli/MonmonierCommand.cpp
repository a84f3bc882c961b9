#include "cli/CommandLine.h"

#include "analyses/monmonier/MonmonierSearch.h"
#include "core/ReportWriter.h"

namespace tessaloc::cli {
Subcommand monmonierCommand()
{
    Subcommand command;
    command.name = "monmonier";
    command.summary = "Monmonier's maximum difference barriers; writes monmonierresults.txt";
    command.options = {
        {"--distances", "raw|pseudoslope|residual",
         "edge values from raw genetic distances, pseudoslopes (divided by the edge length) or residuals of "
         "genetic on geographic distance (default residual)"},
        {"--barriers", "B", "number of barriers to find (default 1)"},
    };
    command.run = [](const Invocation& invocation, RunListener& listener, SeedSource&) {
        auto input = commonInput<MonmonierInput>(invocation);
        input.settings.distanceKind =
            choiceValue<MonmonierDistanceKind>(invocation, "--distances", "residual",
                                               {{"raw", MonmonierDistanceKind::Raw},
                                                {"pseudoslope", MonmonierDistanceKind::Pseudoslope},
                                                {"residual", MonmonierDistanceKind::Residual}});
        // A count below 1 reaches the analysis, which ends with its error, as the window program's does.
        input.settings.barrierCount = invocation.integerValue("--barriers", 1, -2147483648LL, 2147483647LL);

        const MonmonierResult result = RunMonmonier(input, listener);
        CommandResult output;
        output.written = {writeReportFile(invocation.outputDirectory, kMonmonierReportFileName,
                                          [&](ReportWriter& report) { WriteMonmonierReport(report, result); })};
        return output;
    };
    return command;
}

} // namespace tessaloc::cli
