// Reads a distance matrix file for a list of observation names from arbitrary bytes: the names, one
// a line (at most 64), then the byte 0x1E, then the CSV file.
#include "core/FieldReader.h"
#include "formats/DistanceMatrixFile.h"
#include "tests/fuzz/FuzzChecks.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace tessaloc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\x1e');
    std::vector<std::string> names;
    const std::string list = input.substr(0, split);
    for (std::size_t start = 0; start <= list.size() && names.size() < 64;) {
        const std::size_t end = std::min(list.find('\n', start), list.size());
        names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    FieldReader reader = FieldReader::fromText(split == std::string::npos ? std::string() : input.substr(split + 1),
                                               kDistanceMatrixFileRole, "m.csv");
    fuzz::expectedErrorsOnly([&] {
        const SquareMatrix matrix = ReadDistanceMatrixFile(reader, names);
        fuzz::requireDistanceMatrix(matrix, static_cast<int>(names.size()), false);
    });
    return 0;
}
