#pragma once

#include <cstddef>
#include <vector>

namespace tessaloc {

/// An N x N matrix of doubles in one block, row by row, created filled with zeros. Indices are
/// 0-based: observation k of the files is index k - 1.
class SquareMatrix {
public:
    SquareMatrix() = default;
    explicit SquareMatrix(int size)
        : m_size(size)
        , m_values(static_cast<size_t>(size) * static_cast<size_t>(size), 0.0)
    {
    }

    int size() const { return m_size; }
    double& operator()(int row, int column) { return m_values[index(row, column)]; }
    double operator()(int row, int column) const { return m_values[index(row, column)]; }
    /// Writes `value` at (i, j) and (j, i), keeping the matrix symmetric.
    void setPair(int i, int j, double value)
    {
        m_values[index(i, j)] = value;
        m_values[index(j, i)] = value;
    }
    const double* row(int row) const { return m_values.data() + index(row, 0); }
    const std::vector<double>& values() const { return m_values; }

    friend bool operator==(const SquareMatrix&, const SquareMatrix&) = default;

private:
    size_t index(int row, int column) const
    {
        return static_cast<size_t>(row) * static_cast<size_t>(m_size) + static_cast<size_t>(column);
    }

    int m_size = 0;
    std::vector<double> m_values;
};

} // namespace tessaloc
