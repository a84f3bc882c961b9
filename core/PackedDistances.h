#pragma once

#include "core/SquareMatrix.h"

#include <cstddef>
#include <vector>

namespace tessaloc {

/// A symmetric N x N distance matrix with a zero diagonal, stored once per pair: the pairs i < j row
/// by row, (0, 1), (0, 2), ..., (0, N - 1), (1, 2), ..., which is the lower triangle column by
/// column. It takes half the memory of a SquareMatrix, and its order is the one in which the
/// reports, the matrix sums and the permutation tests visit the pairs, so they read it straight
/// through. Indices are 0-based: observation k of the files is index k - 1.
class PackedDistances {
public:
    PackedDistances() = default;
    /// N observations, every distance 0.
    explicit PackedDistances(int size)
        : m_size(size)
        , m_values(pairCount(size), 0.0)
    {
    }
    /// The pairs i < j of `full` (the lower triangle and the diagonal are not read).
    explicit PackedDistances(const SquareMatrix& full);

    /// N(N - 1) / 2, the pairs of `size` observations (0 for fewer than two).
    static std::size_t pairCount(int size)
    {
        return size < 2 ? 0 : static_cast<std::size_t>(size) * static_cast<std::size_t>(size - 1) / 2;
    }
    /// The position of pair (i, j), i < j, among the pairs: the pairs of rows 0..i-1 come first.
    std::size_t pairIndex(int i, int j) const { return rowStart(i) + static_cast<std::size_t>(j - i - 1); }
    /// The position of the first pair of row i, (i, i + 1); pairCount(N) for i = N - 1.
    std::size_t rowStart(int i) const
    {
        return static_cast<std::size_t>(i) * static_cast<std::size_t>(2 * m_size - i - 1) / 2;
    }

    int size() const { return m_size; }
    /// The distance between i and j, in either order; 0 on the diagonal.
    double operator()(int i, int j) const
    {
        if (i == j)
            return 0.0;
        return i < j ? m_values[pairIndex(i, j)] : m_values[pairIndex(j, i)];
    }
    /// Writes the distance of the pair i, j (i != j, in either order).
    void setPair(int i, int j, double value) { m_values[i < j ? pairIndex(i, j) : pairIndex(j, i)] = value; }
    /// The pairs (i, j) of row i, j = i + 1..N - 1: row(i)[j - i - 1].
    const double* row(int i) const { return m_values.data() + rowStart(i); }
    double* row(int i) { return m_values.data() + rowStart(i); }
    /// Every pair in order, pairCount(size()) of them.
    const std::vector<double>& values() const { return m_values; }
    std::vector<double>& values() { return m_values; }

    /// The whole N x N matrix, both triangles.
    SquareMatrix square() const;

    friend bool operator==(const PackedDistances&, const PackedDistances&) = default;

private:
    int m_size = 0;
    std::vector<double> m_values;
};

/// The whole matrix of `pairs`, which are let go as soon as it is built: for the engines that read
/// whole rows.
SquareMatrix takeSquare(PackedDistances&& pairs);

} // namespace tessaloc
