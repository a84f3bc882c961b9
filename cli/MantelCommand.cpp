#include "cli/CommandLine.h"

#include "analyses/mantel/MantelTest.h"
#include "core/ReportWriter.h"

namespace tessaloc::cli {

Subcommand mantelCommand()
{
    Subcommand command;
    command.name = "mantel";
    command.summary = "Mantel test of genetic against geographic distance; writes IBDResults.txt";
    command.options = {
        {"--permutations", "N", "replicates of the permutation test (default 1000)"},
        {"--log-geo", "", "log10-transform the geographic distances"},
        {"--log-gen", "", "log10-transform the genetic distances"},
        shuffleOptionEntry(),
    };
    command.run = [](const Invocation& invocation, RunListener& listener, SeedSource& seeds) {
        auto input = commonInput<MantelInput>(invocation);
        input.settings.permutations = permutationsOption(invocation);
        input.settings.logGeographic = invocation.flag("--log-geo");
        input.settings.logGenetic = invocation.flag("--log-gen");
        const PermutationOptions options = shuffleOption(invocation);

        RandomUniform random = invocation.generator(seeds);
        const MantelResult result = RunMantelTest(input, random, listener, options);
        CommandResult output;
        output.written = {writeReportFile(invocation.outputDirectory, kMantelReportFileName,
                                          [&](ReportWriter& report) { WriteMantelReport(report, result); })};
        return output;
    };
    return command;
}

} // namespace tessaloc::cli
