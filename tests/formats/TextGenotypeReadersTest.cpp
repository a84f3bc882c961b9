#include "core/Errors.h"
#include "formats/GenotypeFormats.h"
#include "tests/formats/GenotypeReaderChecks.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <functional>

namespace tessaloc {
namespace {

using testing::dataProblemOf;
using testing::fieldsOf;
using testing::TempFolder;

TEST(ReadGenepopGenotypes, LociOnOneOrManyLinesAndTwoOrThreeDigitAlleles)
{
    TempFolder folder;
    const auto two =
        folder.write("two.gen", "A title, with a comma\r\nL1, L2\r\nL3\r\nPOP\r\n"
                                "s1 , 0101 0103 0000\r\ns2,0102 0003 0101\r\nPop\r\n ind 3 ,0202\t0101 0202\r\n");
    const NamedGenotypes genotypes = ReadGenepopGenotypes(two);
    EXPECT_TRUE(genotypes.diploid);
    EXPECT_EQ(genotypes.names, (std::vector<std::string>{"s1", "s2", "ind 3"}));
    EXPECT_EQ(genotypes.places, (std::vector<std::string>{"line 5", "line 6", "line 8"}));
    ASSERT_EQ(genotypes.loci.size(), 3u);
    EXPECT_EQ(fieldsOf(genotypes, 0), (std::vector<std::string>{"1\\1", "1\\2", "2\\2"}));
    // A half-missing genotype is missing.
    EXPECT_EQ(fieldsOf(genotypes, 1), (std::vector<std::string>{"1\\3", "0\\0", "1\\1"}));
    EXPECT_EQ(fieldsOf(genotypes, 2), (std::vector<std::string>{"0\\0", "1\\1", "2\\2"}));

    const auto three = folder.write("three.gen", "t\nL1\npop\na, 120132\nb, 000000\n");
    EXPECT_EQ(fieldsOf(ReadGenepopGenotypes(three), 0), (std::vector<std::string>{"120\\132", "0\\0"}));
}

TEST(ReadGenepopGenotypes, HaploidCodesAreSingleStates)
{
    TempFolder folder;
    const auto path = folder.write("h.gen", "t\nL1,L2\nPOP\na, 01 12\nb, 00 03\n");
    const NamedGenotypes genotypes = ReadGenepopGenotypes(path);
    EXPECT_FALSE(genotypes.diploid);
    EXPECT_EQ(fieldsOf(genotypes, 0), (std::vector<std::string>{"1", "0"}));
    EXPECT_EQ(fieldsOf(genotypes, 1), (std::vector<std::string>{"12", "3"}));
}

TEST(ReadGenepopGenotypes, BadRecordsNameFileAndLine)
{
    TempFolder folder;
    const struct {
        std::string content, message;
    } cases[] = {
        {"t\nL1\nL2\nPOP\na, 0101\n", ", line 5: the record of \"a\" has 1 genotypes, but the file names 2 loci."},
        {"t\nL1\nPOP\na, 0101\nb, 010\n",
         ", line 5: the genotype \"010\" of \"b\" at locus 1 (\"L1\") is not 4 digits like the genotypes before it."},
        {"t\nL1\nPOP\na, 01x1\n",
         ", line 4: the genotype \"01x1\" of \"a\" at locus 1 (\"L1\") is not two, three, four or six digits."},
        {"t\nL1\nPOP\na 0101\n", ", line 4: expected a sample name, a comma and the genotypes, found \"a 0101\"."},
    };
    int index = 0;
    for (const auto& c : cases) {
        const auto path = folder.write("bad" + std::to_string(index++) + ".gen", c.content);
        EXPECT_EQ(dataProblemOf([&] { ReadGenepopGenotypes(path); }),
                  "The genotype file \"" + path.string() + "\"" + c.message);
    }
}

TEST(ReadGenalexGenotypes, AllelePairsWithAndWithoutCoordinates)
{
    TempFolder folder;
    const auto plain = folder.write("plain.csv", "2,3,2,2,1\r\nStudy,,,north,south\r\nSample,Pop,L1,,L2,\r\n"
                                                 "a,north,120,122,1,1\r\nb,north,0,122,2,1\r\nc,south,122,122,1,2\r\n");
    const NamedGenotypes genotypes = ReadGenalexGenotypes(plain);
    EXPECT_EQ(genotypes.names, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(fieldsOf(genotypes, 0), (std::vector<std::string>{"120\\122", "0\\0", "122\\122"}));
    EXPECT_EQ(fieldsOf(genotypes, 1), (std::vector<std::string>{"1\\1", "2\\1", "1\\2"}));
    EXPECT_TRUE(genotypes.xTexts.empty());

    // Latitude comes first here; longitude is X.
    const auto located = folder.write("located.csv", "1,2,1,2\nStudy,,,all\nSample,Pop,L1,,,Latitude,Longitude\n"
                                                     "a,all,1,2,,45.5,7.25\nb,all,2,2,,46,8\n");
    const NamedGenotypes withCoordinates = ReadGenalexGenotypes(located);
    EXPECT_EQ(withCoordinates.xTexts, (std::vector<std::string>{"7.25", "8"}));
    EXPECT_EQ(withCoordinates.yTexts, (std::vector<std::string>{"45.5", "46"}));

    SampleTable table;
    ReadCoordinates(located, table);
    EXPECT_EQ(table.names, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(table.xTexts, (std::vector<std::string>{"7.25", "8"}));
    EXPECT_EQ(dataProblemOf([&] { ReadCoordinates(plain, table); }),
              "The coordinate file \"" + plain.string() +
                  "\" is a GenAlEx table without coordinates (columns headed X and Y, or Latitude and Longitude, "
                  "after an empty column to the right of the genotypes).");
}

TEST(ReadGenalexGenotypes, CountsThatDisagreeWithTheRowsNameFileAndLine)
{
    TempFolder folder;
    const std::string heads = "t,,,p\nSample,Pop,L1,\n";
    const struct {
        std::string content, message;
    } cases[] = {
        {"1,3,1,2\n" + heads + "a,p,1,1\nb,p,1,2\n",
         ", line 1: the populations hold 2 samples in all, but the table counts 3."},
        {"1,2,1,2\n" + heads + "a,p,1,1\n", " counts 2 samples in its first row, but 1 rows of samples follow."},
        {"1,1,1,1\n" + heads + "a,p,1,1\nb,p,1,2\n", ", line 5: the table counts 1 samples, but \"b\" is one more."},
        {"2,1,1,1\nt,,,p\nSample,Pop,L1,,L2,\na,p,1,1\n",
         ", line 4: the row of \"a\" has 4 columns, but 2 loci need 6."},
        {"1,1,1,1\n" + heads + "a,p,1,x\n", ", line 4: the allele \"x\" of \"a\" at locus 1 is not a whole number."},
    };
    int index = 0;
    for (const auto& c : cases) {
        const auto path = folder.write("bad" + std::to_string(index++) + ".csv", c.content);
        EXPECT_EQ(dataProblemOf([&] { ReadGenalexGenotypes(path); }),
                  "The genotype file \"" + path.string() + "\"" + c.message);
    }
}

} // namespace
} // namespace tessaloc
