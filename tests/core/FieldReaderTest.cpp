#include "core/FieldReader.h"
#include "formats/OwnFormatReaders.h"

#include "core/Errors.h"
#include "core/SampleTable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <type_traits>

namespace tessaloc {
namespace {

TEST(FieldReader, LineNumbersAreCountedInSixtyFourBits)
{
    static_assert(std::is_same_v<decltype(std::declval<FieldReader>().fieldLine()), std::int64_t>);
    // A reader that starts just below 2^31 lines, as after reading a file of two thousand million
    // lines: a 32-bit count would wrap to a negative line here.
    constexpr std::int64_t kFirstLine = 2147483646;
    FieldReader reader = FieldReader::fromText("A\nB\nC\n", "coordinate file", "big.txt", kFirstLine);
    ASSERT_EQ(reader.nextText(), "A");
    ASSERT_EQ(reader.nextText(), "B");
    ASSERT_EQ(reader.nextText(), "C");
    EXPECT_EQ(reader.fieldLine(), 2147483648);
    EXPECT_EQ(reader.where(), "coordinate file \"big.txt\", line 2147483648");
    EXPECT_FALSE(reader.nextText().has_value());
    EXPECT_EQ(reader.fieldLine(), 2147483648);
}

TEST(FieldReader, MessageOfAReaderBeyondFourThousandMillionLines)
{
    FieldReader reader = FieldReader::fromText("A,1\n", "coordinate file", "big.txt", 5000000000);
    SampleTable table;
    try {
        ReadCoordinateFile(reader, table);
        FAIL() << "a file without its terminator must not read";
    } catch (const AnalysisError& error) {
        EXPECT_EQ(
            std::string(error.what()),
            "coordinate file \"big.txt\", line 5000000000: expected the Y coordinate of \"A\", but the file ended");
    }
}

TEST(FieldReader, TellsWhetherAFieldStartsItsLine)
{
    FieldReader reader = FieldReader::fromText("2\nA,x,\"y\nz\"\n  B,1 2\n\nC", "genotype file", "g.txt");
    const struct {
        bool numeric;
        const char* value;
        bool startsLine;
    } expected[] = {
        {true, "2", true},  {false, "A", true}, {false, "x", false}, {false, "y\nz", false}, {false, "B", true},
        {true, "1", false}, {true, "2", false}, {false, "", true},   {false, "C", true},
    };
    for (const auto& field : expected) {
        const auto value = field.numeric ? reader.nextNumber() : reader.nextText();
        ASSERT_EQ(value, field.value);
        EXPECT_EQ(reader.fieldStartsLine(), field.startsLine) << field.value;
    }
}

TEST(FieldReader, PathsWithControlCharactersAreEscapedInMessages)
{
    FieldReader reader = FieldReader::fromText("", "coordinate file", "odd\x1b[2Jname.txt");
    EXPECT_EQ(reader.where(), "coordinate file \"odd\\x1b[2Jname.txt\", line 1");
}

} // namespace
} // namespace tessaloc
