#pragma once

#include "core/PackedDistances.h"
#include "core/SampleTable.h"

#include <string>
#include <string_view>

namespace tessaloc {

/// The pairwise genetic distance matrix for the data type: symmetric, zero diagonal, values 0..1.
/// Pairs are visited i = 1..N-1, j = i+1..N. Any data type other than 1, 2 or 3 gives a matrix of
/// zeros.
///
/// Throws DataProblem (noCommonLociMessage) for the first pair, in that order, that has no locus
/// left after missing data are removed (data types 1 and 2), and AnalysisError when the sequence
/// distance is undefined (an empty first sequence).
PackedDistances BuildGeneticDistances(const SampleTable& table, DataType dataType);

/// Data type 2: the proportion of loci whose fields differ, over the loci where neither field is
/// "0" or "0\0". Fields compare exactly and case-sensitively.
PackedDistances GenotypeDistanceMatrix(const SampleTable& table);

/// Data type 1: the mean over loci without "0\0" of the allele-sharing term
/// 1 - sum over alleles of sqrt(frequency in i x frequency in j), which is 0, 0.5, 1 - sqrt(0.5) or 1.
PackedDistances AlleleDistanceMatrix(const SampleTable& table);

/// Data type 3: the number of differing variable sites, compared without regard to letter case,
/// divided by the length of the first sequence. Only the first genotype field of each observation
/// is used.
PackedDistances SequenceDistanceMatrix(const SampleTable& table);

/// The text before the first backslash of a data-type-1 field (the whole field if it has none).
std::string_view LeftAllele(std::string_view field);
/// The text after the first backslash, further backslashes included (empty if it has none).
std::string_view RightAllele(std::string_view field);

/// "Error constructing genetic distance between observations  i and  j:  No common loci after
/// accounting for missing data." with 1-based observation numbers.
std::string noCommonLociMessage(int first, int second);

/// The character a sequence site compares as: letters of ASCII and Latin-1 folded to upper case.
unsigned char foldSequenceCase(unsigned char c);

} // namespace tessaloc
