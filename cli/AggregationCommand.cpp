#include "cli/CommandLine.h"

#include "analyses/aggregation/AllelicAggregation.h"
#include "core/ReportWriter.h"

namespace tessaloc::cli {

Subcommand aggregationCommand()
{
    Subcommand command;
    command.name = "aggregation";
    command.summary = "allelic aggregation index: Rj per allele or genotype and Rave, with permutation tests; writes "
                      "AAIA-Results.txt";
    command.options = {
        {"--permutations", "N", "random relabellings of the sample locations (default 1000)"},
        {"--area", "A",
         "the empirical study area (square kilometres with --latlong); without it the area of the "
         "bounding rectangle"},
        shuffleOptionEntry(),
    };
    command.run = [](const Invocation& invocation, RunListener& listener, SeedSource& seeds) {
        auto input = commonInput<AggregationInput>(invocation);
        input.settings.permutations = permutationsOption(invocation);
        if (invocation.values.count("--area") != 0) {
            input.settings.areaMode = AreaMode::Empirical;
            input.settings.empiricalArea = invocation.numberValue("--area", 0.0);
        }
        const PermutationOptions options = shuffleOption(invocation);

        RandomUniform random = invocation.generator(seeds);
        const AggregationResult result = RunAllelicAggregation(input, random, listener, options);
        CommandResult output;
        output.written = {writeReportFile(invocation.outputDirectory, kAggregationReportFileName,
                                          [&](ReportWriter& report) { WriteAggregationReport(report, result); })};
        return output;
    };
    return command;
}

} // namespace tessaloc::cli
