#include "core/ReportWriter.h"
#include "core/Errors.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

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
    EXPECT_EQ(testing::fileNamesIn(folder.path()), std::vector<std::string>{"IBDResults.txt"});
}

TEST(WriteReportFile, MissingFolderIsAnAnalysisErrorAndWritesNothing)
{
    TempFolder folder;
    EXPECT_THROW(writeReportFile(folder.path() / "absent", "r.txt", "x"), AnalysisError);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST(CreateNewFile, RefusesEveryNameThatIsTakenAndNeverFollowsALink)
{
    TempFolder folder;
    const auto victim = folder.write("victim.txt", "precious");
    std::filesystem::create_symlink(victim, folder.path() / "link");
    std::filesystem::create_symlink(folder.path() / "nowhere.txt", folder.path() / "dangling");
    folder.write("existing", "old");
    for (const char* name : {"link", "dangling", "existing", "victim.txt"}) {
        errno = 0;
        EXPECT_EQ(createNewFile(folder.path() / name), -1) << name;
        EXPECT_EQ(errno, EEXIST) << name;
    }
    EXPECT_EQ(testing::readFile(victim), "precious");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "nowhere.txt"));
    EXPECT_EQ(testing::readFile(folder.path() / "existing"), "old");
}

TEST(CreateNewFile, GivesTheModeOfAnyNewFile)
{
    TempFolder folder;
    const mode_t previous = ::umask(027);
    const int descriptor = createNewFile(folder.path() / "new.txt");
    ::umask(previous);
    ASSERT_GE(descriptor, 0);
    ::close(descriptor);
    struct stat info {};
    ASSERT_EQ(::stat((folder.path() / "new.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(WriteReportFile, PlantedSymlinksAreNeverFollowed)
{
    // At the fixed temporary name of earlier versions the link stays as it is; at the report's own
    // name it is replaced by the report.
    const struct {
        const char* linkName;
        std::vector<std::string> namesAfter;
    } cases[] = {
        {"IBDResults.txt.part", {"IBDResults.txt", "IBDResults.txt.part", "victim.txt"}},
        {"IBDResults.txt", {"IBDResults.txt", "victim.txt"}},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        const auto victim = folder.write("victim.txt", "precious");
        std::filesystem::create_symlink(victim, folder.path() / c.linkName);
        writeReportFile(folder.path(), "IBDResults.txt", "report\r\n");
        EXPECT_EQ(testing::readFile(victim), "precious") << c.linkName;
        EXPECT_FALSE(std::filesystem::is_symlink(folder.path() / "IBDResults.txt")) << c.linkName;
        EXPECT_EQ(testing::readFile(folder.path() / "IBDResults.txt"), "report\r\n") << c.linkName;
        EXPECT_EQ(testing::fileNamesIn(folder.path()), c.namesAfter) << c.linkName;
    }
}

TEST(WriteReportFile, FailingWriterLeavesNoTemporaryFileAndTheOldReport)
{
    TempFolder folder;
    folder.write("IBDResults.txt", "old");
    EXPECT_THROW(writeReportFile(folder.path(), "IBDResults.txt",
                                 [](ReportWriter& out) {
                                     for (int line = 0; line < 100000; ++line)
                                         out.line("a line of the report");
                                     throw AnalysisError("stopped half way");
                                 }),
                 AnalysisError);
    EXPECT_EQ(testing::fileNamesIn(folder.path()), std::vector<std::string>{"IBDResults.txt"});
    EXPECT_EQ(testing::readFile(folder.path() / "IBDResults.txt"), "old");
}

TEST(WriteReportFile, WritesThroughATemporaryFileOfItsOwnInTheTargetFolder)
{
    TempFolder folder;
    std::vector<std::string> seenWhileWriting;
    writeReportFile(folder.path(), "IBDResults.txt", [&](ReportWriter& out) {
        out.line("first");
        seenWhileWriting = testing::fileNamesIn(folder.path());
    });
    ASSERT_EQ(seenWhileWriting.size(), 1u);
    EXPECT_TRUE(seenWhileWriting[0].starts_with("IBDResults.txt."));
    EXPECT_TRUE(seenWhileWriting[0].ends_with(".part"));
    EXPECT_NE(seenWhileWriting[0], "IBDResults.txt.part");
    EXPECT_EQ(testing::fileNamesIn(folder.path()), std::vector<std::string>{"IBDResults.txt"});
}

TEST(WriteBinaryFileAt, WritesEveryByteThroughATemporaryFileAndKeepsTheOldFileWhenItFails)
{
    TempFolder folder;
    const std::string bytes("II*\0\r\n\xff\0", 8); // NUL, CR LF and a high byte pass unchanged
    std::vector<std::string> seenWhileWriting;
    const auto path = folder.path() / "surface.tif";
    EXPECT_EQ(writeBinaryFileAt(path, "the surface",
                                [&](std::ostream& out) {
                                    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
                                    seenWhileWriting = testing::fileNamesIn(folder.path());
                                }),
              path);
    EXPECT_EQ(testing::readFile(path), bytes);
    ASSERT_EQ(seenWhileWriting.size(), 1u);
    EXPECT_TRUE(seenWhileWriting[0].starts_with("surface.tif.") && seenWhileWriting[0].ends_with(".part"));

    EXPECT_THROW(writeBinaryFileAt(path, "the surface",
                                   [](std::ostream& out) {
                                       out << "half";
                                       throw AnalysisError("stopped half way");
                                   }),
                 AnalysisError);
    EXPECT_EQ(testing::fileNamesIn(folder.path()), std::vector<std::string>{"surface.tif"});
    EXPECT_EQ(testing::readFile(path), bytes);
}

TEST(RemoveUnfinishedReportFiles, RemovesTheTemporaryFilesBeingWritten)
{
    TempFolder folder;
    // What the batch program's signal handler does half way through a write, here called from the
    // writer itself.
    const auto interruptedWrite = [&] {
        writeReportFiles(folder.path(), {{"GeneticDistances.csv", [](ReportWriter& out) { out.line("genetic"); }},
                                         {"GeographicDistances.csv", [&](ReportWriter& out) {
                                              out.line("geographic");
                                              EXPECT_EQ(testing::fileNamesIn(folder.path()).size(), 2u);
                                              removeUnfinishedReportFiles();
                                              EXPECT_TRUE(testing::fileNamesIn(folder.path()).empty());
                                              throw RunCancelled();
                                          }}});
    };
    EXPECT_THROW(interruptedWrite(), RunCancelled);
    EXPECT_TRUE(testing::fileNamesIn(folder.path()).empty());
}

TEST(WriteReportFiles, WritesEveryFileBeforeAnyIsPutInPlace)
{
    TempFolder folder;
    folder.write("GeneticDistances.csv", "old genetic");
    folder.write("GeographicDistances.csv", "old geographic");
    std::string geneticWhileWritingTheSecond;
    const WrittenReportFiles written =
        writeReportFiles(folder.path(), {{"GeneticDistances.csv", [](ReportWriter& out) { out.line("new genetic"); }},
                                         {"GeographicDistances.csv", [&](ReportWriter& out) {
                                              geneticWhileWritingTheSecond =
                                                  testing::readFile(folder.path() / "GeneticDistances.csv");
                                              out.line("new geographic");
                                          }}});
    EXPECT_EQ(geneticWhileWritingTheSecond, "old genetic");
    EXPECT_TRUE(written.together);
    EXPECT_EQ(written.paths, (std::vector<std::filesystem::path>{folder.path() / "GeneticDistances.csv",
                                                                 folder.path() / "GeographicDistances.csv"}));
    EXPECT_EQ(testing::readFile(folder.path() / "GeneticDistances.csv"), "new genetic\r\n");
    EXPECT_EQ(testing::readFile(folder.path() / "GeographicDistances.csv"), "new geographic\r\n");
}

TEST(WriteReportFiles, FailureOfTheSecondFileLeavesTheFirstUntouched)
{
    TempFolder folder;
    folder.write("GeneticDistances.csv", "old genetic");
    EXPECT_THROW(
        writeReportFiles(folder.path(),
                         {{"GeneticDistances.csv", [](ReportWriter& out) { out.line("new genetic"); }},
                          {"GeographicDistances.csv", [](ReportWriter&) { throw AnalysisError("cannot compute"); }}}),
        AnalysisError);
    EXPECT_EQ(testing::fileNamesIn(folder.path()), std::vector<std::string>{"GeneticDistances.csv"});
    EXPECT_EQ(testing::readFile(folder.path() / "GeneticDistances.csv"), "old genetic");
}

TEST(WriteReportFiles, RenameThatFailsTakesTheEarlierFilesOfTheSetAway)
{
    TempFolder folder;
    // A folder where the second report should go: its rename fails after the first succeeded.
    std::filesystem::create_directory(folder.path() / "GeographicDistances.csv");
    std::filesystem::create_directory(folder.path() / "GeographicDistances.csv" / "inside");
    EXPECT_THROW(writeReportFiles(folder.path(),
                                  {{"GeneticDistances.csv", [](ReportWriter& out) { out.line("genetic"); }},
                                   {"GeographicDistances.csv", [](ReportWriter& out) { out.line("geographic"); }}}),
                 AnalysisError);
    EXPECT_EQ(testing::fileNamesIn(folder.path()), std::vector<std::string>{"GeographicDistances.csv"});
}

TEST(WriteReportFiles, SecondFileThatCannotBePutInPlaceLeavesTheUsersOldFirstFile)
{
    // The first file replaces the user's old one before the second is found unable to go in place;
    // taking the first away again would lose the old file.
    TempFolder folder;
    folder.write("GeneticDistances.csv", "old genetic");
    std::filesystem::create_directory(folder.path() / "GeographicDistances.csv");
    folder.write("GeographicDistances.csv/inside", "kept");
    EXPECT_THROW(writeReportFiles(folder.path(),
                                  {{"GeneticDistances.csv", [](ReportWriter& out) { out.line("new genetic"); }},
                                   {"GeographicDistances.csv", [](ReportWriter& out) { out.line("geographic"); }}}),
                 AnalysisError);
    EXPECT_EQ(testing::fileNamesIn(folder.path()),
              (std::vector<std::string>{"GeneticDistances.csv", "GeographicDistances.csv"}));
    EXPECT_EQ(testing::readFile(folder.path() / "GeneticDistances.csv"), "old genetic");
    EXPECT_EQ(testing::readFile(folder.path() / "GeographicDistances.csv" / "inside"), "kept");
}

TEST(WriteReportFiles, ThreeFilesOfWhichTheLastCannotGoInPlaceLeaveTheFolderAsItWas)
{
    TempFolder folder;
    folder.write("a.txt", "old a");
    std::filesystem::create_directory(folder.path() / "c.txt");
    EXPECT_THROW(writeReportFiles(folder.path(), {{"a.txt", [](ReportWriter& out) { out.line("new a"); }},
                                                  {"b.txt", [](ReportWriter& out) { out.line("new b"); }},
                                                  {"c.txt", [](ReportWriter& out) { out.line("new c"); }}}),
                 AnalysisError);
    EXPECT_EQ(testing::fileNamesIn(folder.path()), (std::vector<std::string>{"a.txt", "c.txt"}));
    EXPECT_EQ(testing::readFile(folder.path() / "a.txt"), "old a");
}

} // namespace
} // namespace tessaloc
