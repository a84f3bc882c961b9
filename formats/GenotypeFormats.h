#pragma once

#include "core/GenotypeColumn.h"
#include "core/RunListener.h"
#include "core/SampleTable.h"
#include "formats/OwnFormatReaders.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaloc {

/// The layouts of genotype file the program reads.
enum class GenotypeFormat {
    Detect,  ///< recognised from the file's content
    Own,     ///< the locus count, then per observation its name and fields; paired with the coordinates by position
    Vcf,     ///< VCF or BCF, plain or bgzipped
    Genepop, ///< a title line, the locus names, "POP" lines and "name , 0101 0203 ..." records
    Genalex, ///< a GenAlEx table saved as CSV: three header rows, then name, population and allele columns
};

/// How the samples of a genotype file that names them (VCF, GENEPOP, GenAlEx) go with the
/// observations of the coordinate file. The program's own format always pairs by order.
enum class SampleMatching {
    ByName,  ///< each observation takes the sample of its name; the coordinate file decides which and in what order
    ByOrder, ///< the k-th observation takes the k-th sample; both files list as many
};

/// "own", "vcf", "genepop", "genalex" (and "detect" for Detect): the names the batch program takes.
std::string_view genotypeFormatName(GenotypeFormat format);

/// The format of the file at `path` as its first bytes show it: VCF text ("##fileformat=VCF"), BCF
/// or gzip magic bytes; a GenAlEx first row of counts (of at least one population); a GENEPOP "POP"
/// line after its title and locus names, or, in a text whose first field is no locus count, GENEPOP
/// records without the "POP" line or a title alone (the GENEPOP reader then says what is missing);
/// otherwise, and for a file that cannot be opened, the program's own format (whose reader then says
/// what is wrong).
GenotypeFormat DetectGenotypeFormat(const std::filesystem::path& path);

/// Genotypes read from a file that names its samples, before they are matched with the coordinates.
struct NamedGenotypes {
    /// The file as messages name it: genotype file "path".
    std::string file;
    /// The samples in file order.
    std::vector<std::string> names;
    /// Where each sample's name stands in the file, for messages ("line 7", "column 12 of the header").
    std::vector<std::string> places;
    /// True when the fields are allele pairs "a\b" (data type 1); false for single states (data type 2).
    bool diploid = true;
    /// loci[locus][sample], samples in file order.
    std::vector<GenotypeColumn> loci;
    /// When the file also carries coordinates (a GenAlEx table, or a GENEPOP file whose samples are
    /// named by their coordinates): per sample X and Y as written.
    std::vector<std::string> xTexts;
    std::vector<std::string> yTexts;
    /// The coordinates of a GenAlEx table are headed Latitude and Longitude.
    bool latitudeLongitude = false;
    /// The file named its samples by their coordinates, and the reader named them "ind1", "ind2", ...
    /// in file order instead.
    bool namesNumbered = false;
};

/// Reads a VCF or BCF file (plain or bgzipped) with htslib. Each record is a locus; diploid GT calls
/// become "a\b" with alleles numbered from the allele index plus one (REF "1", the first ALT "2"),
/// a call with a missing allele "0\0"; haploid calls become "1", "2", ..., missing "0". Throws
/// DataProblem for a file without GT, a ploidy above 2 or calls of both ploidies, and for a file
/// htslib cannot read, naming the record.
NamedGenotypes ReadVcfGenotypes(const std::filesystem::path& path);

/// Reads a GENEPOP file: a title line, the locus names (one per line or comma-separated), then
/// records "name , 0101 0203 ..." after "POP" lines. Four- or six-digit genotypes become "a\b" with
/// the alleles as numbers ("0102" is "1\2"), missing "0\0" when either allele is zero; two- or
/// three-digit ones become single states, missing "0". When every name is two numbers ("12.5 34.1"),
/// they fill xTexts and yTexts and the samples are named "ind1", "ind2", ... in file order
/// (namesNumbered). Throws DataProblem naming the line for a record with the wrong number of
/// genotypes or a genotype of another shape. `role` names the file.
NamedGenotypes ReadGenepopGenotypes(const std::filesystem::path& path, std::string_view role = "genotype file");

/// Reads a GenAlEx table saved as CSV: the counts row (loci, samples, populations, the size of each),
/// the title row, the column heads, then per sample its name, population and two allele columns per
/// locus (0 missing), which become "a\b" ("0\0" when either is 0). A haploid table has one column
/// per locus, each headed by the locus's name; its codes become single states (missing "0").
/// Coordinates to the right of the genotypes (after an empty column, headed X and Y or Latitude and
/// Longitude) fill xTexts and yTexts. Throws DataProblem naming the line when the counts disagree
/// with the rows or a cell is not an allele number. `role` names the file.
NamedGenotypes ReadGenalexGenotypes(const std::filesystem::path& path, std::string_view role = "genotype file");

/// Puts the genotypes of the table's observations (table.names, from the coordinate file) into the
/// table, each observation's found by its name, exactly (case included). Throws DataProblem when a
/// name appears twice in the coordinate file (naming both places) or in the genotype file (saying
/// that such files pair by order), or when observations have no genotypes (naming the first few and
/// the count). Samples without coordinates are left out; `listener` gets a warning saying how many.
void MatchGenotypesByName(NamedGenotypes genotypes, SampleTable& table, RunListener& listener);

/// Puts the k-th sample's genotypes into the table for the k-th observation, whatever the names.
/// Throws DataProblem naming both counts when the files list different numbers of samples.
void MatchGenotypesByOrder(NamedGenotypes genotypes, SampleTable& table);

/// Throws DataProblem when `dataType` cannot read genotypes of this kind: allele pairs take data type
/// 1 or 2, single states data type 2.
void RequireMatchingDataType(const NamedGenotypes& genotypes, DataType dataType);

/// Reads the genotype file of the given (or detected) format for the observations already in the
/// table: by position for the own format, as `matching` says for the others.
void ReadGenotypes(const std::filesystem::path& path, GenotypeFormat format, SampleMatching matching, DataType dataType,
                   SampleTable& table, RunListener& listener);

/// Reads the coordinate file: a GenAlEx table with coordinates or a GENEPOP file whose samples are
/// named by their coordinates (both recognised from the content), or the program's own coordinate
/// file (see ReadCoordinateFile). Throws DataProblem for a GenAlEx table without coordinates and for
/// a GENEPOP file whose names are not all coordinates (naming the first that is not). When the
/// coordinates of a GenAlEx table are headed Latitude and Longitude and `useLatLong` is false,
/// `listener` gets a warning.
void ReadCoordinates(const std::filesystem::path& path, SampleTable& table, bool useLatLong = false,
                     RunListener& listener = RunListener::none());

/// How a file is named in messages: genotype file "path".
std::string describeFile(std::string_view role, const std::filesystem::path& path);

} // namespace tessaloc
