#include "core/ReportHeadings.h"

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

} // namespace tessaloc
