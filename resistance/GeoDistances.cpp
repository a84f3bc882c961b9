#include "resistance/GeoDistances.h"

#include "core/Errors.h"
#include "core/GeographicDistances.h"
#include "formats/DistanceMatrixFile.h"
#include "formats/RasterFile.h"
#include "resistance/CircuitDistances.h"
#include "resistance/LeastCostDistances.h"
#include "resistance/MemoryNeed.h"

#include <array>
#include <utility>

namespace tessaloc {
namespace {

constexpr const char* kSurfaceRole = "resistance surface";

constexpr std::array<std::pair<GeoDistanceKind, std::string_view>, 4> kKindNames{{
    {GeoDistanceKind::Straight, "straight"},
    {GeoDistanceKind::LeastCost, "least-cost"},
    {GeoDistanceKind::Circuit, "resistance"},
    {GeoDistanceKind::Matrix, "matrix"},
}};

std::string quotedPath(const std::string& path)
{
    return "\"" + escapeControlCharacters(path) + "\"";
}

SquareMatrix surfaceDistances(const SampleTable& table, bool useLatLong, const GeoDistanceSettings& settings,
                              RunListener& listener)
{
    const bool leastCost = settings.kind == GeoDistanceKind::LeastCost;
    const int threads = leastCostThreads(settings.threads, table.sampleCount());
    const auto observations = static_cast<std::uint64_t>(table.sampleCount());
    const ResistanceSurface surface = ReadResistanceSurface(
        settings.file, useLatLong,
        [&](const RasterGeometry& geometry) {
            const std::uint64_t engine =
                leastCost ? leastCostMemoryNeed(geometry.columns, geometry.rows, threads)
                          : circuitMemoryNeedBeforeFactor(geometry.columns, geometry.rows, settings.neighbours);
            return engine + observations * observations * sizeof(double);
        },
        settings.memoryLimit, leastCost ? "least-cost paths" : "circuit resistance", listener);
    const PlacedObservations placed = PlaceObservations(surface, table, useLatLong);
    if (leastCost)
        return LeastCostDistances(surface, placed, settings.neighbours, threads, listener);
    return CircuitDistances(surface, placed, settings.neighbours, listener, settings.memoryLimit);
}

} // namespace

ResistanceSurface ReadResistanceSurface(const std::string& path, bool useLatLong,
                                        const std::function<std::uint64_t(const RasterGeometry&)>& engineNeed,
                                        std::uint64_t memoryLimit, const std::string& purpose, RunListener& listener)
{
    listener.status("Reading the resistance surface");
    const RasterFile raster(path, kSurfaceRole);
    const RasterGeometry& geometry = raster.geometry();
    RequireMatchingCoordinates(geometry, useLatLong, raster.description());
    const std::uint64_t cells = static_cast<std::uint64_t>(geometry.cellCount()) * sizeof(double);
    auto requireBytes = [&](std::uint64_t bytes) {
        requireMemory(bytes, memoryLimit,
                      raster.description() + " (" + std::to_string(geometry.columns) + " x " +
                          std::to_string(geometry.rows) + " cells)",
                      purpose);
    };
    // A header whose count of cells its file confirms is believed before the cells are read; any
    // other only as far as the cells themselves go, until they are read (a short file is then a
    // problem of the file, not of memory).
    requireBytes(raster.cellCountConfirmed() ? cells + engineNeed(geometry) : cells);
    // The coordinate systems agree, or the raster has none and is read in the sample file's.
    ResistanceSurface surface(geometry, raster.readCells(listener), useLatLong, raster.description());
    if (!raster.cellCountConfirmed())
        requireBytes(cells + engineNeed(geometry));
    return surface;
}

std::string_view geoDistanceKindName(GeoDistanceKind kind)
{
    for (const auto& [k, name] : kKindNames) {
        if (k == kind)
            return name;
    }
    return "straight";
}

std::optional<GeoDistanceKind> parseGeoDistanceKind(std::string_view name)
{
    for (const auto& [kind, text] : kKindNames) {
        if (text == name)
            return kind;
    }
    return std::nullopt;
}

std::string missingFileProblem(const GeoDistanceSettings& settings)
{
    if (settings.kind == GeoDistanceKind::Straight || !settings.file.empty())
        return {};
    if (settings.kind == GeoDistanceKind::Matrix)
        return std::string("No ") + kDistanceMatrixFileRole + " is named.";
    return std::string("No ") + kSurfaceRole + " is named for the " +
           (settings.kind == GeoDistanceKind::LeastCost ? "least-cost paths." : "circuit resistance.");
}

SquareMatrix BuildGeographicDistances(const SampleTable& table, bool useLatLong, const GeoDistanceSettings& settings,
                                      RunListener& listener)
{
    if (const std::string problem = missingFileProblem(settings); !problem.empty())
        throw DataProblem(problem);
    switch (settings.kind) {
    case GeoDistanceKind::Straight:
        break;
    case GeoDistanceKind::LeastCost:
    case GeoDistanceKind::Circuit:
        return surfaceDistances(table, useLatLong, settings, listener);
    case GeoDistanceKind::Matrix:
        return ReadDistanceMatrixFile(settings.file, table.names);
    }
    return BuildGeographicDistances(table, useLatLong).square();
}

std::string describeGeoDistances(const GeoDistanceSettings& settings)
{
    const std::string neighbours = " (" + std::to_string(settings.neighbours) + " neighbours)";
    switch (settings.kind) {
    case GeoDistanceKind::Straight:
        break;
    case GeoDistanceKind::LeastCost:
        return "least-cost paths over the " + std::string(kSurfaceRole) + " " + quotedPath(settings.file) + neighbours;
    case GeoDistanceKind::Circuit:
        return "circuit resistance over the " + std::string(kSurfaceRole) + " " + quotedPath(settings.file) +
               neighbours;
    case GeoDistanceKind::Matrix:
        return std::string("the ") + kDistanceMatrixFileRole + " " + quotedPath(settings.file);
    }
    return "straight lines";
}

std::string geoDistancesLine(const GeoDistanceSettings& settings)
{
    if (settings.kind == GeoDistanceKind::Straight)
        return {};
    return "Geographic Distances: " + describeGeoDistances(settings);
}

} // namespace tessaloc
