#include "core/Errors.h"
#include "core/FieldReader.h"
#include "formats/GenotypeFormats.h"
#include "formats/GenotypeText.h"

#include <algorithm>

namespace tessaloc {
namespace {

struct Row {
    std::int64_t line = 0;
    std::vector<std::string> cells;
    std::string_view cell(size_t column) const
    {
        return column < cells.size() ? trimmedText(cells[column]) : std::string_view();
    }
    bool empty() const
    {
        for (const std::string& cell : cells) {
            if (!trimmedText(cell).empty())
                return false;
        }
        return true;
    }
};

std::vector<Row> rowsOf(const std::filesystem::path& path, std::string_view role)
{
    FieldReader reader(path, std::string(role));
    std::vector<Row> rows;
    while (const auto field = reader.nextText()) {
        if (rows.empty() || reader.fieldStartsLine())
            rows.push_back({reader.fieldLine(), {}});
        rows.back().cells.push_back(*field);
    }
    return rows;
}

// Where the coordinate columns stand: after the genotypes and an empty column, headed X and Y, or
// Latitude and Longitude (either order; longitude is X).
struct CoordinateColumns {
    size_t x = 0;
    size_t y = 0;
    bool latitudeLongitude = false;
};

std::optional<CoordinateColumns> coordinateColumns(const Row& heads, size_t firstFree)
{
    for (size_t column = firstFree + 1; column + 1 < heads.cells.size(); ++column) {
        if (heads.cell(column).empty())
            continue;
        const std::string first = lowerCaseText(heads.cell(column));
        const std::string second = lowerCaseText(heads.cell(column + 1));
        if (first == "x" && second == "y")
            return CoordinateColumns{column, column + 1, false};
        if ((first == "latitude" || first == "lat") && (second == "longitude" || second == "long"))
            return CoordinateColumns{column + 1, column, true};
        if ((first == "longitude" || first == "long") && (second == "latitude" || second == "lat"))
            return CoordinateColumns{column, column + 1, true};
        return std::nullopt;
    }
    return std::nullopt;
}

// A table of diploid loci gives each locus two columns and heads only the first; a haploid table
// gives each locus one column under its name. So the table is haploid when every locus column is
// headed and the column after them is not. With a single locus the heads cannot tell a haploid
// table from a diploid one, but a diploid row fills the second allele column and a haploid row
// leaves it empty (or stops before it).
bool haploidTable(const std::vector<Row>& rows, size_t loci)
{
    const Row& heads = rows[2];
    for (size_t column = 2; column < 2 + loci; ++column) {
        if (heads.cell(column).empty())
            return false;
    }
    if (!heads.cell(2 + loci).empty())
        return false;
    if (loci > 1)
        return true;
    return std::all_of(rows.begin() + 3, rows.end(), [](const Row& row) { return row.cell(3).empty(); });
}

} // namespace

NamedGenotypes ReadGenalexGenotypes(const std::filesystem::path& path, std::string_view role)
{
    NamedGenotypes result;
    result.file = describeFile(role, path);
    std::vector<Row> rows = rowsOf(path, role);
    auto where = [&](const Row& row) { return "The " + result.file + ", line " + std::to_string(row.line); };
    if (rows.size() < 3)
        throw DataProblem("The " + result.file +
                          " ends before the three header rows of a GenAlEx table (counts, title, column heads).");
    const Row& counts = rows[0];
    auto count = [&](size_t column, const char* what) {
        const std::string_view cell = counts.cell(column);
        if (!isDigits(cell) || cell.size() > 9)
            throw DataProblem(where(counts) + ": expected the number of " + std::string(what) + " in column " +
                              std::to_string(column + 1) + ", found " + quotedField(cell) + ".");
        return std::stoll(std::string(cell));
    };
    const long long loci = count(0, "loci");
    const long long samples = count(1, "samples");
    const long long populations = count(2, "populations");
    long long inPopulations = 0;
    for (long long p = 0; p < populations; ++p)
        inPopulations += count(static_cast<size_t>(3 + p), "samples of a population");
    if (loci < 1)
        throw DataProblem(where(counts) + ": the table has no locus.");
    if (inPopulations != samples)
        throw DataProblem(where(counts) + ": the populations hold " + std::to_string(inPopulations) +
                          " samples in all, but the table counts " + std::to_string(samples) + ".");

    const Row& heads = rows[2];
    const bool haploid = haploidTable(rows, static_cast<size_t>(loci));
    const size_t columnsPerLocus = haploid ? 1 : 2;
    const size_t firstFree = 2 + columnsPerLocus * static_cast<size_t>(loci);
    const auto coordinates = coordinateColumns(heads, firstFree);
    for (size_t r = 3; r < rows.size(); ++r) {
        const Row& row = rows[r];
        if (row.empty())
            continue;
        const std::string name(row.cell(0));
        if (static_cast<long long>(result.names.size()) == samples)
            throw DataProblem(where(row) + ": the table counts " + std::to_string(samples) + " samples, but " +
                              quotedField(name) + " is one more.");
        if (row.cells.size() < firstFree)
            throw DataProblem(where(row) + ": the row of " + quotedField(name) + " has " +
                              std::to_string(row.cells.size()) + " columns, but " + std::to_string(loci) +
                              " loci need " + std::to_string(firstFree) + ".");
        // The loci get their columns only once a row holds them all, so that memory follows what the
        // file holds rather than the count its first row claims.
        if (result.loci.empty())
            result.loci.resize(static_cast<size_t>(loci));
        for (size_t locus = 0; locus < static_cast<size_t>(loci); ++locus) {
            std::string alleles[2];
            for (size_t k = 0; k < columnsPerLocus; ++k) {
                const std::string_view allele = row.cell(2 + columnsPerLocus * locus + k);
                if (!isDigits(allele))
                    throw DataProblem(where(row) + ": the allele " + quotedField(allele) + " of " + quotedField(name) +
                                      " at locus " + std::to_string(locus + 1) + " is not a whole number.");
                alleles[k] = alleleNumber(allele);
            }
            if (haploid)
                result.loci[locus].push_back(alleles[0]);
            else
                result.loci[locus].push_back(alleles[0] == "0" || alleles[1] == "0" ? "0\\0"
                                                                                    : alleles[0] + "\\" + alleles[1]);
        }
        if (coordinates) {
            result.xTexts.emplace_back(row.cell(coordinates->x));
            result.yTexts.emplace_back(row.cell(coordinates->y));
        }
        result.names.push_back(name);
        result.places.push_back("line " + std::to_string(row.line));
    }
    if (static_cast<long long>(result.names.size()) != samples)
        throw DataProblem("The " + result.file + " counts " + std::to_string(samples) +
                          " samples in its first row, but " + std::to_string(result.names.size()) +
                          " rows of samples follow.");
    result.diploid = !haploid;
    result.latitudeLongitude = coordinates && coordinates->latitudeLongitude;
    return result;
}

} // namespace tessaloc
