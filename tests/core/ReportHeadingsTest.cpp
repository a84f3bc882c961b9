#include "core/ReportHeadings.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaloc {
namespace {

TEST(ReportHeadings, DataTypeLineNamesEachDataType)
{
    EXPECT_EQ(std::string(DataTypeLine(DataType::Codominant)), "Data type = 1 (alleles from codominant loci)");
    EXPECT_EQ(std::string(DataTypeLine(DataType::Genotypes)),
              "Data type = 2 (codominant genotypes or dominant markers)");
    EXPECT_EQ(std::string(DataTypeLine(DataType::Sequences)), "Data type = 3 (DNA/Protein sequence data)");
    EXPECT_EQ(DataTypeLine(static_cast<DataType>(0)), nullptr) << "no line for another value";
}

TEST(ReportHeadings, HeadingHasTitleFilesAndDataType)
{
    ReportWriter report;
    WriteReportHeading(report, "Title", "dir/c.txt", "g.txt", DataType::Sequences);
    EXPECT_EQ(report.str(), "Title\r\nCoordinate File: dir/c.txt\r\nGenotype File: g.txt\r\n"
                            "Data type = 3 (DNA/Protein sequence data)\r\n");
    ReportWriter other;
    WriteReportHeading(other, "Title", "c", "g", static_cast<DataType>(4));
    EXPECT_EQ(other.str(), "Title\r\nCoordinate File: c\r\nGenotype File: g\r\n");
}

TEST(ReportHeadings, ALineOnTheDistancesFollowsTheFilesWhenGiven)
{
    ReportWriter report;
    WriteReportHeading(report, "Title", "c.txt", "g.txt", DataType::Codominant, "Distances: d");
    EXPECT_EQ(report.str(), "Title\r\nCoordinate File: c.txt\r\nGenotype File: g.txt\r\nDistances: d\r\n"
                            "Data type = 1 (alleles from codominant loci)\r\n");
    ReportWriter none;
    WriteReportHeading(none, "Title", "c.txt", "g.txt", DataType::Codominant, "");
    EXPECT_EQ(none.str(), "Title\r\nCoordinate File: c.txt\r\nGenotype File: g.txt\r\n"
                          "Data type = 1 (alleles from codominant loci)\r\n");
}

TEST(ReportHeadings, PermutationSchemeLineNamesEveryScheme)
{
    struct Case {
        PermutationRecord record;
        std::string line;
    };
    for (const Case& c : {Case{{PermutationScheme::Exchanges, 0}, ""},
                          Case{{PermutationScheme::Uniform, 0}, "Permutations: independent uniform shuffles"},
                          Case{{PermutationScheme::Complete, 5040}, "Permutations: all 5040 arrangements (exact test)"},
                          Case{{PermutationScheme::Complete, 24}, "Permutations: all 24 arrangements (exact test)"}}) {
        EXPECT_EQ(PermutationSchemeLine(c.record), c.line);
        ReportWriter report;
        WritePermutationSchemeLine(report, c.record);
        EXPECT_EQ(report.str(), c.line.empty() ? "" : c.line + "\r\n") << "the default writes no line at all";
    }
}

} // namespace
} // namespace tessaloc
