#include "core/GenotypeColumn.h"
#include "core/Errors.h"
#include "tests/support/NumberedNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaloc {
namespace {

TEST(GenotypeColumn, EqualTextsShareACodeAndDifferentOnesDoNot)
{
    const GenotypeColumn column{"12\\14", "14\\12", "12\\14", "a", "A"};
    ASSERT_EQ(column.size(), 5u);
    EXPECT_EQ(column.codes(), (std::vector<GenotypeColumn::Code>{0, 1, 0, 2, 3}));
    EXPECT_EQ(column.texts(), (std::vector<std::string>{"12\\14", "14\\12", "a", "A"}));
    EXPECT_EQ(column[2], "12\\14");
    EXPECT_EQ(column[4], "A");
}

TEST(GenotypeColumn, ManyDistinctTextsAreFoundAgainThroughTheIndex)
{
    // Beyond the texts found by a scan, lookups go through the hash table; each text keeps the code
    // of its first appearance however often the table grows.
    GenotypeColumn column;
    for (int round = 0; round < 3; ++round) {
        for (int k = 0; k < 5000; ++k)
            column.push_back("allele" + std::to_string(k));
    }
    ASSERT_EQ(column.texts().size(), 5000u);
    for (size_t k = 0; k < column.size(); ++k) {
        EXPECT_EQ(column.codes()[k], k % 5000);
        EXPECT_EQ(column[k], "allele" + std::to_string(k % 5000));
    }
}

TEST(GenotypeColumn, SetReplacesOneObservationsField)
{
    GenotypeColumn column{"a", "b", "a"};
    column.set(2, "c");
    EXPECT_EQ(column[0], "a");
    EXPECT_EQ(column[2], "c");
    EXPECT_EQ(column.intern("b"), 1);
}

TEST(GenotypeColumn, SelectKeepsTheChosenObservationsAndForgetsTheRest)
{
    GenotypeColumn column;
    for (int k = 0; k < 40; ++k)
        column.push_back(testing::numberedName("t", k));
    column.select({30, 5, 30});
    ASSERT_EQ(column.size(), 3u);
    EXPECT_EQ(column[0], "t30");
    EXPECT_EQ(column[1], "t5");
    EXPECT_EQ(column[2], "t30");
    // Texts of observations left out are gone; the kept ones are numbered in their new order.
    EXPECT_EQ(column.texts(), (std::vector<std::string>{"t30", "t5"}));
    EXPECT_EQ(column.intern("t5"), 1);
}

TEST(GenotypeColumn, ShortTextsThatShareBytesKeepTheirOwnCodes)
{
    // The first texts of a column are compared by short keys of their bytes and length: texts that
    // differ only in length, by a trailing zero byte, in their last byte or in letter case, and texts
    // on either side of the longest keyed length, must still get codes of their own, also when they
    // come after the keyed ones.
    using namespace std::string_literals;
    const std::vector<std::string> texts = {"1\\1"s, "1\\1\0"s, "1\\"s, "abcdefg"s, "abcdefgh"s,  "abcdefh"s,
                                            "A"s,    "a"s,      ""s,    "\0"s,      "abcdefgh\0"s};
    GenotypeColumn column;
    for (int round = 0; round < 2; ++round) {
        for (const std::string& text : texts)
            column.push_back(text);
    }
    ASSERT_EQ(column.texts(), texts);
    for (size_t k = 0; k < column.size(); ++k)
        EXPECT_EQ(column.codes()[k], k % texts.size()) << k;
}

TEST(GenotypeColumn, LongTextsAmongTheFirstAreFoundAgain)
{
    GenotypeColumn column{"a long genotype text", "12\\14", "another long genotype text", "12\\16", "9\\9"};
    EXPECT_EQ(column.intern("another long genotype text"), 2);
    EXPECT_EQ(column.intern("a long genotype text"), 0);
    EXPECT_EQ(column.intern("9\\9"), 4);
    EXPECT_EQ(column.intern("12\\16"), 3);
    EXPECT_EQ(column.texts().size(), 5u);
}

TEST(GenotypeColumn, SelectRenumbersTheShortTextsItKeeps)
{
    GenotypeColumn column{"1\\1", "1\\2", "2\\2", "0\\0", "3\\3"};
    column.select({4, 2});
    EXPECT_EQ(column.intern("3\\3"), 0);
    EXPECT_EQ(column.intern("2\\2"), 1);
    // Texts left out are new again.
    EXPECT_EQ(column.intern("1\\1"), 2);
}

TEST(GenotypeColumn, MoreDistinctTextsThanCodesIsAnAnalysisError)
{
    GenotypeColumn column;
    for (size_t k = 0; k < GenotypeColumn::kMaxTexts; ++k)
        column.push_back(std::to_string(k));
    EXPECT_EQ(column.intern("0"), 0);
    EXPECT_THROW(column.push_back("one too many"), AnalysisError);
}

} // namespace
} // namespace tessaloc
