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

TEST(ReadGenepopGenotypes, OneNamePerPopulationOnEveryLineIsKeptAsWritten)
{
    // As GENEPOP users write their files: the identifier is the population's name on every line of
    // it (here also a number, as in many published data sets).
    TempFolder folder;
    const auto path = folder.write("sites.gen", "Cats of two colonies\nFca8\nFca23\nPOP\n1 , 0101 0203\n"
                                                "1 , 0102 0303\n1,0202 0000\nPOP\nBaden , 0101 0101\n"
                                                "Baden , 0202 0102\n");
    const NamedGenotypes genotypes = ReadGenepopGenotypes(path);
    EXPECT_EQ(genotypes.names, (std::vector<std::string>{"1", "1", "1", "Baden", "Baden"}));
    EXPECT_EQ(genotypes.places, (std::vector<std::string>{"line 5", "line 6", "line 7", "line 9", "line 10"}));
    EXPECT_FALSE(genotypes.namesNumbered);
    EXPECT_TRUE(genotypes.xTexts.empty());
    EXPECT_EQ(fieldsOf(genotypes, 1), (std::vector<std::string>{"2\\3", "3\\3", "0\\0", "1\\1", "1\\2"}));
}

TEST(ReadGenepopGenotypes, NamesThatAreCoordinatesBecomeLocationsAndTheSamplesAreNumbered)
{
    // Two individuals share a location, and so an identifier; numbered, they are told apart.
    TempFolder folder;
    const auto path = folder.write("ibd.gen", "Individuals\r\nL1\r\nL2\r\nPOP\r\n12.5 34.1 , 120132 000000\r\n"
                                              "-3\t7e1, 120120 132132\r\nPOP\r\n12.5 34.1 ,132132 120132\r\n");
    const NamedGenotypes genotypes = ReadGenepopGenotypes(path);
    EXPECT_TRUE(genotypes.namesNumbered);
    EXPECT_EQ(genotypes.names, (std::vector<std::string>{"ind1", "ind2", "ind3"}));
    EXPECT_EQ(genotypes.places, (std::vector<std::string>{"line 5", "line 6", "line 8"}));
    EXPECT_EQ(genotypes.xTexts, (std::vector<std::string>{"12.5", "-3", "12.5"}));
    EXPECT_EQ(genotypes.yTexts, (std::vector<std::string>{"34.1", "7e1", "34.1"}));
    EXPECT_EQ(fieldsOf(genotypes, 0), (std::vector<std::string>{"120\\132", "120\\120", "132\\132"}));
}

TEST(ReadGenepopGenotypes, NamesOfWhichSomeAreNotTwoNumbersStayNames)
{
    // Three words, one number, a number and a word, a number beyond the range of a double.
    TempFolder folder;
    int index = 0;
    for (const std::string name : {"12.5 34.1 a", "12.5", "12.5 north", "1e999 3"}) {
        const auto path =
            folder.write("mix" + std::to_string(index++) + ".gen", "t\nL1\nPOP\n1 2 , 0101\n" + name + " , 0102\n");
        const NamedGenotypes genotypes = ReadGenepopGenotypes(path);
        EXPECT_FALSE(genotypes.namesNumbered) << name;
        EXPECT_EQ(genotypes.names, (std::vector<std::string>{"1 2", name})) << name;
        EXPECT_TRUE(genotypes.xTexts.empty()) << name;
    }
}

TEST(ReadGenalexGenotypes, HaploidTablesHaveOneColumnPerLocus)
{
    TempFolder folder;
    const struct {
        std::string content;
        std::vector<std::vector<std::string>> loci;
        std::vector<std::string> x;
    } cases[] = {
        // Three loci, each headed; the codes are single states, 0 missing.
        {"3,3,1,3\nHaplotypes,,,all\nSample,Pop,L1,L2,L3\na,all,1,12,0\nb,all,2,012,3\nc,all,0,1,3\n",
         {{"1", "2", "0"}, {"12", "12", "1"}, {"0", "3", "3"}},
         {}},
        // One locus, the rows stop after it.
        {"1,2,1,2\nt,,,p\nSample,Pop,mtDNA\na,p,4\nb,p,5\n", {{"4", "5"}}, {}},
        // One locus with coordinates after an empty column: the second column stays empty in every row.
        {"1,2,1,2\nt,,,p\nSample,Pop,mtDNA,,X,Y\na,p,4,,1.5,2\nb,p,5,,3,4\n", {{"4", "5"}}, {"1.5", "3"}},
        {"2,2,1,2\nt,,,p\nSample,Pop,L1,L2,,X,Y\na,p,4,1,,1.5,2\nb,p,5,2,,3,4\n",
         {{"4", "5"}, {"1", "2"}},
         {"1.5", "3"}},
    };
    int index = 0;
    for (const auto& c : cases) {
        const auto path = folder.write("haploid" + std::to_string(index++) + ".csv", c.content);
        const NamedGenotypes genotypes = ReadGenalexGenotypes(path);
        EXPECT_FALSE(genotypes.diploid) << c.content;
        ASSERT_EQ(genotypes.loci.size(), c.loci.size()) << c.content;
        for (size_t locus = 0; locus < c.loci.size(); ++locus)
            EXPECT_EQ(fieldsOf(genotypes, locus), c.loci[locus]) << c.content;
        EXPECT_EQ(genotypes.xTexts, c.x) << c.content;
    }
}

TEST(ReadGenalexGenotypes, DiploidTablesWithHeadsOverBothAlleleColumnsOrOneLocusStayDiploid)
{
    TempFolder folder;
    const struct {
        std::string content;
        std::vector<std::string> first;
    } cases[] = {
        // Every allele column headed: after the first two loci's heads comes another head.
        {"2,2,1,2\nt,,,p\nSample,Pop,L1a,L1b,L2a,L2b\na,p,1,2,3,3\nb,p,2,2,3,1\n", {"1\\2", "2\\2"}},
        // One locus: the rows fill its second allele column.
        {"1,2,1,2\nt,,,p\nSample,Pop,L1\na,p,1,2\nb,p,2,2\n", {"1\\2", "2\\2"}},
    };
    int index = 0;
    for (const auto& c : cases) {
        const auto path = folder.write("diploid" + std::to_string(index++) + ".csv", c.content);
        const NamedGenotypes genotypes = ReadGenalexGenotypes(path);
        EXPECT_TRUE(genotypes.diploid) << c.content;
        EXPECT_EQ(fieldsOf(genotypes, 0), c.first) << c.content;
    }
}

TEST(ReadGenalexGenotypes, HaploidCodeThatIsNotANumberNamesTheLine)
{
    TempFolder folder;
    const auto path = folder.write("h.csv", "2,1,1,1\nt,,,p\nSample,Pop,L1,L2\na,p,1,A\n");
    EXPECT_EQ(dataProblemOf([&] { ReadGenalexGenotypes(path); }),
              "The genotype file \"" + path.string() +
                  "\", line 4: the allele \"A\" of \"a\" at locus 2 is not a whole number.");
}

TEST(ReadGenalexGenotypes, CoordinatesHeadedLatitudeAndLongitudeAreMarkedSo)
{
    TempFolder folder;
    const struct {
        std::string heads;
        bool latitudeLongitude;
    } cases[] = {{"Latitude,Longitude", true}, {"long,lat", true}, {"X,Y", false}};
    int index = 0;
    for (const auto& c : cases) {
        const auto path = folder.write("c" + std::to_string(index++) + ".csv",
                                       "1,1,1,1\nt,,,p\nSample,Pop,L1,,," + c.heads + "\na,p,1,2,,45,7\n");
        EXPECT_EQ(ReadGenalexGenotypes(path).latitudeLongitude, c.latitudeLongitude) << c.heads;
    }
}

} // namespace
} // namespace tessaloc
