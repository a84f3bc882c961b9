// Reads arbitrary bytes as a BCF file and matches its samples with a few coordinate names. The seeds
// are uncompressed BCF (htslib's "wbu"), so that mutations reach the binary records themselves: the
// sample and value counts a record claims, the types of its values, the calls.
#include "formats/GenotypeFormats.h"
#include "tests/fuzz/NamedGenotypesChecks.h"

#include <cstddef>
#include <cstdint>

using namespace tessaloc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::writeScratch(data, size);
    fuzz::expectedErrorsOnly(
        [&] { fuzz::requireMatchable(ReadVcfGenotypes(fuzz::scratchPath()), false, SampleMatching::ByName); });
    return 0;
}
