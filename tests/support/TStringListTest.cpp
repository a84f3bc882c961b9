#include "tests/support/TStringList.h"

#include "tests/support/RecordingListener.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace tessaloc {
namespace {

using testing::RecordingListener;

TEST(TStringList, AddAndIndexOfUseOneBasedPositions)
{
    TStringList list;
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.IndexOf("a"), -1);
    list.add("a");
    list.add("b");
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.IndexOf("b"), 2);
    EXPECT_EQ(list.returnstring(1), "a");
    EXPECT_THROW(list.returnstring(3), std::out_of_range);
    EXPECT_THROW(list.returnstring(0), std::out_of_range);
}

TEST(TStringList, ComparisonIsCaseSensitiveAndDuplicatesGiveTheLastPosition)
{
    TStringList list;
    list.add("Allele");
    list.add("allele");
    list.add("Allele");
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.IndexOf("allele"), 2);
    EXPECT_EQ(list.IndexOf("Allele"), 3);
}

TEST(TStringList, ClearEmptiesAndPositionsAreReused)
{
    TStringList list;
    list.add("x");
    list.add("y");
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.IndexOf("x"), -1);
    EXPECT_EQ(list.IndexOf("y"), -1);
    list.add("z");
    EXPECT_EQ(list.IndexOf("z"), 1);
    EXPECT_EQ(list.IndexOf("y"), -1);
}

TEST(TStringList, RemoveKeepsOrderAndReportsAnEmptyList)
{
    RecordingListener listener;
    TStringList list(listener);
    list.remove("a");
    EXPECT_EQ(listener.messages,
              std::vector<std::string>{"No items in string.  Please inform the author of this program."});
    list.add("a");
    list.add("b");
    list.add("c");
    list.remove("b");
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.returnstring(1), "a");
    EXPECT_EQ(list.returnstring(2), "c");
    list.remove("absent");
    EXPECT_EQ(list.count(), 2);
}

TEST(TStringList, SetValueReportsAbsentTextAndValuesStayZero)
{
    RecordingListener listener;
    TStringList list(listener);
    list.add("a");
    EXPECT_EQ(list.setValue("a"), 0);
    EXPECT_TRUE(listener.messages.empty());
    EXPECT_EQ(list.setValue("b"), 0);
    EXPECT_EQ(listener.messages, std::vector<std::string>{"Can not set value.  String not found in list."});
    EXPECT_EQ(list.getValue("a"), 0);
}

} // namespace
} // namespace tessaloc
