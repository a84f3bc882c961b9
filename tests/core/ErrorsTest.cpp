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
