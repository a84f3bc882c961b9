// Reads an ESRI ASCII grid from arbitrary bytes as a resistance surface and builds the distances
// over it. The first byte chooses 4 or 8 neighbours (bit 0), least-cost paths or circuit resistance
// (bit 1) and longitude/latitude (bit 2); the rest is the grid's text, written to a file (GDAL reads
// files) that the text check of RasterFile reads before GDAL. Three observations stand in the first,
// the middle and the last passable cell. Every accepted grid must give its header's count of cells,
// and every distance must be finite and not negative: a surface the engines cannot compute
// accurately is a data problem, never a wrong number.
#include "formats/RasterFile.h"
#include "resistance/CircuitDistances.h"
#include "resistance/LeastCostDistances.h"
#include "resistance/ResistanceSurface.h"
#include "tests/fuzz/FuzzChecks.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace tessaloc;

namespace {

// One file per process, rewritten for every input.
const std::filesystem::path& gridPath()
{
    static const std::filesystem::path path = [] {
        std::string folder = (std::filesystem::temp_directory_path() / "tessaloc-fuzz-XXXXXX").string();
        if (mkdtemp(folder.data()) == nullptr)
            fuzz::fail("no temporary folder");
        return std::filesystem::path(folder) / "surface.asc";
    }();
    return path;
}

// Small surfaces only: the engines' cost is not what is fuzzed.
constexpr std::int64_t kMostCells = 4096;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int neighbours = (data[0] & 1) != 0 ? 8 : 4;
    const bool leastCost = (data[0] & 2) == 0;
    const bool geographic = (data[0] & 4) != 0;
    {
        std::ofstream file(gridPath(), std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data) + 1, static_cast<std::streamsize>(size - 1));
    }
    fuzz::expectedErrorsOnly([&] {
        const RasterFile raster(gridPath(), "resistance surface");
        const RasterGeometry& geometry = raster.geometry();
        if (geometry.cellCount() > kMostCells)
            return;
        std::vector<double> cells = raster.readCells();
        fuzz::require(static_cast<std::int64_t>(cells.size()) == geometry.cellCount(),
                      "a grid read with another count of cells than its header's");
        const ResistanceSurface surface(geometry, std::move(cells), geographic, raster.description());
        std::vector<CellIndex> passable;
        for (CellIndex cell = 0; cell < surface.cellCount(); ++cell) {
            if (surface.passable(cell))
                passable.push_back(cell);
        }
        PlacedObservations placed;
        for (const CellIndex cell : {passable.front(), passable[passable.size() / 2], passable.back()}) {
            placed.cells.push_back(cell);
            placed.names.push_back("observation " + std::to_string(placed.size() + 1));
        }
        const SquareMatrix distances =
            leastCost ? LeastCostDistances(surface, placed, neighbours, 1)
                      : CircuitDistances(surface, placed, neighbours, RunListener::none(), 256u << 20);
        fuzz::requireDistanceMatrix(distances, placed.size(), false);
    });
    return 0;
}
