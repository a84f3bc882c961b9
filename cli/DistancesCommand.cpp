#include "cli/CommandLine.h"
#include "cli/RunProcesses.h"

#include "analyses/AnalysisInput.h"
#include "core/Errors.h"
#include "core/ReportWriter.h"
#include "formats/DistanceCsv.h"

namespace tessaloc::cli {

Subcommand distancesCommand()
{
    Subcommand command;
    command.name = "distances";
    command.summary = "writes the genetic and geographic distance matrices as GeneticDistances.csv and "
                      "GeographicDistances.csv";
    command.reportFiles = {std::string(kGeneticDistancesFileName), std::string(kGeographicDistancesFileName)};
    command.run = [](const Invocation& invocation, RunListener& listener, SeedSource&) {
        const AnalysisData data = RunDistances(commonInput<AnalysisInput>(invocation), listener);
        waitForEveryProcess();
        if (!writesResults())
            return CommandResult{};
        // The two matrices belong together: both are written before either is put in place, and a
        // run that finds one of them replaced by another run's at the same time says so.
        const WrittenReportFiles written =
            writeReportFiles(invocation.outputDirectory,
                             {{kGeneticDistancesFileName,
                               [&](ReportWriter& out) { WriteDistanceMatrixCsv(out, data.table.names, data.genetic); }},
                              {kGeographicDistancesFileName, [&](ReportWriter& out) {
                                   WriteDistanceMatrixCsv(out, data.table.names, data.geographic);
                               }}});
        CommandResult result;
        result.written = written.paths;
        if (!written.together)
            result.problems = std::string(kGeneticDistancesFileName) + " and " + kGeographicDistancesFileName +
                              " in \"" + escapeControlCharacters(invocation.outputDirectory.string()) +
                              "\" may not belong together: another run wrote one of them at the same time";
        return result;
    };
    return command;
}

} // namespace tessaloc::cli
