#pragma once

#include "core/PackedDistances.h"
#include "core/SquareMatrix.h"

#include <cstdint>
#include <vector>

namespace tessaloc {

/// The pairs of a distance matrix stored once per pair as 16-bit codes: each distance is replaced by
/// the position of its value in a table of the matrix's distinct values (distinct bit for bit, so
/// -0.0 and 0.0 differ), a quarter of the memory of the doubles. The diagonal's 0 has a code too.
class PackedDistanceCodes {
public:
    /// Codes `distances` when they take at most 65536 distinct values, the diagonal's 0 counted;
    /// otherwise coded() is false and nothing is kept.
    explicit PackedDistanceCodes(const PackedDistances& distances);

    bool coded() const { return !m_values.empty(); }
    int size() const { return m_size; }
    /// The code of every pair, in the order of PackedDistances. Only when coded().
    const std::vector<std::uint16_t>& pairCodes() const { return m_codes; }
    /// The distinct values, indexed by code; the diagonal's 0 has code 0. Only when coded().
    const std::vector<double>& values() const { return m_values; }
    /// The distances again, bit for bit.
    PackedDistances decoded() const;

private:
    int m_size = 0;
    std::vector<std::uint16_t> m_codes;
    std::vector<double> m_values;
};

/// A distance matrix read through 16-bit codes (see PackedDistanceCodes), every row in full.
///
/// Genetic distances take few distinct values (sums of a handful of per-locus terms divided by the
/// number of loci). A row of codes is a quarter of a row of doubles, so the rows a permutation pass
/// reads in scattered order stay in the fastest cache; `values()[code]` is the entry's value bit for
/// bit, so sums and products over coded entries are exactly those over the doubles.
class DistanceCodes {
public:
    /// The most rows that rows of codes are kept for.
    static constexpr int kMostRows = 65536;

    /// Codes `matrix` when it has at most 65536 rows and at most 65536 distinct values; otherwise
    /// coded() is false and nothing is kept. The matrix itself is not referenced afterwards.
    explicit DistanceCodes(const SquareMatrix& matrix);
    /// Every row of the pairs coded in `pairs` (both triangles and the diagonal), when they were
    /// coded and there are at most 65536 rows; otherwise coded() is false.
    explicit DistanceCodes(const PackedDistanceCodes& pairs);

    /// True when the matrix could be coded.
    bool coded() const { return !m_values.empty(); }
    /// The codes of row `row` (0-based), `size()` of them. Only when coded().
    const std::uint16_t* row(int row) const
    {
        return m_codes.data() + static_cast<size_t>(row) * static_cast<size_t>(m_size);
    }
    /// The distinct values, indexed by code. Only when coded().
    const double* values() const { return m_values.data(); }
    int size() const { return m_size; }

private:
    int m_size = 0;
    std::vector<std::uint16_t> m_codes;
    std::vector<double> m_values;
};

} // namespace tessaloc
