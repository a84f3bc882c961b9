#include "formats/DistanceMatrixFile.h"

#include "core/Errors.h"
#include "core/FieldReader.h"
#include "formats/DistanceCsv.h"
#include "tests/support/DataProblems.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

namespace tessaloc {
namespace {

SquareMatrix readText(const std::string& text, const std::vector<std::string>& names)
{
    FieldReader reader = FieldReader::fromText(text, kDistanceMatrixFileRole, "m.csv");
    return ReadDistanceMatrixFile(reader, names);
}

std::string problemOf(const std::string& text, const std::vector<std::string>& names)
{
    return testing::dataProblemOf([&] { readText(text, names); });
}

TEST(DistanceMatrixFile, MatchesRowsAndColumnsByNameInAnyOrder)
{
    // Columns c, a, b; rows b, c, a: each value placed by hand from the names.
    const std::string text = ",c,a,b\r\n"
                             "b,4,2,0\r\n"
                             "c,0,3,4\r\n"
                             "a,3,0,2\r\n";
    const SquareMatrix m = readText(text, {"a", "b", "c"});
    ASSERT_EQ(m.size(), 3);
    EXPECT_EQ(m(0, 1), 2.0);
    EXPECT_EQ(m(0, 2), 3.0);
    EXPECT_EQ(m(1, 2), 4.0);
    EXPECT_EQ(m(2, 1), 4.0);
    EXPECT_EQ(m(1, 1), 0.0);
}

TEST(DistanceMatrixFile, IgnoresNamesTheObservationsLackAndBlankLines)
{
    const std::string text = "\"\",\"a\",\"x\",\"b\"\n"
                             "\n"
                             "\"a\",0,7,1.5\n"
                             "\"x\",7,0,8\n"
                             "\"b\",1.5,8,0\n"
                             "\n";
    const SquareMatrix m = readText(text, {"b", "a"});
    ASSERT_EQ(m.size(), 2);
    EXPECT_EQ(m(0, 1), 1.5);
    EXPECT_EQ(m(1, 0), 1.5);
}

TEST(DistanceMatrixFile, ObservationsWithOneNameShareTheirRow)
{
    const SquareMatrix m = readText(",a,b\na,0,2\nb,2,0\n", {"a", "b", "a"});
    EXPECT_EQ(m(0, 2), 0.0);
    EXPECT_EQ(m(2, 1), 2.0);
}

TEST(DistanceMatrixFile, ReadsBackWhatTheDistancesExportWrites)
{
    SquareMatrix written(3);
    written.setPair(0, 1, 0.1);
    written.setPair(0, 2, 12345.678901234);
    written.setPair(1, 2, 1e-7);
    const std::vector<std::string> names{"Oak Hill", "Pop 1, tree 3", "x"};
    testing::TempFolder folder;
    const auto path = folder.write("GeographicDistances.csv", DistanceMatrixCsv(names, written));
    EXPECT_EQ(ReadDistanceMatrixFile(path, names), written);
}

TEST(DistanceMatrixFile, AFileThatCannotBeOpenedIsAnAnalysisError)
{
    testing::TempFolder folder;
    EXPECT_THROW(ReadDistanceMatrixFile(folder.path() / "none.csv", {"a"}), AnalysisError);
}

struct BadMatrix {
    const char* what;
    std::string text;
    std::vector<std::string> names;
    std::string message;
};

// Test names show the case, not its bytes.
void PrintTo(const BadMatrix& item, std::ostream* out)
{
    *out << item.what;
}

class DistanceMatrixFileProblems : public ::testing::TestWithParam<BadMatrix> {};

TEST_P(DistanceMatrixFileProblems, NameTheirPlace)
{
    EXPECT_EQ(problemOf(GetParam().text, GetParam().names), GetParam().message);
}

const std::string kFile = "distance matrix file \"m.csv\"";

INSTANTIATE_TEST_SUITE_P(
    Cases, DistanceMatrixFileProblems,
    ::testing::Values(
        BadMatrix{"Empty",
                  "",
                  {"a"},
                  "The " + kFile +
                      " names no columns; its first row should hold an empty field and then the names of the "
                      "observations."},
        BadMatrix{"MissingColumns",
                  ",a\na,0\n",
                  {"a", "b", "c"},
                  "2 of the 3 observations of the coordinate file have no column in the " + kFile + ": \"b\", \"c\"."},
        BadMatrix{"MissingRow",
                  ",a,b\na,0,1\n",
                  {"a", "b"},
                  "1 of the 2 observations of the coordinate file has no row in the " + kFile + ": \"b\"."},
        BadMatrix{"ManyMissing",
                  ",z\nz,0\n",
                  {"a", "b", "c", "d", "e", "f"},
                  "6 of the 6 observations of the coordinate file have no column in the " + kFile +
                      ": \"a\", \"b\", \"c\", \"d\", \"e\", ..."},
        BadMatrix{"CaseMatters",
                  ",A,b\nA,0,1\nb,1,0\n",
                  {"a", "b"},
                  "1 of the 2 observations of the coordinate file has no column in the " + kFile + ": \"a\"."},
        BadMatrix{"Asymmetric",
                  ",a,b\na,0,1\nb,1.0000000000000002,0\n",
                  {"a", "b"},
                  "The " + kFile +
                      " is not symmetric: row \"a\", column \"b\" holds 1 but row \"b\", column \"a\" holds "
                      "1.0000000000000002."},
        BadMatrix{"Negative",
                  ",a,b\na,0,-2\nb,-2,0\n",
                  {"a", "b"},
                  "The " + kFile +
                      " has the negative distance -2 at line 2, field 3 (row \"a\", column \"b\"); distances are 0 "
                      "or more."},
        BadMatrix{"NotANumber",
                  ",a,b\na,0,NA\nb,1,0\n",
                  {"a", "b"},
                  "The " + kFile + " has \"NA\" at line 2, field 3 (row \"a\", column \"b\"), which is not a number."},
        BadMatrix{"Infinite",
                  ",a,b\na,0,1\nb,inf,0\n",
                  {"a", "b"},
                  "The " + kFile + " has \"inf\" at line 3, field 2 (row \"b\", column \"a\"), which is not a number."},
        BadMatrix{"BeyondDouble",
                  ",a,b\na,0,1e999\nb,1,0\n",
                  {"a", "b"},
                  "The " + kFile +
                      " has \"1e999\" at line 2, field 3 (row \"a\", column \"b\"), which is not a number."},
        BadMatrix{"ElsewhereInTheFile",
                  ",a,b,x\na,0,1,2\nb,1,0,3\nx,2,?,0\n",
                  {"a", "b"},
                  "The " + kFile + " has \"?\" at line 4, field 3 (row \"x\", column \"b\"), which is not a number."},
        BadMatrix{"Diagonal",
                  ",a,b\na,0,1\nb,1,0.5\n",
                  {"a", "b"},
                  "The " + kFile +
                      " gives \"b\" the distance 0.5 from itself at line 3, field 3; the diagonal of a distance "
                      "matrix is 0."},
        BadMatrix{"ShortRow",
                  ",a,b\na,0,1\nb,1\n",
                  {"a", "b"},
                  "Line 3 of the " + kFile + " has 2 fields where the first row has 3."},
        BadMatrix{"DuplicateColumn",
                  ",a,a\na,0,0\n",
                  {"a"},
                  "The column name \"a\" appears twice in the " + kFile + " (line 1, field 2 and line 1, field 3)."},
        BadMatrix{"DuplicateRow",
                  ",a,b\na,0,1\nb,1,0\na,0,1\n",
                  {"a", "b"},
                  "The row name \"a\" appears twice in the " + kFile + " (lines 2 and 4)."}),
    [](const ::testing::TestParamInfo<BadMatrix>& item) { return item.param.what; });

} // namespace
} // namespace tessaloc
