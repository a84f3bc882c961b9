#include "cli/CommandLine.h"

#include "core/DistanceCsv.h"
#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "core/ReportWriter.h"

namespace tessaloc::cli {

Subcommand distancesCommand()
{
    Subcommand command;
    command.name = "distances";
    command.summary = "writes the genetic and geographic distance matrices as GeneticDistances.csv and "
                      "GeographicDistances.csv";
    command.run = [](const Invocation& invocation, RunListener& listener, SeedSource&) {
        listener.status("Reading");
        const SampleTable table =
            ReadSampleTable(invocation.coordinatePath, invocation.genotypePath, invocation.dataType);
        listener.status("Calculating");
        const SquareMatrix geographic = BuildGeographicDistances(table, invocation.useLatLong);
        const SquareMatrix genetic = BuildGeneticDistances(table, invocation.dataType);
        CommandResult result;
        result.written.push_back(
            writeReportFile(invocation.outputDirectory, "GeneticDistances.csv",
                            [&](ReportWriter& out) { WriteDistanceMatrixCsv(out, table.names, genetic); }));
        try {
            result.written.push_back(
                writeReportFile(invocation.outputDirectory, "GeographicDistances.csv",
                                [&](ReportWriter& out) { WriteDistanceMatrixCsv(out, table.names, geographic); }));
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
