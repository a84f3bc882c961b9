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
        const SampleTable table = ReadSampleTable(invocation.coordinatePath, invocation.genotypePath, invocation.dataType);
        listener.status("Calculating");
        const SquareMatrix geographic = BuildGeographicDistances(table, invocation.useLatLong);
        const SquareMatrix genetic = BuildGeneticDistances(table, invocation.dataType);
        // Both files are formatted before either is written, so a failure leaves neither.
        const std::string geneticCsv = distanceMatrixCsv(table.names, genetic);
        const std::string geographicCsv = distanceMatrixCsv(table.names, geographic);
        CommandResult result;
        result.written = {
            writeReportFile(invocation.outputDirectory, "GeneticDistances.csv", geneticCsv),
            writeReportFile(invocation.outputDirectory, "GeographicDistances.csv", geographicCsv),
        };
        return result;
    };
    return command;
}

} // namespace tessaloc::cli
