#include "analyses/currentmap/CurrentMapFile.h"

#include "core/Errors.h"
#include "formats/GeoTiffWriter.h"

#include <cmath>
#include <filesystem>
#include <limits>
#include <random>

namespace tessaloc {
namespace {

// A name beside `path` that nothing has yet, for writing the file before it is put in place.
std::filesystem::path partName(const std::filesystem::path& path)
{
    static thread_local std::mt19937_64 generator(std::random_device{}());
    for (;;) {
        std::filesystem::path part = path;
        part += "." + std::to_string(generator() % 1000000000ULL) + ".part";
        std::error_code ignored;
        if (!std::filesystem::exists(part, ignored))
            return part;
    }
}

} // namespace

std::vector<double> log10Currents(const std::vector<double>& currents)
{
    std::vector<double> logs(currents.size());
    for (size_t cell = 0; cell < currents.size(); ++cell)
        logs[cell] = currents[cell] > 0.0 ? std::log10(currents[cell]) : std::numeric_limits<double>::quiet_NaN();
    return logs;
}

void WriteCurrentMapFiles(const std::vector<CurrentMapFile>& maps, const RasterGeometry& geometry, bool log10)
{
    std::vector<std::filesystem::path> parts;
    const auto removeParts = [&parts] {
        for (const auto& part : parts) {
            std::error_code ignored;
            std::filesystem::remove(part, ignored);
        }
    };
    try {
        for (const CurrentMapFile& map : maps) {
            parts.push_back(partName(map.path));
            const std::vector<double> logs = log10 ? log10Currents(*map.values) : std::vector<double>{};
            GeoTiffRaster raster;
            raster.columns = geometry.columns;
            raster.rows = geometry.rows;
            raster.transform = geometry.transform;
            raster.coordinateSystemWkt = geometry.coordinateSystemWkt;
            raster.cells = log10 ? logs : *map.values;
            WriteGeoTiff(parts.back(), raster, "the map");
        }
        for (size_t k = 0; k < maps.size(); ++k) {
            std::error_code failure;
            std::filesystem::rename(parts[k], maps[k].path, failure);
            if (failure) {
                // The maps put in place before it go too: a run leaves all of its maps or none.
                for (size_t placed = 0; placed < k; ++placed) {
                    std::error_code ignored;
                    std::filesystem::remove(maps[placed].path, ignored);
                }
                throw AnalysisError("cannot put the map \"" + escapeControlCharacters(maps[k].path) +
                                    "\" in place: " + failure.message());
            }
        }
    } catch (...) {
        removeParts();
        throw;
    }
}

} // namespace tessaloc
