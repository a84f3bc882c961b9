#include "cli/CommandLine.h"

#include "analyses/sampleplot/SamplePlot.h"

namespace tessaloc::cli {

Subcommand sampleplotCommand()
{
    Subcommand command;
    command.name = "sampleplot";
    command.summary = "prints the area of the polygon around the sample locations and the polygon's corners";
    command.needsGenotypes = false;
    command.run = [](const Invocation& invocation, RunListener& listener, SeedSource&) {
        CommandResult result;
        result.text = samplePlotText(RunSamplePlot(commonInput<AnalysisInput>(invocation), listener));
        return result;
    };
    return command;
}

} // namespace tessaloc::cli
