// tessaloc_resistance_distances KIND SURFACE COORDINATES OUTPUT [--neighbours 4|8] [--latlong] [--threads T] [--steps]
//
// Reads the surface and the coordinate file, builds the least-cost (KIND least-cost) or circuit
// (KIND resistance) distances exactly as the analyses will, writes them as the distances export
// does, and prints the seconds from reading the surface to the finished matrix. For
// compare_scipy.py; not installed.

#include "core/Errors.h"
#include "formats/DistanceCsv.h"
#include "formats/OwnFormatReaders.h"
#include "resistance/GeoDistances.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string_view>

namespace {

// With --steps: each status text on standard error with the seconds since the start.
class StepTimes : public tessaloc::RunListener {
public:
    void status(std::string_view text) override
    {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - m_start;
        std::cerr << elapsed.count() << " s: " << text << "\n";
    }

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

} // namespace

int main(int argc, char** argv)
{
    using namespace tessaloc;
    if (argc < 5) {
        std::cerr << "usage: tessaloc_resistance_distances least-cost|resistance SURFACE COORDINATES OUTPUT "
                     "[--neighbours 4|8] [--latlong] [--threads T] [--steps]\n";
        return 64;
    }
    GeoDistanceSettings settings;
    const auto kind = parseGeoDistanceKind(argv[1]);
    if (!kind || (*kind != GeoDistanceKind::LeastCost && *kind != GeoDistanceKind::Circuit)) {
        std::cerr << "unknown kind " << argv[1] << "\n";
        return 64;
    }
    settings.kind = *kind;
    settings.file = argv[2];
    bool useLatLong = false;
    bool steps = false;
    for (int k = 5; k < argc; ++k) {
        if (std::strcmp(argv[k], "--latlong") == 0)
            useLatLong = true;
        else if (std::strcmp(argv[k], "--steps") == 0)
            steps = true;
        else if (std::strcmp(argv[k], "--neighbours") == 0 && k + 1 < argc)
            settings.neighbours = std::atoi(argv[++k]);
        else if (std::strcmp(argv[k], "--threads") == 0 && k + 1 < argc)
            settings.threads = std::atoi(argv[++k]);
    }
    const RunStatus status = runGuarded([&] {
        SampleTable table;
        ReadCoordinateFile(argv[3], table);
        const auto start = std::chrono::steady_clock::now();
        StepTimes times;
        const SquareMatrix distances =
            BuildGeographicDistances(table, useLatLong, settings, steps ? times : RunListener::none());
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        std::ofstream(argv[4], std::ios::binary) << DistanceMatrixCsv(table.names, distances);
        std::cout << elapsed.count() << "\n";
    });
    if (status.outcome != RunOutcome::Success) {
        std::cerr << status.text << "\n";
        return 1;
    }
    return 0;
}
