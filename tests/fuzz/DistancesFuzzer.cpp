// Reads a coordinate file and a genotype file from arbitrary bytes and builds both distance
// matrices. The first byte chooses the data type (lowest two bits: 1, 2, 3, or 0 for 3) and
// latitude/longitude (bit 2); the rest is the coordinate file, then the byte 0x1E, then the
// genotype file. For data types 1 and 2 every distance kernel of the processor must give the same
// matrix.
#include "core/AlleleSharingSums.h"
#include "core/FieldReader.h"
#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "core/SampleTable.h"
#include "formats/OwnFormatReaders.h"
#include "tests/fuzz/FuzzChecks.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

using namespace tessaloc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int typeBits = data[0] & 3;
    const DataType dataType = static_cast<DataType>(typeBits == 0 ? 3 : typeBits);
    const bool useLatLong = (data[0] >> 2) & 1;
    const std::string files(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t split = files.find('\x1e');
    FieldReader coordinates = FieldReader::fromText(files.substr(0, split), "coordinate file", "c.txt");
    FieldReader genotypes = FieldReader::fromText(split == std::string::npos ? std::string() : files.substr(split + 1),
                                                  "genotype file", "g.txt");
    fuzz::expectedErrorsOnly([&] {
        SampleTable table;
        ReadCoordinateFile(coordinates, table);
        ReadGenotypeFile(genotypes, dataType, table);
        const int n = table.sampleCount();
        if (n > 300)
            return;
        fuzz::requireDistanceMatrix(BuildGeographicDistances(table, useLatLong), n, false);
        const PackedDistances genetic = BuildGeneticDistances(table, dataType);
        fuzz::requireDistanceMatrix(genetic, n, true);
        // Every kernel of this processor gives the same distances bit for bit.
        if (dataType == DataType::Sequences)
            return;
        for (const DistanceKernel kernel : availableDistanceKernels()) {
            const PackedDistances other = dataType == DataType::Codominant ? alleleSharingDistances(table, kernel)
                                                                           : genotypeDifferenceDistances(table, kernel);
            fuzz::require(other.size() == n &&
                              (genetic.values().empty() || std::memcmp(other.values().data(), genetic.values().data(),
                                                                       genetic.values().size() * sizeof(double)) == 0),
                          "distance kernels that disagree");
        }
    });
    return 0;
}
