// Reads arbitrary bytes as a VCF/BCF, GENEPOP or GenAlEx genotype file and matches its samples with
// a few coordinate names, or recognises the file's format from its content and reads it as the
// front ends read a genotype file and a coordinate file. The first byte chooses: its value modulo 4
// the reader (VCF/BCF, GENEPOP, GenAlEx, recognised from the content), its next bit a coordinate
// list that names a sample twice (or, paired by order, lists one observation too few), the bit after
// that data type 2 instead of 1 (when recognised from the content), the next one pairing by order
// instead of by name. The rest is the file, written to a temporary file since the readers take paths.
#include "formats/GenotypeFormats.h"
#include "tests/fuzz/NamedGenotypesChecks.h"

#include <cstddef>
#include <cstdint>

using namespace tessaloc;

namespace {

// The genotype file read for the observations of the coordinate file, the same file as a GenAlEx
// table with coordinates or a GENEPOP file named by coordinates may be, or for a few made-up names.
void readAsTheFrontEndsDo(DataType dataType, SampleMatching matching)
{
    SampleTable table;
    bool coordinatesRead = false;
    fuzz::expectedErrorsOnly([&] {
        fuzz::CheckingListener listener;
        ReadCoordinates(fuzz::scratchPath(), table, false, listener);
        fuzz::require(table.xTexts.size() == table.names.size() && table.yTexts.size() == table.names.size(),
                      "coordinates and names out of step");
        coordinatesRead = true;
    });
    if (!coordinatesRead || table.names.empty()) {
        table = SampleTable();
        table.names = {"s1", "s2", "s3"};
        table.xTexts.assign(3, "0");
        table.yTexts.assign(3, "0");
    }
    fuzz::expectedErrorsOnly([&] {
        fuzz::CheckingListener listener;
        ReadGenotypes(fuzz::scratchPath(), GenotypeFormat::Detect, matching, dataType, table, listener);
        fuzz::requireWholeTable(table);
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    fuzz::writeScratch(data + 1, size - 1);
    const bool repeatAName = (data[0] / 4) % 2 == 1;
    const SampleMatching matching = (data[0] / 16) % 2 == 0 ? SampleMatching::ByName : SampleMatching::ByOrder;
    if (data[0] % 4 == 3) {
        readAsTheFrontEndsDo((data[0] / 8) % 2 == 0 ? DataType::Codominant : DataType::Genotypes, matching);
        return 0;
    }
    fuzz::expectedErrorsOnly([&] {
        NamedGenotypes genotypes;
        switch (data[0] % 4) {
        case 0:
            genotypes = ReadVcfGenotypes(fuzz::scratchPath());
            break;
        case 1:
            genotypes = ReadGenepopGenotypes(fuzz::scratchPath());
            break;
        default:
            genotypes = ReadGenalexGenotypes(fuzz::scratchPath());
            break;
        }
        fuzz::requireMatchable(std::move(genotypes), repeatAName, matching);
    });
    return 0;
}
