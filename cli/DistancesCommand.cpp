#include "cli/CommandLine.h"

#include "core/DistanceCsv.h"
#include "core/ReportWriter.h"

namespace tessaloc::cli {

Subcommand distancesCommand()
{
    Subcommand command;
    command.name = "distances";
    command.summary = "writes the genetic and geographic distance matrices as GeneticDistances.csv and "
                      "GeographicDistances.csv";
    command.run = [](const Invocation& invocation, RunListener& listener, SeedSource&) {
        const AnalysisData data = RunDistances(commonInput<AnalysisInput>(invocation), listener);
        CommandResult result;
        result.written.push_back(
            writeReportFile(invocation.outputDirectory, kGeneticDistancesFileName,
                            [&](ReportWriter& out) { WriteDistanceMatrixCsv(out, data.table.names, data.genetic); }));
        try {
            result.written.push_back(
                writeReportFile(invocation.outputDirectory, kGeographicDistancesFileName, [&](ReportWriter& out) {
                    WriteDistanceMatrixCsv(out, data.table.names, data.geographic);
                }));
        } catch (...) {
            // Both matrices or neither.
            std::error_code ignored;
            std::filesystem::remove(result.written.front(), ignored);
            throw;
        }
        return result;
    };
    return command;
}

} // namespace tessaloc::cli
