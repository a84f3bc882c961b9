#pragma once

#include "core/SampleTable.h"
#include "core/SquareMatrix.h"

#include <cstdint>
#include <vector>

namespace tessaloc {

/// The allele data of a run as the kinship estimators read them, locus by locus, with the pairwise
/// sums of Loiselle's kinship and Rousset's a built from them.
///
/// Gene copies: data type 1 gives each individual the two alleles of its field ("a\b"), an allele
/// "0" being a missing copy (so "0\0" is a missing genotype and "0\104" a half-missing one); data
/// type 2 gives one copy per individual, the field itself, missing when it is "0" or "0\0". k_il is
/// the number of defined copies of individual i at locus l.
///
/// Reference frequencies come from the whole sample: p_la is the mean over the individuals with a
/// defined copy of their share of copies carrying allele a; n_l = sum of k_il; D_l = sum of
/// p_la (1 - p_la). Only polymorphic loci (D_l > 0) enter the estimators.
///
/// The pairwise kinship is F_ij = sum_l [S_ijl + D_l / (n_l - 1)] / sum_l D_l over the polymorphic
/// loci where both have a defined copy, with S_ijl the mean over the copy pairs of
/// sum_a (x_ica - p_la)(x_jc'a - p_la); it equals sum_a y_ila y_jla with y_ila = (share of i's copies
/// carrying a) - p_la, which is how it is summed here (the y of all loci side by side, one row per
/// individual, their products summed in blocks).
///
/// Rousset's a (data type 1 only) takes the polymorphic loci at which both have complete genotypes
/// and some individual has one: a_ij = sum_l (Hb_ijl - (Hw_il + Hw_jl) / 4 - Ho_l / 2) / sum_l Ho_l.
class KinshipLoci {
public:
    /// Reads the gene copies of `table` (data type 1 or 2; `rousset` asks for the sums of a, which
    /// need data type 1).
    KinshipLoci(const SampleTable& table, DataType dataType, bool rousset);

    int sampleCount() const { return m_n; }
    /// The polymorphic loci, in the table's order.
    int polymorphicCount() const { return static_cast<int>(m_loci.size()); }
    /// The table's locus (0-based) of polymorphic locus `l`.
    int tableLocus(int l) const { return m_loci[static_cast<size_t>(l)].tableLocus; }
    bool rousset() const { return m_rousset; }

    /// Locus l's own terms of the pair i, j (both 0-based): whether it enters F_ij, and then its
    /// term of the numerator (S_ijl + D_l / (n_l - 1)) and of the denominator (D_l).
    bool kinshipTerms(int l, int i, int j, double& numerator, double& denominator) const;
    /// The same for a: whether the locus enters a_ij, and its terms Hb - (Hw_i + Hw_j) / 4 - Ho / 2
    /// and Ho.
    bool roussetTerms(int l, int i, int j, double& numerator, double& denominator) const;
    /// Whether locus l has Ho_l > 0 (it then counts in PairSums::loci of a).
    bool roussetCounts(int l) const { return m_loci[static_cast<size_t>(l)].observed > 0.0; }

    /// The sums of one estimator over the pairs i < j: per pair the numerator, the denominator and the
    /// number of loci that decide whether it exists (row i, column j of each matrix; the lower
    /// triangle is unused). For F these are the loci that enter it; for a, those of them with
    /// Ho_l > 0, since a exists when its denominator does.
    struct PairSums {
        SquareMatrix numerator;
        SquareMatrix denominator;
        std::vector<std::int32_t> loci; ///< N x N, row-major
        std::int32_t lociOf(int i, int j) const
        {
            return loci[static_cast<size_t>(i) * static_cast<size_t>(numerator.size()) + static_cast<size_t>(j)];
        }
    };
    /// The sums of F over all polymorphic loci, every pair at once.
    PairSums kinshipSums() const;
    /// The sums of a (only when `rousset`).
    PairSums roussetSums() const;

private:
    struct Locus {
        int tableLocus = 0;
        size_t firstColumn = 0; ///< its columns of the rows y
        size_t columnCount = 0;
        double constant = 0.0;     ///< D_l / (n_l - 1)
        double diversity = 0.0;    ///< D_l
        double observed = 0.0;     ///< Ho_l (Rousset)
        double roussetBase = 0.0;  ///< 1 - sum_a p_la^2 - Ho_l / 2
        bool roussetLocus = false; ///< enters a: some complete genotype
    };

    double y(int i, size_t column) const { return m_y[static_cast<size_t>(i) * m_columns + column]; }
    double roussetY(int i, size_t column) const { return m_roussetY[static_cast<size_t>(i) * m_columns + column]; }
    // Per individual, its loci side by side: a pair's loop over the loci reads two rows.
    size_t at(int l, int i) const { return static_cast<size_t>(i) * m_loci.size() + static_cast<size_t>(l); }
    std::uint8_t copies(int l, int i) const { return m_copies[at(l, i)]; }
    bool complete(int l, int i) const { return copies(l, i) == 2; }
    double g(int l, int i) const { return m_g[at(l, i)]; }

    int m_n = 0;
    bool m_rousset = false;
    bool m_halfMissing = false; ///< some genotype has one copy of two: a has rows y of its own
    std::vector<Locus> m_loci;
    size_t m_columns = 0;
    std::vector<double> m_y;            ///< N x columns: y_ila, 0 without a defined copy
    std::vector<double> m_roussetY;     ///< the same for complete genotypes only (when half-missing)
    std::vector<std::uint8_t> m_copies; ///< loci x N: k_il
    std::vector<double> m_g;            ///< loci x N: sum_a p_la y_ila + Hw_il / 4 (complete genotypes)
};

/// The pairwise Gram sums G(i, j) = sum over columns of rows(i, c) rows(j, c) for i < j (N rows of
/// `columns` values each, row-major), summed in blocks of columns; the lower triangle is left 0.
SquareMatrix UpperGramSums(const std::vector<double>& rows, int n, size_t columns);

} // namespace tessaloc
