// Splits arbitrary bytes into fields. The first byte says, bit by bit, which fields are read as
// numbers; the rest is the file.
#include "core/FieldReader.h"
#include "tests/fuzz/FuzzChecks.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace tessaloc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t numericFields = data[0];
    const std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);
    FieldReader reader = FieldReader::fromText(content, "fuzz file", "fuzz.txt");
    std::size_t fields = 0;
    std::int64_t line = 1;
    for (int k = 0;; ++k) {
        const bool numeric = (numericFields >> (k % 8)) & 1;
        const auto field = numeric ? reader.nextNumber() : reader.nextText();
        fuzz::require(reader.fieldLine() >= line, "the line number went back");
        line = reader.fieldLine();
        if (!field)
            break;
        // Every field takes at least one byte of the file: the genotype reader sizes its table on it.
        fuzz::require(++fields <= content.size(), "more fields than bytes");
        const auto number = parseDecimal(*field);
        fuzz::require(!number || std::isfinite(*number), "a number that is not finite");
        const std::string quoted = quotedField(*field);
        fuzz::requireSafeMessage(quoted);
        fuzz::require(quoted.size() <= 4 * kQuotedFieldLength + 5, "a quoted field too long");
        fuzz::requireSafeMessage(reader.where());
    }
    // Once at the end, the reader stays there.
    fuzz::require(!reader.nextText() && !reader.nextNumber(), "a field after the end");
    return 0;
}
