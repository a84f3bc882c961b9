#include "cli/LandscapeCommand.h"

#include "analyses/landscape/GridInterpolation.h"
#include "analyses/landscape/Landscape.h"
#include "core/Errors.h"
#include "core/FieldReader.h"
#include "core/ReportWriter.h"
#include "formats/GridExport.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace tessaloc::cli {
namespace {

// One --grid request: the three values of the viewer's parameter boxes.
struct GridRequest {
    std::string text;
    std::int32_t xBinCount = 0;
    std::int32_t yBinCount = 0;
    double distanceWeight = 1.0;
};

// A bin count is the number rounded to a whole number (halves to even, as the viewer's boxes are
// read); beyond the 32-bit range it stays outside 1..500, which the interpolation rejects.
std::int32_t binCount(double value)
{
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    if (rounded > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(rounded);
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end = text.find(separator); end != std::string::npos; end = text.find(separator, start)) {
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

// Every --grid "NX,NY,P", in the order given.
std::vector<GridRequest> gridRequests(const Invocation& invocation)
{
    std::vector<GridRequest> requests;
    for (const std::string& text : invocation.textValues("--grid")) {
        const std::vector<std::string> parts = split(text, ',');
        std::vector<double> numbers;
        for (const std::string& part : parts) {
            if (const auto value = parseDecimal(part))
                numbers.push_back(*value);
        }
        if (parts.size() != 3 || numbers.size() != 3)
            throw UsageError("--grid takes three numbers NX,NY,P, not " + quotedField(text));
        requests.push_back({text, binCount(numbers[0]), binCount(numbers[1]), numbers[2]});
    }
    return requests;
}

// The grid options: every --grid and the --grid-file that takes the last one.
struct GridOptions {
    std::vector<GridRequest> requests;
    bool wantsGridFile = false;
    std::string gridFile;
};

GridOptions gridOptions(const Invocation& invocation)
{
    GridOptions options;
    options.requests = gridRequests(invocation);
    options.wantsGridFile = invocation.values.count("--grid-file") != 0;
    options.gridFile = invocation.textValue("--grid-file", "");
    if (options.wantsGridFile && options.gridFile.empty())
        throw UsageError("--grid-file needs a file name");
    if (options.wantsGridFile && options.requests.empty())
        throw UsageError("--grid-file writes the grid of the last --grid; give a --grid too");
    return options;
}

} // namespace

const std::string_view AnalysisCommandLine<LandscapeAnalysis>::summary =
    "genetic landscape shape: heights on a network over the sample locations, interpolated over "
    "grids; writes LandscapeShape.txt";

std::vector<OptionSpec> AnalysisCommandLine<LandscapeAnalysis>::options()
{
    return {
        {"--network", "delaunay|pairwise", "lines of the Delaunay triangulation (default) or between all pairs"},
        {"--heights", "raw|pseudoslope|residual", "genetic distances, divided by length, or residuals (default)"},
        {"--log-heights", "", "log10-transform the heights (with any --heights)"},
        {"--grid", "NX,NY,P",
         "append an interpolation over NX x NY bins with distance weight P; each --grid "
         "appends one, in the order given",
         true},
        {"--grid-file", "FILE",
         "also write the last --grid's grid to FILE: a table x,y,height,inside when FILE ends in .csv, "
         "otherwise an ESRI ASCII grid (nodes outside the sample hull as NODATA)",
         false, OptionFile::Written, "the grid file"},
    };
}

LandscapeSettings AnalysisCommandLine<LandscapeAnalysis>::settings(const Invocation& invocation)
{
    LandscapeSettings settings;
    settings.network = choiceValue<LandscapeNetwork>(
        invocation, "--network", "delaunay",
        {{"delaunay", LandscapeNetwork::Delaunay}, {"pairwise", LandscapeNetwork::Pairwise}});
    settings.heightMode = choiceValue<LandscapeHeightMode>(invocation, "--heights", "residual",
                                                           {{"raw", LandscapeHeightMode::Raw},
                                                            {"pseudoslope", LandscapeHeightMode::Pseudoslope},
                                                            {"residual", LandscapeHeightMode::Residual}});
    settings.logHeights = invocation.flag("--log-heights");
    gridOptions(invocation);
    return settings;
}

CommandResult AnalysisCommandLine<LandscapeAnalysis>::write(const Invocation& invocation, const LandscapeResult& shape,
                                                            RunListener& listener)
{
    const GridOptions options = gridOptions(invocation);

    // Each grid is interpolated as pressing "Start" with its values would; one that fails leaves
    // its section out and the rest go on.
    std::vector<InterpolationGrid> grids;
    std::string failures;
    const auto addFailure = [&failures](const std::string& text) {
        if (!failures.empty())
            failures += '\n';
        failures += text;
    };
    bool lastGridMade = false;
    for (const GridRequest& request : options.requests) {
        try {
            grids.push_back(
                InterpolateLandscape(shape, request.xBinCount, request.yBinCount, request.distanceWeight, listener));
            lastGridMade = true;
        } catch (const DataProblem& problem) {
            addFailure(problem.what());
            lastGridMade = false;
        }
    }

    CommandResult output;
    output.written = {
        writeReportFile(invocation.outputDirectory, LandscapeAnalysis::kReportFileName, [&](ReportWriter& report) {
            LandscapeAnalysis::writeReport(report, shape);
            for (const InterpolationGrid& grid : grids)
                WriteInterpolationSection(report, grid);
        })};
    // The grid file comes after the report, so that a grid file that cannot be written costs
    // the report nothing.
    if (options.wantsGridFile) {
        if (!lastGridMade) {
            addFailure("No grid file was written: the last --grid could not be interpolated.");
        } else {
            try {
                WriteGridFile(options.gridFile, grids.back());
                output.afterReports = "Grid written to " + options.gridFile + "\n";
            } catch (const DataProblem& problem) {
                addFailure(problem.what());
            } catch (const AnalysisError& error) {
                addFailure(std::string("No grid file was written: ") + error.what());
            }
        }
    }
    // The report stands, but a grid asked for is missing from it or from the grid file: the run
    // ends with status 1.
    output.problems = failures;
    return output;
}

} // namespace tessaloc::cli
