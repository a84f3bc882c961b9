#pragma once

// The Mantel permutation test exactly as the old procedure ran it: the genetic matrix itself is
// rearranged, N row-and-column exchanges per replicate, cumulatively, and CrossProductSum is taken
// of the rearranged matrix. The reference for the fast runner (tests) and its yardstick (benchmarks).

#include "core/RandomUniform.h"
#include "core/SquareMatrix.h"

namespace tessaloc::reference {

struct LiteralMantelCounts {
    long long greaterOrEqual = 0;
    long long lessOrEqual = 0;
};

/// Runs `permutations` replicates on a copy of `genetic` against `geographic`, comparing each Z'
/// with the observed `z`.
LiteralMantelCounts literalMantelPermutations(const SquareMatrix& genetic, const SquareMatrix& geographic, double z,
                                              long long permutations, RandomUniform& random);

} // namespace tessaloc::reference
