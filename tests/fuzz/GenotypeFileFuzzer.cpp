// Reads arbitrary bytes as a genotype file for 1 to 32 observations of any data type. The first
// byte chooses the data type (its lowest two bits: 1, 2, 3, or 0 for 3) and the number of
// observations (the other six bits).
#include "core/FieldReader.h"
#include "core/SampleTable.h"
#include "formats/OwnFormatReaders.h"
#include "tests/fuzz/FuzzChecks.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace tessaloc;

namespace {

class CheckingListener : public RunListener {
public:
    void warning(std::string_view text) override
    {
        fuzz::requireSafeMessage(text);
        fuzz::require(++m_warnings == 1, "more than one layout warning");
    }

private:
    int m_warnings = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int typeBits = data[0] & 3;
    const DataType dataType = static_cast<DataType>(typeBits == 0 ? 3 : typeBits);
    const int sampleCount = 1 + (data[0] >> 2) % 32;
    FieldReader reader =
        FieldReader::fromText(std::string(reinterpret_cast<const char*>(data) + 1, size - 1), "genotype file", "g.txt");
    fuzz::expectedErrorsOnly([&] {
        SampleTable table;
        table.names.assign(static_cast<std::size_t>(sampleCount), "x");
        CheckingListener listener;
        ReadGenotypeFile(reader, dataType, table, listener);
        fuzz::require(table.locusCount >= 1, "no locus");
        fuzz::require(table.genotypes.size() == static_cast<std::size_t>(table.locusCount), "loci missing");
        for (const auto& column : table.genotypes) {
            fuzz::require(column.size() == static_cast<std::size_t>(sampleCount), "observations missing");
            if (dataType == DataType::Codominant) {
                for (const std::string& field : column.texts())
                    fuzz::require(field.find('\\') != std::string::npos, "a codominant field without separator");
            }
        }
    });
    return 0;
}
