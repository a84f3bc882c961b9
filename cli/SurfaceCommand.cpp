#include "cli/CommandLine.h"
#include "cli/OutputFiles.h"
#include "cli/RunProcesses.h"

#include "core/ReportWriter.h"
#include "resistance/LayerRule.h"
#include "resistance/SurfaceBuilder.h"

namespace tessaloc::cli {
namespace {

SurfaceSettings surfaceSettings(const Invocation& invocation)
{
    const std::vector<std::string> arguments = invocation.textValues("--layer");
    if (arguments.empty())
        throw UsageError("surface needs at least one --layer FILE:SPEC");
    SurfaceSettings settings;
    for (const std::string& argument : arguments) {
        try {
            const auto [file, spec] = splitLayerArgument(argument);
            settings.layers.push_back({file, parseLayerRule(spec)});
        } catch (const LayerRuleError& error) {
            throw UsageError(error.what());
        }
    }
    return settings;
}

// Every file the run reads, and the report it writes, with the words that name them.
std::vector<std::pair<std::filesystem::path, std::string>> filesOfTheRun(const Invocation& invocation,
                                                                         const SurfaceSettings& settings)
{
    std::vector<std::pair<std::filesystem::path, std::string>> files;
    for (size_t index = 0; index < settings.layers.size(); ++index) {
        const SurfaceLayer& layer = settings.layers[index];
        const std::string number = std::to_string(index + 1);
        files.emplace_back(layer.file, "layer " + number);
        if (const auto* classes = std::get_if<ClassRule>(&layer.rule))
            files.emplace_back(classes->table, "the class table of layer " + number);
    }
    files.emplace_back(invocation.outputDirectory / kSurfaceReportFileName,
                       std::string("the report ") + kSurfaceReportFileName);
    return files;
}

} // namespace

Subcommand surfaceCommand()
{
    Subcommand command;
    command.name = "surface";
    command.summary = "builds a resistance surface from GIS layers (class tables, rescaled curves, their sum) and "
                      "writes it as a GeoTIFF";
    command.readsSampleFiles = false;
    command.reportFiles = {kSurfaceReportFileName};
    command.needsGenotypes = false;
    command.options = {
        {"--layer", "FILE:SPEC",
         "a raster and its rule (repeatable; the first sets the grid): classes=TABLE.csv (header class,resistance; "
         "a positive resistance or impassable per code), linear=MAXIMUM, or FAMILY=SHAPE,MAXIMUM with FAMILY "
         "monomolecular or ricker, optionally after reverse-, inverse- or inverse-reverse-; the layers' "
         "resistances add up",
         true},
        {"--output", "FILE.tif", "the GeoTIFF written (never one of the layers or tables)"},
    };
    command.run = [](const Invocation& invocation, RunListener& listener, SeedSource&) {
        const SurfaceSettings settings = surfaceSettings(invocation);
        const std::string output = invocation.textValue("--output", "");
        if (output.empty())
            throw UsageError("surface needs --output FILE.tif");
        // The shared check that no output is an input belongs here once it exists.
        requireOutputOverNoInput("--output", output, filesOfTheRun(invocation, settings), "the resistance surface");
        const SurfaceResult result = BuildResistanceSurface(settings, listener);
        waitForEveryProcess();
        if (!writesResults())
            return CommandResult{};
        WriteSurfaceFile(output, result, listener);
        CommandResult written;
        written.written.push_back(writeReportFile(invocation.outputDirectory, kSurfaceReportFileName,
                                                  [&](ReportWriter& out) { WriteSurfaceReport(out, result, output); }));
        written.afterReports = "Surface written to " + output + "\n";
        return written;
    };
    return command;
}

} // namespace tessaloc::cli
