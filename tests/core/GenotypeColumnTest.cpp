#include "core/GenotypeColumn.h"
#include "core/Errors.h"
#include "tests/support/NumberedNames.h"

#include <gtest/gtest.h>

#include <string>

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
