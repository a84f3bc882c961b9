#include "core/Errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tessaloc {
namespace {

TEST(RequireFinite, PassesFiniteValuesAndRejectsUndefinedOnes)
{
    EXPECT_EQ(requireFinite(2.5, "x"), 2.5);
    EXPECT_THROW(requireFinite(std::numeric_limits<double>::quiet_NaN(), "r"), AnalysisError);
    EXPECT_THROW(requireFinite(std::numeric_limits<double>::infinity(), "r"), AnalysisError);
    try {
        requireFinite(0.0 / std::sqrt(0.0), "the matrix correlation");
        FAIL() << "0/0 is not a number and must be refused";
    } catch (const AnalysisError& error) {
        EXPECT_EQ(std::string(error.what()), "the matrix correlation is undefined (not a number)");
    }
}

TEST(RunGuarded, KeepsTheThreeOutcomesApart)
{
    EXPECT_EQ(runGuarded([] {}).outcome, RunOutcome::Success);

    const RunStatus problem = runGuarded([] { throw DataProblem("bad data", "line 3"); });
    EXPECT_EQ(problem.outcome, RunOutcome::DataProblem);
    EXPECT_EQ(problem.text, "bad data");
    EXPECT_EQ(problem.detail, "line 3");

    const RunStatus error = runGuarded([] { throw AnalysisError("reason"); });
    EXPECT_EQ(error.outcome, RunOutcome::AnalysisError);
    EXPECT_EQ(error.text, "reason");

    EXPECT_FALSE(error.ownMessage);
    const RunStatus own = runGuarded([] { throw OwnMessageAnalysisError("No start edge left"); });
    EXPECT_EQ(own.outcome, RunOutcome::AnalysisError);
    EXPECT_EQ(own.text, "No start edge left");
    EXPECT_TRUE(own.ownMessage);

    EXPECT_EQ(runGuarded([] { throw RunCancelled(); }).outcome, RunOutcome::Cancelled);
    EXPECT_EQ(runGuarded([] { throw std::out_of_range("index"); }).outcome, RunOutcome::AnalysisError);
    EXPECT_EQ(runGuarded([] { throw std::bad_alloc(); }).outcome, RunOutcome::AnalysisError);
}

TEST(QuotedField, ShowsAtMostSixtyBytesAndEscapesControlCharacters)
{
    const std::string sixty(60, 'a');
    const struct {
        std::string field;
        std::string quoted;
    } cases[] = {
        {"", "\"\""},
        {"104\\108", "\"104\\108\""},          // backslashes stay as they are
        {"Sj\xF6", "\"Sj\xF6\""},              // Latin-1 letters too
        {sixty, "\"" + sixty + "\""},          // exactly 60 bytes: no ellipsis
        {sixty + "b", "\"" + sixty + "...\""}, // one more: cut, with an ellipsis
        {"\x1b[31mred", "\"\\x1b[31mred\""},   // ESC would colour the terminal
        {"bell\a", "\"bell\\x07\""},
        {std::string("a\0b", 3), "\"a\\x00b\""}, // a NUL would cut the message
        {"tab\tand\r\n", "\"tab\\x09and\\x0d\\x0a\""},
        {"del\x7f", "\"del\\x7f\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(quotedField(c.field), c.quoted) << escapeControlCharacters(c.field);
}

TEST(QuotedField, EscapesC1ControlCharactersOfLatin1AndUtf8Texts)
{
    // Bytes 0x80 to 0x9F are the C1 controls of a Latin-1 text (0x9B starts a terminal command like
    // ESC [ does); in UTF-8 the same controls are U+0080 to U+009F, written 0xC2 0x80 to 0xC2 0x9F.
    // Other UTF-8 characters keep their bytes, though their later bytes may lie in 0x80 to 0x9F.
    const struct {
        std::string field;
        std::string quoted;
    } cases[] = {
        {"a\x9b"
         "31mred",
         "\"a\\x9b31mred\""},
        {"next\x85line", "\"next\\x85line\""},
        {"a\xc2\x9b"
         "31mred",
         "\"a\\xc2\\x9b31mred\""},
        {"\xc2\x80", "\"\\xc2\\x80\""},
        {"Caf\xc3\xa9", "\"Caf\xc3\xa9\""}, // é in UTF-8
        {"\xe2\x82\xac"
         "5",
         "\"\xe2\x82\xac"
         "5\""},                                      // € in UTF-8: its 0x82 is no control
        {"\xc4\x80", "\"\xc4\x80\""},                 // Ā in UTF-8
        {"\xf0\x9f\x90\x9b", "\"\xf0\x9f\x90\x9b\""}, // a four-byte character
        {"\xc2\xa0"
         "x",
         "\"\xc2\xa0"
         "x\""},                       // no-break space in UTF-8
        {"Caf\xe9", "\"Caf\xe9\""},    // é in Latin-1
        {"\xe2\x82", "\"\xe2\\x82\""}, // a UTF-8 character cut short is Latin-1 bytes
    };
    for (const auto& c : cases)
        EXPECT_EQ(quotedField(c.field), c.quoted) << c.quoted;
}

TEST(QuotedField, HundredMegabyteFieldGivesAShortMessage)
{
    const std::string huge(100u << 20, 'G');
    const std::string quoted = quotedField(huge);
    EXPECT_EQ(quoted.size(), kQuotedFieldLength + 5); // two quotes and "..."
    const AnalysisError error("not a number: " + quotedField(std::string("x\0y", 3)));
    EXPECT_EQ(std::string(error.what()), "not a number: \"x\\x00y\"");
}

TEST(QuotedField, EscapesBeforeCuttingSoAnEscapeIsNeverHalved)
{
    // Sixty control characters become sixty escapes of four characters each.
    const std::string quoted = quotedField(std::string(61, '\x01'));
    std::string expected = "\"";
    for (int k = 0; k < 60; ++k)
        expected += "\\x01";
    EXPECT_EQ(quoted, expected + "...\"");
}

TEST(QuotedFieldList, NamesTheFirstFewAndSaysWhenThereAreMore)
{
    EXPECT_EQ(quotedFieldList({}), "");
    EXPECT_EQ(quotedFieldList({"a"}), "\"a\"");
    EXPECT_EQ(quotedFieldList({"a", "b\tc"}), "\"a\", \"b\\x09c\"");
    EXPECT_EQ(quotedFieldList({"1", "2", "3", "4", "5"}), "\"1\", \"2\", \"3\", \"4\", \"5\"");
    EXPECT_EQ(quotedFieldList({"1", "2", "3", "4", "5", "6"}), "\"1\", \"2\", \"3\", \"4\", \"5\", ...");
    EXPECT_EQ(quotedFieldList({"1", "2", "3"}, 2), "\"1\", \"2\", ...");
}

} // namespace
} // namespace tessaloc
