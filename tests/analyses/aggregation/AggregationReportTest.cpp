#include "analyses/aggregation/Aggregation.h"

#include <gtest/gtest.h>

namespace tessaloc {
namespace {

CategoryResult category(const std::string& text, int bearers, double mean = 0.0, double rj = 0.0, double pUpper = 0.0,
                        double pLower = 0.0)
{
    CategoryResult c;
    c.text = text;
    c.label = text;
    c.bearerCount = bearers;
    c.meanNearestDistance = mean;
    c.rj = rj;
    c.pUpper = pUpper;
    c.pLower = pLower;
    return c;
}

AggregationResult codominantResult()
{
    AggregationResult result;
    result.coordinatePath = "data/c.txt";
    result.genotypePath = "g file.txt";
    result.dataType = DataType::Codominant;
    result.r = 0.5;
    result.rave = 1.25;
    result.pRave = 0.042;
    result.loci.resize(2);
    result.loci[0].categories = {category(" 1\\2 ", 5, 12.5, 0.942809, 0.5, 1.0), category(" 2\\2 ", 1)};
    result.loci[1].categories = {category(" 3\\3 ", 6, 1.0, 1.0, 1.0, 1.0)};
    return result;
}

TEST(AggregationReport, LinesAndColumnsOfACodominantRun)
{
    // Columns counted by hand: the locus number " 1 " from column 1, the label at 10, the count at 21,
    // the mean at 30 and the next zones at 43, 57 and 71.
    const std::string expected =
        "AAIA results\r\n"
        "Coordinate File: data/c.txt\r\n"
        "Genotype File: g file.txt\r\n"
        "Data type = 1 (alleles from codominant loci)\r\n"
        "\r\n"
        "Spatial aggregation of sampled points: R = 0.500000000\r\n"
        "\r\n"
        "Results of global analysis over alleles and loci:  Rave = 1.250000000, P (Rave<=RND) = 0.042000000\r\n"
        "\r\n"
        "Allele/genotype specific test results\r\n"
        "\r\n"
        "         Allele/\r\n"
        "Locus    Genotype   n        Ave NN dist  Rj            P (Rj>=RND)   P (Rj<=RND)\r\n"
        " 1        1\\2        5       12.50000     0.94281       0.50000       1.00000\r\n"
        " 1        2\\2        1       Single instance of allele/genotype: no analysis performed\r\n"
        "\r\n"
        " 2        3\\3        6       Invariant Locus: no analysis performed\r\n"
        "\r\n";
    EXPECT_EQ(AggregationReport(codominantResult()), expected);
}

TEST(AggregationReport, DataTypeTwoHasNoSequenceListing)
{
    AggregationResult result = codominantResult();
    result.dataType = DataType::Genotypes;
    const std::string report = AggregationReport(result);
    EXPECT_NE(report.find("g file.txt\r\nData type = 2 (codominant genotypes or dominant markers)\r\n\r\nSpatial"),
              std::string::npos);
    EXPECT_EQ(report.find("Information on unique haplotypes"), std::string::npos);
    EXPECT_TRUE(report.ends_with("Invariant Locus: no analysis performed\r\n\r\n"));

    result.dataType = static_cast<DataType>(0);
    EXPECT_NE(AggregationReport(result).find("g file.txt\r\n\r\nSpatial"), std::string::npos) << "no data type line";
}

TEST(AggregationReport, NumbersKeepTheirLeadingZeroAndFixedDecimals)
{
    AggregationResult result = codominantResult();
    result.r = 12.3456789012345;
    result.rave = 0.0000000004;
    result.pRave = 1.0;
    result.loci[0].categories[0].meanNearestDistance = 0.000004;
    result.loci[0].categories[0].pUpper = 0.123456;
    const std::string report = AggregationReport(result);
    EXPECT_NE(report.find("R = 12.345678901\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("Rave = 0.000000000, P (Rave<=RND) = 1.000000000\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("      0.00000      0.94281       0.12346       1.00000\r\n"), std::string::npos) << report;
}

TEST(AggregationReport, LongLabelsPushTheCountToTheNextLine)
{
    AggregationResult result = codominantResult();
    // " 1000\1000 " ends in column 20, so the count follows directly at 21; one character more and
    // the count goes to column 21 of a new line.
    result.loci[0].categories[0].label = " 1000\\1000 ";
    result.loci[0].categories[1].label = " 10000\\1000 ";
    const std::string report = AggregationReport(result);
    EXPECT_NE(report.find("\r\n 1        1000\\1000  5       12.50000"), std::string::npos) << report;
    EXPECT_NE(report.find("\r\n 1        10000\\1000 \r\n                     1       Single instance"),
              std::string::npos)
        << report;
}

TEST(AggregationReport, SequenceDataListsCodesAndNames)
{
    AggregationResult result;
    result.coordinatePath = "c.txt";
    result.genotypePath = "s.txt";
    result.dataType = DataType::Sequences;
    result.r = 1.0;
    result.rave = 0.75;
    result.pRave = 0.5;
    result.loci.resize(1);
    result.loci[0].categories = {category(" ACGT ", 2, 1.0, 0.75, 0.25, 0.875), category(" ACGA ", 1)};
    result.loci[0].categories[0].label = " 1";
    result.loci[0].categories[1].label = " 2";
    result.sequences = {{" 1", " ACGT ", {"o1", "o3"}}, {" 2", " ACGA ", {"o2"}}};
    const std::string expected =
        "AAIA results\r\n"
        "Coordinate File: c.txt\r\n"
        "Genotype File: s.txt\r\n"
        "Data type = 3 (DNA/Protein sequence data)\r\n"
        "\r\n"
        "Spatial aggregation of sampled points: R = 1.000000000\r\n"
        "\r\n"
        "Results of global analysis over alleles and loci:  Rave = 0.750000000, P (Rave<=RND) = 0.500000000\r\n"
        "\r\n"
        "Allele/genotype specific test results\r\n"
        "\r\n"
        "A complete listing of sequences and sequence codes is provided below the analysis summary.\r\n"
        "Locus    Seq Code   n        Ave NN dist  Rj            P (Rj>=RND)   P (Rj<=RND)\r\n"
        " 1        1          2       1.00000      0.75000       0.25000       0.87500\r\n"
        " 1        2          1       Single instance of allele/genotype: no analysis performed\r\n"
        "\r\n"
        "\r\n"
        "Information on unique haplotypes and haplotype codes in data set.\r\n"
        "Warning:  Sequence information may wrapped over multiple lines!\r\n"
        "\r\n"
        "Seq Code      Sequence\r\n"
        " 1             ACGT \r\n"
        // The caption ends in column 41, so the first name stands at 43 and the next at 57.
        "Names of observations with this sequence: o1            o3\r\n"
        "\r\n"
        " 2             ACGA \r\n"
        "Names of observations with this sequence: o2\r\n"
        "\r\n";
    EXPECT_EQ(AggregationReport(result), expected);
}

TEST(AggregationReport, AnotherPermutationSchemeIsNamedUnderTheRaveLine)
{
    // The report names no count of replicates: the scheme follows the first probability.
    AggregationResult result = codominantResult();
    result.permutationScheme = {PermutationScheme::Complete, 720};
    EXPECT_NE(AggregationReport(result).find("P (Rave<=RND) = 0.042000000\r\n"
                                             "Permutations: all 720 arrangements (exact test)\r\n\r\n"
                                             "Allele/genotype specific test results\r\n"),
              std::string::npos);
    result.permutationScheme = {PermutationScheme::Uniform, 0};
    EXPECT_NE(AggregationReport(result).find("0.042000000\r\nPermutations: independent uniform shuffles\r\n\r\n"),
              std::string::npos);
}

} // namespace
} // namespace tessaloc
