#include "formats/GenotypeFormats.h"
#include "formats/OwnFormatReaders.h"

#include "core/Errors.h"
#include "core/FieldReader.h"
#include "formats/GenotypeText.h"

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
    // The third count is the number of populations, at least one, each with its size after it (a
    // coordinate file of the program's own may well start "101,5,0"); the column heads of the third
    // row start with a text.
    if (counts.size() < 4 || counts[2].size() > 6 || std::stoul(std::string(counts[2])) + 3 != counts.size())
        return false;
    const std::string_view head = trimmedText(lines[2].substr(0, lines[2].find(',')));
    return !head.empty() && !parseDecimal(head);
}

// A record of a GENEPOP file: a name, a comma, then genotypes of two, three, four or six digits.
bool looksLikeGenepopRecord(std::string_view line)
{
    const size_t comma = line.find(',');
    if (comma == std::string_view::npos)
        return false;
    bool genotypes = false;
    const std::string_view rest = line.substr(comma + 1);
    for (size_t start = rest.find_first_not_of(" \t"); start != std::string_view::npos;
         start = rest.find_first_not_of(" \t", start)) {
        const size_t end = std::min(rest.find_first_of(" \t", start), rest.size());
        const std::string_view word = rest.substr(start, end - start);
        if (!isDigits(word) || word.size() == 1 || word.size() == 5 || word.size() > 6)
            return false;
        genotypes = true;
        start = end;
    }
    return genotypes;
}

// The position of the first line after the title that is "POP", or lines.size() when there is none.
size_t firstPopLine(const std::vector<std::string_view>& lines)
{
    for (size_t k = 1; k < lines.size(); ++k) {
        if (lowerCaseText(trimmedText(lines[k])) == "pop")
            return k;
    }
    return lines.size();
}

// A GENEPOP file has a title line, then locus names, then a line "POP"; the records that follow hold
// a comma. A file that lacks the "POP" line, or has nothing but its title, is a GENEPOP file too when
// its first field is no locus count (the program's own format starts with one) and it holds
// GENEPOP records or only that one line: its reader then says what is missing.
bool looksLikeGenepop(std::string_view text, const std::vector<std::string_view>& lines)
{
    if (const size_t pop = firstPopLine(lines); pop < lines.size())
        return pop >= 2 || lines.size() > pop + 1;
    if (lines.empty() || text.find('\0') != std::string_view::npos ||
        parseDecimal(lines[0].substr(0, lines[0].find_first_of(", \t"))))
        return false;
    size_t nonEmpty = 0;
    for (size_t k = 0; k < lines.size(); ++k) {
        if (trimmedText(lines[k]).empty())
            continue;
        ++nonEmpty;
        if (k > 0 && looksLikeGenepopRecord(lines[k]))
            return true;
    }
    return nonEmpty == 1 && !trimmedText(lines[0]).empty();
}

// As much of a file as the recognition of its format reads: its first bytes, and the lines of its
// text without a leading byte order mark; empty for a file that cannot be read. The views point into
// `bytes`, so a head stays where it was made.
struct FileHead {
    explicit FileHead(const std::filesystem::path& path)
    {
        std::ifstream file(path, std::ios::binary);
        if (!file)
            return;
        // The buffer is as large as the file when the file is smaller.
        std::error_code sizeUnknown;
        const auto size = std::filesystem::file_size(path, sizeUnknown);
        bytes.assign(sizeUnknown ? kDetectionBytes : std::min<size_t>(static_cast<size_t>(size), kDetectionBytes),
                     '\0');
        file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<size_t>(file.gcount()));
        // A byte order mark of UTF-8 may stand in front of a table saved by a spreadsheet.
        text = bytes;
        if (text.rfind("\xEF\xBB\xBF", 0) == 0)
            text.remove_prefix(3);
        lines = linesOf(text);
    }
    FileHead(const FileHead&) = delete;
    FileHead& operator=(const FileHead&) = delete;

    std::string bytes;
    std::string_view text;
    std::vector<std::string_view> lines;
};

// The format of a genotype file as its head shows it.
GenotypeFormat formatOf(const FileHead& head)
{
    const std::string& bytes = head.bytes;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1F &&
        static_cast<unsigned char>(bytes[1]) == 0x8B)
        return GenotypeFormat::Vcf;
    if (bytes.rfind("BCF\2", 0) == 0 || bytes.rfind("##fileformat=VCF", 0) == 0)
        return GenotypeFormat::Vcf;
    if (looksLikeGenalex(head.lines))
        return GenotypeFormat::Genalex;
    if (looksLikeGenepop(head.text, head.lines))
        return GenotypeFormat::Genepop;
    return GenotypeFormat::Own;
}

// A coordinate file is read as a GENEPOP file only when a record follows its first "POP" line: a
// coordinate file of the program's own, one field per line, may hold a sample named "pop", and one
// written on a single line looks like a GENEPOP title alone.
bool genepopWithRecords(const FileHead& head)
{
    for (size_t k = firstPopLine(head.lines) + 1; k < head.lines.size(); ++k) {
        if (!trimmedText(head.lines[k]).empty())
            return looksLikeGenepopRecord(head.lines[k]);
    }
    return false;
}

// Where a GENEPOP file that is to be the coordinate file fails to name each sample by its X and Y.
[[noreturn]] void throwNamesAreNotCoordinates(const NamedGenotypes& genepop)
{
    const std::string needed = "a GENEPOP file serves as the coordinate file only when every sample is named by its X "
                               "and Y (\"12.5 34.1 , 0101 0202 ...\").";
    const auto other = std::find_if_not(genepop.names.begin(), genepop.names.end(), isCoordinatePair);
    const size_t k = static_cast<size_t>(other - genepop.names.begin());
    if (std::any_of(genepop.names.begin(), genepop.names.end(), isCoordinatePair))
        throw DataProblem("The " + genepop.file + ", " + genepop.places[k] + ": the sample name " +
                          quotedField(genepop.names[k]) + " is not two numbers (X and Y), while other names of the " +
                          "file are; " + needed);
    throw DataProblem("The " + genepop.file + " is a GENEPOP file whose samples are not named by their coordinates; " +
                      needed);
}

// Said in every message about names that repeat: the way to use such files.
constexpr std::string_view kPairByOrderHint =
    "If the two files list the same samples in the same order, pair them by order instead: \"by order in the "
    "files\" in the main window, --match order in tessaloc-cli.";

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
    return formatOf(FileHead(path));
}

void ReadCoordinates(const std::filesystem::path& path, SampleTable& table, bool useLatLong, RunListener& listener)
{
    NamedGenotypes located;
    {
        const FileHead head(path);
        const GenotypeFormat format = formatOf(head);
        if (format == GenotypeFormat::Genalex) {
            located = ReadGenalexGenotypes(path, "coordinate file");
            if (located.xTexts.empty())
                throw DataProblem("The " + located.file +
                                  " is a GenAlEx table without coordinates (columns headed X and Y, or Latitude and "
                                  "Longitude, after an empty column to the right of the genotypes).");
        } else if (format == GenotypeFormat::Genepop && genepopWithRecords(head)) {
            located = ReadGenepopGenotypes(path, "coordinate file");
            if (located.xTexts.empty())
                throwNamesAreNotCoordinates(located);
        } else {
            ReadCoordinateFile(path, table);
            return;
        }
    }
    if (located.latitudeLongitude && !useLatLong)
        listener.warning("the " + located.file +
                         " heads its coordinates Latitude and Longitude, but they are read as planar X and Y; tick "
                         "\"Coordinates are Latitude/Longitude\" (--latlong in tessaloc-cli) for great-circle "
                         "distances in kilometres");
    table.names = std::move(located.names);
    table.xTexts = std::move(located.xTexts);
    table.yTexts = std::move(located.yTexts);
    table.places = std::move(located.places);
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
    // Each observation takes the sample of its name, so a name may stand only once in the coordinate
    // file too.
    std::unordered_map<std::string_view, size_t> observationByName;
    for (size_t k = 0; k < table.names.size(); ++k) {
        const auto [it, inserted] = observationByName.try_emplace(table.names[k], k);
        if (inserted)
            continue;
        const auto place = [&](size_t observation) {
            return observation < table.places.size() ? table.places[observation]
                                                     : "observation " + std::to_string(observation + 1);
        };
        throw DataProblem("The name " + quotedField(table.names[k]) + " appears twice in the coordinate file (" +
                          place(it->second) + " and " + place(k) +
                          "); each observation needs a name of its own to be matched with the " + genotypes.file +
                          " by name. " + std::string(kPairByOrderHint));
    }

    std::unordered_map<std::string_view, int> byName;
    std::unordered_map<std::string, int> byLowerName;
    for (size_t k = 0; k < genotypes.names.size(); ++k) {
        const auto [it, inserted] = byName.try_emplace(genotypes.names[k], static_cast<int>(k));
        if (!inserted)
            throw DataProblem("The sample name " + quotedField(genotypes.names[k]) + " appears twice in the " +
                              genotypes.file + " (" + genotypes.places[static_cast<size_t>(it->second)] + " and " +
                              genotypes.places[k] + "); each sample needs a name of its own to be matched by name. " +
                              std::string(kPairByOrderHint));
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
                          " no sample in the " + genotypes.file + ": " + quotedFieldList(missing) + "." + caseHint +
                          (genotypes.namesNumbered
                               ? " The samples of the genotype file are named by their coordinates, and so are called "
                                 "\"ind1\", \"ind2\", ... in file order; name it as the coordinate file too, or "
                                 "pair the two files by order."
                               : ""));

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

void MatchGenotypesByOrder(NamedGenotypes genotypes, SampleTable& table)
{
    if (genotypes.names.size() != table.names.size())
        throw DataProblem("The coordinate file lists " + std::to_string(table.names.size()) + " observations and the " +
                          genotypes.file + " " + std::to_string(genotypes.names.size()) +
                          " samples; paired by their order in the files, both must list as many.");
    table.locusCount = static_cast<int>(genotypes.loci.size());
    table.genotypes = std::move(genotypes.loci);
}

void ReadGenotypes(const std::filesystem::path& path, GenotypeFormat format, SampleMatching matching, DataType dataType,
                   SampleTable& table, RunListener& listener)
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
    if (matching == SampleMatching::ByOrder)
        MatchGenotypesByOrder(std::move(genotypes), table);
    else
        MatchGenotypesByName(std::move(genotypes), table, listener);
}

} // namespace tessaloc
