// Reads arbitrary bytes as a VCF/BCF, GENEPOP or GenAlEx genotype file and matches its samples with
// a few coordinate names. The first byte chooses the reader (its value modulo 3); the rest is the
// file, written to a temporary file since the readers take paths.
#include "formats/GenotypeFormats.h"
#include "tests/fuzz/FuzzChecks.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace tessaloc;

namespace {

class CheckingListener : public RunListener {
public:
    void warning(std::string_view text) override { fuzz::requireSafeMessage(text); }
};

const std::string& scratchPath()
{
    static const std::string path = [] {
        std::string name = (std::filesystem::temp_directory_path() / "tessaloc-fuzz-XXXXXX").string();
        const int descriptor = mkstemp(name.data());
        if (descriptor >= 0)
            close(descriptor);
        return name;
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    {
        std::ofstream file(scratchPath(), std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data) + 1, static_cast<std::streamsize>(size - 1));
    }
    fuzz::expectedErrorsOnly([&] {
        NamedGenotypes genotypes;
        switch (data[0] % 3) {
        case 0:
            genotypes = ReadVcfGenotypes(scratchPath());
            break;
        case 1:
            genotypes = ReadGenepopGenotypes(scratchPath());
            break;
        default:
            genotypes = ReadGenalexGenotypes(scratchPath());
            break;
        }
        fuzz::require(genotypes.names.size() == genotypes.places.size(), "a sample without its place");
        for (const GenotypeColumn& column : genotypes.loci)
            fuzz::require(column.size() == genotypes.names.size(), "a locus without every sample");
        SampleTable table;
        table.names.assign(genotypes.names.begin(),
                           genotypes.names.begin() + std::min<size_t>(genotypes.names.size(), 3));
        table.xTexts.assign(table.names.size(), "0");
        table.yTexts.assign(table.names.size(), "0");
        CheckingListener listener;
        MatchGenotypesByName(std::move(genotypes), table, listener);
        for (const GenotypeColumn& column : table.genotypes)
            fuzz::require(column.size() == table.names.size(), "a matched locus without every observation");
    });
    return 0;
}
