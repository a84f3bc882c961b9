#include "core/Errors.h"
#include "formats/GenotypeFormats.h"
#include "formats/GenotypeText.h"

#include <algorithm>

namespace tessaloc {

NamedGenotypes ReadGenepopGenotypes(const std::filesystem::path& path, std::string_view role)
{
    NamedGenotypes result;
    result.file = describeFile(role, path);
    const std::string content = readWholeFile(path, result.file);
    const std::vector<std::string_view> lines = linesOf(content);
    auto where = [&](size_t line) { return "The " + result.file + ", line " + std::to_string(line + 1); };

    // The title, then locus names, one per line or comma-separated, up to the first POP line.
    size_t line = 1;
    std::vector<std::string> loci;
    for (; line < lines.size() && lowerCaseText(trimmedText(lines[line])) != "pop"; ++line) {
        std::string_view names = lines[line];
        size_t start = 0;
        while (start <= names.size()) {
            const size_t comma = std::min(names.find(',', start), names.size());
            if (const std::string_view name = trimmedText(names.substr(start, comma - start)); !name.empty())
                loci.emplace_back(name);
            start = comma + 1;
        }
    }
    if (line >= lines.size())
        throw DataProblem("The " + result.file +
                          (loci.empty() ? " has only a title line (no locus names, no \"POP\" line and no samples)."
                                        : " has no \"POP\" line after its locus names."));
    if (loci.empty())
        throw DataProblem(where(line) + ": the first \"POP\" line comes before any locus name.");
    result.loci.resize(loci.size());

    int digits = 0;
    for (++line; line < lines.size(); ++line) {
        const std::string_view text = trimmedText(lines[line]);
        if (text.empty() || lowerCaseText(text) == "pop")
            continue;
        const size_t comma = text.find(',');
        if (comma == std::string_view::npos)
            throw DataProblem(where(line) + ": expected a sample name, a comma and the genotypes, found " +
                              quotedField(text) + ".");
        const std::string name(trimmedText(text.substr(0, comma)));
        const std::vector<std::string_view> genotypes = wordsOf(text.substr(comma + 1));
        if (genotypes.size() != loci.size())
            throw DataProblem(where(line) + ": the record of " + quotedField(name) + " has " +
                              std::to_string(genotypes.size()) + " genotypes, but the file names " +
                              std::to_string(loci.size()) + " loci.");
        for (size_t locus = 0; locus < loci.size(); ++locus) {
            const std::string_view genotype = genotypes[locus];
            const int length = static_cast<int>(genotype.size());
            // Two or three digits per allele, two alleles (diploid) or one (haploid), the same in
            // the whole file.
            if (!isDigits(genotype) || (length != 2 && length != 3 && length != 4 && length != 6) ||
                (digits != 0 && length != digits))
                throw DataProblem(where(line) + ": the genotype " + quotedField(genotype) + " of " + quotedField(name) +
                                  " at locus " + std::to_string(locus + 1) + " (" + quotedField(loci[locus]) +
                                  ") is not " +
                                  (digits == 0 ? std::string("two, three, four or six digits")
                                               : std::to_string(digits) + " digits like the genotypes before it") +
                                  ".");
            digits = length;
            GenotypeColumn& column = result.loci[locus];
            if (length <= 3) {
                column.push_back(alleleNumber(genotype));
            } else {
                const std::string first = alleleNumber(genotype.substr(0, static_cast<size_t>(length / 2)));
                const std::string second = alleleNumber(genotype.substr(static_cast<size_t>(length / 2)));
                column.push_back(first == "0" || second == "0" ? "0\\0" : first + "\\" + second);
            }
        }
        result.names.push_back(name);
        result.places.push_back("line " + std::to_string(line + 1));
    }
    if (result.names.empty())
        throw DataProblem("The " + result.file + " has no sample after its \"POP\" line.");
    result.diploid = digits >= 4;
    // Individuals named by their coordinates ("12.5 34.1 , 0101 ...") bring their locations along.
    // Two that share a location would share a name, so they are numbered in file order instead.
    if (std::all_of(result.names.begin(), result.names.end(), isCoordinatePair)) {
        for (size_t k = 0; k < result.names.size(); ++k) {
            const std::vector<std::string_view> coordinates = wordsOf(result.names[k]);
            result.xTexts.emplace_back(coordinates[0]);
            result.yTexts.emplace_back(coordinates[1]);
            // Appended piece by piece: GCC 12 warns of an overlapping copy (-Wrestrict) in
            // "ind" + std::to_string(...), though the copy is sound.
            result.names[k] = "ind";
            result.names[k] += std::to_string(k + 1);
        }
        result.namesNumbered = true;
    }
    return result;
}

} // namespace tessaloc
