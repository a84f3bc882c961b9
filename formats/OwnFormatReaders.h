#pragma once

#include "core/RunListener.h"
#include "core/SampleTable.h"

#include <filesystem>

namespace tessaloc {

class FieldReader;

/// Reads the coordinate file: records of name, X and Y, up to the field ";". An empty field where a
/// name is expected is skipped; nothing after ";" is read. Fills names, xTexts, yTexts and places.
/// Throws AnalysisError when the file cannot be read, ends before ";" or lists no observation
/// (kNoObservationReason).
void ReadCoordinateFile(const std::filesystem::path& path, SampleTable& table);
/// The same from a reader that is already open.
void ReadCoordinateFile(FieldReader& reader, SampleTable& table);

/// Reads the genotype file for the table's observations: the locus count L, then per observation a
/// name (ignored; records are matched by position) and L genotype fields. Records after the N-th
/// are ignored. Throws AnalysisError when the file cannot be read, the locus count is not a whole
/// number of at least 1, or the file ends early; throws DataProblem for a data-type-1 field without
/// the allele separator.
///
/// Memory grows with the fields actually read, never with the declared locus count alone, so a
/// file that declares a million loci and ends at once costs nothing. When the name of a record does
/// not start a line while the names of all earlier records did, the locus count probably does not
/// match the records (names are being read as genotypes); `listener` then gets a warning, once, and
/// reading goes on, since a record may run over several lines.
void ReadGenotypeFile(const std::filesystem::path& path, DataType dataType, SampleTable& table,
                      RunListener& listener = RunListener::none());
/// The same from a reader that is already open.
void ReadGenotypeFile(FieldReader& reader, DataType dataType, SampleTable& table,
                      RunListener& listener = RunListener::none());

/// Reads both files, coordinate file first.
SampleTable ReadSampleTable(const std::filesystem::path& coordinatePath, const std::filesystem::path& genotypePath,
                            DataType dataType, RunListener& listener = RunListener::none());

} // namespace tessaloc
