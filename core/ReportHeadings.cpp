#include "core/ReportHeadings.h"

#include <algorithm>

#include "core/NumberText.h"

namespace tessaloc {

const char* DataTypeLine(DataType dataType)
{
    switch (dataType) {
    case DataType::Codominant:
        return "Data type = 1 (alleles from codominant loci)";
    case DataType::Genotypes:
        return "Data type = 2 (codominant genotypes or dominant markers)";
    case DataType::Sequences:
        return "Data type = 3 (DNA/Protein sequence data)";
    }
    return nullptr;
}

void WriteReportHeading(ReportWriter& report, std::string_view title, std::string_view coordinatePath,
                        std::string_view genotypePath, DataType dataType, std::string_view distancesLine)
{
    report.line(title);
    report.text("Coordinate File: ").text(coordinatePath).endLine();
    report.text("Genotype File: ").text(genotypePath).endLine();
    if (!distancesLine.empty())
        report.line(distancesLine);
    if (const char* line = DataTypeLine(dataType))
        report.line(line);
}

std::string PermutationSchemeLine(const PermutationRecord& record)
{
    switch (record.scheme) {
    case PermutationScheme::Exchanges:
        return {};
    case PermutationScheme::Uniform:
        return "Permutations: independent uniform shuffles";
    case PermutationScheme::Complete:
        return "Permutations: all " + std::to_string(record.arrangements) + " arrangements (exact test)";
    }
    return {};
}

void WritePermutationSchemeLine(ReportWriter& report, const PermutationRecord& record)
{
    const std::string line = PermutationSchemeLine(record);
    if (!line.empty())
        report.line(line);
}

std::string SeedLine(std::int64_t state1, std::int64_t state2)
{
    return "Random seed: " + std::to_string(state1) + "," + std::to_string(state2);
}

std::string SeedLine(const std::optional<RandomSeed>& seed)
{
    return seed ? SeedLine(seed->first, seed->second) : std::string(kNoSeedLine);
}

void WriteCorrelationTestLines(ReportWriter& report, const CorrelationTest& test)
{
    report.line(std::string(test.correlationLine) + statisticText(test.r));
    report.line("Probability of observing " + std::string(test.statistic) +
                " greater than or equal to observed:  P = " + statisticText(test.pGreaterOrEqual));
    report.line("Probability of observing " + std::string(test.statistic) +
                " less than or equal to observed:  P = " + statisticText(test.pLessOrEqual));
    report.line(printForm(test.permutations) + " replicates performed");
    WritePermutationSchemeLine(report, test.scheme);
    if (test.rank)
        report.line(kRankLine);
}

void WritePairTable(ReportWriter& report, bool wholeTable, const std::vector<std::string>& names,
                    const PackedDistances& genetic, std::initializer_list<PairTableColumn> columns)
{
    const int n = genetic.size();
    if (!wholeTable) {
        const long long pairs = static_cast<long long>(n) * (n - 1) / 2;
        report.line("Table of matrix data in expanded format left out (" + std::to_string(pairs) + " pairs)");
        return;
    }
    report.line("Table of matrix data in expanded format");
    report.text("Obs. 1").nextZone().text("Obs. 2").nextZone().text("Genetic Distance");
    for (const PairTableColumn& column : columns)
        report.nextZone().text(column.heading);
    report.endLine();
    for (int i = 0; i < n - 1; ++i) {
        for (int j = i + 1; j < n; ++j) {
            report.text(names[i]).nextZone().text(names[j]).nextZone();
            report.text(statisticText(genetic(i, j))).nextZone();
            for (const PairTableColumn& column : columns)
                report.nextZone().text(statisticText(column.values(i, j)));
            report.endLine();
        }
    }
}

ReportTableColumns::ReportTableColumns(std::size_t longestName)
    : m_first(1 + std::max(ReportWriter::kZoneWidth, static_cast<int>(longestName) + 2))
{
}

ReportWriter& ReportTableColumns::cell(ReportWriter& report, int column) const
{
    if (report.currentColumn() < at(column))
        return report.column(at(column));
    return report.text("  ");
}

void WritePredictorCorrelations(ReportWriter& report, const ReportTableColumns& columns,
                                const std::vector<std::string>& names,
                                const std::function<double(int, int)>& correlation)
{
    report.line("Correlation among predictors");
    const int k = static_cast<int>(names.size());
    for (int b = 0; b < k; ++b)
        columns.cell(report, b).text(std::to_string(b + 1));
    report.endLine();
    for (int a = 0; a < k; ++a) {
        report.text(std::to_string(a + 1) + " " + names[static_cast<size_t>(a)]);
        for (int b = 0; b < k; ++b)
            columns.cell(report, b).text(statisticText(correlation(a, b)));
        report.endLine();
    }
}

} // namespace tessaloc
