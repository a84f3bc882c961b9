#pragma once

#include "analyses/AnalysisInput.h"
#include "core/ReportWriter.h"
#include "core/RunListener.h"
#include "formats/RasterFile.h"
#include "resistance/CellCurrents.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessaloc {

/// The current map's own settings; the surface and its neighbours are the input's geographic
/// distances' (the main window's "Geographic Distances", the batch program's --resistance and
/// --neighbours).
struct CurrentMapSettings {
    /// Also the map of the largest current of any one pair through each cell.
    bool maximum = false;
};

/// What a run reads: the coordinate file, how to read it, the resistance surface and the settings.
using CurrentMapInput = RunInput<CurrentMapSettings>;

/// Everything the report, the map files and the results window need.
struct CurrentMapResult {
    std::string coordinatePath;
    std::string surfacePath;
    int neighbours = 8;
    /// The surface's grid and coordinate system, which the maps share.
    RasterGeometry geometry;
    /// X is longitude and Y latitude.
    bool useLatLong = false;
    /// The maps, the distinct location cells and how many observations were merged into them.
    CellCurrents currents;
    /// The observations' names and coordinates, in file order.
    std::vector<std::string> names;
    std::vector<double> x;
    std::vector<double> y;
    /// The sum of the cumulative map over its cells.
    double total = 0.0;
    /// The cell of the largest cumulative current (the first such cell row by row) and that current.
    CellIndex largestCell = 0;
    double largest = 0.0;

    int locationCount() const { return static_cast<int>(currents.locations.size()); }
    long long pairCount() const { return static_cast<long long>(locationCount()) * (locationCount() - 1) / 2; }
};

/// The message for an input whose geographic distances name no resistance surface; empty when they
/// do (least-cost paths or circuit resistance with a file).
std::string missingSurfaceProblem(const GeoDistanceSettings& settings);

/// A whole run: status "Reading", reads the coordinate file only, reads the resistance surface of
/// `input.geoDistances` (least-cost or circuit resistance, whose file and neighbours it takes),
/// places the observations on it and computes the maps (CumulativeCurrentMap) within
/// `input.geoDistances.memoryLimit`. Throws DataProblem when no surface is named and as
/// ReadResistanceSurface, PlaceObservations and CumulativeCurrentMap do; RunCancelled when asked.
CurrentMapResult RunCurrentMap(const CurrentMapInput& input, RunListener& listener = RunListener::none());

/// The report's file name.
inline constexpr std::string_view kCurrentMapReportFileName = "CurrentMap-Results.txt";

/// The report: the files, the locations and merged cells, the pairs, the total current and the
/// largest cell with where it is.
void WriteCurrentMapReport(ReportWriter& report, const CurrentMapResult& result);
std::string CurrentMapReport(const CurrentMapResult& result);

/// "row 3, column 7 (x 12.5, y 40.5)": a cell of the map from 1 at the top left, with its centre.
std::string cellPlaceText(const CurrentMapResult& result, CellIndex cell);

} // namespace tessaloc
