#pragma once

// The Mantel permutation test done the direct way: the genetic matrix itself is
// rearranged, N row-and-column exchanges per replicate, cumulatively, and CrossProductSum is taken
// of the rearranged matrix. The reference for the fast runner (tests) and its yardstick (benchmarks).

#include "core/RandomUniform.h"
#include "core/SquareMatrix.h"

namespace tessaloc::reference {

/// One replicate's N exchanges done on the matrix itself: a = Int(U x N) + 1, then b drawn the same
/// way until b != a, rows a and b exchanged, then columns a and b. The permutation tests' references
/// rearrange their matrices with it.
void literalExchangeReplicate(SquareMatrix& m, RandomUniform& random);

struct LiteralMantelCounts {
    long long greaterOrEqual = 0;
    long long lessOrEqual = 0;
};

/// Runs `permutations` replicates on a copy of `genetic` against `geographic`, comparing each Z'
/// with the observed `z`.
LiteralMantelCounts literalMantelPermutations(const SquareMatrix& genetic, const SquareMatrix& geographic, double z,
                                              long long permutations, RandomUniform& random);

} // namespace tessaloc::reference
