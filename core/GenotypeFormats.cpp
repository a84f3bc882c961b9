#include "core/GenotypeFormats.h"

#include "core/Errors.h"
#include "core/FieldReader.h"
#include "core/GenotypeText.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <unordered_map>

namespace tessaloc {
namespace {

// Detection reads no more than this of a file.
constexpr size_t kDetectionBytes = 1 << 20;

// A GenAlEx table starts with a row of counts: loci, samples, populations, then the size of each
// population, all whole numbers (a spreadsheet may add empty cells).
bool looksLikeGenalex(const std::vector<std::string_view>& lines)
{
    if (lines.size() < 3)
        return false;
    std::vector<std::string_view> counts;
    size_t start = 0;
    const std::string_view first = lines[0];
    for (;;) {
        const size_t comma = first.find(',', start);
        const std::string_view cell = trimmedText(first.substr(start, comma - start));
        if (isDigits(cell))
            counts.push_back(cell);
        else if (!cell.empty() || counts.size() < 3)
            return false;
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    // The third count is the number of populations, each with its size after it; the column heads
    // of the third row start with a text.
    if (counts.size() < 3 || counts[2].size() > 6 || std::stoul(std::string(counts[2])) + 3 != counts.size())
        return false;
    const std::string_view head = trimmedText(lines[2].substr(0, lines[2].find(',')));
    return !head.empty() && !parseDecimal(head);
}

// A GENEPOP file has a title line, then locus names, then a line "POP"; the records that follow hold
// a comma.
bool looksLikeGenepop(const std::vector<std::string_view>& lines)
{
    for (size_t k = 1; k < lines.size(); ++k) {
        if (lowerCaseText(trimmedText(lines[k])) == "pop")
            return k >= 2 || lines.size() > k + 1;
    }
    return false;
}

} // namespace

std::string describeFile(std::string_view role, const std::filesystem::path& path)
{
    return std::string(role) + " \"" + escapeControlCharacters(path.string()) + "\"";
}

std::string_view genotypeFormatName(GenotypeFormat format)
{
    switch (format) {
    case GenotypeFormat::Detect:
        return "detect";
    case GenotypeFormat::Own:
        return "own";
    case GenotypeFormat::Vcf:
        return "vcf";
    case GenotypeFormat::Genepop:
        return "genepop";
    case GenotypeFormat::Genalex:
        return "genalex";
    }
    return "own";
}

GenotypeFormat DetectGenotypeFormat(const std::filesystem::path& path)
{
    // A file that cannot be read is left to the own format's reader, whose message says why.
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return GenotypeFormat::Own;
    std::string head(kDetectionBytes, '\0');
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(file.gcount()));
    if (head.size() >= 2 && static_cast<unsigned char>(head[0]) == 0x1F && static_cast<unsigned char>(head[1]) == 0x8B)
        return GenotypeFormat::Vcf;
    if (head.rfind("BCF\2", 0) == 0 || head.rfind("##fileformat=VCF", 0) == 0)
        return GenotypeFormat::Vcf;
    // A byte order mark of UTF-8 may stand in front of a table saved by a spreadsheet.
    std::string_view text(head);
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
        text.remove_prefix(3);
    const std::vector<std::string_view> lines = linesOf(text);
    if (looksLikeGenalex(lines))
        return GenotypeFormat::Genalex;
    if (looksLikeGenepop(lines))
        return GenotypeFormat::Genepop;
    return GenotypeFormat::Own;
}

void ReadCoordinates(const std::filesystem::path& path, SampleTable& table)
{
    if (DetectGenotypeFormat(path) != GenotypeFormat::Genalex) {
        ReadCoordinateFile(path, table);
        return;
    }
    NamedGenotypes genalex = ReadGenalexGenotypes(path, "coordinate file");
    if (genalex.xTexts.empty())
        throw DataProblem("The " + genalex.file +
                          " is a GenAlEx table without coordinates (columns headed X and Y, or Latitude and "
                          "Longitude, after an empty column to the right of the genotypes).");
    table.names = std::move(genalex.names);
    table.xTexts = std::move(genalex.xTexts);
    table.yTexts = std::move(genalex.yTexts);
}

void RequireMatchingDataType(const NamedGenotypes& genotypes, DataType dataType)
{
    if (genotypes.diploid ? dataType != DataType::Sequences : dataType == DataType::Genotypes)
        return;
    const std::string chosen = "data type " + std::to_string(static_cast<int>(dataType));
    throw DataProblem(genotypes.diploid ? "The " + genotypes.file +
                                              " holds diploid genotypes (two alleles per locus), which are read as "
                                              "data type 1 (or 2), but " +
                                              chosen + " (DNA/Protein sequences) is chosen."
                                        : "The " + genotypes.file +
                                              " holds haploid genotypes (one allele per locus), which are read as "
                                              "data type 2, but " +
                                              chosen + " is chosen.");
}

void MatchGenotypesByName(NamedGenotypes genotypes, SampleTable& table, RunListener& listener)
{
    std::unordered_map<std::string_view, int> byName;
    std::unordered_map<std::string, int> byLowerName;
    for (size_t k = 0; k < genotypes.names.size(); ++k) {
        const auto [it, inserted] = byName.try_emplace(genotypes.names[k], static_cast<int>(k));
        if (!inserted)
            throw DataProblem("The sample name " + quotedField(genotypes.names[k]) + " appears twice in the " +
                              genotypes.file + " (" + genotypes.places[static_cast<size_t>(it->second)] + " and " +
                              genotypes.places[k] + "); each sample needs a name of its own.");
        byLowerName.try_emplace(lowerCaseText(genotypes.names[k]), static_cast<int>(k));
    }

    std::vector<int> positions;
    std::vector<std::string> missing;
    std::string caseHint;
    for (const std::string& name : table.names) {
        if (const auto it = byName.find(name); it != byName.end()) {
            positions.push_back(it->second);
            continue;
        }
        if (caseHint.empty()) {
            if (const auto other = byLowerName.find(lowerCaseText(name)); other != byLowerName.end())
                caseHint = " The genotype file has " +
                           quotedField(genotypes.names[static_cast<size_t>(other->second)]) + " (" +
                           genotypes.places[static_cast<size_t>(other->second)] + ") for " + quotedField(name) +
                           ": names must match in case too.";
        }
        missing.push_back(name);
    }
    if (!missing.empty())
        throw DataProblem(std::to_string(missing.size()) + " of the " + std::to_string(table.names.size()) +
                          " observations of the coordinate file " + (missing.size() == 1 ? "has" : "have") +
                          " no sample in the " + genotypes.file + ": " + quotedFieldList(missing) + "." + caseHint);

    const size_t leftOut = genotypes.names.size() - positions.size();
    if (leftOut > 0)
        listener.warning(std::to_string(leftOut) + " sample" + (leftOut == 1 ? "" : "s") + " of the " + genotypes.file +
                         (leftOut == 1 ? " has" : " have") + " no coordinates and" + (leftOut == 1 ? " was" : " were") +
                         " left out");

    table.locusCount = static_cast<int>(genotypes.loci.size());
    for (GenotypeColumn& column : genotypes.loci)
        column.select(positions);
    table.genotypes = std::move(genotypes.loci);
}

void ReadGenotypes(const std::filesystem::path& path, GenotypeFormat format, DataType dataType, SampleTable& table,
                   RunListener& listener)
{
    if (format == GenotypeFormat::Detect)
        format = DetectGenotypeFormat(path);
    NamedGenotypes genotypes;
    switch (format) {
    case GenotypeFormat::Detect:
    case GenotypeFormat::Own:
        ReadGenotypeFile(path, dataType, table, listener);
        return;
    case GenotypeFormat::Vcf:
        genotypes = ReadVcfGenotypes(path);
        break;
    case GenotypeFormat::Genepop:
        genotypes = ReadGenepopGenotypes(path);
        break;
    case GenotypeFormat::Genalex:
        genotypes = ReadGenalexGenotypes(path);
        break;
    }
    RequireMatchingDataType(genotypes, dataType);
    MatchGenotypesByName(std::move(genotypes), table, listener);
}

} // namespace tessaloc
