#pragma once

// Direct implementations of the genetic distance builders, kept as the reference that the
// fast builders of the core are compared against (tests) and measured against (benchmarks).

#include "core/SampleTable.h"
#include "core/SquareMatrix.h"

#include <cstdint>
#include <vector>

namespace tessaloc::reference {

/// Field-by-field text comparison per pair and locus.
SquareMatrix literalGenotypeDistances(const SampleTable& table);
/// A fresh TStringList of the four alleles per pair and locus, with two frequency arrays.
SquareMatrix literalAlleleDistances(const SampleTable& table);
/// Character comparisons with the empty character beyond a sequence's end.
SquareMatrix literalSequenceDistances(const SampleTable& table);

/// Random but reproducible sample tables for equivalence tests and benchmarks.
struct RandomTableRecipe {
    int samples = 20;
    int loci = 5;
    int allelesPerLocus = 4;  ///< data types 1 and 2: distinct texts per locus
    double missingRate = 0.1; ///< share of fields replaced by a missing code
    int sequenceLength = 30;  ///< data type 3
    int sequenceAlphabet = 4; ///< data type 3: "ACGT..." letters in use
    std::uint32_t seed = 1;
};
SampleTable randomSampleTable(DataType dataType, const RandomTableRecipe& recipe);

/// A stretch of loci of a random table: how many, and how many distinct alleles (data type 1) or
/// texts (data type 2) each may have.
struct LocusStretch {
    int loci = 1;
    int allelesPerLocus = 2;
};
/// A random table (data type 1 or 2) whose loci come in the given stretches, one after another; each
/// stretch is randomSampleTable with `samples`, `missingRate` and its own seed drawn from `seed`.
SampleTable randomStretchedTable(DataType dataType, int samples, const std::vector<LocusStretch>& stretches,
                                 double missingRate, std::uint32_t seed);

} // namespace tessaloc::reference
