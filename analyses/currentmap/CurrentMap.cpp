#include "analyses/currentmap/CurrentMap.h"

#include "core/Errors.h"
#include "formats/GenotypeFormats.h"
#include "resistance/GeoDistances.h"

#include <cmath>

namespace tessaloc {

std::string missingSurfaceProblem(const GeoDistanceSettings& settings)
{
    const bool surface = settings.kind == GeoDistanceKind::LeastCost || settings.kind == GeoDistanceKind::Circuit;
    if (surface && !settings.file.empty())
        return {};
    return "The current map needs a resistance surface: choose least-cost paths or circuit resistance over a "
           "resistance surface for the geographic distances, and name its file.";
}

CurrentMapResult RunCurrentMap(const CurrentMapInput& input, RunListener& listener)
{
    const GeoDistanceSettings& surfaceSettings = input.geoDistances;
    if (const std::string problem = missingSurfaceProblem(surfaceSettings); !problem.empty())
        throw DataProblem(problem);
    listener.status("Reading");
    SampleTable table;
    ReadCoordinates(input.coordinatePath, table, input.useLatLong, listener);

    const bool maximum = input.settings.maximum;
    const ResistanceSurface surface = ReadResistanceSurface(
        surfaceSettings.file, input.useLatLong,
        [&](const RasterGeometry& geometry) {
            return currentMapMemoryNeedBeforeFactor(geometry.columns, geometry.rows, surfaceSettings.neighbours,
                                                    maximum);
        },
        surfaceSettings.memoryLimit, "the current map", listener);
    const PlacedObservations placed = PlaceObservations(surface, table, input.useLatLong);

    CurrentMapResult result;
    result.coordinatePath = input.coordinatePath;
    result.surfacePath = surfaceSettings.file;
    result.neighbours = surfaceSettings.neighbours;
    result.geometry = surface.geometry();
    result.useLatLong = input.useLatLong;
    result.names = table.names;
    for (int i = 0; i < table.sampleCount(); ++i) {
        result.x.push_back(table.coordinateX(i));
        result.y.push_back(table.coordinateY(i));
    }
    result.currents = CumulativeCurrentMap(surface, placed, surfaceSettings.neighbours, maximum, listener,
                                           surfaceSettings.memoryLimit);
    const std::vector<double>& map = result.currents.cumulative;
    for (size_t cell = 0; cell < map.size(); ++cell) {
        if (std::isnan(map[cell]))
            continue;
        result.total += map[cell];
        if (map[cell] > result.largest) {
            result.largest = map[cell];
            result.largestCell = static_cast<CellIndex>(cell);
        }
    }
    return result;
}

} // namespace tessaloc
