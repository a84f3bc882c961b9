#include "cli/CurrentMapCommand.h"

#include "cli/OutputFiles.h"

#include "analyses/currentmap/CurrentMapFile.h"
#include "core/Errors.h"

namespace tessaloc::cli {
namespace {

struct MapFiles {
    std::string map;
    std::string maximum;
};

MapFiles mapFiles(const Invocation& invocation)
{
    MapFiles files;
    if (invocation.values.count("--output") == 0)
        throw UsageError("currentmap needs --output FILE.tif, the file of the map");
    files.map = invocation.textValue("--output", "");
    files.maximum = invocation.textValue("--max-map", "");
    if (files.map.empty())
        throw UsageError("--output needs a file name");
    if (invocation.values.count("--max-map") != 0 && files.maximum.empty())
        throw UsageError("--max-map needs a file name");
    return files;
}

} // namespace

const std::string_view AnalysisCommandLine<CurrentMapAnalysis>::summary =
    "cumulative current map of all pairs of sample locations over the surface of --resistance (one ampere per "
    "pair); writes the map as GeoTIFF and CurrentMap-Results.txt";

std::vector<OptionSpec> AnalysisCommandLine<CurrentMapAnalysis>::options()
{
    return {
        {"--output", "FILE.tif", "the map (needed): a GeoTIFF on the surface's grid, no-data at impassable cells",
         false, OptionFile::Written, "the map"},
        {"--log10", "", "write log10 of the currents (cells without current as no-data)"},
        {"--max-map", "FILE.tif", "also the map of the largest current of any one pair through each cell", false,
         OptionFile::Written, "the map of the largest currents"},
    };
}

CurrentMapSettings AnalysisCommandLine<CurrentMapAnalysis>::settings(const Invocation& invocation)
{
    CurrentMapSettings settings;
    settings.maximum = !mapFiles(invocation).maximum.empty();
    return settings;
}

CommandResult AnalysisCommandLine<CurrentMapAnalysis>::write(const Invocation& invocation,
                                                             const CurrentMapResult& result, RunListener& listener)
{
    const MapFiles files = mapFiles(invocation);
    const bool log10 = invocation.flag("--log10");
    listener.status("Writing the map");
    std::vector<CurrentMapFile> maps{{files.map, &result.currents.cumulative}};
    if (!files.maximum.empty())
        maps.push_back({files.maximum, &result.currents.maximum});
    CommandResult output;
    // The maps are in place before the report is; a map that cannot be written leaves neither.
    WriteCurrentMapFiles(maps, result.geometry, log10);
    output.written = {writeAnalysisReport<CurrentMapAnalysis>(invocation.outputDirectory, result)};
    output.afterReports = "Map written to " + files.map + "\n";
    if (!files.maximum.empty())
        output.afterReports += "Map of the largest currents written to " + files.maximum + "\n";
    return output;
}

} // namespace tessaloc::cli
