#include "formats/ClassTable.h"

#include "core/Errors.h"
#include "tests/support/DataProblems.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tessaloc {
namespace {

using testing::dataProblemOf;
using testing::TempFolder;

TEST(ClassTable, ReadsCodesResistancesAndImpassable)
{
    TempFolder folder;
    const auto path =
        folder.write("t.csv", "class,Resistance\r\n11,1\r\n\r\n21, 2.5\r\n\"90\",Impassable\r\n-3,1e3\r\n");
    const ClassTable table = ReadClassTable(path);
    ASSERT_EQ(table.rows.size(), 4u);
    EXPECT_EQ(table.rows[0].code, 11.0);
    EXPECT_EQ(table.rows[0].resistance, 1.0);
    EXPECT_EQ(table.rows[1].code, 21.0);
    EXPECT_EQ(table.rows[1].resistance, 2.5);
    EXPECT_EQ(table.rows[1].line, 4);
    EXPECT_EQ(table.rows[2].code, 90.0);
    EXPECT_TRUE(std::isnan(table.rows[2].resistance));
    EXPECT_EQ(table.rows[3].code, -3.0);
    EXPECT_EQ(table.rows[3].resistance, 1000.0);
    EXPECT_EQ(table.description, "class table \"" + path.string() + "\"");
}

TEST(ClassTable, BadTablesAreDataProblemsNamingTheLine)
{
    const struct {
        const char* name;
        const char* text;
        std::string message; // after "Line N of the class table "...": " or the whole message
    } cases[] = {
        {"no header", "1,1\n", "Line 1 of @ should be the header class,resistance."},
        {"a duplicate code", "class,resistance\n1,1\n2,2\n1.0,3\n",
         "The code \"1.0\" appears twice in the @ (lines 2 and 4)."},
        {"a code that is not a number", "class,resistance\nforest,2\n",
         "Line 2 of @ has the code \"forest\", which is not a number."},
        {"a resistance of 0", "class,resistance\n1,0\n",
         "Line 2 of @ gives code \"1\" the resistance \"0\"; a resistance must be above 0."},
        {"a negative resistance", "class,resistance\n1,2\n2,-1\n",
         "Line 3 of @ gives code \"2\" the resistance \"-1\"; a resistance must be above 0."},
        {"a resistance that is no number", "class,resistance\n1,high\n",
         "Line 2 of @ gives code \"1\" the resistance \"high\", which is neither a number nor impassable."},
        {"three fields", "class,resistance\n1,2,3\n",
         "Line 2 of @ has 3 fields where a code and its resistance are two."},
        {"no rows", "class,resistance\n", "The @ lists no code."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const auto path = folder.write("t.csv", c.text);
        std::string expected = c.message;
        const std::string name = "class table \"" + path.string() + "\"";
        expected.replace(expected.find('@'), 1, expected.starts_with("Line") ? "the " + name : name);
        EXPECT_EQ(dataProblemOf([&] { ReadClassTable(path); }), expected);
    }
}

} // namespace
} // namespace tessaloc
