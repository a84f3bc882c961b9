#include "core/ReportWriter.h"
#include "core/Errors.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

namespace tessaloc {
namespace {

using testing::TempFolder;

TEST(ReportWriter, ZonesStartEveryFourteenColumns)
{
    ReportWriter writer;
    writer.text("abc").nextZone().text("x").nextZone().text("y").endLine();
    EXPECT_EQ(writer.str(), "abc" + std::string(11, ' ') + "x" + std::string(13, ' ') + "y\r\n");
}

TEST(ReportWriter, ItemEndingRightBeforeAZoneStartMovesToTheFollowingZone)
{
    ReportWriter writer;
    writer.text("exactly14chars").nextZone();
    EXPECT_EQ(writer.currentColumn(), 29);
    writer.text("z");
    EXPECT_EQ(writer.str(), "exactly14chars" + std::string(14, ' ') + "z");

    ReportWriter thirteen;
    thirteen.text("thirteen-char").nextZone();
    EXPECT_EQ(thirteen.currentColumn(), 15);
}

TEST(ReportWriter, ZoneFromAnEmptyLineIsTheSecondZone)
{
    ReportWriter writer;
    writer.nextZone().text("a");
    EXPECT_EQ(writer.str(), std::string(14, ' ') + "a");
}

TEST(ReportWriter, ColumnPadsOrGoesToTheNextLine)
{
    ReportWriter writer;
    writer.text("ab").column(6).text("c");
    EXPECT_EQ(writer.str(), "ab   c");
    writer.column(6).text("same");
    EXPECT_EQ(writer.str(), "ab   c\r\n     same");

    ReportWriter atColumn;
    atColumn.text("abcd").column(5).text("e");
    EXPECT_EQ(atColumn.str(), "abcde");
}

TEST(ReportWriter, NumbersCarryBlanksOnBothSides)
{
    ReportWriter writer;
    writer.text("Replicate: ").number(10).endLine();
    writer.number(-0.5).number(0.25).endLine();
    EXPECT_EQ(writer.str(), "Replicate:  10 \r\n-.5  .25 \r\n");
}

TEST(WriteReportFile, WritesBytesAndReplacesAnOldReport)
{
    TempFolder folder;
    folder.write("IBDResults.txt", "old and longer content");
    const auto path = writeReportFile(folder.path(), "IBDResults.txt", "new\r\n");
    EXPECT_EQ(path, folder.path() / "IBDResults.txt");
    EXPECT_EQ(testing::readFile(path), "new\r\n");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "IBDResults.txt.part"));
}

TEST(WriteReportFile, MissingFolderIsAnAnalysisErrorAndWritesNothing)
{
    TempFolder folder;
    EXPECT_THROW(writeReportFile(folder.path() / "absent", "r.txt", "x"), AnalysisError);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

} // namespace
} // namespace tessaloc
