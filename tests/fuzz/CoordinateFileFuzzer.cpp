// Reads arbitrary bytes as a coordinate file and builds the geographic distances of what it holds,
// planar and on the globe. The first byte chooses latitude/longitude (its lowest bit).
#include "core/FieldReader.h"
#include "core/GeographicDistances.h"
#include "core/SampleTable.h"
#include "formats/OwnFormatReaders.h"
#include "tests/fuzz/FuzzChecks.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace tessaloc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool useLatLong = data[0] & 1;
    FieldReader reader = FieldReader::fromText(std::string(reinterpret_cast<const char*>(data) + 1, size - 1),
                                               "coordinate file", "c.txt");
    fuzz::expectedErrorsOnly([&] {
        SampleTable table;
        ReadCoordinateFile(reader, table);
        const int n = table.sampleCount();
        fuzz::require(n > 0, "an empty coordinate list was accepted");
        fuzz::require(table.xTexts.size() == table.names.size() && table.yTexts.size() == table.names.size(),
                      "coordinates and names out of step");
        // The matrix grows with the square of the observations; a few hundred tell all.
        if (n <= 300)
            fuzz::requireDistanceMatrix(BuildGeographicDistances(table, useLatLong), n, false);
    });
    return 0;
}
