#include "analyses/autocorrelation/Autocorrelation.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaloc {
namespace {

AutocorrelationResult smallResult()
{
    AutocorrelationResult result;
    result.coordinatePath = "data/coords.txt";
    result.genotypePath = "geno file.txt";
    result.dataType = DataType::Genotypes;
    result.classMode = ClassMode::EqualDistances;
    result.permutations = 1000;
    result.distogram.classCount = 2;
    result.distogram.lowerLimit = {0.0, 2.5};
    result.distogram.upperLimit = {2.5, 6.0};
    result.distogram.ay = {0.375, 0.5625};
    result.distogram.meanGeneticDistance = 0.5;
    result.pairCounts = {2, 4};
    result.v = 0.0988211768802618;
    result.vP = 0.25;
    result.upperTailP = {0.001, 1.0};
    result.lowerTailP = {1.0, 0.999};
    return result;
}

std::string blanks(int count)
{
    return std::string(static_cast<size_t>(count), ' ');
}

TEST(AutocorrelationReport, LinesAndColumnsOfASmallRun)
{
    // Columns counted by hand: Class 1, Range: From 10, To 33, Ay 55, then the zones at 71, 85, 99.
    const std::string header = "Class" + blanks(4) + "Range: From" + blanks(12) + "To" + blanks(20) + "Ay" +
                               blanks(14) + " n" + blanks(12) + "Upper-tail P" + blanks(2) + "Lower-tail P";
    // The class number is printed with its sign blank and a trailing blank (columns 1-3); n likewise
    // from column 71.
    const std::string row1 = " 1 " + blanks(6) + ".00000000000" + blanks(11) + "2.50000000000" + blanks(9) +
                             ".37500000000" + blanks(4) + " 2 " + blanks(11) + "P = .00100" + blanks(4) + "P = 1.00000";
    const std::string row2 = " 2 " + blanks(6) + "2.50000000000" + blanks(10) + "6.00000000000" + blanks(9) +
                             ".56250000000" + blanks(4) + " 4 " + blanks(11) + "P = 1.00000" + blanks(3) + "P = .99900";
    const std::string expected = "Results of Spatial Autocorrelation Analyses\r\n"
                                 "Coordinate File: data/coords.txt\r\n"
                                 "Genotype File: geno file.txt\r\n"
                                 "\r\n"
                                 "Data type = 2 (codominant genotypes or dominant markers)\r\n"
                                 "\r\n"
                                 " 2 distance classes used for analysis\r\n"
                                 "\r\n"
                                 "Average pairwise genetic distance from full data set: .500000000\r\n"
                                 "\r\n"
                                 "Distance classes constructed using equal distances with unequal sample sizes\r\n"
                                 " 1000 permutations performed\r\n"
                                 "\r\n"
                                 "Analysis of full distogram:  V = .09882\r\n"
                                 "Probability of observing a random value of V >= observed V by chance: P = .25000\r\n"
                                 "\r\n"
                                 "Results for each distance class\r\n" +
                                 header + "\r\n" + row1 + "\r\n" + row2 + "\r\n";
    EXPECT_EQ(AutocorrelationReport(smallResult()), expected);
    EXPECT_EQ(header.find("To"), 32u);
    EXPECT_EQ(header.find("Upper-tail P"), 84u);
    EXPECT_EQ(row1.find("P = 1.00000"), 98u);
}

TEST(AutocorrelationReport, DataTypeAndModeLines)
{
    AutocorrelationResult result = smallResult();
    result.dataType = DataType::Codominant;
    result.classMode = ClassMode::EqualCounts;
    std::string report = AutocorrelationReport(result);
    EXPECT_NE(report.find("\r\n\r\nData type = 1 (alleles from codominant loci)\r\n\r\n"), std::string::npos);
    EXPECT_NE(report.find("\r\nDistance classes constructed using unequal distances with equal sample sizes\r\n"),
              std::string::npos);
    result.dataType = DataType::Sequences;
    report = AutocorrelationReport(result);
    EXPECT_NE(report.find("\r\nData type = 3 (DNA/Protein sequence data)\r\n"), std::string::npos);
    result.dataType = static_cast<DataType>(0);
    report = AutocorrelationReport(result);
    EXPECT_NE(report.find("Genotype File: geno file.txt\r\n\r\n\r\n 2 distance classes"), std::string::npos) << report;
}

TEST(AutocorrelationReport, CountsAndMasksOfOtherValues)
{
    AutocorrelationResult result = smallResult();
    result.permutations = 1;
    result.distogram.meanGeneticDistance = 1.0;
    result.v = 0.0;
    result.vP = 1.0;
    const std::string report = AutocorrelationReport(result);
    EXPECT_NE(report.find("\r\n 1 permutations performed\r\n"), std::string::npos);
    EXPECT_NE(report.find("full data set: 1.000000000\r\n"), std::string::npos);
    EXPECT_NE(report.find("distogram:  V = .00000\r\n"), std::string::npos);
    EXPECT_NE(report.find("by chance: P = 1.00000\r\n"), std::string::npos);
}

TEST(AutocorrelationReport, LongLimitPushesTheNextFieldToTheNextLine)
{
    AutocorrelationResult result = smallResult();
    // 24 characters from column 10 reach column 33: "To" is passed, so the upper limit goes to
    // column 33 of a new line, and the rest of the row follows it there.
    result.distogram.lowerLimit[0] = 123456789012.5;
    // 23 characters end at column 32: the upper limit follows without a blank.
    result.distogram.lowerLimit[1] = 12345678901.5;
    const std::string report = AutocorrelationReport(result);
    const std::string firstRow = " 1 " + blanks(6) + "123456789012.50000000000\r\n" + blanks(32) + "2.50000000000" +
                                 blanks(9) + ".37500000000" + blanks(4) + " 2 " + blanks(11) + "P = .00100" +
                                 blanks(4) + "P = 1.00000\r\n";
    EXPECT_NE(report.find("\r\n" + firstRow), std::string::npos) << report;
    EXPECT_NE(report.find("\r\n 2 " + blanks(6) + "12345678901.500000000006.00000000000" + blanks(9) + ".5625"),
              std::string::npos)
        << report;
}

TEST(AutocorrelationReport, LongAyMovesTheCountsOneZoneOn)
{
    AutocorrelationResult result = smallResult();
    // 16 characters from column 55 end at column 70, right before the zone at 71, so n moves on to
    // the zone at 85 and the probabilities to 99 and 113.
    result.distogram.ay[0] = 1234.5;
    // 17 characters end at column 71: n goes to 85 as well.
    result.distogram.ay[1] = 12345.5;
    const std::string report = AutocorrelationReport(result);
    EXPECT_NE(report.find("1234.50000000000" + blanks(14) + " 2 " + blanks(11) + "P = .00100" + blanks(4) +
                          "P = 1.00000\r\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("12345.50000000000" + blanks(13) + " 4 " + blanks(11) + "P = 1.00000" + blanks(3) +
                          "P = .99900\r\n"),
              std::string::npos)
        << report;
}

TEST(AutocorrelationReport, ManyClassesWidenTheClassNumber)
{
    AutocorrelationResult result = smallResult();
    const int classes = 12;
    result.distogram.classCount = classes;
    result.distogram.lowerLimit.assign(classes, 0.0);
    result.distogram.upperLimit.assign(classes, 1.0);
    result.distogram.ay.assign(classes, 0.5);
    result.pairCounts.assign(classes, 123456);
    result.upperTailP.assign(classes, 0.5);
    result.lowerTailP.assign(classes, 0.5);
    const std::string report = AutocorrelationReport(result);
    EXPECT_NE(report.find("\r\n 12 distance classes used for analysis\r\n"), std::string::npos);
    EXPECT_NE(report.find("\r\n 12 " + blanks(5) + ".00000000000"), std::string::npos) << report;
    EXPECT_NE(report.find(".50000000000" + blanks(4) + " 123456 " + blanks(6) + "P = .50000"), std::string::npos);
}

TEST(AutocorrelationReport, AnotherPermutationSchemeIsNamedAfterThePermutationsLine)
{
    AutocorrelationResult result = smallResult();
    result.permutations = 5040;
    result.permutationScheme = {PermutationScheme::Complete, 5040};
    EXPECT_NE(AutocorrelationReport(result).find("\r\n 5040 permutations performed\r\n"
                                                 "Permutations: all 5040 arrangements (exact test)\r\n\r\n"
                                                 "Analysis of full distogram:"),
              std::string::npos);
    result.permutationScheme = {PermutationScheme::Uniform, 0};
    EXPECT_NE(AutocorrelationReport(result).find(
                  " permutations performed\r\nPermutations: independent uniform shuffles\r\n\r\nAnalysis"),
              std::string::npos);
}

} // namespace
} // namespace tessaloc
