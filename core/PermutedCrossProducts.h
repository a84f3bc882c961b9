#pragma once

#include "core/DistanceCodes.h"
#include "core/PackedDistances.h"
#include "core/Permutations.h"
#include "core/SquareMatrix.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessaloc {

/// The cross-product sums of one rearranged matrix G with several fixed matrices F_1..F_k, replicate
/// by replicate of a permutation test: for the arrangement p,
///
///     S_m(p) = sum over the pairs i < j of G(p(i), p(j)) x F_m(i, j),
///
/// each summed pair by pair in the order i ascending, then j ascending, whatever the batch, the
/// thread or the way the pass groups the matrices, so that S_m equals CrossProductSum of the
/// rearranged matrix and F_m bit for bit. Statistics whose only part that changes under permutation
/// is such sums (the partial Mantel test needs two, a regression on k predictor matrices k: X'y) then
/// take them from one pass over G per four replicates, in which each permuted entry of G is read
/// once for all k matrices. The permuted matrix is never built (see PermutedRows.h).
///
/// Memory: G as 16-bit codes in full rows (a quarter of a full matrix of doubles), or as a full
/// matrix of doubles when it has more than 65536 distinct values or rows; the fixed matrices are
/// referenced.
class PermutedCrossProducts {
public:
    /// `permuted` is G (copied into the form the pass reads, not referenced afterwards), `fixed` the
    /// k >= 1 matrices F_m, of G's size, referenced: they must outlive this object. `slots` is the
    /// number of replicates stored at once (the runner's batchCapacity()).
    PermutedCrossProducts(const PackedDistances& permuted, std::vector<const PackedDistances*> fixed, int slots);

    /// k, the number of fixed matrices.
    int matrices() const { return static_cast<int>(m_fixed.size()); }

    /// PermutationRunner's evaluator: stores the k sums of each of the `count` (1..4) replicates given
    /// by `permutations` in the slots firstSlot, firstSlot + 1, ... Evaluators on several threads may
    /// run at once on different slots.
    void evaluate(const std::int32_t* const* permutations, int count, int firstSlot);

    /// The k sums stored in `slot`.
    const double* sums(int slot) const { return m_sums.data() + static_cast<size_t>(slot) * m_fixed.size(); }

    /// The k sums of the arrangement `p` (N entries), by the same pass: with the identity, those of
    /// the observed arrangement, equal bit for bit to what a replicate of the same arrangement gives.
    std::vector<double> sumsOf(const std::vector<std::int32_t>& p) const;

private:
    /// The k sums of `count` (1..4) arrangements, out[m * 4 + lane].
    void sumFour(const std::int32_t* const* permutations, int count, double* out) const;

    DistanceCodes m_codes;
    /// G in full when it could not be coded; empty otherwise.
    SquareMatrix m_square;
    std::vector<const PackedDistances*> m_fixed;
    std::vector<double> m_sums;
};

} // namespace tessaloc
