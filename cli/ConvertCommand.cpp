#include "cli/CommandLine.h"
#include "cli/RunProcesses.h"

#include "analyses/AnalysisInput.h"
#include "core/GeographicDistances.h"
#include "core/ReportWriter.h"
#include "formats/OwnFormatFiles.h"

namespace tessaloc::cli {

Subcommand convertCommand()
{
    Subcommand command;
    command.name = "convert";
    command.summary = "writes the observations as the program's own coordinates.txt and genotypes.txt, read "
                      "from any accepted pair of files";
    command.reportFiles = {std::string(kConvertedCoordinatesFileName), std::string(kConvertedGenotypesFileName)};
    command.run = [](const Invocation& invocation, RunListener& listener, SeedSource&) {
        ReadingSteps steps;
        steps.geographic = false;
        steps.genetic = false;
        const AnalysisData data = ReadAnalysisData(commonInput<AnalysisInput>(invocation), listener, steps);
        // The files written must serve every analysis, so their coordinates pass the analyses' checks.
        requireCoordinates(data.table, invocation.useLatLong);
        waitForEveryProcess();
        if (!writesResults())
            return CommandResult{};
        const WrittenReportFiles written = writeReportFiles(
            invocation.outputDirectory,
            {{kConvertedCoordinatesFileName, [&](ReportWriter& out) { WriteCoordinateFile(out, data.table); }},
             {kConvertedGenotypesFileName, [&](ReportWriter& out) { WriteGenotypeFile(out, data.table); }}});
        CommandResult result;
        result.written = written.paths;
        return result;
    };
    return command;
}

} // namespace tessaloc::cli
