#include "core/PackedDistances.h"

namespace tessaloc {

PackedDistances::PackedDistances(const SquareMatrix& full)
    : PackedDistances(full.size())
{
    double* out = m_values.data();
    for (int i = 0; i < m_size - 1; ++i) {
        const double* fullRow = full.row(i);
        for (int j = i + 1; j < m_size; ++j)
            *out++ = fullRow[j];
    }
}

SquareMatrix PackedDistances::square() const
{
    SquareMatrix full(m_size);
    const double* pair = m_values.data();
    for (int i = 0; i < m_size - 1; ++i) {
        for (int j = i + 1; j < m_size; ++j)
            full.setPair(i, j, *pair++);
    }
    return full;
}

SquareMatrix takeSquare(PackedDistances&& pairs)
{
    SquareMatrix full = pairs.square();
    pairs = PackedDistances();
    return full;
}

} // namespace tessaloc
