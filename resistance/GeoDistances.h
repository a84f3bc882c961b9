#pragma once

#include "core/RunListener.h"
#include "core/SampleTable.h"
#include "core/SquareMatrix.h"
#include "resistance/ResistanceSurface.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tessaloc {

/// Which distances between the sample locations the analyses take as their geographic distances.
enum class GeoDistanceKind {
    Straight,  ///< the straight line: planar, or great-circle kilometres with latitude/longitude
    LeastCost, ///< the cheapest path over a resistance surface (LeastCostDistances)
    Circuit,   ///< the effective resistance over a resistance surface (CircuitDistances)
    Matrix,    ///< a matrix read from a CSV file (ReadDistanceMatrixFile)
};

/// The kind's keyword: "straight", "least-cost", "resistance", "matrix".
std::string_view geoDistanceKindName(GeoDistanceKind kind);
/// The kind of a keyword, or nothing for any other text.
std::optional<GeoDistanceKind> parseGeoDistanceKind(std::string_view name);

/// The choice of geographic distances and what it needs.
struct GeoDistanceSettings {
    GeoDistanceKind kind = GeoDistanceKind::Straight;
    /// The resistance surface (least-cost, circuit) or the distance matrix (matrix); unused for the
    /// straight line.
    std::string file;
    /// The neighbours of a cell on a resistance surface: 4 or 8.
    int neighbours = 8;
    /// Threads of the least-cost searches; 0 for defaultThreadCount().
    int threads = 0;
    /// The most memory a run over a resistance surface may need, in bytes; 0 for the physical memory.
    std::uint64_t memoryLimit = 0;
};

/// The message for a choice that needs a file (a resistance surface or a distance matrix) and names
/// none ("No resistance surface is named for the circuit resistance."); empty when nothing is missing.
std::string missingFileProblem(const GeoDistanceSettings& settings);

/// The pairwise geographic distances of the table's observations as `settings` chooses them:
/// symmetric, zero diagonal, one row per observation in table order.
///
/// - Straight: BuildGeographicDistances(table, useLatLong), exactly.
/// - LeastCost, Circuit: reads band 1 of the raster `settings.file` (status "Reading the resistance
///   surface"), checks its coordinate system against `useLatLong` and the memory the run needs
///   before reading the cells, places the observations (in the raster's coordinates; a raster
///   without a coordinate system is taken in those of the sample file) and runs the engine. Least-cost
///   distances are in the unit of the coordinates times the resistances (great-circle kilometres
///   with `useLatLong`); circuit distances in the unit of the resistances.
/// - Matrix: the CSV file matched to the observations by name.
///
/// A choice other than the straight line without a file is a DataProblem.
/// Throws DataProblem for every problem with the files or the surface (see RasterFile,
/// ResistanceSurface, PlaceObservations, RequireJoined, ReadDistanceMatrixFile), AnalysisError as
/// BuildGeographicDistances does, and RunCancelled when the listener asks.
SquareMatrix BuildGeographicDistances(const SampleTable& table, bool useLatLong, const GeoDistanceSettings& settings,
                                      RunListener& listener = RunListener::none());

/// Reads band 1 of the raster `path` as a resistance surface (status "Reading the resistance
/// surface"): checks its coordinate system against `useLatLong`, then, before the cells are read,
/// that the cells and the `engineNeed` of the raster's geometry fit in `memoryLimit` (0: the physical
/// memory) for `purpose` ("circuit resistance"). Throws DataProblem as RasterFile, ResistanceSurface,
/// RequireMatchingCoordinates and requireMemory do, RunCancelled when the listener asks.
ResistanceSurface ReadResistanceSurface(const std::string& path, bool useLatLong,
                                        const std::function<std::uint64_t(const RasterGeometry&)>& engineNeed,
                                        std::uint64_t memoryLimit, const std::string& purpose,
                                        RunListener& listener = RunListener::none());

/// The choice in words for a report line: `least-cost paths over the resistance surface "x.tif"
/// (8 neighbours)`, `the distance matrix file "d.csv"`; `straight lines` for the default.
std::string describeGeoDistances(const GeoDistanceSettings& settings);

/// The report line that names geographic distances other than the straight line, written after the
/// file lines of a report whose numbers rest on them: `Geographic Distances: ` and
/// describeGeoDistances. Empty for the straight line, whose reports have no such line.
std::string geoDistancesLine(const GeoDistanceSettings& settings);

} // namespace tessaloc
