#include "analyses/mantel/Mantel.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaloc {
namespace {

MantelResult smallResult()
{
    MantelResult result;
    result.coordinatePath = "data/coords.txt";
    result.genotypePath = "geno file.txt";
    result.dataType = DataType::Genotypes;
    result.names = {"A", "B", "C"};
    result.genetic = PackedDistances(3);
    result.genetic.setPair(0, 1, 0.25);
    result.genetic.setPair(0, 2, 1.0);
    result.genetic.setPair(1, 2, 0.0);
    result.geographic = PackedDistances(3);
    result.geographic.setPair(0, 1, 5.0);
    result.geographic.setPair(0, 2, 12.125);
    result.geographic.setPair(1, 2, -0.0312);
    result.r = -0.0312;
    result.permutations = 1000;
    result.pGreaterOrEqual = 0.5;
    result.pLessOrEqual = 1.0;
    return result;
}

TEST(MantelReport, LinesAndZonesOfASmallRun)
{
    const std::string expected = "Results of Mantel Test\r\n"
                                 "Coordinate File: data/coords.txt\r\n"
                                 "Genotype File: geno file.txt\r\n"
                                 "Data type = 2 (codominant genotypes or dominant markers)\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "Correlation of genetic and geographical distances:  r = -.0312000000\r\n"
                                 "Probability of observing a correlation greater than or equal to observed:  P = "
                                 ".5000000000\r\n"
                                 "Probability of observing a correlation less than or equal to observed:  P = "
                                 "1.0000000000\r\n"
                                 " 1000 replicates performed\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "Table of matrix data in expanded format\r\n"
                                 // Obs. 2 at column 15, Genetic Distance at 29, Geographical Distance at 57.
                                 "Obs. 1        Obs. 2        Genetic Distance            Geographical Distance\r\n"
                                 "A             B             .2500000000                 5.0000000000\r\n"
                                 "A             C             1.0000000000                12.1250000000\r\n"
                                 "B             C             .0000000000                 -.0312000000\r\n";
    EXPECT_EQ(MantelReport(smallResult()), expected);
}

TEST(MantelReport, WithoutThePairTableOneLineSaysItWasLeftOut)
{
    // Three observations have 3 pairs; everything above the table stays as it was.
    MantelResult result = smallResult();
    result.pairTable = false;
    const std::string full = MantelReport(smallResult());
    const std::string head = full.substr(0, full.find("Table of matrix data"));
    EXPECT_EQ(MantelReport(result), head + "Table of matrix data in expanded format left out (3 pairs)\r\n");
}

TEST(MantelReport, RanksAddOneLineAfterTheReplicates)
{
    MantelResult result = smallResult();
    result.rank = true;
    std::string expected = MantelReport(smallResult());
    const std::string after = " 1000 replicates performed\r\n";
    expected.insert(expected.find(after) + after.size(),
                    "Rank correlation: every distance replaced by its rank among the pairs (ties share their mean "
                    "rank)\r\n");
    EXPECT_EQ(MantelReport(result), expected);
}

TEST(MantelReport, DataTypeLines)
{
    MantelResult result = smallResult();
    result.dataType = DataType::Codominant;
    EXPECT_NE(MantelReport(result).find("\r\nData type = 1 (alleles from codominant loci)\r\n\r\n"), std::string::npos);
    result.dataType = DataType::Sequences;
    EXPECT_NE(MantelReport(result).find("\r\nData type = 3 (DNA/Protein sequence data)\r\n\r\n"), std::string::npos);
    result.dataType = static_cast<DataType>(0);
    EXPECT_NE(MantelReport(result).find("Genotype File: geno file.txt\r\n\r\n\r\nCorrelation"), std::string::npos);
}

TEST(MantelReport, LongNamesPushLaterItemsToLaterZones)
{
    MantelResult result = smallResult();
    result.names = {"Thirteen-char", "Fourteen-chars", "C"};
    const std::string report = MantelReport(result);
    // A 13-character name still leaves the next at column 15; a 14-character one moves it to 29.
    EXPECT_NE(report.find("\r\nThirteen-char Fourteen-chars              .2500000000                 5.0000000000\r\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("\r\nFourteen-chars              C             .0000000000                 -.0312000000\r\n"),
              std::string::npos)
        << report;
}

TEST(MantelReport, ZeroAndOtherCountsInTheReplicatesLine)
{
    MantelResult result = smallResult();
    result.permutations = 0;
    EXPECT_NE(MantelReport(result).find("\r\n 0 replicates performed\r\n"), std::string::npos);
    result.permutations = 9;
    EXPECT_NE(MantelReport(result).find("\r\n 9 replicates performed\r\n"), std::string::npos);
}

TEST(MantelReport, AnotherPermutationSchemeIsNamedAfterTheReplicatesLine)
{
    MantelResult result = smallResult();
    result.permutations = 5039;
    result.permutationScheme = {PermutationScheme::Complete, 5040};
    EXPECT_NE(MantelReport(result).find("\r\n 5039 replicates performed\r\n"
                                        "Permutations: all 5040 arrangements (exact test)\r\n\r\n\r\nTable of"),
              std::string::npos);
    result.permutationScheme = {PermutationScheme::Uniform, 0};
    EXPECT_NE(MantelReport(result).find(" replicates performed\r\nPermutations: independent uniform shuffles\r\n\r\n"),
              std::string::npos);
}

} // namespace
} // namespace tessaloc
