#pragma once

#include "core/SquareMatrix.h"

#include <initializer_list>

namespace tessaloc::testing {

/// A symmetric n x n matrix with a zero diagonal from its upper triangle, listed row by row:
/// (0, 1), (0, 2), ..., (0, n-1), (1, 2), ...
inline SquareMatrix fromPairs(int n, std::initializer_list<double> upper)
{
    SquareMatrix m(n);
    auto value = upper.begin();
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            m.setPair(i, j, *value++);
    return m;
}

} // namespace tessaloc::testing
