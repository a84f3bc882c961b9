#pragma once

#include "core/GenotypeColumn.h"

#include <string>
#include <vector>

namespace tessaloc {

/// How the genotype fields are to be read (the main window's "Genetic Marker Type").
enum class DataType {
    Codominant = 1, ///< two alleles "a\b" per field; missing "0\0"
    Genotypes = 2,  ///< one marker state or whole genotype per field; missing "0" and "0\0"
    Sequences = 3,  ///< one sequence per observation; no missing code
};

/// The observations of one run as read from the coordinate and genotype files.
///
/// Observations are numbered 1..N in coordinate-file order (`number` arguments below); the vectors
/// themselves are 0-based. Texts are the files' bytes, unchanged (Latin-1).
struct SampleTable {
    std::vector<std::string> names;
    /// The coordinate fields as read; they become numbers when distances are computed, so a field
    /// that is not a number fails there (see coordinateX and coordinateY).
    std::vector<std::string> xTexts;
    std::vector<std::string> yTexts;
    /// Where each observation's name stands in the coordinate file ("line 7"), for messages; empty
    /// when the table was not read from a file.
    std::vector<std::string> places;
    int locusCount = 0;
    /// genotypes[locus][observation], both 0-based; each locus holds its fields as codes.
    std::vector<GenotypeColumn> genotypes;

    int sampleCount() const { return static_cast<int>(names.size()); }
    const std::string& genotype(int locus, int observation) const { return genotypes[locus][observation]; }

    /// X and Y of observation `index` (0-based) as numbers. Throws AnalysisError naming the
    /// observation when the field is not a decimal number.
    double coordinateX(int index) const;
    double coordinateY(int index) const;
};

/// Why a run ends whose coordinate file has the terminator ";" but no record before it.
inline constexpr const char* kNoObservationReason = "the coordinate file lists no observation";

/// The message shown when a data-type-1 field has no allele separator.
inline constexpr const char* kMissingSeparatorMessage =
    "A codominat data set was specified for analysis, however, no allele separator symbol ('\\') was "
    "detected.  Please check genotype file for correct format!";

} // namespace tessaloc
