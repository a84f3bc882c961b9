// Reads an ESRI ASCII grid from arbitrary bytes as a resistance surface and builds the distances
// over it. The first byte chooses 4 or 8 neighbours (bit 0), least-cost paths or circuit resistance
// (bit 1) and longitude/latitude (bit 2); the rest is the grid's text, written to a file (GDAL reads
// files) that the text check of RasterFile reads before GDAL. Three observations stand in the first,
// the middle and the last passable cell. Every accepted grid must give its header's count of cells,
// and every distance must be finite and not negative; on small circuits the distance of the first
// and the last observation must agree with a dense solve in long double: a surface the engines
// cannot compute accurately is a data problem, never a wrong number.
#include "formats/RasterFile.h"
#include "resistance/CircuitDistances.h"
#include "resistance/LeastCostDistances.h"
#include "resistance/ResistanceSurface.h"
#include "tests/fuzz/FuzzChecks.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
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
// Circuits this small are also solved densely in long double, where resistances span at most this
// ratio (beyond it the reference itself loses digits).
constexpr int kMostReferenceNodes = 150;
constexpr double kWidestReferenceRatio = 1e12;

// R(a, b) from the literal Laplacian of the passable cells in long double, grounded at b: L_b x =
// e_a by Gaussian elimination with partial pivoting, R = x_a. Nothing when the circuit has more than
// kMostReferenceNodes nodes or a resistance ratio beyond kWidestReferenceRatio.
std::optional<long double> referenceResistance(const ResistanceSurface& surface, int neighbours, CellIndex a,
                                               CellIndex b)
{
    const int columns = surface.columns();
    std::vector<int> node(static_cast<size_t>(surface.cellCount()), -1);
    std::vector<CellIndex> cells;
    double lowest = std::numeric_limits<double>::infinity();
    double highest = 0.0;
    for (CellIndex cell = 0; cell < surface.cellCount(); ++cell) {
        if (surface.passable(cell) && cell != b) {
            node[static_cast<size_t>(cell)] = static_cast<int>(cells.size());
            cells.push_back(cell);
        }
        if (surface.passable(cell)) {
            lowest = std::min(lowest, surface.resistance(cell));
            highest = std::max(highest, surface.resistance(cell));
        }
    }
    const auto n = static_cast<int>(cells.size());
    if (n > kMostReferenceNodes || !(highest / lowest <= kWidestReferenceRatio))
        return std::nullopt;
    std::vector<std::vector<long double>> m(static_cast<size_t>(n),
                                            std::vector<long double>(static_cast<size_t>(n) + 1));
    for (int i = 0; i < n; ++i) {
        const int r = static_cast<int>(cells[i] / columns);
        const int c = static_cast<int>(cells[i] % columns);
        for (int dr = -1; dr <= 1; ++dr) {
            for (int dc = -1; dc <= 1; ++dc) {
                const bool diagonal = dr != 0 && dc != 0;
                if ((dr == 0 && dc == 0) || (diagonal && neighbours == 4) || r + dr < 0 || r + dr >= surface.rows() ||
                    c + dc < 0 || c + dc >= columns)
                    continue;
                const CellIndex other = static_cast<CellIndex>(r + dr) * columns + c + dc;
                if (!surface.passable(other))
                    continue;
                const long double conductance =
                    1.0L / ((static_cast<long double>(surface.resistance(cells[i])) + surface.resistance(other)) /
                            2.0L * (diagonal ? std::sqrt(2.0L) : 1.0L));
                m[i][i] += conductance;
                if (const int j = node[static_cast<size_t>(other)]; j >= 0)
                    m[i][j] -= conductance;
            }
        }
    }
    const int target = node[static_cast<size_t>(a)];
    m[target][n] = 1.0L;
    for (int column = 0; column < n; ++column) {
        int pivot = column;
        for (int row = column + 1; row < n; ++row) {
            if (std::abs(m[row][column]) > std::abs(m[pivot][column]))
                pivot = row;
        }
        std::swap(m[pivot], m[column]);
        if (m[column][column] == 0.0L)
            return std::nullopt; // a part no path joins to b
        for (int row = column + 1; row < n; ++row) {
            const long double factor = m[row][column] / m[column][column];
            for (int j = column; j <= n; ++j)
                m[row][j] -= factor * m[column][j];
        }
    }
    std::vector<long double> x(static_cast<size_t>(n));
    for (int row = n - 1; row >= 0; --row) {
        long double sum = m[row][n];
        for (int j = row + 1; j < n; ++j)
            sum -= m[row][j] * x[j];
        x[row] = sum / m[row][row];
    }
    return x[target];
}

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
        // A circuit's distance is right to the check's tolerance (with a margin) or not given at all.
        if (!leastCost && placed.cells[0] != placed.cells[2]) {
            if (const auto expected = referenceResistance(surface, neighbours, placed.cells[0], placed.cells[2])) {
                const auto relative = std::abs((static_cast<long double>(distances(0, 2)) - *expected) / *expected);
                fuzz::require(relative <= 1e-5L, "a circuit distance off its independent solution");
            }
        }
    });
    return 0;
}
