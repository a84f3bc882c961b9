#include "analyses/partialmantel/PartialMantel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

namespace tessaloc {
namespace {

PartialMantelResult smallResult()
{
    PartialMantelResult result;
    result.coordinatePath = "data/coords.txt";
    result.genotypePath = "geno file.txt";
    result.dataType = DataType::Genotypes;
    result.names = {"A", "B", "C"};
    result.seed = std::make_pair(std::int64_t{12}, std::int64_t{345});
    result.xName = "straight";
    result.xDescription = "straight lines";
    result.zName = "habitat.csv";
    result.zDescription = "the distance matrix file \"habitat.csv\"";
    result.genetic = PackedDistances(3);
    result.genetic.setPair(0, 1, 0.25);
    result.genetic.setPair(0, 2, 1.0);
    result.genetic.setPair(1, 2, 0.0);
    result.x = PackedDistances(3);
    result.x.setPair(0, 1, 5.0);
    result.x.setPair(0, 2, 12.125);
    result.x.setPair(1, 2, -0.0312);
    result.z = PackedDistances(3);
    result.z.setPair(0, 1, 2.0);
    result.z.setPair(0, 2, 3.0);
    result.z.setPair(1, 2, 4.5);
    result.r = -0.0312;
    result.geneticX = 0.5;
    result.geneticZ = -0.25;
    result.xZ = 0.125;
    result.permutations = 999;
    result.pGreaterOrEqual = 0.5;
    result.pLessOrEqual = 1.0;
    return result;
}

// The heading as the Mantel report writes it, the two matrices and the seed; then r as the Mantel
// report writes it, the probabilities, and the pairs in zones of 14 characters (the genetic
// distance taking two).
TEST(PartialMantelReport, LinesAndZonesOfASmallRun)
{
    const std::string expected =
        "Results of Partial Mantel Test\r\n"
        "Coordinate File: data/coords.txt\r\n"
        "Genotype File: geno file.txt\r\n"
        "Data type = 2 (codominant genotypes or dominant markers)\r\n"
        "X, the distances tested: straight (straight lines)\r\n"
        "Z, the distances held constant: habitat.csv (the distance matrix file \"habitat.csv\")\r\n"
        "Random seed: 12,345\r\n"
        "\r\n"
        "\r\n"
        "Partial correlation of genetic distances and X given Z:  r = -.0312000000\r\n"
        "Probability of observing a partial correlation greater than or equal to observed:  P = .5000000000\r\n"
        "Probability of observing a partial correlation less than or equal to observed:  P = 1.0000000000\r\n"
        " 999 replicates performed\r\n"
        "\r\n"
        "Correlation of genetic distances and X:  .5000000000\r\n"
        "Correlation of genetic distances and Z:  -.2500000000\r\n"
        "Correlation of X and Z:  .1250000000\r\n"
        "\r\n"
        "\r\n"
        "Table of matrix data in expanded format\r\n"
        "Obs. 1        Obs. 2        Genetic Distance            X             Z\r\n"
        "A             B             .2500000000                 5.0000000000  2.0000000000\r\n"
        "A             C             1.0000000000                12.1250000000 3.0000000000\r\n"
        "B             C             .0000000000                 -.0312000000  4.5000000000\r\n";
    EXPECT_EQ(PartialMantelReport(smallResult()), expected);
}

TEST(PartialMantelReport, RanksSayTheyWereTakenInOneLine)
{
    PartialMantelResult result = smallResult();
    result.rank = true;
    const std::string plain = PartialMantelReport(smallResult());
    const std::string after = " 999 replicates performed\r\n";
    std::string expected = plain;
    expected.insert(plain.find(after) + after.size(),
                    "Rank correlation: every distance replaced by its rank among the pairs (ties share their mean "
                    "rank)\r\n");
    EXPECT_EQ(PartialMantelReport(result), expected);
}

TEST(PartialMantelReport, ARunThatDrewNoNumbersSaysSo)
{
    PartialMantelResult result = smallResult();
    result.seed.reset();
    std::string expected = PartialMantelReport(smallResult());
    const std::string seedLine = "Random seed: 12,345\r\n";
    expected.replace(expected.find(seedLine), seedLine.size(), "Random seed: none drawn\r\n");
    EXPECT_EQ(PartialMantelReport(result), expected);
}

TEST(PartialMantelReport, WithoutThePairTableOneLineSaysItWasLeftOut)
{
    PartialMantelResult result = smallResult();
    result.pairTable = false;
    const std::string full = PartialMantelReport(smallResult());
    const std::string head = full.substr(0, full.find("Table of matrix data"));
    EXPECT_EQ(PartialMantelReport(result), head + "Table of matrix data in expanded format left out (3 pairs)\r\n");
}

} // namespace
} // namespace tessaloc
