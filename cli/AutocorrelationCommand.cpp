#include "cli/CommandLine.h"

#include "analyses/autocorrelation/SpatialAutocorrelation.h"
#include "core/ReportWriter.h"

namespace tessaloc::cli {

Subcommand autocorrelationCommand()
{
    Subcommand command;
    command.name = "autocorrelation";
    command.summary = "spatial autocorrelation of genetic distance over distance classes; writes SAA-Results.txt";
    command.options = {
        {"--permutations", "N", "random relabellings of the permutation tests (default 1000)"},
        {"--classes", "K", "number of distance classes (default 10)"},
        {"--equal-counts", "", "classes holding about equal numbers of pairs instead of classes of equal width"},
        shuffleOptionEntry(),
    };
    command.run = [](const Invocation& invocation, RunListener& listener, SeedSource& seeds) {
        auto input = commonInput<AutocorrelationInput>(invocation);
        input.settings.permutations = permutationsOption(invocation);
        input.settings.classCount = invocation.integerValue("--classes", 10, -2147483648LL, 2147483647LL);
        input.settings.classMode =
            invocation.flag("--equal-counts") ? ClassMode::EqualCounts : ClassMode::EqualDistances;
        const PermutationOptions options = shuffleOption(invocation);

        RandomUniform random = invocation.generator(seeds);
        const AutocorrelationResult result = RunSpatialAutocorrelation(input, random, listener, options);
        CommandResult output;
        output.written = {writeReportFile(invocation.outputDirectory, kAutocorrelationReportFileName,
                                          [&](ReportWriter& report) { WriteAutocorrelationReport(report, result); })};
        return output;
    };
    return command;
}

} // namespace tessaloc::cli
