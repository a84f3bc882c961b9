#include "formats/OwnFormatReaders.h"
#include "core/Errors.h"
#include "core/FieldReader.h"
#include "core/GeographicDistances.h"
#include "tests/support/RecordingListener.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

namespace tessaloc {
namespace {

using testing::TempFolder;

SampleTable readCoordinates(const TempFolder& folder, std::string_view content)
{
    SampleTable table;
    ReadCoordinateFile(folder.write("coords.txt", content), table);
    return table;
}

void expectRecords(const SampleTable& table, const std::vector<std::string>& names, const std::vector<std::string>& xs,
                   const std::vector<std::string>& ys)
{
    EXPECT_EQ(table.names, names);
    EXPECT_EQ(table.xTexts, xs);
    EXPECT_EQ(table.yTexts, ys);
}

// Reads `content` as a genotype file for `sampleCount` observations; returns the error text or "".
std::string genotypeError(const TempFolder& folder, std::string_view content, int sampleCount, DataType type)
{
    SampleTable table;
    table.names.assign(static_cast<size_t>(sampleCount), "x");
    try {
        ReadGenotypeFile(folder.write("geno.txt", content), type, table);
    } catch (const std::exception& error) {
        return error.what();
    }
    return {};
}

TEST(ReadCoordinateFile, LayoutsOfTheSameRecordsReadTheSame)
{
    TempFolder folder;
    const std::vector<std::string> names = {"A", "B"};
    const std::vector<std::string> xs = {"1", "3.5"};
    const std::vector<std::string> ys = {"2", "-4"};
    expectRecords(readCoordinates(folder, "A,1,2\nB,3.5,-4\n;\n"), names, xs, ys);
    expectRecords(readCoordinates(folder, "A\n1\n2\nB\n3.5\n-4\n;\n"), names, xs, ys);
    expectRecords(readCoordinates(folder, "A,1,2,B,3.5,-4,;"), names, xs, ys);
    expectRecords(readCoordinates(folder, "A,1,2\r\nB,3.5,-4\r\n;\r\n"), names, xs, ys);
    expectRecords(readCoordinates(folder, "A,1,2\rB,3.5,-4\r;\r"), names, xs, ys);
    expectRecords(readCoordinates(folder, "\n\nA,1,2\n\n\nB,3.5,-4\n\n;"), names, xs, ys);
    expectRecords(readCoordinates(folder, "  A , 1 , 2\n\tB,\t3.5\t,-4  \n ;\n"), names, xs, ys);
    // Blanks also separate numbers.
    expectRecords(readCoordinates(folder, "A,1 2\nB,3.5   -4\n;\n"), names, xs, ys);
}

TEST(ReadCoordinateFile, QuotedNamesKeepCommasAndRecordsAfterTerminatorAreIgnored)
{
    TempFolder folder;
    const SampleTable table =
        readCoordinates(folder, "\"Pop 1, tree 3\",10,20\n\"x\" ignored,1,1\n;\n\"C\",5,5\nnot even, a record\n");
    expectRecords(table, {"Pop 1, tree 3", "x"}, {"10", "1"}, {"20", "1"});
}

TEST(ReadCoordinateFile, KeepsLatin1BytesAsTheyAreAndSkipsAByteOrderMark)
{
    TempFolder folder;
    const SampleTable table = readCoordinates(folder, "Sj\xF6,1,2\n;\n");
    EXPECT_EQ(table.names.front(), "Sj\xF6");
    expectRecords(readCoordinates(folder, "\xEF\xBB\xBF"
                                          "A,1,2\n;\n"),
                  {"A"}, {"1"}, {"2"});
}

TEST(ReadCoordinateFile, FailuresNameTheFileAndLine)
{
    TempFolder folder;
    try {
        readCoordinates(folder, "A,1,2\nB,3,4\n");
        FAIL() << "a file without the terminator must not read";
    } catch (const AnalysisError& error) {
        EXPECT_NE(std::string(error.what()).find("coords.txt\", line 2"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("\";\""), std::string::npos) << error.what();
    }
    EXPECT_THROW(readCoordinates(folder, "A,1"), AnalysisError);
    SampleTable table;
    try {
        ReadCoordinateFile(folder.path() / "missing.txt", table);
        FAIL() << "a missing file must not read";
    } catch (const AnalysisError& error) {
        EXPECT_NE(std::string(error.what()).find("missing.txt"), std::string::npos) << error.what();
    }
}

TEST(ReadCoordinateFile, CoordinateThatIsNotANumberFailsOnlyWhenDistancesAreComputed)
{
    TempFolder folder;
    const SampleTable table = readCoordinates(folder, "A,1,2\nB,north,4\n;\n");
    ASSERT_EQ(table.sampleCount(), 2);
    EXPECT_EQ(table.xTexts[1], "north");
    try {
        BuildGeographicDistances(table, false);
        FAIL() << "a coordinate that is not a number must fail";
    } catch (const AnalysisError& error) {
        EXPECT_NE(std::string(error.what()).find("observation 2"), std::string::npos) << error.what();
    }
}

TEST(ReadGenotypeFile, PairsRecordsByPositionAndIgnoresExtraRecords)
{
    TempFolder folder;
    SampleTable table;
    table.names = {"A", "B"};
    ReadGenotypeFile(folder.write("geno.txt", "2\r\nZ,1\\2,3\\3\r\nY,4\\4,5\\6\r\nX,7\\7,8\\8\r\n"),
                     DataType::Codominant, table);
    EXPECT_EQ(table.locusCount, 2);
    EXPECT_EQ(table.genotype(0, 0), "1\\2");
    EXPECT_EQ(table.genotype(1, 0), "3\\3");
    EXPECT_EQ(table.genotype(0, 1), "4\\4");
    EXPECT_EQ(table.genotype(1, 1), "5\\6");
}

TEST(ReadGenotypeFile, BlankLineIsAnEmptyGenotypeField)
{
    TempFolder folder;
    SampleTable table;
    table.names = {"A", "B"};
    ReadGenotypeFile(folder.write("geno.txt", "1\nA\n\nB\nG\n"), DataType::Genotypes, table);
    EXPECT_EQ(table.genotype(0, 0), "");
    EXPECT_EQ(table.genotype(0, 1), "G");
}

TEST(ReadGenotypeFile, CodominantFieldWithoutSeparatorStops)
{
    TempFolder folder;
    EXPECT_EQ(genotypeError(folder, "2\nA,1\\1,2\\2\nB,3\\3,44\n", 2, DataType::Codominant), kMissingSeparatorMessage);
    EXPECT_EQ(genotypeError(folder, "2\nA,1\\1,2\\2\nB,3\\3,44\n", 2, DataType::Genotypes), "");
    EXPECT_EQ(genotypeError(folder, "1\nA,ACGT\nB,ACGA\n", 2, DataType::Sequences), "");
    EXPECT_EQ(genotypeError(folder, "1\nA,0\\0\nB,0\\0\n", 2, DataType::Codominant), "");
    // The check comes before the record count: a bad field stops even a file that is too short.
    EXPECT_EQ(genotypeError(folder, "1\nA,12\n", 2, DataType::Codominant), kMissingSeparatorMessage);
    EXPECT_EQ(std::string(kMissingSeparatorMessage),
              "A codominat data set was specified for analysis, however, no allele separator symbol ('\\') was "
              "detected.  Please check genotype file for correct format!");
}

TEST(ReadGenotypeFile, FailuresNameTheFileLineAndWhatWasExpected)
{
    TempFolder folder;
    const std::string tooShort = genotypeError(folder, "2\nA,1\\1,2\\2\nB,3\\3\n", 2, DataType::Codominant);
    EXPECT_NE(tooShort.find("geno.txt\", line 3"), std::string::npos) << tooShort;
    EXPECT_NE(tooShort.find("genotype field 2 of 2 for observation 2"), std::string::npos) << tooShort;

    const std::string notANumber = genotypeError(folder, "two\nA,1\\1\n", 1, DataType::Codominant);
    EXPECT_NE(notANumber.find("line 1"), std::string::npos) << notANumber;
    EXPECT_NE(notANumber.find("number of loci"), std::string::npos) << notANumber;

    EXPECT_NE(genotypeError(folder, "2.5\nA,1\\1\n", 1, DataType::Codominant), "");
    EXPECT_NE(genotypeError(folder, "0\nA\n", 1, DataType::Codominant), "");
    EXPECT_NE(genotypeError(folder, "", 1, DataType::Codominant), "");
    EXPECT_NE(genotypeError(folder, "1\n", 1, DataType::Codominant).find("observation 1 of 1"), std::string::npos);
}

TEST(ReadCoordinateFile, EmptyListIsAnAnalysisErrorThatSaysSo)
{
    TempFolder folder;
    for (const char* content : {";", "\n\n;\n", ";\nA,1,2\n"}) {
        try {
            readCoordinates(folder, content);
            FAIL() << "a list without observations must not read: " << content;
        } catch (const AnalysisError& error) {
            EXPECT_EQ(std::string(error.what()), "the coordinate file lists no observation");
        }
    }
}

// Reads `content` as the genotype file of three observations and returns the warnings it gave.
std::vector<std::string> layoutWarnings(std::string content, DataType type = DataType::Genotypes)
{
    SampleTable table;
    table.names = {"a", "b", "c"};
    testing::RecordingListener listener;
    FieldReader reader = FieldReader::fromText(std::move(content), "genotype file", "geno.txt");
    ReadGenotypeFile(reader, type, table, listener);
    return listener.warnings;
}

TEST(ReadGenotypeFile, LocusCountTooSmallForTheRecordsGivesAWarning)
{
    // One locus declared, two per record: "B" of the first record is read as the second name.
    const std::vector<std::string> warnings = layoutWarnings("1\na,A,B\nb,A,A\nc,B,B\n");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "genotype file \"geno.txt\", line 2: the record of observation 2 does not start a line, "
                           "as every earlier record did (\"B\" is read as its name); does each record hold 1 "
                           "genotype field(s), as the first field of the file says?");
}

TEST(ReadGenotypeFile, LocusCountTooLargeForTheRecordsGivesAWarning)
{
    // Three loci declared, two per record: the name of the second record is read as a genotype.
    EXPECT_EQ(layoutWarnings("3\na,A,B\nb,A,B\nc,A,B\nd,A,B\n").size(), 1u);
}

TEST(ReadGenotypeFile, RecordLayoutsThatFitTheirLocusCountGiveNoWarning)
{
    const char* layouts[] = {
        "2\na,A,B\nb,A,A\nc,B,B\n",       // one record per line
        "2\na\nA\nB\nb\nA\nA\nc\nB\nB\n", // one field per line
        "2,a,A,B,b,A,A,c,B,B",            // all on one line
        "2,a,A,B\nb,A,A\nc,B,B\n",        // the first record beside the locus count
        "2\na,A\nB\nb,A\nA\nc,B\nB\n",    // records over several lines, names first
        "2\n  a,A,B\n\tb,A,A\nc,B,B\n",   // names after blanks
    };
    for (const char* layout : layouts)
        EXPECT_TRUE(layoutWarnings(layout).empty()) << layout;
}

TEST(ParseDecimal, AcceptsDecimalNumbersOnly)
{
    EXPECT_EQ(parseDecimal("12"), 12.0);
    EXPECT_EQ(parseDecimal("-0.5"), -0.5);
    EXPECT_EQ(parseDecimal("+.5"), 0.5);
    EXPECT_EQ(parseDecimal("5."), 5.0);
    EXPECT_EQ(parseDecimal("1.5E+3"), 1500.0);
    EXPECT_EQ(parseDecimal(" 2e-2 "), 0.02);
    for (const char* bad : {"", "-", ".", "e5", "1e", "1e+", "inf", "nan", "0x10", "1,5", "1.2.3", "12abc", "1e999"})
        EXPECT_FALSE(parseDecimal(bad).has_value()) << bad;
}

} // namespace
} // namespace tessaloc
