#pragma once

#include "core/ReportWriter.h"
#include "core/SampleTable.h"

namespace tessaloc {

/// The file names `tessaloc-cli convert` writes.
inline constexpr const char* kConvertedCoordinatesFileName = "coordinates.txt";
inline constexpr const char* kConvertedGenotypesFileName = "genotypes.txt";

/// Writes the table's observations as the program's own coordinate file: per line the name in
/// double quotes, X and Y as read, then the terminator ";". Throws DataProblem for a name that holds
/// a double quote (the format cannot carry it).
void WriteCoordinateFile(ReportWriter& out, const SampleTable& table);

/// Writes the table as the program's own genotype file: the locus count, then per observation its
/// name in double quotes and its fields, comma-separated (a field that holds a comma, a line end or
/// blanks at an end is quoted). Reading it back with the coordinate file pairs the same fields with
/// the same observations. Throws DataProblem for a name or field that holds a double quote.
void WriteGenotypeFile(ReportWriter& out, const SampleTable& table);

} // namespace tessaloc
